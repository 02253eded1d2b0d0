#!/bin/bash
# Builds the small-file benchmark set: 55,000 text-like documents of 1-8 KiB in 300 folders, offline and
# deterministic.
#
#   bench/make_small_corpus.sh [TARGET_DIR]        (default: bench/small-corpus, ignored by git)
#
# Twelve department folders hold 25 folders each ("Ugovori 2021", ...), and every document goes to one of
# those 300 folders. The documents are letters and notes (.txt), Markdown, semicolon-separated CSV, JSON,
# C sources and headers, Python and logs, written from a generated Croatian-like vocabulary with a Zipf
# word distribution, so they compress like real documents rather than like random data. Each one is cut
# (or padded with spaces) to an exact size drawn log-uniformly from 1,024 to 8,192 bytes; the JSON files
# stay valid JSON. Names use Croatian letters (č ć ž š đ) and spaces.
#
# Everything comes from Python's Mersenne Twister seeded with fixed strings, so another machine produces
# the same bytes; modification times and permissions are set from each path, not from the clock. Runs again
# only when the version marker (.arkivoda-mali-korpus) is missing or from another version of this script,
# and refuses to touch a non-empty folder it did not make.
set -euo pipefail

readonly VERSION=1
readonly MARKER=.arkivoda-mali-korpus
readonly BUILDING=.arkivoda-mali-korpus.gradnja

here=$(cd "$(dirname "$0")" && pwd)
target=${1:-$here/small-corpus}
python=${PYTHON:-python3}

summary() {
    local files dirs bytes sizes
    files=$(find "$target" -type f | wc -l)
    dirs=$(find "$target" -mindepth 1 -type d | wc -l)
    bytes=$(find "$target" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s }')
    sizes=$(find "$target" -type f ! -name "$MARKER" -printf '%s\n' | sort -n | sed -n '1p;$p' | paste -sd ' ')
    awk -v t="$target" -v b="$bytes" -v f="$files" -v d="$dirs" -v s="$sizes" 'BEGIN {
        split(s, m, " ")
        printf "Small-file corpus %s: %.0f bytes (%.1f MiB), %d files (documents of %d to %d bytes and the marker), %d folders\n",
            t, b, b / 1048576, f, m[1], m[2], d
    }'
}

# shellcheck source=bench/corpus-folder.sh
. "$here/corpus-folder.sh"
if ! prepare_corpus_folder "$target" "$MARKER" "$BUILDING" "arkivoda-mali-korpus $VERSION" "small-file corpus"; then
    echo "Small-file corpus version $VERSION already present; nothing to do."
    summary
    exit 0
fi
target=$(cd "$target" && pwd)
echo "Building small-file corpus version $VERSION in $target"
start=$(date +%s)

"$python" - "$target" "$VERSION" "$MARKER" "$BUILDING" <<'PYTHON'
import os
import random
import sys
import time
import zlib

ROOT, VERSION, MARKER, BUILDING = sys.argv[1:5]
DOCUMENT_COUNT = 55000
SMALLEST, LARGEST = 1024, 8192


def rng(part):
    """A generator of its own for every part, so parts can change without shifting the others."""
    return random.Random(f"arkivoda-mali-korpus-{VERSION}-{part}")


def fit(text, size):
    """Exactly `size` bytes: cut at a character boundary, or padded with spaces, and ending in a newline."""
    data = text.encode()[: size - 1].decode("utf-8", "ignore").encode()
    return data.ljust(size - 1, b" ") + b"\n"


# ---------------------------------------------------------------- vocabulary

ONSETS = ["", "", "b", "c", "č", "ć", "d", "dž", "đ", "f", "g", "h", "j", "k", "l", "lj", "m", "n", "nj",
          "p", "r", "s", "š", "t", "v", "z", "ž", "st", "pr", "kr", "br", "sv", "tr", "gr", "dr", "zn", "sl"]
VOWELS = ["a", "a", "e", "e", "i", "i", "o", "o", "u", "ije", "je"]
CODAS = ["", "", "", "", "n", "m", "s", "t", "k", "j", "l", "r", "š", "ć", "č", "ž"]
ASCII = str.maketrans({"č": "c", "ć": "c", "ž": "z", "š": "s", "đ": "d"})


