#!/usr/bin/env bash
# Runs one Windows executable under Wine: wine-run.sh win32|win64 program.exe [args...]
# Makes sure an X display (Xvfb), a Wine prefix of the right kind and a warm,
# persistent wineserver exist first; the exit code is the program's. With
# QL_WINE_STDERR set, standard error (and so Wine's traces of the program
# and of everything it starts) goes to that file instead.
set -euo pipefail

arch=${1:?usage: wine-run.sh win32|win64 program.exe [args...]}
shift
state_root=${QL_WINE_HOME:-${XDG_CACHE_HOME:-$HOME/.cache}/quorlan}
export WINEPREFIX=${QL_WINEPREFIX:-$state_root/prefix-$arch}
export WINEARCH=$arch
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
# Our own virtual display, never the desktop of whoever runs us.
export DISPLAY=${QL_DISPLAY:-:97}
if [ "$arch" = win64 ]; then
  loader=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
else
  loader=/usr/lib/wine/wine
  export WINESERVER=/usr/lib/wine/wineserver32
fi
mkdir -p "$state_root"

# Detached from our session and every stream, and from the setup lock (fd 9).
quietly_detached() { setsid "$@" </dev/null >/dev/null 2>&1 9>&- & }

# An X server answers on display n when the process named in its lock file
# still runs. A socket alone proves nothing: a server that was killed leaves
# its socket and lock file behind in /tmp, and Wine then creates no windows.
display_alive() {
  local pid
  pid=$(tr -dc '0-9' <"/tmp/.X$1-lock" 2>/dev/null) || return 1
  [ -n "$pid" ] && [ -S "/tmp/.X11-unix/X$1" ] && grep -q '^X' "/proc/$pid/comm" 2>/dev/null
}

ensure_display() {
  local n=${DISPLAY#:}; n=${n%%.*}
  display_alive "$n" && return 0
  rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
  # Wine processes still running for this prefix belong to the display that
  # is gone; they must not serve the new one.
  "$WINESERVER" -k 2>/dev/null && "$WINESERVER" -w || true
  quietly_detached Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -ac
  for _ in $(seq 100); do display_alive "$n" && return 0; sleep 0.1; done
  echo "wine-run: Xvfb did not start on $DISPLAY" >&2; return 1
}

ensure_prefix() {
  [ -f "$WINEPREFIX/.quorlan-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  "$loader" wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
  "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$WINEPREFIX/.quorlan-ready"
}

# Process ids of this prefix's desktop processes (other prefixes have theirs,
# and a prefix deleted and made anew may leave a stale one behind).
prefix_desktops() {
  local pid
  for pid in $(pgrep -f 'explorer.exe /desktop'); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then echo "$pid"; fi
  done
}

# A persistent server, and a hidden-window program that keeps the prefix's
# helper processes alive between test programs. Both are fully detached so
# that they never hold a pipe of whoever called us (ctest waits on those).
ensure_server() {
  local pidfile=$WINEPREFIX/.keepalive.pid
  # The recorded keep-alive must still be ours (process ids are reused).
  if [ -f "$pidfile" ] && grep -qa KeepAlive "/proc/$(cat "$pidfile")/cmdline" 2>/dev/null &&
     [ -n "$(prefix_desktops)" ]; then
    return 0
  fi
  local before
  before=$(prefix_desktops)
  quietly_detached "$WINESERVER" -p
  if [ -n "${QL_KEEPALIVE:-}" ] && [ -f "$QL_KEEPALIVE" ]; then
    setsid "$loader" "$QL_KEEPALIVE" </dev/null >/dev/null 2>&1 9>&- &
    echo $! > "$pidfile"
    # Its window makes Wine start the desktop process. Wait for that here:
    # started by a test instead, it would hold the test's output pipe open.
    for _ in $(seq 200); do
      [ -n "$(comm -13 <(sort <<<"$before") <(prefix_desktops | sort))" ] && return 0
      sleep 0.1
    done
  fi
}

(
  flock 9
  ensure_display
  ensure_prefix
  ensure_server
) 9>"$state_root/setup-$arch.lock"

# Wine writes its debug traces to the standard error of the process, which
# every program it starts inherits: a test that reads them names a file.
if [ -n "${QL_WINE_STDERR:-}" ]; then
  exec "$loader" "$@" 2>"$QL_WINE_STDERR"
fi
exec "$loader" "$@"
