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