def make_words(r, count):
    words, seen = [], set()
    while len(words) < count:
        syllables = r.choice((1, 2, 2, 2, 3, 3, 3, 4))
        word = "".join(r.choice(ONSETS) + r.choice(VOWELS) for _ in range(syllables)) + r.choice(CODAS)
        if word not in seen:
            seen.add(word)
            words.append(word)
    return words


WORDS = make_words(rng("rijeci"), 6000)
ZIPF = []
_total = 0.0
for _rank in range(len(WORDS)):
    _total += 1.0 / (_rank + 2) ** 1.05
    ZIPF.append(_total)


def zipf_words(r, k):
    return r.choices(WORDS, cum_weights=ZIPF, k=k)


def identifier(r, parts=2):
    return "_".join(w.translate(ASCII) for w in zipf_words(r, parts))


def make_sentences(r, count):
    out = []
    for _ in range(count):
        words = zipf_words(r, r.randint(4, 18))
        if r.random() < 0.15:
            words.insert(r.randrange(len(words) + 1), str(r.randint(1, 9999)))
        text = " ".join(words)
        out.append(text[0].upper() + text[1:] + r.choices((".", ",", "?", "!"), weights=(80, 10, 6, 4))[0])
    return out


SENTENCES = make_sentences(rng("recenice"), 30000)


def sentences(r, k):
    return " ".join(r.choices(SENTENCES, k=k))


CITIES = ["Zagreb", "Split", "Rijeka", "Osijek", "Zadar", "Čakovec", "Đakovo", "Šibenik", "Požega", "Karlovac",
          "Varaždin", "Slavonski Brod", "Pula", "Sisak", "Vukovar", "Dubrovnik", "Bjelovar", "Koprivnica",
          "Križevci", "Čazma", "Županja", "Đurđevac", "Makarska", "Vinkovci", "Gospić", "Knin", "Samobor"]
FIRST = ["Ana", "Ivan", "Marija", "Josip", "Petra", "Luka", "Željka", "Đuro", "Šime", "Ćiril", "Čedomir",
         "Maja", "Tomislav", "Ivana", "Marko", "Kata", "Stjepan", "Nikolina", "Zvonimir", "Dražen"]
LAST = ["Horvat", "Kovačević", "Babić", "Marić", "Jurić", "Novak", "Knežević", "Vuković", "Marković", "Petrović",
        "Šarić", "Lovrić", "Vidović", "Đurić", "Živković", "Čulo", "Šimunović", "Žanić", "Grgić", "Perić"]
STATUS = ["plaćeno", "otvoreno", "storno", "u obradi", "dospjelo", "opomena", "zatvoreno", "čeka odobrenje"]
DATES = [time.strftime("%d.%m.%Y", time.gmtime(1577836800 + day * 86400)) for day in range(2048)]


def person(r):
    return f"{r.choice(FIRST)} {r.choice(LAST)}"


# ---------------------------------------------------------------- documents, each at least `size` bytes before fit()


def letter(r, size):
    out = [f"{r.choice(CITIES)}, {r.choice(DATES)}\n\nPredmet: {sentences(r, 1)}\n\nPoštovani,\n\n"]
    length = len(out[0])
    while length < size:
        paragraph = sentences(r, r.randint(2, 7)) + "\n\n"
        out.append(paragraph)
        length += len(paragraph.encode())
    out.append(f"S poštovanjem,\n{person(r)}\n")
    return "".join(out)


def markdown(r, size):
    out = [f"# {sentences(r, 1).rstrip('.,?!')}\n\n"]
    length = len(out[0])
    while length < size:
        kind = r.randrange(4)
        if kind == 0:
            part = f"## {' '.join(zipf_words(r, r.randint(2, 5))).capitalize()}\n\n"
        elif kind == 1:
            part = "".join(f"- {' '.join(zipf_words(r, r.randint(2, 9)))}\n" for _ in range(r.randint(2, 6))) + "\n"
        elif kind == 2:
            part = (f"| stavka | iznos | rok |\n|---|---:|---|\n"
                    + "".join(f"| {' '.join(zipf_words(r, 2))} | {r.randint(1, 99999)},{r.randint(0, 99):02d}"
                              f" | {r.choice(DATES)} |\n" for _ in range(r.randint(2, 5))) + "\n")
        else:
            part = sentences(r, r.randint(2, 6)) + "\n\n"
        out.append(part)
        length += len(part.encode())
    return "".join(out)


