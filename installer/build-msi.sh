#!/usr/bin/env bash
# Builds Quorlan's Windows Installer package with wixl (Debian's msitools):
#   installer/build-msi.sh --bin DIR --out DIR [--arch x86|x64] [--version X.Y.Z]
#                          [--sign-pkcs12 FILE [--sign-password-file FILE] [--timestamp URL]]
# --bin holds the built Quorlan.exe, QL_lib.dll, QL_host64.exe, QL_lib64.dll
# and SetupActions.dll. The package's version comes from the program's own
# version text (kVersionText in core/Version.h, "00.55.00" giving
# 0.55.0); --version builds the same files under another version, for
# upgrade tests. With --sign-pkcs12 (a PKCS#12 file holding the code-signing
# certificate and its key, its password in the file --sign-password-file
# names), every program file is signed (SHA-256) before it goes into the
# package, and the package itself after, with osslsigncode; --timestamp names
# an RFC 3161 time-stamping server. The files in --bin stay unsigned.
# Prints the package's path.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")

arch=x86 bin="" out="" version="" sign_pkcs12="" sign_password_file="" timestamp=""
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --bin) bin=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --version) version=$2; shift 2 ;;
    --sign-pkcs12) sign_pkcs12=$2; shift 2 ;;
    --sign-password-file) sign_password_file=$2; shift 2 ;;
    --timestamp) timestamp=$2; shift 2 ;;
    *) echo "build-msi: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -n "$bin" ] && [ -n "$out" ] || { echo "usage: build-msi.sh --bin DIR --out DIR [--arch x86|x64] [--version X.Y.Z] [--sign-pkcs12 FILE [--sign-password-file FILE] [--timestamp URL]]" >&2; exit 2; }
if [ -n "$sign_pkcs12" ]; then
  [ -f "$sign_pkcs12" ] || { echo "build-msi: no certificate file $sign_pkcs12" >&2; exit 2; }
  command -v osslsigncode >/dev/null || { echo "build-msi: signing needs osslsigncode (scripts/bootstrap.sh installs it)" >&2; exit 2; }
fi

# Signs one file in place (osslsigncode writes a signed copy). The password
# is read from its file by osslsigncode, never put on a command line.
sign() {
  [ -n "$sign_pkcs12" ] || return 0
  local options=(-pkcs12 "$sign_pkcs12" -h sha256 -n Quorlan)
  [ -z "$sign_password_file" ] || options+=(-readpass "$sign_password_file")
  [ -z "$timestamp" ] || options+=(-ts "$timestamp")
  osslsigncode sign "${options[@]}" -in "$1" -out "$1.signed" >/dev/null || { echo "build-msi: signing $1 failed" >&2; return 1; }
  mv "$1.signed" "$1"
}

# The program's version text, two digits a field, as a package version.
program_version() {
  local text
  text=$(sed -n 's/.*kVersionText = "\([0-9][0-9]*\.[0-9][0-9]*\.[0-9][0-9]*\)".*/\1/p' "$repo/core/Version.h")
  [ -n "$text" ] || { echo "build-msi: no kVersionText in core/Version.h" >&2; return 1; }
  IFS=. read -r major minor build <<<"$text"
  echo "$((10#$major)).$((10#$minor)).$((10#$build))"
}
[ -n "$version" ] || version=$(program_version)
[[ $version =~ ^[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,5}$ ]] || { echo "build-msi: bad version $version" >&2; exit 2; }

upgrade_code=6B1C3E0A-52D4-4F7E-9A31-0C4D2E8B7F15
# Each version is a product of its own (a major upgrade replaces the older
# one); deriving its code from the version keeps builds reproducible.
product_code=$(python3 -c "import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), 'Quorlan ' + sys.argv[2])).upper())" \
  "$upgrade_code" "$version")

# wixl finds sources by relative path: stage them in one folder.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/Resource" "$out"
cp "$bin/Quorlan.exe" "$bin/QL_lib.dll" "$bin/QL_host64.exe" "$bin/QL_lib64.dll" "$bin/SetupActions.dll" "$stage/"
cp "$repo/Resource/"*.ico "$stage/Resource/"
for file in Quorlan.exe QL_lib.dll QL_host64.exe QL_lib64.dll SetupActions.dll; do sign "$stage/$file"; done

package="$out/Quorlan-$version.msi"
(cd "$stage" && wixl -a "$arch" -D Version="$version" -D ProductCode="$product_code" -D Arch="$arch" \
  -o package.msi "$here/Quorlan.wxs")
# wixl has no Secure attribute for properties: list the public settings
# properties as secure ourselves, so a managed installation (group policy,
# software distribution) hands them to the elevated part of the installation.
# Their names come from the custom actions' own table.
settings_properties=$(sed -n 's/^ *{"\([A-Z]*\)", .*, ValueRule::.*/\1/p' "$here/SettingsProperties.cpp" | paste -sd';')
run_property=$(sed -n 's/.*kRunAtStartUpProperty = "\([A-Z]*\)".*/\1/p' "$here/SettingsProperties.h")
lock_property=$(sed -n 's/.*kLockSettingsProperty = "\([A-Z]*\)".*/\1/p' "$here/SettingsProperties.h")
[ -n "$settings_properties" ] && [ -n "$run_property" ] && [ -n "$lock_property" ] ||
  { echo "build-msi: no settings properties found" >&2; exit 1; }
secure="WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;$settings_properties;$run_property;$lock_property"
msibuild "$stage/package.msi" -q "UPDATE \`Property\` SET \`Value\` = '$secure' WHERE \`Property\` = 'SecureCustomProperties'"
# Signed last: any change to the package after this would break its signature.
sign "$stage/package.msi"
mv "$stage/package.msi" "$package"
echo "$package"
