#!/bin/sh
# Installs, with apt, everything Arkivoda needs to build, run, test, fuzz and benchmark on Debian 12.
# Does nothing when every package is already present.
set -eu

PACKAGES="cmake g++ make pkg-config
qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools qt6-translations-l10n libgl-dev
zlib1g-dev libbz2-dev liblzma-dev libicu-dev libdeflate-dev libgtest-dev libgmock-dev libbenchmark-dev
zip unzip 7zip libarchive-tools python3 xvfb xauth dbus-x11 dbus-daemon hyperfine time
trayer xdotool imagemagick x11-utils
clang libclang-rt-14-dev
dpkg-dev file desktop-file-utils appstream man-db
rclone openssh-server"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi

echo "Installing:$missing"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
