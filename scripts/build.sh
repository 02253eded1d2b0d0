#!/bin/sh
# Configures and builds Arkivoda into ./build (or the folder given as first argument).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j "$(nproc)"
