#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine; they print figures (no pass or fail).
#   scripts/bench.sh [scan|memory|latency|cpu|hooks]...
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repo"
scripts/bootstrap.sh
preset=$(wine_preset)
build_preset "$preset"
arch=win32; [ "$preset" = windows-x64 ] && arch=win64
bin=$repo/build/$preset/bin
export QL_KEEPALIVE=$bin/KeepAlive.exe
cd "$bin"
if [ $# -eq 0 ] || [[ " $* " == *" hooks "* ]]; then
  "$repo/scripts/wine-run.sh" "$arch" HookCallBench.exe
fi
supervisor_args=()
for what in "$@"; do [ "$what" = hooks ] || supervisor_args+=("$what"); done
if [ $# -eq 0 ] || [ ${#supervisor_args[@]} -gt 0 ]; then
  "$repo/scripts/wine-run.sh" "$arch" SupervisorBench.exe "${supervisor_args[@]}"
fi
echo "i686 hook library: $(stat -c %s "$repo/build/windows/bin/QL_lib.dll" 2>/dev/null || echo '?') bytes"
