#!/usr/bin/env bash
# Starts the program on the demo configuration under Xvfb once per tab and saves a
# screenshot of each to build/x64/screenshots/<tab>.png, to look at what the window
# shows. Not a test. Uses the builds as they are (run `make run` or build first).
# COLORS=dark (or light) shows the other colour schemes; EXTRACOLS=used,bits (the
# ids of the extra columns) adds columns to the plugin list.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/xvfb.sh
source tools/demo.sh
out=build/x64/screenshots
mkdir -p "$out"
ini="$demo/bin/Kestrovane.ini"
for tab in lister content packer filesystem inventory findings preview; do
  # UTF-16 with its mark, as the program keeps its INI.
  { printf '\xff\xfe'; printf '[Window]\r\nLastTab=%s\r\nExtraCols=%s\r\n[View]\r\nColors=%s\r\n' "$tab" "${EXTRACOLS:-}" "${COLORS:-standard}" |
      iconv -f utf-8 -t utf-16le; } > "$ini"
  # The preview tab checks a file of its own.
  args=("$DEMO_INI")
  if [ "$tab" = preview ]; then
    mkdir -p "$demo/Files" && printf 'A line of text.\n' > "$demo/Files/notes.txt"
    args+=(/preview "$(winpath "$demo/Files/notes.txt")")
  fi
  tools/wine-run "$DEMO_PREFIX" "$DEMO_EXE" "${args[@]}" &
  pid=$!
  sleep "${SHOT_WAIT:-6}"
  import -window root "$out/$tab.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$out/$tab.png"
done
