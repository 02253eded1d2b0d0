#!/bin/sh
# Quick start: installs what is missing, builds, runs every test, and fuzzes the archive reader for 45 s
# under the sanitizers (scripts/fuzz.sh, in build-fuzz/). This is what CI runs.
#
#   scripts/test.sh            the full run
#   scripts/test.sh --quick    for working on the code: every test but the slow ones, no fuzzing
set -eu
cd "$(dirname "$0")/.."
quick=0
case "${1:-}" in
    "") ;;
    --quick) quick=1 ;;
    *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac
scripts/install-deps.sh
scripts/build.sh build
if [ "$quick" = 1 ]; then
    (cd build && ctest --output-on-failure -j "$(nproc)" -LE slow)
    exit 0
fi
(cd build && ctest --output-on-failure -j "$(nproc)")
scripts/fuzz.sh 45
