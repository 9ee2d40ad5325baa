#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need.
# Safe to run again: when every package is already present it does nothing.
set -euo pipefail

PACKAGES=(
    cmake ninja-build git python3 tcl                 # build tools; tcl generates the SQLite amalgamation
    g++ gcc                                            # native build of the content tool and the amalgamation
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64  # the Windows cross compiler
    libz-mingw-w64-dev zlib1g-dev googletest dpkg-dev  # zlib1g-dev: the native content tool
    patch                                              # Debian's fixes to the fetched sources
    wine wine64 xvfb x11-apps x11-utils imagemagick xauth fonts-dejavu-core locales  # the Wine bench, screenshots, test locales
    chromium                                           # renders the offer page's HTML in the offer test
    osslsigncode openssl                               # Authenticode signing, the build's test certificate
    libssl-dev                                         # the native content tool signs the resource archive
)

missing=()
for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
