#!/bin/sh
# Fuzzes the read side of the ZIP unit and the restore with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer.
#
#   scripts/fuzz.sh          # the smoke run of 45 seconds that scripts/test.sh makes
#   scripts/fuzz.sh 3600     # one hour; the corpus grows in build-fuzz/corpus and is kept between runs
#
# Builds the unit and the targets with Clang into build-fuzz/ (the restore target with QtCore), makes
# the seed corpus there from Info-ZIP zip, Python's zipfile and the unit's own writer plus hand-made
# edge cases, and fuzzes. A crash, a sanitizer report, an exception of a foreign type or an allocation above 64 MB
# ends the run with a non-zero status; the input is saved as build-fuzz/crash-* (or leak-*, oom-*,
# timeout-*; the restore target's as build-fuzz/restore-crash-* and so on); build-fuzz/fuzz_zip_reader
# <file> or build-fuzz/fuzz_restore <file> replays it.
set -eu
cd "$(dirname "$0")/.."
DURATION="${1:-45}"
BUILD=build-fuzz

cmake -S tests/fuzz -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD" -j 2 >/dev/null

SEEDS="$BUILD/seeds"
rm -rf "$SEEDS" "$BUILD/seed-tree"
mkdir -p "$SEEDS" "$BUILD/corpus"
"$BUILD/make_zip_seeds" "$SEEDS"

# A small tree for the other archivers: text, incompressible bytes, an empty file and folder, a
# non-ASCII name and a link.
TREE="$BUILD/seed-tree"
mkdir -p "$TREE/folder/empty" "$TREE/mačka"
printf 'hello hello hello\n' >"$TREE/hello.txt"
python3 -c 'import random, sys; sys.stdout.buffer.write(random.Random(1).randbytes(2000))' >"$TREE/folder/random.bin"
: >"$TREE/folder/empty.txt"
printf 'čćžšđ\n' >"$TREE/mačka/žaba.txt"
ln -s ../hello.txt "$TREE/folder/link"
SEEDS_ABS="$(cd "$SEEDS" && pwd)"
(
    cd "$TREE"
    LC_ALL=C.UTF-8 zip -q -r -X "$SEEDS_ABS/infozip_deflate.zip" .
    LC_ALL=C.UTF-8 zip -q -r -0 -y "$SEEDS_ABS/infozip_stored_links.zip" .
    LC_ALL=C.UTF-8 zip -q -r -fz -z "$SEEDS_ABS/infozip_zip64.zip" . <<COMMENT
an archive comment
COMMENT
    # From a pipe: sizes follow the data in a data descriptor.
    zip -q - - <hello.txt >"$SEEDS_ABS/infozip_stream.zip"
)
python3 - "$SEEDS_ABS" "$TREE" <<'PYTHON'
import io, os, sys, zipfile
seeds, tree = sys.argv[1], sys.argv[2]
files = [os.path.join(r, n) for r, _, ns in os.walk(tree) for n in ns if not os.path.islink(os.path.join(r, n))]
for name, method in (("python_deflate.zip", zipfile.ZIP_DEFLATED), ("python_stored.zip", zipfile.ZIP_STORED),
                     ("python_bzip2.zip", zipfile.ZIP_BZIP2), ("python_lzma.zip", zipfile.ZIP_LZMA)):
    with zipfile.ZipFile(os.path.join(seeds, name), "w", method) as z:
        for path in files:
            z.write(path, os.path.relpath(path, tree))
        z.comment = b"python " + name.encode()
with zipfile.ZipFile(os.path.join(seeds, "python_zip64.zip"), "w", zipfile.ZIP_DEFLATED) as z:
    with z.open("forced.bin", "w", force_zip64=True) as f:
        f.write(b"x" * 1000)
# Written to a stream that cannot seek: data descriptors.
class Unseekable(io.RawIOBase):
    def __init__(self): self.data = bytearray()
    def writable(self): return True
    def write(self, b): self.data += b; return len(b)
out = Unseekable()
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("streamed.txt", "streamed " * 50)
open(os.path.join(seeds, "python_descriptor.zip"), "wb").write(out.data)
PYTHON

# Extraction writes into TMPDIR; memory is faster than disk when there is some.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
# Two thirds of the time for the reader in memory, the rest for the restore through files, which
# gets through fewer inputs a second.
READER_TIME=$((DURATION * 2 / 3))
RESTORE_TIME=$((DURATION - READER_TIME))
mkdir -p "$BUILD/corpus-restore"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$BUILD/fuzz_zip_reader" -max_total_time="$READER_TIME" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
    -malloc_limit_mb=64 -print_final_stats=1 -artifact_prefix="$BUILD/" "$BUILD/corpus" "$SEEDS"
"$BUILD/fuzz_restore" -max_total_time="$RESTORE_TIME" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
    -malloc_limit_mb=64 -print_final_stats=1 -artifact_prefix="$BUILD/restore-" "$BUILD/corpus-restore" "$SEEDS"
