#!/bin/sh
# Quick start: installs what is missing, builds, and starts Arkivoda.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec build/bin/arkivoda-cli "$@"
