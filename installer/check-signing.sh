#!/usr/bin/env bash
# The package build signs with the certificate it is given:
#   installer/check-signing.sh BIN_DIR ARCH UNSIGNED_PACKAGE_DIR
# makes a throwaway code-signing certificate, builds the package from BIN_DIR
# signed with it, and has osslsigncode verify the package and each program
# file in it, one by one (the custom actions' DLL comes from the package's
# Binary table). The package built without a certificate stays unsigned.
set -euo pipefail
bin=$1 arch=$2 unsigned_dir=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "check-signing: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes -subj "/CN=Quorlan throwaway signer" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
printf 'throwaway\n' >"$work/password"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/signer.p12" -passout "file:$work/password"

package=$(bash "$here/build-msi.sh" --bin "$bin" --out "$work/out" --arch "$arch" \
  --sign-pkcs12 "$work/signer.p12" --sign-password-file "$work/password")

verify() {
  osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; fail "$2 is not signed by the given certificate"; }
}
verify "$package" "the package"
msiextract -C "$work/files" "$package" >/dev/null
for name in Quorlan.exe QL_lib.dll QL_host64.exe QL_lib64.dll; do
  file=$(find "$work/files" -type f -name "$name" | head -n 1)
  [ -n "$file" ] || fail "the package holds no $name"
  verify "$file" "$name in the package"
done
msiinfo extract "$package" Binary.SetupActions >"$work/SetupActions.dll"
verify "$work/SetupActions.dll" "SetupActions.dll in the package"

# Unsigned stays the default.
for unsigned in "$unsigned_dir"/Quorlan-*.msi; do
  ! osslsigncode verify -in "$unsigned" >/dev/null 2>&1 || fail "$unsigned, built without a certificate, is signed"
done
echo "check-signing: the package and its five program files verify against the throwaway certificate"
