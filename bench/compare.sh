#!/bin/bash
# Backs up the benchmark corpus with arkivoda-cli and with Info-ZIP `zip -r -6`, side by side, and compares
# wall time, archive size and peak memory; every archive is checked by independent readers.
#
#   bench/compare.sh [CORPUS_DIR] [RUNS]      (defaults: bench/corpus, 3)
#
# Environment:
#   ARKIVODA_CLI        the program to measure (default: build/bin/arkivoda-cli in this repository)
#   ARKIVODA_FIXED_WAIT seconds arkivoda-cli waits by design before it starts working (default 2); they are
#                       taken off its wall time for the ratio, and both figures are printed
#   BENCH_TMPDIR        where the archives are written, one at a time (default: $TMPDIR or /tmp)
#
# The runs alternate (odd runs: arkivoda-cli first, even runs: zip first). The page cache is not dropped:
# the corpus is read once before measuring so that both programs read it from a warm cache.
# Exit status: 0 when every run of both programs succeeded and every check passed, 1 otherwise, 2 on bad use.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
corpus=${1:-$here/corpus}
runs=${2:-3}
cli=${ARKIVODA_CLI:-$repo/build/bin/arkivoda-cli}
fixed_wait=${ARKIVODA_FIXED_WAIT:-2}

die() { echo "error: $*" >&2; exit 2; }

[[ $runs =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a positive whole number, not '$runs'"
[ -d "$corpus" ] || die "no corpus at $corpus (build it with bench/make_corpus.sh)"
corpus=$(cd "$corpus" && pwd)
parent=$(dirname "$corpus")
name=$(basename "$corpus")
for tool in zip unzip python3 /usr/bin/time; do
    command -v "$tool" > /dev/null || die "$tool is missing (scripts/install-deps.sh installs it)"
done
have_7zz=1
command -v 7zz > /dev/null || have_7zz=0

cli_ok=1
if [ ! -x "$cli" ]; then
    cli_ok=0
    cli_missing="arkivoda-cli not found or not executable at $cli (build it with scripts/build.sh or set ARKIVODA_CLI)"
fi

work=$(mktemp -d "${BENCH_TMPDIR:-${TMPDIR:-/tmp}}/arkivoda-compare.XXXXXX") || die "cannot create a work folder"
trap 'rm -rf "$work"' EXIT

corpus_files=$(find "$corpus" -type f | wc -l)
corpus_bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s }')
free_bytes=$(df --output=avail -B1 "$work" | tail -1)
[ "$free_bytes" -gt "$corpus_bytes" ] || die "$work has $free_bytes bytes free; an archive may need up to $corpus_bytes"

seconds() { awk -v ns="$1" 'BEGIN { printf "%.2f", ns / 1e9 }'; }
centi() { awk -v c="$1" 'BEGIN { printf "%.2f", c / 100 }'; }
megabytes() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1e6 }'; }

