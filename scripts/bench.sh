#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine; they print figures (no pass or fail).
#   scripts/bench.sh [scan|memory|icon|latency|hooked|surplus|cpu|companion|hooks|release|usage]...
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repo"
scripts/bootstrap.sh
preset=$(wine_preset)
build_preset "$preset"
arch=$(wine_arch "$preset")
bin=$repo/build/$preset/bin
export QL_KEEPALIVE=$bin/KeepAlive.exe
cd "$bin"
if [ $# -eq 0 ] || [[ " $* " == *" hooks "* ]]; then
  "$repo/scripts/wine-run.sh" "$arch" HookCallBench.exe
fi
if [ $# -eq 0 ] || [[ " $* " == *" release "* ]]; then
  "$repo/scripts/wine-run.sh" "$arch" ReleaseCheckBench.exe
fi
if [ $# -eq 0 ] || [[ " $* " == *" usage "* ]]; then
  "$repo/scripts/wine-run.sh" "$arch" UsageBench.exe
fi
supervisor_args=()
for what in "$@"; do
  case $what in hooks | cpu | release | companion | usage) ;; *) supervisor_args+=("$what") ;; esac
done
[ $# -eq 0 ] && supervisor_args=(scan memory icon latency hooked surplus)
if [ ${#supervisor_args[@]} -gt 0 ]; then
  "$repo/scripts/wine-run.sh" "$arch" SupervisorBench.exe "${supervisor_args[@]}"
fi
# 64-bit programs run only in a 64-bit prefix (the x86 build's programs run
# there beside them).
if [ $# -eq 0 ] || [[ " $* " == *" companion "* ]]; then
  "$repo/scripts/wine-run.sh" win64 SupervisorBench.exe companion
fi

# CPU time in nanoseconds, read from the host (Wine's own process times of
# other processes are not reliable): the scheduler's run time of each
# thread, far finer than the 10 ms clock ticks of the process times.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ t += $1 } END { printf "%.0f\n", t }'; }
# Resident KiB, and the KiB of it that are file pages the kernel maps as whole
# 2 MiB pages (shared page cache: where a file such as Wine's theme happens
# to be mapped decides whether 256 KiB or 2 MiB of it count as resident).
resident() { awk '/^Rss:/ { r = $2 } /^FilePmdMapped:/ { p = $2 } END { print r + 0, p + 0 }' "/proc/$1/smaps_rollup"; }
if [ $# -eq 0 ] || [[ " $* " == *" cpu "* ]]; then
  log=$(mktemp)
  "$repo/scripts/wine-run.sh" "$arch" SupervisorBench.exe cpu >"$log" 2>&1 &
  for _ in $(seq 240); do grep -q 'cpu: ready' "$log" && break; sleep 0.5; done
  # This build's programs only: other copies may run beside them.
  here=${bin//\//.}
  supervisor=$(pgrep -f "$here.Quorlan\\.exe" | head -n 1 || true)
  minimal=$(pgrep -f "$here.KeepAlive\\.exe measured\$" | head -n 1 || true)
  if [ -n "$supervisor" ] && [ -n "$minimal" ]; then
    # At rest: the last sessions' hooks answered and the icon's flashes for
    # them are over.
    sleep 10
    host=$(pgrep -f "$here.QL_host64\\.exe" | head -n 1 || true)
    minimal64=$(pgrep -f "$here.KeepAlive(64)?\\.exe measured64" | head -n 1 || true)
    s0=$(cpu_ns "$supervisor"); m0=$(cpu_ns "$minimal")
    h0=0; n0=0
    if [ -n "$host" ] && [ -n "$minimal64" ]; then h0=$(cpu_ns "$host"); n0=$(cpu_ns "$minimal64"); fi
    sleep 60
    s1=$(cpu_ns "$supervisor"); m1=$(cpu_ns "$minimal")
    awk -v s=$((s1 - s0)) -v m=$((m1 - m0)) 'BEGIN {
      printf "cpu: over 60 s with 30 sessions: Quorlan.exe %.1f ms (%.3f%% of one core), message-loop program %.1f ms\n",
             s / 1e6, 100 * s / 1e9 / 60, m / 1e6 }'
    read -r sr sp < <(resident "$supervisor")
    read -r mr mp < <(resident "$minimal")
    awk -v sr="$sr" -v sp="$sp" -v mr="$mr" -v mp="$mp" 'BEGIN {
      printf "memory (host view, same run): Quorlan.exe %d KiB resident (%d KiB of it in 2 MiB file pages),", sr, sp
      printf " message-loop program %d KiB (%d KiB); ratio %.2f, without those pages %.2f\n",
             mr, mp, sr / mr, (sr - sp) / (mr - mp) }'
    if [ -n "$host" ] && [ -n "$minimal64" ]; then
      h1=$(cpu_ns "$host"); n1=$(cpu_ns "$minimal64")
      awk -v h=$((h1 - h0)) -v n=$((n1 - n0)) 'BEGIN {
        printf "cpu: over 60 s: QL_host64.exe %.1f ms, 64-bit message-loop program %.1f ms\n", h / 1e6, n / 1e6 }'
    else
      echo "cpu: could not find the 64-bit companion or the 64-bit message-loop program"
    fi
  else
    echo "cpu: could not find the measured processes"
  fi
  wait
  grep '^cpu: ' "$log" | grep -v 'cpu: ready' || true
  rm -f "$log"
fi
echo "i686 hook library: $(stat -c %s "$repo/build/windows/bin/QL_lib.dll" 2>/dev/null || echo '?') bytes"
