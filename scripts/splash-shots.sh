#!/usr/bin/env bash
# Photographs the splash while the release check runs (the real Quorlan.exe
# against a local server that accepts and never answers) and the about box,
# each in front of a striped backdrop so that the see-through parts show.
# Writes docs/splash-checking.png and docs/about-window.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repo"
picture_setup splash-shots :93
server=
before_wine_exit() { [ -z "$server" ] || kill "$server" 2>/dev/null; }

# A server that accepts and stays silent: the check waits out its bound.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -c '
import socket, sys, time
server = socket.socket(); server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", int(sys.argv[1]))); server.listen(4)
clients = []
while True:
    client, _ = server.accept(); clients.append(client)
' "$port" & server=$!

rm -rf "$work/run"; mkdir -p "$work/run/Resource" docs
cp "$bin/Quorlan.exe" "$bin/QL_lib.dll" "$work/run/"
cp Resource/*.ico "$work/run/Resource/" 2>/dev/null || true
printf '[BasicSetUp]\r\nProgram=QLDemo\r\n[AdvancedSetUp]\r\nReleaseServer=127.0.0.1:%s\r\n' "$port" >"$work/run/Quorlan.ini"

shot() {  # file: the screen's middle, where both windows stand
  import -display "$QL_DISPLAY" -window root "$work/screen.png"
  convert "$work/screen.png" -gravity center -crop 360x240+0+0 +repage "$1"
  echo "wrote $1"
}

run "$bin/SplashHost.exe" plain >/dev/null 2>&1  # makes the prefix and warms it
run "$bin/SplashHost.exe" backdrop >/dev/null 2>&1 &
sleep 3
(cd "$work/run" && run "$work/run/Quorlan.exe" >/dev/null 2>&1) &
for _ in $(seq 40); do grep -q "Looking for upgrade" "$work/run/Quorlan.exe.Log" 2>/dev/null && break; sleep 0.25; done
sleep 1
shot docs/splash-checking.png

DISPLAY=$QL_DISPLAY xdotool mousemove 0 0 2>/dev/null || true  # the close image in its normal look
run "$bin/SplashHost.exe" about >/dev/null 2>&1 &
sleep 10
shot docs/about-window.png
