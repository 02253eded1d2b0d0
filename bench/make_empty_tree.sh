#!/bin/bash
# Builds the empty-file tree for the benchmark: 300,000 empty files in 600 folders (30 folders of 20
# subfolders, 500 files in each), names with Croatian letters and spaces. What it measures is the cost of
# an entry alone: opening, header, name and directory record, with no data at all.
#
#   bench/make_empty_tree.sh [TARGET_DIR]      # default bench/empty-tree (ignored by git)
#
# Modification times are derived from each path, so the tree is the same on every machine. Runs again only
# when the version marker (.arkivoda-prazno-stablo) is missing or from another version of this script, and
# refuses to touch a non-empty folder it did not make.
set -euo pipefail

readonly VERSION=1
readonly MARKER=.arkivoda-prazno-stablo
readonly BUILDING=.arkivoda-prazno-stablo.gradnja

here=$(cd "$(dirname "$0")" && pwd)
target=${1:-$here/empty-tree}

# shellcheck source=bench/corpus-folder.sh
. "$here/corpus-folder.sh"
if ! prepare_corpus_folder "$target" "$MARKER" "$BUILDING" "arkivoda-prazno-stablo $VERSION" "empty-file tree"; then
    echo "Empty-file tree version $VERSION already present; nothing to do."
    exit 0
fi
target=$(cd "$target" && pwd)
echo "Building the empty-file tree version $VERSION in $target"

python3 - "$target" <<'PYTHON'
import os
import sys
import zlib

root = sys.argv[1]
for outer in range(30):
    for inner in range(20):
        folder = os.path.join(root, f"Odjel {outer:02d} čžš", f"Mapa {inner:02d} đć")
        os.makedirs(folder)
        for number in range(500):
            path = os.path.join(folder, f"prazna datoteka {number:03d}.txt")
            open(path, "wb").close()
            # A time from the path: 2020-01-01 plus up to about four years.
            stamp = 1577836800 + zlib.crc32(path[len(root):].encode()) % 126230400
            os.utime(path, (stamp, stamp))
PYTHON

echo "arkivoda-prazno-stablo $VERSION" > "$target/$MARKER"
rm -f "$target/$BUILDING"
echo "Empty-file tree: $(find "$target" -type f | wc -l) files (the marker included), $(find "$target" -mindepth 1 -type d | wc -l) folders"
