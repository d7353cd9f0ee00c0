# Shared by the build, test and demonstration scripts.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Whether this host can execute 32-bit code, and so run 32-bit Wine. Some
# kernels are booted without 32-bit emulation; there the Windows-side tests
# run the x64 build of the same sources under 64-bit Wine instead.
can_run_win32() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# The Windows build whose programs run under Wine here: windows or windows-x64.
wine_preset() { if can_run_win32; then echo windows; else echo windows-x64; fi; }

build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -- --no-print-directory -s >/dev/null
}

# The Wine architecture of a Windows preset's programs: win32 or win64.
wine_arch() { if [ "$1" = windows-x64 ]; then echo win64; else echo win32; fi; }

# Ends every process of the prefix that the Wine runner keeps for
# QL_WINE_HOME and this architecture, and nothing of any other prefix.
end_wine_prefix() {
  local server=/usr/lib/wine/wineserver32
  [ "$1" = win64 ] && server=/usr/lib/wine/wineserver64
  WINEPREFIX=$QL_WINE_HOME/prefix-$1 "$server" -k 2>/dev/null || true
}

# A Wine prefix, X display and keep-alive of the calling script's own, under
# its work folder: wine_session WORK DEFAULT_DISPLAY PRESET. Then `run`
# starts a program in that prefix, and on exit the script's own clean-up
# (a function named before_wine_exit, when it defines one) runs and the
# prefix is ended, which ends nothing of any other prefix.
wine_session() {
  wine_session_arch=$(wine_arch "$3")
  export QL_WINE_HOME=$1/wine
  export QL_DISPLAY=${QL_DISPLAY:-$2}
  export QL_KEEPALIVE=$repo/build/$3/bin/KeepAlive.exe
  trap end_wine_session EXIT
}
run() { "$repo/scripts/wine-run.sh" "$wine_session_arch" "$@"; }
end_wine_session() {
  if declare -F before_wine_exit >/dev/null; then before_wine_exit || true; fi
  end_wine_prefix "$wine_session_arch"
}

# What the picture scripts share besides their Wine session: the programs
# built for the Wine here, in a work folder build/NAME. Sets preset, bin and
# work.   picture_setup NAME DEFAULT_DISPLAY
picture_setup() {
  scripts/bootstrap.sh
  preset=$(wine_preset)
  build_preset "$preset"
  bin=$repo/build/$preset/bin
  work=$repo/build/$1
  wine_session "$work" "$2" "$preset"
}
