#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine on the demo
# TC configuration kept in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset x64 >/dev/null
cmake --preset x86 >/dev/null
cmake --build --preset x64 -j "$(nproc)"
cmake --build --preset x86 -j "$(nproc)" --target kestrovane fake_plugins
source tools/xvfb.sh
source tools/demo.sh
echo "Starting Kestrovane on the demo configuration in $demo/TC"
tools/wine-run "$DEMO_PREFIX" "$DEMO_EXE" "$DEMO_INI"
