#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test under Wine;
# the parsers that need no Windows call are also built here with sanitizers and tested.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/xvfb.sh
jobs=$(nproc)
status=0
for arch in x64 x86; do
  cmake --preset $arch >/dev/null
  cmake --build --preset $arch -j "$jobs"
done
echo "== TC's archive libraries (built once, then from the cache)"
bash tools/archive-libs.sh build/x64/archive-libs
echo "== Parsers built for this machine, with sanitizers"
cmake -S tests/native -B build/native -G Ninja >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native || status=1
for arch in x64 x86; do
  echo "== Tests, $arch"
  ctest --preset $arch -j "$jobs" --output-on-failure || status=1
done
exit $status
