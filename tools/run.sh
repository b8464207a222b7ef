#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine on the demo
# TC configuration kept in demo/, copied into the build folder so the original stays clean.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset x64 >/dev/null
cmake --preset x86 >/dev/null
cmake --build --preset x64 -j "$(nproc)"
cmake --build --preset x86 -j "$(nproc)" --target kestrovane fake_plugins
source tools/xvfb.sh
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
# Wine maps the Unix root to drive Z:; the program gets Windows paths, and Wine an
# absolute prefix.
winpath() { echo "Z:$(realpath "$1" | tr / '\\')"; }
export COMMANDER_PATH="$(winpath "$demo/TC")"
prefix="$PWD/build/x64/demo-wineprefix"  # apart from the tests' prefix
tools/wine-prefix-init "$prefix"
echo "Starting Kestrovane on the demo configuration in $demo/TC"
tools/wine-run "$prefix" "$demo/bin/Kestrovane.exe" "$(winpath "$demo/TC/wincmd.ini")"
