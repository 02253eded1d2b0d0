#!/bin/sh
# Builds the Debian package build/arkivoda_<version>_amd64.deb: both programs, the language modules, the
# desktop entry, icons, AppStream metainfo, the man page, the info texts and the systemd user units.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
cd build
cpack -G DEB
