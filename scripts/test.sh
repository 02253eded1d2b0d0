#!/bin/sh
# Quick start: installs what is missing, builds, and runs every test.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
cd build
ctest --output-on-failure -j "$(nproc)"
