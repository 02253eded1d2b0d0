#!/bin/sh
# Quick start: installs what is missing, builds, and starts the Arkivoda desktop program.
# Arguments go to the program (for example "scripts/start.sh Posao" opens the configuration Posao).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec build/bin/arkivoda "$@"
