#!/bin/sh
# Installs, from Debian's packages, whatever the build, the demo and the tests need and is
# missing. Quick when everything is present. Run as root (or through sudo).
set -eu

PACKAGES="
build-essential
cmake
ninja-build
pkg-config
clang
libclang-rt-14-dev
libgtest-dev
libgmock-dev
qt6-base-dev
libgl-dev
libxkbcommon-dev
libsqlite3-dev
libcups2-dev
cups
printer-driver-cups-pdf
zlib1g-dev
fonts-liberation
fonts-dejavu-core
fontconfig
xvfb
xauth
poppler-utils
libarchive-dev
desktop-file-utils
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
