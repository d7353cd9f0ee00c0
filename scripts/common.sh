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

# What the picture scripts share: the programs built for the Wine here, a
# Wine prefix of the script's own under build/NAME (so that ending it ends
# nothing else) and an X display. Sets preset, bin, work and arch.
#   picture_setup NAME DEFAULT_DISPLAY
picture_setup() {
  scripts/bootstrap.sh
  preset=$(wine_preset)
  build_preset "$preset"
  bin=$repo/build/$preset/bin
  work=$repo/build/$1
  arch=$(wine_arch "$preset")
  export QL_WINE_HOME=$work/wine
  export QL_DISPLAY=${QL_DISPLAY:-$2}
  export QL_KEEPALIVE=$bin/KeepAlive.exe
}
# Runs a Windows program in the picture script's prefix.
run() { "$repo/scripts/wine-run.sh" "$arch" "$@"; }
