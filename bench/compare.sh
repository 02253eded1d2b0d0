#!/bin/bash
# Backs up two data sets with arkivoda-cli and with Info-ZIP `zip -r -6`, side by side, and compares wall time,
# archive size and peak memory against fixed targets; every archive is checked by independent readers. Then
# runs the hand-over round-trip benchmark once and reports its figures with the results.
#
#   bench/compare.sh [--only small|corpus|empty] [--runs N] [--small-corpus DIR] [--empty-tree DIR] [--strict]
#                    [CORPUS_DIR] [RUNS]
#
# Data sets (default: both, the small-file folder first):
#   small   the small-file folder, 55,000 documents of 1-8 KiB (bench/make_small_corpus.sh; default
#           bench/small-corpus, or --small-corpus DIR)
#   corpus  the whole 1.77 GB benchmark corpus (bench/make_corpus.sh; default bench/corpus, or CORPUS_DIR)
# RUNS (or --runs N) is the number of runs of each program per set (default 3); --only small takes --runs,
# since its first argument would be CORPUS_DIR.
#
#   empty   300,000 empty files in one folder tree (bench/make_empty_tree.sh; default bench/empty-tree, or
#           --empty-tree DIR); measured only when asked for with --only empty
#
# Targets (arkivoda-cli against zip, medians; wall time without the fixed start wait):
#   wall time: small-file folder <= 0.35x zip's, whole corpus <= 0.25x, empty files <= 0.5x;
#   processor time (user + system) of the whole corpus <= 0.5x zip's;
#   archive no larger than zip's, for the whole corpus and for each of its top-level folders (each entry's
#   bytes, headers included, counted to its folder: bench/zip_footprint.py);
#   peak memory (largest of the runs) < 512 MB, and < 256 MB for the whole corpus;
#   verification of the archive (arkivoda-cli --verify, timed after each run) <= 15% of the run's wall time.
# They are printed as PASS or FAIL and do not change the exit status unless --strict is given.
#
# Environment:
#   ARKIVODA_CLI             the program to measure (default: build/bin/arkivoda-cli in this repository)
#   ARKIVODA_BENCH_HANDOVER  the hand-over benchmark (default: build/bin/bench_handover); when it is missing
#                            the report says so and goes on
#   ARKIVODA_FIXED_WAIT      seconds arkivoda-cli waits before it starts working, as the program always does (default 2); they
#                            are taken off its wall time for the ratio, and both figures are printed
#   BENCH_TMPDIR             where the archives are written, one at a time (default: $TMPDIR or /tmp)
#
# The runs alternate (odd runs: arkivoda-cli first, even runs: zip first). The page cache is not dropped:
# each set is read once before it is measured so that both programs read it from a warm cache.
# Exit status: 0 when every run of both programs succeeded and every check passed, 1 otherwise (with --strict
# also when a target is missed or the hand-over benchmark fails), 2 on bad use.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
cli=${ARKIVODA_CLI:-$repo/build/bin/arkivoda-cli}
handover=${ARKIVODA_BENCH_HANDOVER:-$repo/build/bin/bench_handover}
fixed_wait=${ARKIVODA_FIXED_WAIT:-2}

die() { echo "error: $*" >&2; exit 2; }

usage() {
    sed -n '2,/^set -uo/{/^set -uo/d;s/^# \{0,1\}//;p}' "$0"
}

only=both runs='' strict=0 small=$here/small-corpus empty=$here/empty-tree
positional=()
while [ $# -gt 0 ]; do
    case $1 in
        --only) [ $# -ge 2 ] || die "--only needs small, corpus or both"; only=$2; shift 2 ;;
        --only=*) only=${1#--only=}; shift ;;
        --runs) [ $# -ge 2 ] || die "--runs needs a number"; runs=$2; shift 2 ;;
        --runs=*) runs=${1#--runs=}; shift ;;
        --small-corpus) [ $# -ge 2 ] || die "--small-corpus needs a folder"; small=$2; shift 2 ;;
        --small-corpus=*) small=${1#--small-corpus=}; shift ;;
        --empty-tree) [ $# -ge 2 ] || die "--empty-tree needs a folder"; empty=$2; shift 2 ;;
        --empty-tree=*) empty=${1#--empty-tree=}; shift ;;
        --strict) strict=1; shift ;;
        -h | --help) usage; exit 0 ;;
        --) shift; positional+=("$@"); break ;;
        -*) die "unknown option '$1' (see --help)" ;;
        *) positional+=("$1"); shift ;;
    esac
