# shellcheck shell=bash
# Shared by the corpus builders (sourced, not run): decides whether a corpus folder is already built,
# clears one this script family made earlier, and refuses a folder that belongs to somebody else.
#
#   prepare_corpus_folder TARGET MARKER BUILDING MARKER_TEXT NAME
#
# Returns 1 when the corpus of MARKER_TEXT is complete in TARGET (nothing to build). Otherwise leaves
# TARGET empty with the BUILDING file in it and returns 0; exits 2 on a folder it may not touch.
prepare_corpus_folder() {
    local target=$1 marker=$2 building=$3 text=$4 name=$5
    if [ -f "$target/$marker" ] && [ "$(cat "$target/$marker")" = "$text" ] && [ ! -e "$target/$building" ]; then
        return 1
    fi
    if [ -d "$target" ] && [ -n "$(ls -A "$target")" ]; then
        # Only a folder this script made (finished or interrupted) may be thrown away.
        if [ -e "$target/$marker" ] || [ -e "$target/$building" ]; then
            echo "Removing the old or unfinished $name in $target"
            rm -rf -- "$target"
        else
            echo "error: $target exists, is not empty and is not a $name made by this script" >&2
            exit 2
        fi
    fi
    mkdir -p "$target"
    : > "$target/$building"
}
