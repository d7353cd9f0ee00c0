#!/usr/bin/env bash
# Photographs the setup dialog as a first start without a program shows it,
# into docs/setup-dialog.png. Runs Quorlan under Wine in a prefix of its own.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repo"
command -v xdotool >/dev/null && command -v import >/dev/null || {
  echo "setup-screenshot: needs xdotool and import (Debian packages xdotool, imagemagick)" >&2; exit 1; }

preset=$(wine_preset)
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Quorlan QL_lib -- --no-print-directory -s >/dev/null
bin=$repo/build/$preset/bin
work=$repo/build/setup-shot
wine_session "$work" :94 "$preset"

rm -rf "$work/run"
mkdir -p "$work/run"
cp "$bin/Quorlan.exe" "$bin/QL_lib.dll" "$work/run/"
# No program yet, so the dialog opens at start; no release check is due.
cat > "$work/run/Quorlan.ini" <<'INI'
[InternalSetUp]
Guid={3F2504E0-4F89-41D3-9A0C-0305E82C3301}
SinchT=4000000000
[BasicSetUp]
Max.Inact.=754
Max.Session=2
[AdvancedSetUp]
SendKeys=1
KeyGroup=2
INI

(cd "$work/run" && run Quorlan.exe >/dev/null 2>&1 &)
window=
for _ in $(seq 60); do
  window=$(DISPLAY=$QL_DISPLAY xdotool search --onlyvisible --name "^Quorlan - Setup$" 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || { echo "setup-screenshot: the dialog did not appear" >&2; exit 1; }
sleep 1
mkdir -p docs
import -display "$QL_DISPLAY" -window "$window" docs/setup-dialog.png
echo "setup-screenshot: docs/setup-dialog.png"
