# Sourced by the scripts that start the program on the demo TC configuration kept in
# demo/: copies it into the build folder, so the original stays clean, with the
# programs and the stand-in plugins, and sets COMMANDER_PATH, DEMO_INI and DEMO_PREFIX.
# Needs both architectures built (the program, faketc and fake_plugins).
demo=build/x64/demo
rm -rf "$demo" && mkdir -p "$demo/bin"
cp -r demo/TC "$demo/TC"
cp build/x64/fakes/tc/TOTALCMD64.exe "$demo/TC/TOTALCMD64.EXE"
cp build/x64/bin/Kestrovane.exe build/x86/bin/Kestrovane32.exe "$demo/bin/"
# The plugins the demo INI names: stand-ins built with the tests, each as a 64-bit
# file (.wlx64 ...) and a 32-bit one (.wlx ...) side by side, as TC's plugins come.
for plugin in wlx/DemoView/lister wlx/CodeView/lister_blank wlx/Crashy/crash wdx/DemoFields/content \
              wcx/DemoPack/packer wfx/DemoFs/fs; do
  folder="$demo/TC/Plugins/$(dirname "$plugin")" name=$(basename "$plugin") ext=${plugin%%/*}
  mkdir -p "$folder"
  cp "build/x64/fakes/plugins/$name.${ext}64" "build/x86/fakes/plugins/$name.$ext" "$folder/"
done
# TC's archive libraries, so that packages install from zip, rar and 7z, and a few
# packages of the stand-in plugins to try that with.
bash tools/archive-libs.sh "$demo/TC" >/dev/null
bash tests/install/make_packages.sh "$demo/Packages" build/x64/fakes/plugins build/x86/fakes/plugins
# Wine maps the Unix root to drive Z:; the program gets Windows paths, and Wine an
# absolute prefix.
winpath() { echo "Z:$(realpath "$1" | tr / '\\')"; }
export COMMANDER_PATH="$(winpath "$demo/TC")"
DEMO_EXE="$demo/bin/Kestrovane.exe"
DEMO_INI="$(winpath "$demo/TC/wincmd.ini")"
DEMO_PREFIX="$PWD/build/x64/demo-wineprefix"  # apart from the tests' prefix
tools/wine-prefix-init "$DEMO_PREFIX"