done
[ ${#positional[@]} -le 2 ] || die "too many arguments (see --help)"
corpus=${positional[0]:-$here/corpus}
if [ ${#positional[@]} -ge 2 ]; then
    [ -z "$runs" ] || [ "$runs" = "${positional[1]}" ] || die "RUNS given twice: --runs $runs and ${positional[1]}"
    runs=${positional[1]}
fi
runs=${runs:-3}
if [ "$only" != corpus ] && [ "$only" != both ] && [ -n "${positional[0]:-}" ]; then
    die "--only $only does not use CORPUS_DIR '${positional[0]}' (the number of runs is --runs N)"
fi
case $only in
    both) sets=(small corpus) ;;
    small | corpus | empty) sets=("$only") ;;
    *) die "--only takes small, corpus, empty or both, not '$only'" ;;
esac
[[ $runs =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a positive whole number, not '$runs'"
[[ $fixed_wait =~ ^[0-9]+([.][0-9]+)?$ ]] || die "ARKIVODA_FIXED_WAIT must be a number of seconds, not '$fixed_wait'"

for tool in zip unzip python3 /usr/bin/time; do
    command -v "$tool" > /dev/null || die "$tool is missing (scripts/install-deps.sh installs it)"
done
have_7zz=1
command -v 7zz > /dev/null || have_7zz=0

# Per set: where it is, how it is named in the report, the wall-time target and how to build it.
declare -A set_dir set_title set_target set_maker set_files set_bytes set_memory
set_dir[small]=$small set_title[small]="Small-file folder" set_target[small]=0.35
set_maker[small]=bench/make_small_corpus.sh set_memory[small]=512000000
set_dir[corpus]=$corpus set_title[corpus]="Whole corpus" set_target[corpus]=0.25
set_maker[corpus]=bench/make_corpus.sh set_memory[corpus]=256000000
set_dir[empty]=$empty set_title[empty]="Empty files" set_target[empty]=0.5
set_maker[empty]=bench/make_empty_tree.sh set_memory[empty]=512000000
readonly cpu_target=0.5 # the whole corpus's processor time against zip's
readonly verify_target=15 # the verification after writing, in percent of the run's wall time

cli_ok=1
if [ ! -x "$cli" ]; then
    cli_ok=0
    cli_missing="arkivoda-cli not found or not executable at $cli (build it with scripts/build.sh or set ARKIVODA_CLI)"
fi

for set in "${sets[@]}"; do
    [ -d "${set_dir[$set]}" ] || die "no ${set_title[$set],,} at ${set_dir[$set]} (build it with ${set_maker[$set]})"
    set_dir[$set]=$(cd "${set_dir[$set]}" && pwd)
done

work=$(mktemp -d "${BENCH_TMPDIR:-${TMPDIR:-/tmp}}/arkivoda-compare.XXXXXX") || die "cannot create a work folder"
trap 'rm -rf "$work"' EXIT

free_bytes=$(df --output=avail -B1 "$work" | tail -1)
for set in "${sets[@]}"; do
    set_files[$set]=$(find "${set_dir[$set]}" -type f | wc -l)
    set_bytes[$set]=$(find "${set_dir[$set]}" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s }')
    [ "$free_bytes" -gt "${set_bytes[$set]}" ] \
        || die "$work has $free_bytes bytes free; an archive of ${set_dir[$set]} may need up to ${set_bytes[$set]}"
done

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

# The first archive of each program in the whole corpus is split between its top-level folders.
keep_footprint() {
    local archive=$1 program=$2
    [ "$set" = corpus ] && [ ! -s "$work/footprint-$program.txt" ] || return 0
    python3 "$here/zip_footprint.py" "$archive" "$data" > "$work/footprint-$program.txt" 2> "$work/footprint.err" \
        || { echo "        footprint FAILED: $(tail -1 "$work/footprint.err")"; failures=$((failures + 1)); }
}

# Prints the bytes of every top-level folder in both archives, all of them and the compressed data alone,
# and checks both against zip's.
compare_footprints() {
    local result
    echo "  bytes per top-level folder, arkivoda-cli against zip: all (headers, names and extra fields included)" \
        "and the compressed data alone"
    result=$(python3 - "$work/footprint-arkivoda.txt" "$work/footprint-zip.txt" <<'PYTHON'
import sys
def load(path):
    rows = {}
    for line in open(path, encoding="utf-8"):
        total, data, name = line.rstrip("\n").split(" ", 2)
        rows[name] = (int(total), int(data))
    return rows
ark, zip_ = load(sys.argv[1]), load(sys.argv[2])
larger_all, larger_data = [], []
print(f"    {'folder':<30} {'arkivoda':>13} {'zip':>13} {'ratio':>7}   {'data':>13} {'zip data':>13} {'ratio':>7}")
for name in sorted(set(ark) | set(zip_)):
    a, z = ark.get(name, (0, 0)), zip_.get(name, (0, 0))
    ratio = lambda x, y: f"{x / y:.4f}" if y else "-"
    print(f"    {name:<30} {a[0]:>13} {z[0]:>13} {ratio(a[0], z[0]):>7}   {a[1]:>13} {z[1]:>13} {ratio(a[1], z[1]):>7}")
    if not name.startswith("("):
        if a[0] > z[0]:
            larger_all.append(name)
        if a[1] > z[1]:
            larger_data.append(name)
print("LARGER_ALL:" + " ".join(larger_all))
print("LARGER_DATA:" + " ".join(larger_data))
PYTHON
)
    grep -v '^LARGER_' <<< "$result"
    local larger_all larger_data
    larger_all=$(sed -n 's/^LARGER_ALL://p' <<< "$result")
    larger_data=$(sed -n 's/^LARGER_DATA://p' <<< "$result")
    target "every top-level folder's compressed data no larger than zip's" "${larger_data:-none larger}" \
        "$([ -z "$larger_data" ] && echo 1 || echo 0)"
    target "every top-level folder's archive bytes no larger than zip's" "${larger_all:-none larger}" \
        "$([ -z "$larger_all" ] && echo 1 || echo 0)"
}

ratio() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { printf f, a / b }'; }

largest() { printf '%s\n' "$@" | sort -n | tail -1; }

ark_wall=() ark_measured=() ark_cpu=() ark_rss=() ark_size=() ark_verify=()
zip_wall=() zip_cpu=() zip_rss=() zip_size=()
failures=0 targets_missed=0

run_arkivoda() {
    local run=$1 out=$work/out-arkivoda xdg=$work/xdg archive
    if [ "$cli_ok" = 0 ]; then
        echo "run $run/$runs  arkivoda-cli  FAILED: $cli_missing"
        failures=$((failures + 1))
        return
    fi
    rm -rf "$out" "$xdg"
    mkdir -p "$out" "$xdg/Arkivoda"
    printf '%s\r\n' "$data" > "$xdg/Arkivoda/Arkivoda_bcklst.txt"
    printf '[LokacijaAuto]\r\nPutanja=%s/\r\n[Last]\r\nDatoteka=Arhiva\r\n' "$out" > "$xdg/Arkivoda/Arkivoda.ini"
    timed env XDG_CONFIG_HOME="$xdg" "$cli" < /dev/null > "$work/arkivoda.out" 2> "$work/arkivoda.err"
    archive=$(find "$out" -maxdepth 1 -name '*.zip' -printf '%T@ %p\n' | sort -rn | head -1 | cut -d' ' -f2-)
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
    keep_footprint "$archive" arkivoda
    ark_wall+=("$((wall_ns - wait_ns))") ark_measured+=("$wall_ns") ark_cpu+=("$cpu_cs")
    ark_rss+=("$rss_kb") ark_size+=("$size")
    # The run read its archive back already (setting Provjera, on by default); the same check is timed on
    # its own over the same archive, with the archive's pages dropped from the cache first as in the run.
    local run_ns=$((wall_ns - wait_ns))
    timed "$cli" --verify "$archive" < /dev/null > "$work/verify.out" 2>&1
    if [ "$status" = 0 ]; then
        ark_verify+=("$wall_ns")
        echo "        verification (arkivoda-cli --verify): $(seconds "$wall_ns") s," \
            "$(ratio "$((wall_ns * 100))" "$run_ns" %.1f)% of the run's wall time without the start wait"
    else
        echo "        verification FAILED: exit status $status"
        sed 's/^/        /' "$work/verify.out" | tail -n 3
        failures=$((failures + 1))
    fi
    rm -rf "$out"
}

run_zip() {
    local run=$1 out=$work/out-zip archive
    rm -rf "$out"
    mkdir -p "$out"
    archive=$out/zip.zip
    # Given the absolute path, zip names every entry by its full path without the leading "/", exactly as
    # arkivoda-cli does, so both archives hold the same names.
    timed zip -r -6 -q "$archive" "$data" < /dev/null > "$work/zip.out" 2>&1
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
    keep_footprint "$archive" zip
    zip_wall+=("$wall_ns") zip_cpu+=("$cpu_cs") zip_rss+=("$rss_kb") zip_size+=("$size")
    rm -rf "$out"
}

# Prints one target line and counts a missed target.
target() {
    local what=$1 figure=$2 met=$3
    if [ "$met" = 1 ]; then
        echo "    PASS  $what: $figure"
    else
        echo "    FAIL  $what: $figure"
        targets_missed=$((targets_missed + 1))
    fi
}

# Writes the medians, ratios and targets of the set just measured to $work/summary-<set>.txt.
summarise_set() {
    local set=$1 limit=${set_target[$1]} zip_med zip_size_med ark_med ark_size_med rss_max
    {
        echo "${set_title[$set]}: ${set_dir[$set]}, ${set_files[$set]} files, ${set_bytes[$set]} bytes" \
            "($(megabytes "${set_bytes[$set]}"))"
        if [ ${#zip_wall[@]} -gt 0 ]; then
            zip_med=$(median "${zip_wall[@]}")
            zip_size_med=$(median "${zip_size[@]}")
            echo "  zip -r -6:     wall $(seconds "$zip_med") s, CPU $(centi "$(median "${zip_cpu[@]}")") s," \
                "archive $zip_size_med bytes ($(megabytes "$zip_size_med")), peak RSS $(megabytes $(($(median "${zip_rss[@]}") * 1024)))" \
                "(${#zip_wall[@]} of $runs runs)"
        else
            echo "  zip -r -6:     no successful run"
        fi
        if [ ${#ark_wall[@]} -gt 0 ]; then
            ark_med=$(median "${ark_wall[@]}")
            ark_size_med=$(median "${ark_size[@]}")
            rss_max=$(($(largest "${ark_rss[@]}") * 1024))
            echo "  arkivoda-cli:  wall $(seconds "$(median "${ark_measured[@]}")") s as measured," \
                "$(seconds "$ark_med") s without the fixed ${fixed_wait} s start wait; CPU $(centi "$(median "${ark_cpu[@]}")") s;" \
                "archive $ark_size_med bytes ($(megabytes "$ark_size_med")), peak RSS $(megabytes $(($(median "${ark_rss[@]}") * 1024)))," \
                "largest $(megabytes "$rss_max") (${#ark_wall[@]} of $runs runs)"
        else
            echo "  arkivoda-cli:  no successful run${cli_missing:+ ($cli_missing)}"
        fi
        if [ ${#zip_wall[@]} -gt 0 ] && [ ${#ark_wall[@]} -gt 0 ]; then
            local wall_ratio size_ratio
            wall_ratio=$(ratio "$ark_med" "$zip_med" %.3f)
            size_ratio=$(ratio "$ark_size_med" "$zip_size_med" %.4f)
            echo "  wall-time ratio arkivoda/zip (arkivoda without its fixed ${fixed_wait} s start wait): $wall_ratio" \
                "(with the wait: $(ratio "$(median "${ark_measured[@]}")" "$zip_med" %.3f))"
            echo "  archive-size ratio arkivoda/zip: $size_ratio"
            echo "  peak memory of arkivoda-cli: $(megabytes "$rss_max") (largest of its runs)"
            echo "  targets:"
            target "wall time <= ${limit}x zip's" "$wall_ratio" \
                "$(awk -v a="$ark_med" -v z="$zip_med" -v l="$limit" 'BEGIN { print (a <= l * z) }')"
            if [ "$set" = corpus ]; then
                local cpu_ratio
                cpu_ratio=$(ratio "$(median "${ark_cpu[@]}")" "$(median "${zip_cpu[@]}")" %.3f)
                echo "  processor-time ratio arkivoda/zip (user + system): $cpu_ratio"
                target "processor time <= ${cpu_target}x zip's" "$cpu_ratio" \
                    "$(awk -v r="$cpu_ratio" -v l="$cpu_target" 'BEGIN { print (r <= l) }')"
                target "archive no larger than zip's" "$ark_size_med against $zip_size_med bytes" \
                    "$((ark_size_med <= zip_size_med))"
                if [ -s "$work/footprint-arkivoda.txt" ] && [ -s "$work/footprint-zip.txt" ]; then
                    compare_footprints
                fi
            fi
        else
            echo "  no ratios: one side has no successful run"
            echo "  targets:"
            target "wall time <= ${limit}x zip's" "not measured" 0
            [ "$set" = corpus ] && target "archive no larger than zip's" "not measured" 0
        fi
        if [ ${#ark_verify[@]} -gt 0 ]; then
            local verify_med verify_share
            verify_med=$(median "${ark_verify[@]}")
            verify_share=$(ratio "$((verify_med * 100))" "$ark_med" %.1f)
            echo "  verification of the archive: $(seconds "$verify_med") s, ${verify_share}% of the run's wall time" \
                "without the start wait (${#ark_verify[@]} runs)"
            target "verification <= ${verify_target}% of the run's wall time" "${verify_share}%" \
                "$(awk -v v="$verify_med" -v a="$ark_med" -v l="$verify_target" 'BEGIN { print (v * 100 <= l * a) }')"
        else
            target "verification <= ${verify_target}% of the run's wall time" "not measured" 0
        fi
        local memory_limit=${set_memory[$set]}
        if [ ${#ark_wall[@]} -gt 0 ]; then
            target "peak memory < $(megabytes "$memory_limit")" "$(megabytes "$rss_max")" "$((rss_max < memory_limit))"
        else
            target "peak memory < $(megabytes "$memory_limit")" "not measured" 0
        fi
    } > "$work/summary-$set.txt"
}

measure_set() {
    local set=$1
    data=${set_dir[$set]}
    ark_wall=() ark_measured=() ark_cpu=() ark_rss=() ark_size=() ark_verify=()
    zip_wall=() zip_cpu=() zip_rss=() zip_size=()
    echo "== ${set_title[$set]}: $data, ${set_files[$set]} files, ${set_bytes[$set]} bytes ($(megabytes "${set_bytes[$set]}"))"
    local warm_started
    warm_started=$(date +%s%N)
    tar -cf - -C "$(dirname "$data")" "$(basename "$data")" | cat > /dev/null
    echo "Warm-up read (tar | cat > /dev/null) took $(seconds $(($(date +%s%N) - warm_started))) s."
    for run in $(seq 1 "$runs"); do
        if [ $((run % 2)) = 1 ]; then
            run_arkivoda "$run"
            run_zip "$run"
        else
            run_zip "$run"
            run_arkivoda "$run"
        fi
    done
    summarise_set "$set"
    echo
}

# Runs the hand-over benchmark once; its figures, or why there are none, go to $work/handover.txt.
handover_ok=1
run_handover() {
    if [ ! -x "$handover" ]; then
        echo "  not measured: bench_handover not found or not executable at $handover" \
            "(build it with cmake --build build --target bench_handover or set ARKIVODA_BENCH_HANDOVER)"
        return
    fi
    local output code
    output=$(timeout 600 "$handover" < /dev/null 2>&1)
    code=$?
    [ -n "$output" ] && printf '%s\n' "$output" | sed 's/^/  /'
    if [ "$code" != 0 ]; then
        echo "  FAILED: $handover ended with exit status $code"
        handover_ok=0
    fi
}

echo "Arkivoda benchmark: arkivoda-cli against Info-ZIP zip -r -6, $(date '+%Y-%m-%d %H:%M:%S')"
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "$(awk '/MemTotal/ { printf "%.1f GB", $2 / 1e6 }' /proc/meminfo) memory"
echo "Data sets: ${sets[*]}; $runs run(s) of each program per set"
echo "Programs: $cli$([ "$cli_ok" = 0 ] && echo ' (MISSING)'); $(zip -v | sed -n 's/^This is Zip \([^ ]*\).*/Info-ZIP zip \1/p')"
echo "Archives go to $work and are deleted after checking."
[ "$cli_ok" = 0 ] && echo "WARNING: $cli_missing; only zip is measured."
echo "The page cache is not dropped: each set is read once before its runs, so every run reads it from a warm" \
    "cache. Runs alternate: odd runs start with arkivoda-cli, even runs with zip. CPU is user + system time;" \
    "a single-threaded run with CPU well below its wall time was kept waiting by other work on the machine."
echo

for set in "${sets[@]}"; do
    measure_set "$set"
done

echo "== Hand-over round trip: running $handover once, after the backups; its figures are in the summary."
run_handover > "$work/handover.txt"
echo

echo "Summary, medians of the successful runs (warm page cache):"
for set in "${sets[@]}"; do
    cat "$work/summary-$set.txt"
done
echo "Hand-over round trip:"
cat "$work/handover.txt"

status=0
if [ "$failures" -gt 0 ]; then
    echo "$failures run(s) or check(s) FAILED"
    status=1
else
    echo "All runs and checks passed."
fi
if [ "$targets_missed" -gt 0 ]; then
    echo "$targets_missed target(s) missed$([ "$strict" = 1 ] && echo ' (--strict: exit status 1)' || echo '; they do not change the exit status without --strict')."
    [ "$strict" = 1 ] && status=1
else
    echo "All targets met."
fi
if [ "$handover_ok" = 0 ]; then
    echo "The hand-over benchmark FAILED$([ "$strict" = 1 ] && echo ' (--strict: exit status 1)' || echo '; it does not change the exit status without --strict')."
    [ "$strict" = 1 ] && status=1
fi
exit "$status"
