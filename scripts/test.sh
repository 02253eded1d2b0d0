#!/bin/sh
# Quick start: installs what is missing, builds, runs every test, and fuzzes the archive reader for a
# minute under the sanitizers (scripts/fuzz.sh, in build-fuzz/).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
(cd build && ctest --output-on-failure -j "$(nproc)")
scripts/fuzz.sh 45
