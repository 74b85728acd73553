#!/bin/sh
# Installs the Debian packages that the build, the tests and the program need.
# Only what is missing is installed; with nothing missing this does nothing.
set -eu

PACKAGES="cmake ninja-build g++ make pkg-config clang-format ccache ser2net \
qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev \
fonts-ipafont-gothic fonts-ipafont-mincho mawk \
clang libclang-rt-dev \
dpkg-dev file desktop-file-utils groff-base shared-mime-info"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
