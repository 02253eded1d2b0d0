#!/bin/sh
# Quick start: installs what is missing, builds, and starts Arkivoda.
# Without arguments it explains itself; with arguments they go to arkivoda-cli
# (for example "scripts/start.sh Posao" backs up the list of the configuration Posao).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
if [ "$#" -eq 0 ]; then
    exec build/bin/arkivoda-cli --help
fi
exec build/bin/arkivoda-cli "$@"
