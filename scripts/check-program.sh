#!/usr/bin/env bash
# Static check of the built supervisor program, run on the Linux host:
#   check-program.sh OBJDUMP Quorlan.exe EXPECTED_FORMAT
# Prints its format, size and imported DLLs; fails if the format is not the
# expected one (pei-i386 for the shipped build) or if it imports anything but
# DLLs that come with Windows (no compiler runtime DLLs beside it) or
# Windows Sockets (loaded only while a release check runs), or if it holds a
# resource twice.
set -euo pipefail

objdump=${1:?usage: check-program.sh OBJDUMP EXE FORMAT}
exe=${2:?usage: check-program.sh OBJDUMP EXE FORMAT}
format=${3:?usage: check-program.sh OBJDUMP EXE FORMAT}
[ -f "$exe" ] || { echo "FAIL: no such file: $exe"; exit 1; }

headers=$("$objdump" -p "$exe")
actual=$(sed -n 's/.*file format //p' <<<"$headers" | head -n 1)
echo "format: $actual, size: $(stat -c %s "$exe") bytes"
failed=0
[ "$actual" = "$format" ] || { echo "FAIL: format is not $format"; failed=1; }

imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr -d '\r' | sort -f)
echo "imports: $(echo $imports)"
while read -r name; do
  [ -z "$name" ] && continue
  case "${name,,}" in
    kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | ole32.dll | shell32.dll | advapi32.dll | \
      comctl32.dll | comdlg32.dll) ;;
    *) echo "FAIL: imports $name"; failed=1 ;;
  esac
done <<<"$imports"
# Each resource once: of two with the same type and number, the loader finds either.
duplicates=$(awk '/^[0-9a-f]+   Entry: ID:/ { type = $4 }
                  /^[0-9a-f]+     Entry: ID:/ { id = $4 }
                  /^[0-9a-f]+       Entry: ID:/ { print "type", type, "id", id, "language", $4 }' <<<"$headers" |
  tr -d , | sort | uniq -d)
[ -z "$duplicates" ] || { echo "FAIL: resources twice: $(echo $duplicates)"; failed=1; }

[ "$failed" -eq 0 ] && echo ok
exit "$failed"
