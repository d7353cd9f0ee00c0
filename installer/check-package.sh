#!/usr/bin/env bash
# Host-side checks of the built installer package:
#   installer/check-package.sh OBJDUMP PACKAGE_DIR SETUPACTIONS_DLL
# its version is the program's own, every custom action names an entry point
# that the actions DLL exports, and the settings properties are secure.
set -euo pipefail
objdump=$1 package_dir=$2 actions_dll=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "check-package: $*" >&2; exit 1; }

text=$(sed -n 's/.*kVersionText = "\([0-9.]*\)".*/\1/p' "$here/../core/Version.h")
IFS=. read -r major minor build <<<"$text"
version="$((10#$major)).$((10#$minor)).$((10#$build))"
package="$package_dir/Quorlan-$version.msi"
[ -f "$package" ] || fail "no $package for the program's version $text"

property() { msiinfo export "$package" Property | tr -d '\r' | awk -F'\t' -v name="$1" '$1 == name { print $2 }'; }
[ "$(property ProductVersion)" = "$version" ] || fail "ProductVersion $(property ProductVersion), expected $version"

exports=$("$objdump" -p "$actions_dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '{print $NF}')
while IFS=$'\t' read -r action type source target _; do
  [ "$source" = SetupActions ] || continue
  grep -qx "$target" <<<"$exports" || fail "custom action $action calls $target, which SetupActions.dll does not export"
done < <(msiinfo export "$package" CustomAction | tr -d '\r' | tail -n +4)

# The program's files side by side, the 64-bit companion with them.
files=$(msiinfo export "$package" File | tr -d '\r' | awk -F'\t' 'NR > 3 { n = split($3, name, "|"); print name[n] }')
for name in Quorlan.exe QL_lib.dll QL_host64.exe QL_lib64.dll; do
  grep -qx "$name" <<<"$files" || fail "the package does not install $name"
done

# No supervised program is ever asked to close: Restart Manager only finds
# the files in use, and the running copies end on the upgrade signal first.
[ "$(property MSIRESTARTMANAGERCONTROL)" = DisableShutdown ] ||
  fail "MSIRESTARTMANAGERCONTROL is '$(property MSIRESTARTMANAGERCONTROL)', expected DisableShutdown"

# The order of the actions that guard the files and the working folder.
sequence() {
  local number
  number=$(msiinfo export "$package" InstallExecuteSequence | tr -d '\r' | awk -F'\t' -v name="$1" '$1 == name { print $3 }')
  [ -n "$number" ] || fail "the package has no action $1"
  echo "$number"
}
before() {
  [ "$(sequence "$1")" -lt "$(sequence "$2")" ] || fail "$1 ($(sequence "$1")) does not come before $2 ($(sequence "$2"))"
}
before EndRunningCopies InstallValidate
before EndRunningCopies RemoveExistingProducts
before PrepareFolders CreateFolders
before PrepareFolders InstallFiles
before InstallInitialize PrepareFolders

secure=";$(property SecureCustomProperties);"
for name in PROGRAM MAXINACT MAXSESSION WARNING RELEASESERVER RUNATSTARTUP LOCKSETTINGS; do
  [[ $secure == *";$name;"* ]] || fail "$name is not a secure property"
done
echo "check-package: $package is version $version, its custom actions, their order and its properties are in order"
