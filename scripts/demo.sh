#!/usr/bin/env bash
# The demonstration: Quorlan under Wine supervising the bundled test program.
# Three sessions open; the idle one is closed, the one with unsaved changes
# has its question answered and closes, and new sessions beyond the allowed
# two are asked to close. Prints the log and the sessions' events as they
# happen, and leaves screenshots of the desktop in build/demo.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repo"
scripts/bootstrap.sh

preset=$(wine_preset)
echo "== building ($preset)"
build_preset "$preset"
bin=$repo/build/$preset/bin
demo=$repo/build/demo
wine_session "$demo" :95 "$preset"

rm -rf "$demo/run"
mkdir -p "$demo/run/Resource"
cp "$bin/Quorlan.exe" "$bin/QL_lib.dll" "$bin/QL_host64.exe" "$bin/QL_lib64.dll" "$demo/run/"
cp Resource/*.ico "$demo/run/Resource/" 2>/dev/null || true
cat > "$demo/run/Quorlan.ini" <<'INI'
[InternalSetUp]
SinchT=4000000000
[BasicSetUp]
Max.Inact.=8
Max.Session=2
Program=QLDemo
[AdvancedSetUp]
CloseKill=0
SendKeys=1
KeyGroup=2
INI
events=$demo/run/sessions.events
: > "$events"

echo "== starting two sessions of the test program and Quorlan (idle limit 8 s, at most 2 sessions)"
cd "$demo/run"
run "$bin/TestApp.exe" --class QLDemo --title "Idle report" --left 40 --top 60 --record sessions.events >/dev/null 2>&1 &
run "$bin/TestApp.exe" --class QLDemo --title "Unsaved draft" --ask-save --left 420 --top 60 --record sessions.events >/dev/null 2>&1 &
sleep 2
run "$demo/run/Quorlan.exe" >/dev/null 2>&1 &

began=$(date +%s)
# Prints what happens, in order: the test program's events told as a user
# sees them ("<process> <tick> <event> <window title>"), and the log's entries.
tell() {
  case "$1" in
    start) echo "[+$(( $(date +%s) - began ))s] \"${*:4}\" found: hooked as session slot $2" ;;
    close) echo "[+$(( $(date +%s) - began ))s] \"${*:3}\" asked to close" ;;
    answer) echo "[+$(( $(date +%s) - began ))s] \"${*:3}\": \"Save changes?\" answered $2" ;;
    destroyed) echo "[+$(( $(date +%s) - began ))s] \"${*:2}\" closed" ;;
  esac
}
follow() {
  local told_events=0 told_log=0 line
  while sleep 0.5; do
    while IFS= read -r line; do
      told_events=$((told_events + 1))
      set -- $line
      shift 2
      tell "$@"
    done < <(tail -n +$((told_events + 1)) "$events" 2>/dev/null)
    # The log's last entry has no line end of its own; it is complete all the same.
    while IFS= read -r line || [ -n "$line" ]; do
      told_log=$((told_log + 1))
      [ -n "$line" ] && echo "    log: $line"
    done < <(tail -n +$((told_log + 1)) "$demo/run/Quorlan.exe.Log" 2>/dev/null)
  done
}
follow &

sleep 9
echo "== two more sessions open: beyond the allowed two, the new ones are asked to close"
run "$bin/TestApp.exe" --class QLDemo --title "Extra" --windows 2 --refuse-close --left 800 --top 60 --record sessions.events >/dev/null 2>&1 &
sleep 2
shot() { import -display "$QL_DISPLAY" -window root "$demo/$1" 2>/dev/null || true; }
shot desktop-sessions.png
# The draft's program asks its question when asked to close; show it.
for _ in $(seq 60); do grep -q 'close .*Unsaved draft' "$events" && break; sleep 0.25; done
sleep 0.4
shot desktop-question.png
sleep 18
shot desktop.png

# The notification area: the icon's menu ends this Quorlan ("Close"), a new
# one supervises three sessions, and its menu opens the status window.
export DISPLAY=$QL_DISPLAY
tray_icon() {  # prints "x y" of the first icon in Wine's tray window
  local id; id=$(xdotool search --name '^Wine System Tray$' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$id")"
  # The icons sit in a row along the bottom, under the caption Wine draws.
  echo "$((X + 12)) $((Y + HEIGHT - 14))"
}
menu_item() {  # right click on the icon, then a left click on the nth item (Show 1, Hide 2, Setup 4, About 5, Close 7)
  local x y; read -r x y < <(tray_icon)
  xdotool mousemove "$x" "$y" click 3; sleep 1
  # Wine's tray window takes the first click after a menu has closed to activate itself.
  [ "${2:-}" = again ] && { xdotool click 3; sleep 1; }
  local -a rows=(0 9 27 0 53 71 0 97)
  xdotool mousemove $((x + 30)) $((y + ${rows[$1]})) click 1; sleep 1
}
menu_item 7
for _ in $(seq 20); do pgrep -f 'run/Quorlan\.exe' >/dev/null || break; sleep 0.5; done
echo "== \"Close\" chosen from the icon's menu; the log ends with: $(tail -c 40 "$demo/run/Quorlan.exe.Log" | tr '\n' ' ')"
printf '[InternalSetUp]\r\nSinchT=4000000000\r\n[BasicSetUp]\r\nMax.Inact.=600\r\nMax.Session=0\r\nProgram=QLTray\r\n' > Quorlan.ini
for title in "Quarterly report" "Invoice 2041" "Meeting notes"; do
  run "$bin/TestApp.exe" --class QLTray --title "$title" --left 60 --top 400 >/dev/null 2>&1 &
done
sleep 2
run "$demo/run/Quorlan.exe" >/dev/null 2>&1 &
sleep 8
read -r x y < <(tray_icon)
# Clicked near its lower right corner, the menu leaves most of the icon in view.
xdotool mousemove $((x + 6)) $((y + 6)) click 3; sleep 1.2
import -window root -crop 200x170+0+0 "$repo/docs/tray-menu.png"
xdotool mousemove $((x + 36)) $((y + 15)) click 1; sleep 1.5
id=$(xdotool search --name '^Quorlan - Status Window$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$id")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$repo/docs/status-window.png"
menu_item 7 again
kill $(jobs -p) 2>/dev/null || true
echo "== done; screenshots: build/demo/desktop-sessions.png, desktop-question.png, desktop.png, docs/tray-menu.png, docs/status-window.png"
