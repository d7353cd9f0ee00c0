#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, checks of the
# shipped x86 binaries, then the Windows-side tests and scenarios under Wine.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repo"
scripts/bootstrap.sh

echo "== native build and unit tests"
build_preset native
ctest --preset native

echo "== Windows x86 deliverables"
build_preset windows
ctest --preset windows -L static

preset=$(wine_preset)
if [ "$preset" != windows ]; then
  echo "== this kernel cannot run 32-bit code: Windows-side tests use the x64 build under 64-bit Wine"
  build_preset "$preset"
fi
echo "== Windows-side tests and scenarios under Wine ($preset)"
ctest --preset "$preset" -LE static
