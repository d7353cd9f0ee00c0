#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build, the tests and the
# demonstration need. Idempotent; silent when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ doctest-dev python3
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64 wine32:i386
  xvfb procps imagemagick
  wixl msitools osslsigncode openssl
  xdotool librsvg2-bin
)
# "--pictures": also what only the picture scripts need (a browser for the
# usage report's screenshot).
[ "${1:-}" = --pictures ] && packages+=(chromium)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "bootstrap: installing ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
