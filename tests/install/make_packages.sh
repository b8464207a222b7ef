#!/usr/bin/env bash
# Plugin packages as users download them, made with the real tools from the fake
# plugins of both builds: a zip with a Lister plugin in a folder of its own, a rar
# with a Content plugin, a 7z with a Packer plugin and its pluginst.inf.
# usage: make_packages.sh <out folder> <fake plugins, 64-bit build> <fake plugins, 32-bit build or "">
set -euo pipefail
out=$(realpath -m "$1") fakes64=$(realpath "$2") fakes32=${3:+$(realpath -m "$3")}
rm -rf "$out" && mkdir -p "$out/tree"
cd "$out/tree"
add() {  # add <folder> <name> <ext>: both builds of a fake plugin
  mkdir -p "$1"
  cp "$fakes64/$2.${3}64" "$1/"
  if [ -n "$fakes32" ] && [ -f "$fakes32/$2.$3" ]; then cp "$fakes32/$2.$3" "$1/"; fi
}
add "Lister Demo" lister wlx
printf 'A demo plugin\r\n' > "Lister Demo/readme.txt"
zip -qr ../lister.zip "Lister Demo"
add content content wdx
(cd content && rar a -idq ../../content.rar .)
add pk packer wcx
printf '[plugininstall]\r\ndescription="Packs fake archives"\r\ntype=wcx\r\nfile=packer.wcx\r\ndefaultdir=FakePack\r\ndefaultextension=*.fak, fk2\r\n' > pk/pluginst.inf
(cd pk && 7zz a -bso0 -bsp0 ../../packer.7z .)
