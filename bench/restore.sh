#!/bin/bash
# Restores a whole archive with arkivoda-cli and with Info-ZIP unzip -q, side by side, and compares wall
# time and the restored trees. Target: arkivoda-cli at most 1.2 times unzip's wall time.
#
#   bench/restore.sh ARCHIVE [WORK_DIR]
#
# ARCHIVE is typically the corpus backed up by bench/compare.sh (or: arkivoda-cli --manual corpus.zip
# with the corpus on the list). WORK_DIR (default: a folder beside the build) needs room for two copies.
set -euo pipefail
cd "$(dirname "$0")/.."
ARCHIVE=$(realpath "$1")
WORK=${2:-build/bench-restore}
CLI=build/bin/arkivoda-cli
[ -x "$CLI" ] || { echo "build/bin/arkivoda-cli is missing: run scripts/build.sh first" >&2; exit 2; }
rm -rf "$WORK" && mkdir -p "$WORK"

wall() { # prints the wall time in seconds of the command
    local start end
    sync
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

unzip_time=$(wall unzip -q "$ARCHIVE" -d "$WORK/unzip")
arkivoda_time=$(wall "$CLI" --restore "$ARCHIVE" --to "$WORK/arkivoda")
ratio=$(echo "scale=3; $arkivoda_time / $unzip_time" | bc)
printf 'unzip -q      %8.2f s\narkivoda-cli  %8.2f s\nratio         %8.3f (target <= 1.2)\n' \
    "$unzip_time" "$arkivoda_time" "$ratio"

# Files with their sizes and modification times, folders by name alone: a folder's size is how the file
# system laid out its entries, and the folders above the archived ones get the time they were made.
list_tree() {
    find . -type f -printf '%p %s %T@\n' -o -type d -printf '%p/\n' | sort
}

# Same names, sizes, contents and modification times.
if diff -r "$WORK/unzip" "$WORK/arkivoda" > /dev/null &&
    diff <(cd "$WORK/unzip" && list_tree) <(cd "$WORK/arkivoda" && list_tree) \
         > /dev/null; then
    echo "trees: identical"
else
    echo "trees: DIFFERENT" >&2
    exit 1
fi
[ "$(echo "$ratio <= 1.2" | bc)" = 1 ]