def csv_table(r, size):
    out = ["rbr;datum;ime;prezime;mjesto;iznos;količina;status\n"]
    length = len(out[0].encode())
    row = r.randint(1, 90000)
    while length < size:
        line = (f"{row};{r.choice(DATES)};{r.choice(FIRST)};{r.choice(LAST)};{r.choice(CITIES)};"
                f"{r.randint(0, 99999)},{r.randint(0, 99):02d};{r.randint(1, 500)};{r.choice(STATUS)}\n")
        out.append(line)
        length += len(line.encode())
        row += 1
    return "".join(out)


def json_document(r, size):
    """Valid JSON of exactly `size` bytes: whole items, then a note that takes up the remaining room."""
    head = (f'{{\n  "dokument": "{r.choice(["račun", "ponuda", "narudžba", "otpremnica", "obračun"])}",\n'
            f'  "broj": {r.randint(1, 999999)},\n  "mjesto": "{r.choice(CITIES)}",\n'
            f'  "izradio": "{person(r)}",\n  "stavke": [\n')
    middle, end = '\n  ],\n  "napomena": "', '"\n}\n'
    items, length = [], len(head.encode()) + len(middle) + len(end)
    while True:
        item = (f'    {{"šifra": "{identifier(r).upper()}", "naziv": "{" ".join(zipf_words(r, r.randint(2, 5)))}", '
                f'"količina": {r.randint(1, 250)}, "cijena": {r.randint(1, 999999) / 100}, '
                f'"datum": "{r.choice(DATES)}"}}')
        grown = length + len(item.encode()) + (2 if items else 0)
        if grown + 40 > size:
            break
        items.append(item)
        length = grown
    note = sentences(r, size // 60 + 2).replace("\n", " ").encode()[: size - length]
    note = note.decode("utf-8", "ignore").encode().ljust(size - length, b" ")
    return (head + ",\n".join(items) + middle).encode() + note + end.encode()


C_TYPES = ["int", "unsigned int", "size_t", "const char *", "double", "uint32_t", "bool", "struct zapis *"]


def c_source(r, size, header=False):
    guard = identifier(r, 3).upper()
    out = [f"/* {sentences(r, 1)}\n * {person(r)}, {r.choice(DATES)}\n */\n\n"]
    out.append(f"#ifndef {guard}_H\n#define {guard}_H\n\n#include <stddef.h>\n#include <stdint.h>\n\n" if header
               else f'#include "{identifier(r)}.h"\n\n#include <stdio.h>\n#include <string.h>\n\n')
    length = sum(len(part.encode()) for part in out)
    while length < size:
        name, a, b = identifier(r), identifier(r, 1), identifier(r, 1)
        kind = r.randrange(5 if header else 4)
        if kind == 0:
            part = f"/* {' '.join(zipf_words(r, r.randint(4, 12))).translate(ASCII)} */\n"
        elif kind == 1:
            part = f"#define {name.upper()} {r.randint(0, 65535)}\n"
        elif kind == 2 or header:
            part = f"{r.choice(C_TYPES)} {name}({r.choice(C_TYPES)} {a}, {r.choice(C_TYPES)} {b});\n"
        else:
            part = (f"\nstatic {r.choice(C_TYPES)} {name}({r.choice(C_TYPES)} {a}, size_t {b})\n{{\n"
                    f"    if ({a} == NULL || {b} > {r.randint(1, 4096)})\n        return -{r.randint(1, 40)};\n"
                    f"    for (size_t i = 0; i < {b}; ++i)\n        {a}[i] = {identifier(r)}({a}[i], i);\n"
                    f"    return {identifier(r, 1)}_{r.randint(0, 9)};\n}}\n")
        out.append(part)
        length += len(part.encode())
    if header:
        out.append(f"\n#endif /* {guard}_H */\n")
    return "".join(out)


def python_source(r, size):
    out = [f'"""{sentences(r, 1)}"""\n\nimport csv\nimport json\nfrom pathlib import Path\n']
    length = len(out[0].encode())
    while length < size:
        name, a, b = identifier(r), identifier(r, 1), identifier(r, 1)
        if r.random() < 0.3:
            part = (f"\n\nclass {name.title().replace('_', '')}:\n"
                    f'    """{sentences(r, 1)}"""\n\n    def __init__(self, {a}, {b}={r.randint(0, 99)}):\n'
                    f"        self.{a} = {a}\n        self.{b} = {b}\n")
        else:
            part = (f"\n\ndef {name}({a}, {b}):\n    # {' '.join(zipf_words(r, r.randint(3, 10)))}\n"
                    f"    if not {a}:\n        return {r.choice(['None', '[]', '0', repr(r.choice(CITIES))])}\n"
                    f"    return [{b}.get(x, {r.randint(0, 999)}) for x in {a}]\n")
        out.append(part)
        length += len(part.encode())
    return "".join(out)


LEVELS = ["INFO"] * 12 + ["DEBUG"] * 4 + ["WARN", "ERROR"]


def log_lines(r, size):
    clock = 1704067200 + r.getrandbits(26)
    out, length = [], 0
    while length < size:
        clock += r.randint(0, 90)
        line = (f"{time.strftime('%Y-%m-%d %H:%M:%S', time.gmtime(clock))} {r.choice(LEVELS):5} "
                f"[{identifier(r, 1)}] {' '.join(zipf_words(r, r.randint(3, 9)))} "
                f"korisnik={r.choice(FIRST).lower()} trajanje={r.randint(0, 2000)}ms\n")
        out.append(line)
        length += len(line.encode())
    return "".join(out)


KINDS = [  # extension, weight, generator (JSON takes care of its exact size itself)
    ("txt", 22, letter), ("md", 10, markdown), ("csv", 18, csv_table), ("json", 14, json_document),
    ("c", 10, c_source), ("h", 6, lambda r, size: c_source(r, size, header=True)),
    ("py", 8, python_source), ("log", 12, log_lines),
]
DEPARTMENTS = ["Računovodstvo", "Nabava i skladište", "Pravna služba", "Ljudski potencijali", "Razvoj softvera",
               "Održavanje", "Prodaja Đakovo", "Poslovnica Čakovec", "Uprava", "Kvaliteta i ispitivanja",
               "Šifrarnici", "Arhiva dopisa"]
TOPICS = ["Ugovori", "Računi i ponude", "Zapisnici sa sastanaka", "Izvješća", "Radne bilješke"]
FOLDERS = [f"{d + 1:02d} {department}/{topic} {year}" for d, department in enumerate(DEPARTMENTS)
           for topic in TOPICS for year in range(2020, 2025)]
PREFIXES = ["bilješka", "izvješće", "račun", "zapisnik", "ponuda", "šifrarnik", "žalba", "dopis", "nacrt",
            "ugovor", "popis", "obračun", "rješenje", "zahtjev", "očitovanje", "uputa", "međuzbroj"]

for folder in FOLDERS:
    os.makedirs(os.path.join(ROOT, folder), exist_ok=True)
r = rng("dokumenti")
weights = [weight for _, weight, _ in KINDS]
for index in range(1, DOCUMENT_COUNT + 1):
    extension, _, generate = r.choices(KINDS, weights=weights)[0]
    size = int(SMALLEST * (LARGEST / SMALLEST) ** r.random())
    name = f"{r.choice(PREFIXES)} {index:05d} {r.choice(CITIES)}.{extension}"
    text = generate(r, size)
    data = text if isinstance(text, bytes) else fit(text, size)
    with open(os.path.join(ROOT, r.choice(FOLDERS), name), "wb") as f:
        f.write(data)
    if index % 10000 == 0:
        print(f"  {index} documents ({time.strftime('%H:%M:%S')})", flush=True)

os.remove(os.path.join(ROOT, BUILDING))
with open(os.path.join(ROOT, MARKER), "w") as f:
    f.write(f"arkivoda-mali-korpus {VERSION}")

EPOCH, SPAN = 1577836800, 5 * 365 * 86400

for dirpath, dirnames, filenames in os.walk(ROOT, topdown=False):
    for name in filenames + [""]:
        path = os.path.join(dirpath, name) if name else dirpath
        crc = zlib.crc32(os.path.relpath(path, ROOT).encode("utf-8", "surrogateescape"))
        # Some documents are private to their owner, as in a real home folder; all stay readable to us.
        os.chmod(path, 0o755 if not name else 0o600 if crc % 8 == 0 else 0o644)
        stamp = EPOCH + crc % SPAN
        os.utime(path, (stamp, stamp))
PYTHON

echo "Built in $(($(date +%s) - start)) s"
summary
