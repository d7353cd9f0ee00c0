#!/usr/bin/env bash
# Screenshots of the window picker listing windows and of the highlight
# frame over a window, with a compositor running so that the frame's
# translucent veil shows as it does on Windows. Writes docs/picker-list.png
# and docs/highlight-frame.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repo"
command -v xcompmgr >/dev/null && command -v import >/dev/null || {
  echo "picker-shots: needs xcompmgr and import (Debian packages xcompmgr, imagemagick)" >&2; exit 1; }

preset=$(wine_preset)
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target PickerPhoto TestApp KeepAlive -- --no-print-directory -s >/dev/null
bin=$repo/build/$preset/bin
work=$repo/build/picker-shots
rm -rf "$work"; mkdir -p "$work/signal"
wine_session "$work" :96 "$preset"
compositor=
before_wine_exit() { [ -z "$compositor" ] || kill "$compositor" 2>/dev/null; }

await() { for _ in $(seq 600); do [ -e "$1" ] && return 0; sleep 0.1; done; echo "picker-shots: no $1" >&2; return 1; }

run "$bin/TestApp.exe" --class QLReport --title "Quarterly report" >/dev/null 2>&1 &
run "$bin/TestApp.exe" --class QLNotes --title "Meeting notes" --left 70 --top 140 >/dev/null 2>&1 &
run "$bin/TestApp.exe" --class QLLedger --title "Ledger 2026" --left 200 --top 420 >/dev/null 2>&1 &
sleep 3
DISPLAY=$QL_DISPLAY xcompmgr >/dev/null 2>&1 &
compositor=$!
sleep 1
run "$bin/PickerPhoto.exe" "Z:${work//\//\\}\\signal" QLNotes QLReport >/dev/null 2>&1 &

mkdir -p docs
await "$work/signal/picker.ready"
DISPLAY=$QL_DISPLAY import -window root docs/picker-list.png
touch "$work/signal/picker.taken"
await "$work/signal/frame.ready"
DISPLAY=$QL_DISPLAY import -window root docs/highlight-frame.png
touch "$work/signal/frame.taken"
echo "picker-shots: docs/picker-list.png docs/highlight-frame.png"
