#!/usr/bin/env bash
# Static check of the built hook library, run on the Linux host:
#   check-hooklib.sh OBJDUMP QL_lib.dll MAX_BYTES
# Prints the library's size, the DLLs it imports and its exports; fails if it
# imports anything but user32/kernel32, if its exports are not exactly the
# three hook procedures, or if it is larger than MAX_BYTES (0: size not checked).
set -euo pipefail

objdump=${1:?usage: check-hooklib.sh OBJDUMP DLL MAX_BYTES}
dll=${2:?usage: check-hooklib.sh OBJDUMP DLL MAX_BYTES}
max_bytes=${3:-0}
expected_exports="_InterceptaM _InterceptaR _InterceptaT"
failed=0

fail() { echo "FAIL: $*"; failed=1; }

[ -f "$dll" ] || { echo "FAIL: no such file: $dll"; exit 1; }
headers=$("$objdump" -p "$dll")

size=$(stat -c %s "$dll")
echo "size: $size bytes"
if [ "$max_bytes" -gt 0 ] && [ "$size" -gt "$max_bytes" ]; then
  fail "larger than $max_bytes bytes"
fi

imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr -d '\r' | sort -f)
echo "imports: $(echo $imports)"
while read -r name; do
  [ -z "$name" ] && continue
  case "${name,,}" in
    user32.dll | kernel32.dll) ;;
    *) fail "imports $name" ;;
  esac
done <<<"$imports"

# Export names follow the "[Ordinal/Name Pointer] Table" heading, one per
# "[ n] name" line, up to the next blank line.
exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
               table && NF == 0 { table = 0 }
               table { print $NF }' <<<"$headers" | sort | tr '\n' ' ' | sed 's/ $//')
echo "exports: $exports"
[ "$exports" = "$expected_exports" ] || fail "exports are not exactly: $expected_exports"

if [ "$failed" -ne 0 ]; then exit 1; fi
echo "ok"