median() {
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
        if (NR % 2) printf "%.0f", v[(NR + 1) / 2]; else printf "%.0f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Runs a command under /usr/bin/time; sets status, wall_ns (nanoseconds), cpu_cs (user + system, centiseconds), rss_kb.
timed() {
    local started finished
    started=$(date +%s%N)
    /usr/bin/time -v -o "$work/time.txt" "$@"
    status=$?
    finished=$(date +%s%N)
    wall_ns=$((finished - started))
    rss_kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
    rss_kb=${rss_kb:-0}
    cpu_cs=$(awk -F': ' '/User time|System time/ { s += $2 } END { printf "%.0f", s * 100 }' "$work/time.txt")
}

# Lists the archive's entries: total, folders, files and the compression methods of the files.
entry_summary() {
    python3 - "$1" <<'PYTHON'
import collections, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    infos = archive.infolist()
folders = sum(1 for i in infos if i.filename.endswith("/"))
methods = collections.Counter(i.compress_type for i in infos if not i.filename.endswith("/"))
names = {0: "stored", 8: "deflated"}
text = ", ".join(f"{names.get(m, f'method {m}')} {n}" for m, n in sorted(methods.items()))
print(f"{len(infos)} entries ({folders} folders, {len(infos) - folders} files: {text})")
PYTHON
}

# Checks an archive with unzip -t and, when asked for all readers, with 7zz t and Python's zipfile as well;
# prints one result line and returns non-zero when any reader complains.
check_archive() {
    local archive=$1 all=$2 result="" failed=0 output
    if output=$(unzip -tq "$archive" 2>&1) && [[ $output == "No errors detected"* ]]; then
        result="unzip -t OK"
    else
        result="unzip -t FAILED ($(echo "$output" | tail -1))"
        failed=1
    fi
    if [ "$all" = all ]; then
        if [ "$have_7zz" = 0 ]; then
            result+=", 7zz missing"
            failed=1
        elif output=$(7zz t "$archive" 2>&1) && grep -q '^Everything is Ok' <<< "$output"; then
            result+=", 7zz t OK"
        else
            result+=", 7zz t FAILED ($(echo "$output" | grep -E -i 'error|warning' | head -1))"
            failed=1
        fi
        if output=$(python3 -m zipfile -t "$archive" 2>&1) && ! grep -q corrupted <<< "$output"; then
            result+=", zipfile -t OK"
        else
            result+=", zipfile -t FAILED ($(grep -m1 -E 'corrupted|Error' <<< "$output" || echo "$output" | tail -1))"
            failed=1
        fi
    fi
    echo "        checks: $result"
    echo "        archive: $(entry_summary "$archive" 2>&1 | tail -1)"
    return $failed
}

ark_wall=() ark_measured=() ark_cpu=() ark_rss=() ark_size=()
zip_wall=() zip_cpu=() zip_rss=() zip_size=()
failures=0

run_arkivoda() {
    local run=$1 out=$work/out-arkivoda xdg=$work/xdg archive
    if [ "$cli_ok" = 0 ]; then
        echo "run $run/$runs  arkivoda-cli  FAILED: $cli_missing"
        failures=$((failures + 1))
        return
    fi
    rm -rf "$out" "$xdg"
    mkdir -p "$out" "$xdg/Arkivoda"
    printf '%s\r\n' "$corpus" > "$xdg/Arkivoda/Arkivoda_bcklst.txt"
    printf '[LokacijaAuto]\r\nPutanja=%s/\r\n[Last]\r\nDatoteka=Arhiva\r\n' "$out" > "$xdg/Arkivoda/Arkivoda.ini"
    timed env XDG_CONFIG_HOME="$xdg" "$cli" < /dev/null > "$work/arkivoda.out" 2> "$work/arkivoda.err"
    archive=$(ls -t "$out"/*.zip 2> /dev/null | head -1)
    if [ "$status" != 0 ] || [ -z "$archive" ]; then
        echo "run $run/$runs  arkivoda-cli  FAILED: exit status $status, archive: ${archive:-none written in $out}"
        tail -n 5 "$work/arkivoda.out" "$work/arkivoda.err" | sed 's/^/        /'
        failures=$((failures + 1))
        rm -rf "$out"
        return
    fi
    local size wait_ns
    size=$(stat -c %s "$archive")
    wait_ns=$(awk -v s="$fixed_wait" 'BEGIN { printf "%.0f", s * 1e9 }')
    echo "run $run/$runs  arkivoda-cli  wall $(seconds "$wall_ns") s" \
        "(without the fixed ${fixed_wait} s start wait: $(seconds $((wall_ns - wait_ns))) s)," \
        "CPU $(centi "$cpu_cs") s, peak RSS $(megabytes $((rss_kb * 1024))), archive $size bytes ($(megabytes "$size")) $(basename "$archive")"
    if [ "$wall_ns" -lt "$wait_ns" ]; then
        echo "        WARNING: the run took less than the fixed ${fixed_wait} s start wait (set ARKIVODA_FIXED_WAIT)"
    fi
    check_archive "$archive" all || failures=$((failures + 1))
    ark_wall+=("$((wall_ns - wait_ns))") ark_measured+=("$wall_ns") ark_cpu+=("$cpu_cs")
    ark_rss+=("$rss_kb") ark_size+=("$size")
    rm -rf "$out"
}

run_zip() {
    local run=$1 out=$work/out-zip archive
    rm -rf "$out"
    mkdir -p "$out"
    archive=$out/zip.zip
    pushd "$parent" > /dev/null || die "cannot enter $parent"
    timed zip -r -6 -q "$archive" "$name" < /dev/null > "$work/zip.out" 2>&1
    popd > /dev/null || die "cannot return from $parent"
    if [ "$status" != 0 ] || [ ! -f "$archive" ]; then
        echo "run $run/$runs  zip -r -6     FAILED: exit status $status"
        tail -n 5 "$work/zip.out" | sed 's/^/        /'
        failures=$((failures + 1))
        rm -rf "$out"
        return
    fi
    local size
    size=$(stat -c %s "$archive")
    echo "run $run/$runs  zip -r -6     wall $(seconds "$wall_ns") s, CPU $(centi "$cpu_cs") s," \
        "peak RSS $(megabytes $((rss_kb * 1024))), archive $size bytes ($(megabytes "$size"))"
    check_archive "$archive" unzip || failures=$((failures + 1))
    zip_wall+=("$wall_ns") zip_cpu+=("$cpu_cs") zip_rss+=("$rss_kb") zip_size+=("$size")
    rm -rf "$out"
}

echo "Arkivoda benchmark: arkivoda-cli against Info-ZIP zip -r -6, $(date '+%Y-%m-%d %H:%M:%S')"
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "$(awk '/MemTotal/ { printf "%.1f GB", $2 / 1e6 }' /proc/meminfo) memory"
echo "Corpus: $corpus, $corpus_files files, $corpus_bytes bytes ($(megabytes "$corpus_bytes"))"
echo "Programs: $cli$([ "$cli_ok" = 0 ] && echo ' (MISSING)'); $(zip -v | sed -n 's/^This is Zip \([^ ]*\).*/Info-ZIP zip \1/p')"
echo "Archives go to $work and are deleted after checking."
[ "$cli_ok" = 0 ] && echo "WARNING: $cli_missing; only zip is measured."

echo "Warm-up: reading the whole corpus once (tar | cat > /dev/null); the page cache is not dropped, so" \
    "every run below reads the corpus from a warm cache."
warm_started=$(date +%s%N)
tar -cf - -C "$parent" "$name" | cat > /dev/null
echo "Warm-up read took $(seconds $(($(date +%s%N) - warm_started))) s."
echo "Runs alternate: odd runs start with arkivoda-cli, even runs with zip. CPU is user + system time;" \
    "a single-threaded run with CPU well below its wall time was kept waiting by other work on the machine."
echo

for run in $(seq 1 "$runs"); do
    if [ $((run % 2)) = 1 ]; then
        run_arkivoda "$run"
        run_zip "$run"
    else
        run_zip "$run"
        run_arkivoda "$run"
    fi
done

echo
echo "Summary, median of the successful runs out of $runs (warm page cache):"
if [ ${#zip_wall[@]} -gt 0 ]; then
    zip_med=$(median "${zip_wall[@]}")
    zip_size_med=$(median "${zip_size[@]}")
    echo "  zip -r -6:     wall $(seconds "$zip_med") s, CPU $(centi "$(median "${zip_cpu[@]}")") s, archive $zip_size_med bytes ($(megabytes "$zip_size_med")), peak RSS $(megabytes $(($(median "${zip_rss[@]}") * 1024))) (${#zip_wall[@]} runs)"
else
    echo "  zip -r -6:     no successful run"
fi
if [ ${#ark_wall[@]} -gt 0 ]; then
    ark_med=$(median "${ark_wall[@]}")
    ark_size_med=$(median "${ark_size[@]}")
    echo "  arkivoda-cli:  wall $(seconds "$(median "${ark_measured[@]}")") s as measured," \
        "$(seconds "$ark_med") s without the fixed ${fixed_wait} s start wait; CPU $(centi "$(median "${ark_cpu[@]}")") s;" \
        "archive $ark_size_med bytes ($(megabytes "$ark_size_med")), peak RSS $(megabytes $(($(median "${ark_rss[@]}") * 1024))) (${#ark_wall[@]} runs)"
else
    echo "  arkivoda-cli:  no successful run${cli_missing:+ ($cli_missing)}"
fi
if [ ${#zip_wall[@]} -gt 0 ] && [ ${#ark_wall[@]} -gt 0 ]; then
    echo "  wall-time ratio arkivoda/zip (arkivoda without its fixed ${fixed_wait} s start wait):" \
        "$(awk -v a="$ark_med" -v z="$zip_med" 'BEGIN { printf "%.3f", a / z }')" \
        "(with the wait: $(awk -v a="$(median "${ark_measured[@]}")" -v z="$zip_med" 'BEGIN { printf "%.3f", a / z }'))"
    echo "  archive-size ratio arkivoda/zip: $(awk -v a="$ark_size_med" -v z="$zip_size_med" 'BEGIN { printf "%.4f", a / z }')"
else
    echo "  no ratios: one side has no successful run"
fi
if [ "$failures" -gt 0 ]; then
    echo "$failures run(s) or check(s) FAILED"
    exit 1
fi
echo "All runs and checks passed."
