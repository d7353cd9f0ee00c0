#!/usr/bin/env bash
# Photographs the warning balloon: Quorlan and the test program in a Wine
# virtual desktop with its shell (taskbar and notification area), the only
# place Wine draws balloons. Writes docs/warning-balloon.png, and checks in
# the shell's own trace that the balloon reached it.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repo"
picture_setup warning-shot :94

rm -rf "$work/run"; mkdir -p "$work/run/Resource" docs
cp "$bin/Quorlan.exe" "$bin/QL_lib.dll" "$bin/TestApp.exe" "$work/run/"
cp Resource/*.ico "$work/run/Resource/"
# Warned after 10 idle seconds, 30 seconds before the closing.
printf '[InternalSetUp]\r\nSinchT=4000000000\r\n[BasicSetUp]\r\nProgram=QLDemo\r\nMax.Inact.=40\r\n[AdvancedSetUp]\r\nWarning=30\r\n' \
  >"$work/run/Quorlan.ini"

run cmd /c exit >/dev/null 2>&1 || true  # makes the prefix and warms it
desktop=shell,900x600
# The first program in the desktop starts its shell; its tooltips trace the balloons they show.
(cd "$work/run" && WINEDEBUG=+tooltips run explorer "/desktop=$desktop" TestApp.exe --class QLDemo --title "Invoice 2041" \
  --left 120 --top 80 >/dev/null 2>"$work/shell.trace") &
sleep 4
(cd "$work/run" && run explorer "/desktop=$desktop" Quorlan.exe >/dev/null 2>&1) &
for _ in $(seq 120); do grep -q "Warning shown" "$work/run/Quorlan.exe.Log" 2>/dev/null && break; sleep 0.25; done
grep -q "Warning shown" "$work/run/Quorlan.exe.Log" || { echo "warning-shot: no warning in the log" >&2; exit 1; }
sleep 6
import -display "$QL_DISPLAY" -window root "$work/screen.png"
# The virtual desktop's window, at the screen's top left corner.
convert "$work/screen.png" -crop 900x600+0+0 +repage docs/warning-balloon.png
echo "wrote docs/warning-balloon.png"
grep -F "TOOLTIPS_Show Show tooltip" "$work/shell.trace" | grep -F "unless it is used." | head -n 1 ||
  { echo "warning-shot: the shell's trace shows no balloon" >&2; exit 1; }
