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
arch=win32; [ "$preset" = windows-x64 ] && arch=win64

# A Wine prefix of the demo's own, so that ending it ends nothing else.
export QL_WINE_HOME=$demo/wine
export QL_DISPLAY=${QL_DISPLAY:-:95}
export QL_KEEPALIVE=$bin/KeepAlive.exe
run() { "$repo/scripts/wine-run.sh" "$arch" "$@"; }
stop_all() { WINEPREFIX=$QL_WINE_HOME/prefix-$arch "/usr/lib/wine/wineserver$([ $arch = win64 ] && echo 64 || echo 32)" -k 2>/dev/null || true; }
trap stop_all EXIT

rm -rf "$demo/run"
mkdir -p "$demo/run/Resource"
cp "$bin/Quorlan.exe" "$bin/QL_lib.dll" "$demo/run/"
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
run "$bin/TestApp.exe" --class QLDemo --title "Idle report" --record sessions.events >/dev/null 2>&1 &
run "$bin/TestApp.exe" --class QLDemo --title "Unsaved draft" --ask-save --record sessions.events >/dev/null 2>&1 &
sleep 2
run "$demo/run/Quorlan.exe" >/dev/null 2>&1 &

narrate() {
  # "<process> <tick> <event>" lines of the test program, told as a user sees them.
  while read -r process _ event; do
    case "$event" in
      start*) set -- $event; echo "   session of process $process hooked as slot $2" ;;
      showwindow*) ;;
      close*) echo "   session of process $process asked to close" ;;
      answer*) echo "   process $process: \"Save changes?\" answered ${event#answer }" ;;
    esac
  done
}
tail -n +1 -F "$events" 2>/dev/null | narrate &
tail -n +1 -F "$demo/run/Quorlan.exe.Log" 2>/dev/null | sed -u 's/^/   log: /' &
tails=$!

sleep 9
echo "== two more sessions open: beyond the allowed two, the new ones are asked to close"
run "$bin/TestApp.exe" --class QLDemo --title "Extra" --windows 2 --refuse-close --record sessions.events >/dev/null 2>&1 &
sleep 7
import -display "$QL_DISPLAY" -window root "$demo/desktop-during.png" 2>/dev/null || true
sleep 16
import -display "$QL_DISPLAY" -window root "$demo/desktop.png" 2>/dev/null || true
kill $(jobs -p) 2>/dev/null || true
echo "== done; screenshots: build/demo/desktop-during.png, build/demo/desktop.png"
