#!/bin/bash
# Builds the benchmark corpus: about 1.75 GB in exactly 78,000 files, offline and deterministic.
#
#   bench/make_corpus.sh [TARGET_DIR]        (default: bench/corpus, ignored by git)
#
# Contents (folder names are part of the corpus):
#   sustav/     real text and source files copied from /usr/include and /usr/share (doc, man, locale and a
#               few data folders): per group, the sorted path list (C order) is taken from the start until
#               the group's byte or file cap is reached; `sustav/nadopuna/` then tops every group up with
#               generated source-like text to exactly its cap, so size and file count are the same on every
#               machine even when a package set or version differs (only those files' contents differ).
#   Dokumenti/  ~46,200 small generated documents (text, Markdown, CSV, log, JSON, HTML), ~1,000 empty
#   Tablice/    150 generated CSV tables of 1-3 MiB
#   Mediji/     incompressible pseudo-random data: 56 files of 4-12 MiB and 2,000 small ones
#   Veliko/     two large files: a 300 MiB server log and a 200 MiB mixed binary image
#   Prazno/     2,000 empty files, 300 empty folders and chains of nested empty folders
#   Duboko/     two chains of folders 30 levels deep
# Names use Croatian letters (č ć ž š đ) and spaces. Everything generated comes from Python's Mersenne
# Twister seeded with fixed strings, so another machine produces the same bytes; modification times and
# permissions are set from each path, not from the clock. Runs again only when the version marker
# (.arkivoda-korpus) is missing or from another version of this script.
set -euo pipefail

readonly VERSION=1
readonly MARKER=.arkivoda-korpus
readonly BUILDING=.arkivoda-korpus.gradnja

here=$(cd "$(dirname "$0")" && pwd)
target=${1:-$here/corpus}
python=${PYTHON:-python3}

summary() {
    local files dirs bytes empty
    files=$(find "$target" -type f | wc -l)
    dirs=$(find "$target" -mindepth 1 -type d | wc -l)
    empty=$(find "$target" -type f -empty | wc -l)
    bytes=$(find "$target" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s }')
    awk -v t="$target" -v b="$bytes" -v f="$files" -v e="$empty" -v d="$dirs" 'BEGIN {
        printf "Corpus %s: %.0f bytes (%.1f MiB, %.2f GB), %d files (%d empty), %d folders\n", t, b, b / 1048576, b / 1e9, f, e, d
    }'
}

# shellcheck source=bench/corpus-folder.sh
. "$here/corpus-folder.sh"
if ! prepare_corpus_folder "$target" "$MARKER" "$BUILDING" "arkivoda-korpus $VERSION" "corpus"; then
    echo "Corpus version $VERSION already present; nothing to do."
    summary
    exit 0
fi
target=$(cd "$target" && pwd)
echo "Building corpus version $VERSION in $target"
start=$(date +%s)

"$python" - "$target" "$VERSION" "$MARKER" "$BUILDING" <<'PYTHON'
import os
import random
import shutil
import stat
import struct
import sys
import time
import zlib

ROOT, VERSION, MARKER, BUILDING = sys.argv[1:5]
KiB = 1 << 10
MiB = 1 << 20


def rng(part):
    """A generator of its own for every part, so parts can change without shifting the others."""
    return random.Random(f"arkivoda-korpus-{VERSION}-{part}")


def put(rel, data):
    path = os.path.join(ROOT, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def log_uniform(r, low, high):
    return int(low * (high / low) ** r.random())


def step(name):
    print(f"  {name} ({time.strftime('%H:%M:%S')})", flush=True)


# ---------------------------------------------------------------- vocabulary and sentences

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


r = rng("rijeci")
WORDS = make_words(r, 8000)
ZIPF = []
total = 0.0
for rank in range(len(WORDS)):
    total += 1.0 / (rank + 2) ** 1.05
    ZIPF.append(total)


def zipf_words(r, k):
    return r.choices(WORDS, cum_weights=ZIPF, k=k)


def make_sentences(r, count):
    endings = (". ", ", ", "? ", "! ", ".\n", ".\n\n")
    weights = (60, 8, 5, 3, 16, 8)
    out = []
    for _ in range(count):
        words = zipf_words(r, r.randint(4, 18))
        if r.random() < 0.15:
            words.insert(r.randrange(len(words) + 1), str(r.randint(1, 9999)))
        text = " ".join(words)
        out.append(text[0].upper() + text[1:] + r.choices(endings, weights=weights)[0])
    return out


SENTENCES = make_sentences(rng("recenice"), 60000)
SENTENCE_AVG = sum(len(s.encode()) for s in SENTENCES) // len(SENTENCES)


def prose(r, size):
    """About `size` bytes of UTF-8 prose, cut at a character boundary."""
    data = "".join(r.choices(SENTENCES, k=size // SENTENCE_AVG + 2)).encode()
    while len(data) < size:
        data += "".join(r.choices(SENTENCES, k=16)).encode()
    return data[:size].decode("utf-8", "ignore").encode()


CITIES = ["Zagreb", "Split", "Rijeka", "Osijek", "Zadar", "Čakovec", "Đakovo", "Šibenik", "Požega", "Karlovac",
          "Varaždin", "Slavonski Brod", "Pula", "Sisak", "Vukovar", "Dubrovnik", "Bjelovar", "Koprivnica",
          "Križevci", "Čazma", "Županja", "Đurđevac", "Makarska", "Vinkovci", "Gospić", "Knin", "Samobor",
          "Velika Gorica", "Poreč", "Umag", "Opatija", "Crikvenica", "Senj", "Ogulin", "Petrinja", "Kutina",
          "Virovitica", "Našice", "Belišće", "Metković", "Ploče", "Imotski", "Sinj", "Trogir", "Kaštela",
          "Solin", "Omiš", "Hvar", "Korčula", "Čabar"]
FIRST = ["Ana", "Ivan", "Marija", "Josip", "Petra", "Luka", "Željka", "Đuro", "Šime", "Ćiril", "Čedomir",
         "Maja", "Tomislav", "Ivana", "Marko", "Kata", "Stjepan", "Nikolina", "Zvonimir", "Dražen", "Snježana",
         "Goran", "Mirjana", "Krešimir", "Božena", "Vesna", "Dario", "Ljiljana", "Nenad", "Jelena"]
LAST = ["Horvat", "Kovačević", "Babić", "Marić", "Jurić", "Novak", "Knežević", "Vuković", "Marković", "Petrović",
        "Matić", "Tomić", "Pavlović", "Kovač", "Božić", "Blažević", "Grgić", "Pavić", "Radić", "Perić",
        "Šarić", "Lovrić", "Vidović", "Perković", "Popović", "Đurić", "Živković", "Čulo", "Šimunović", "Žanić"]
STATUS = ["plaćeno", "otvoreno", "storno", "u obradi", "dospjelo", "opomena", "zatvoreno", "čeka odobrenje"]
DATES = [time.strftime("%d.%m.%Y", time.gmtime(1514764800 + day * 86400)) for day in range(4096)]


def csv_rows(r, size, start_id=1):
    """Semicolon-separated rows (Croatian decimal comma) until at least `size` bytes."""
    lines = ["rbr;datum;ime;prezime;mjesto;iznos;količina;status\n"]
    length = len(lines[0].encode())
    row = start_id
    getbits = r.getrandbits
    while length < size:
        bits = getbits(64)
        line = (f"{row};{DATES[bits & 4095]};{FIRST[(bits >> 12) % 30]};{LAST[(bits >> 17) % 30]};"
                f"{CITIES[(bits >> 22) % 50]};{(bits >> 28) % 100000},{(bits >> 45) % 100:02d};"
                f"{(bits >> 52) % 500};{STATUS[(bits >> 61) & 7]}\n")
        lines.append(line)
        length += len(line.encode())
        row += 1
    return "".join(lines).encode()


LEVELS = ["INFO"] * 90 + ["DEBUG"] * 26 + ["WARN"] * 8 + ["ERROR"] * 4
COMPONENTS = [f"{a.translate(ASCII)}.{b.translate(ASCII)}" for a, b in
              zip(make_words(rng("komponente"), 64), make_words(rng("komponente2"), 64))]
MESSAGES = [" ".join(zipf_words(rr, rr.randint(3, 9))) for rr in [rng("poruke")] for _ in range(512)]


class LogWriter:
    """Log lines with a steadily advancing clock, as a busy server writes them."""

    def __init__(self, r, start=1704067200000):
        self.r = r
        self.clock = start
        self.second = -1
        self.stamp = ""

    def lines(self, size):
        out, length = [], 0
        getbits = self.r.getrandbits
        while length < size:
            bits = getbits(64)
            self.clock += bits & 255
            second = self.clock // 1000
            if second != self.second:
                self.second = second
                self.stamp = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(second))
            line = (f"{self.stamp}.{self.clock % 1000:03d} {LEVELS[(bits >> 8) & 127]:5} "
                    f"[radnik-{(bits >> 15) & 7}] {COMPONENTS[(bits >> 18) & 63]}: "
                    f"{MESSAGES[(bits >> 24) & 511]} id={(bits >> 33) % 1000000} "
                    f"trajanje={(bits >> 53) % 2000}ms\n")
            out.append(line)
            length += len(line)
        return "".join(out).encode()


SOURCE_LINES = []
_r = rng("izvorni")
for _ in range(20000):
    a, b, c = (w.translate(ASCII) for w in zipf_words(_r, 3))
    kind = _r.randrange(8)
    if kind == 0:
        SOURCE_LINES.append(f"#define {a.upper()}_{b.upper()} 0x{_r.getrandbits(16):04x}\n")
    elif kind == 1:
        SOURCE_LINES.append(f"extern int {a}_{b}(struct {c} *{a}, size_t {b}_len);\n")
    elif kind == 2:
        SOURCE_LINES.append(f"/* {' '.join(zipf_words(_r, _r.randint(4, 12))).translate(ASCII)} */\n")
    elif kind == 3:
        SOURCE_LINES.append(f"    {a}->{b} = {c}_{a}({b}, {_r.randint(0, 4096)});\n")
    elif kind == 4:
        SOURCE_LINES.append(f"struct {a}_{b} {{\n    unsigned int {c};\n    const char *{a};\n}};\n\n")
    elif kind == 5:
        SOURCE_LINES.append(f"    if ({a} != NULL && {b} > {_r.randint(0, 255)})\n        return -{_r.randint(1, 40)};\n")
    elif kind == 6:
        SOURCE_LINES.append(f"static inline void {a}_{b}_{c}(void) {{ }}\n")
    else:
        SOURCE_LINES.append("\n")


def source(r, size):
    """Exactly `size` bytes of ASCII C-like source."""
    data = "".join(r.choices(SOURCE_LINES, k=size // 30 + 2)).encode()
    while len(data) < size:
        data += "".join(r.choices(SOURCE_LINES, k=64)).encode()
    return data[:size]


# ---------------------------------------------------------------- sustav: copied system files

SYSTEM_GROUPS = [
    # name, source folders, byte cap, file cap
    ("include", ["/usr/include"], 50 * MiB, 4300),
    ("doc", ["/usr/share/doc"], 40 * MiB, 2450),
    ("man", ["/usr/share/man"], 20 * MiB, 14000),
    ("locale", ["/usr/share/locale"], 41 * MiB, 820),
    ("ostalo", ["/usr/share/X11", "/usr/share/cmake-3.25", "/usr/share/i18n", "/usr/share/mime",
                "/usr/share/perl", "/usr/share/qt6", "/usr/share/zoneinfo"], 38 * MiB + 512 * KiB, 6000),
]
LARGEST_COPIED = 2 * MiB


def regular_files(folder):
    found = []
    for dirpath, dirnames, filenames in os.walk(folder):
        for name in filenames:
            path = os.path.join(dirpath, name)
            try:
                info = os.lstat(path)
            except OSError:
                continue
            if stat.S_ISREG(info.st_mode) and info.st_size <= LARGEST_COPIED:
                found.append((path.encode("utf-8", "surrogateescape"), path, info.st_size))
    return found


def copy_group(name, folders, byte_cap, file_cap):
    candidates = sorted(c for folder in folders if os.path.isdir(folder) for c in regular_files(folder))
    copied_files = copied_bytes = 0
    # One file is always left to the top-up so that it can carry the remaining bytes.
    for _, path, size in candidates:
        if copied_files == file_cap - 1 or copied_bytes + size > byte_cap:
            break
        destination = os.path.join(ROOT, "sustav", path.lstrip("/"))
        os.makedirs(os.path.dirname(destination), exist_ok=True)
        try:
            shutil.copyfile(path, destination)
        except OSError:
            continue
        actual = os.path.getsize(destination)
        if copied_bytes + actual > byte_cap:
            os.remove(destination)
            break
        copied_files += 1
        copied_bytes += actual
    missing_files = file_cap - copied_files
    missing_bytes = byte_cap - copied_bytes
    r = rng(f"nadopuna-{name}")
    for index in range(missing_files):
        size = missing_bytes // missing_files + (1 if index < missing_bytes % missing_files else 0)
        put(f"sustav/nadopuna/{name}/skupina {index // 500:02d}/datoteka {index:05d}.h", source(r, size))
    print(f"    {name}: copied {copied_files} files, {copied_bytes} bytes; "
          f"generated {missing_files} files, {missing_bytes} bytes", flush=True)


step("sustav: copying system files")
for group in SYSTEM_GROUPS:
    copy_group(*group)

# ---------------------------------------------------------------- Dokumenti: many small documents

step("Dokumenti: small documents")
PROJECT_COUNT = 120
DOCUMENT_COUNT = 46185
SUBFOLDERS = ["Izvještaji", "Računi i ponude", "Sastanci", "Šifrarnici", "Žalbe", "Nacrti", "Dopisi",
              "Ugovori", "Đački radovi", "Ćelije i tablice"]
PREFIXES = ["bilješka", "izvješće", "račun", "zapisnik", "ponuda", "šifrarnik", "žalba", "dopis", "nacrt",
            "ugovor", "popis", "obračun", "rješenje", "zahtjev", "očitovanje", "uputa"]
KINDS = [("txt", 50), ("md", 10), ("csv", 15), ("log", 10), ("json", 10), ("html", 5)]


def document(r, kind, size):
    if kind in ("txt",):
        return prose(r, size)
    if kind == "md":
        head = f"# {SENTENCES[r.randrange(len(SENTENCES))].strip()}\n\n".encode()
        return head + prose(r, max(0, size - len(head)))
    if kind == "csv":
        return csv_rows(r, size, r.randint(1, 90000))
    if kind == "log":
        return LogWriter(r, 1577836800000 + r.getrandbits(36)).lines(size)
    if kind == "json":
        items, length = [], 2
        while length < size:
            item = (f'  {{"id": {r.randint(1, 999999)}, "naziv": "{" ".join(zipf_words(r, 3))}", '
                    f'"mjesto": "{r.choice(CITIES)}", "iznos": {r.randint(0, 999999) / 100}, '
                    f'"datum": "{r.choice(DATES)}"}}')
            items.append(item)
            length += len(item.encode()) + 2
        return ("[\n" + ",\n".join(items) + "\n]\n").encode()
    body = "".join(f"<p>{s.strip()}</p>\n" for s in r.choices(SENTENCES, k=max(1, size // (SENTENCE_AVG + 8))))
    return (f"<!DOCTYPE html>\n<html lang=\"hr\">\n<head><meta charset=\"utf-8\"><title>{r.choice(CITIES)}"
            f"</title></head>\n<body>\n{body}</body>\n</html>\n").encode()


r = rng("dokumenti")
projects = [f"Projekt {n:03d} {CITIES[n % len(CITIES)]}" for n in range(1, PROJECT_COUNT + 1)]
kinds = [k for k, _ in KINDS]
kind_weights = [w for _, w in KINDS]
for project in projects:
    os.makedirs(os.path.join(ROOT, "Dokumenti", project, "Arhiva (prazno)"), exist_ok=True)
for index in range(1, DOCUMENT_COUNT + 1):
    project = projects[r.randrange(PROJECT_COUNT)]
    subfolder = SUBFOLDERS[r.randrange(len(SUBFOLDERS))]
    year = 2019 + r.randrange(6)
    kind = r.choices(kinds, weights=kind_weights)[0]
    size = 0 if r.random() < 0.023 else log_uniform(r, 32, 40 * KiB)
    name = f"{PREFIXES[r.randrange(len(PREFIXES))]} {index:05d}.{kind}"
    put(f"Dokumenti/{project}/{subfolder}/{year}/{name}", document(r, kind, size) if size else b"")

# ---------------------------------------------------------------- Tablice: medium CSV tables

step("Tablice: CSV tables")
r = rng("tablice")
for index in range(1, 151):
    put(f"Tablice/{CITIES[index % len(CITIES)]}/promet {2000 + index % 25} – dio {index:03d}.csv",
        csv_rows(r, r.randint(1 * MiB, 3 * MiB)))

# ---------------------------------------------------------------- Mediji: incompressible data

step("Mediji: pseudo-random data")
r = rng("mediji")
EXTENSIONS = ["mp4", "jpg", "zip", "mkv", "png", "7z", "mp3"]
for index in range(1, 57):
    size = r.randint(4 * MiB, 12 * MiB)
    put(f"Mediji/Video i fotografije/snimka {index:02d} {CITIES[index % len(CITIES)]}."
        f"{EXTENSIONS[index % len(EXTENSIONS)]}", r.randbytes(size))
for index in range(1, 2001):
    put(f"Mediji/Sličice/skupina {index // 100:02d}/sličica {index:04d}.jpg", r.randbytes(log_uniform(r, KiB, 48 * KiB)))

# ---------------------------------------------------------------- Veliko: two large files

step("Veliko: 300 MiB log")
r = rng("dnevnik")
writer = LogWriter(r)
path = os.path.join(ROOT, "Veliko", "dnevnik poslužitelja.log")
os.makedirs(os.path.dirname(path), exist_ok=True)
with open(path, "wb") as f:
    while f.tell() < 300 * MiB:
        f.write(writer.lines(4 * MiB))
    f.truncate(300 * MiB)

step("Veliko: 200 MiB mixed binary image")
r = rng("slika")
LOW_ENTROPY = bytes((value % 16) * 17 if value < 200 else value % 4 for value in range(256))


def mixed_block(r, size):
    kind = r.choices(("random", "zeros", "records", "text", "low", "repeat"), weights=(40, 8, 22, 12, 13, 5))[0]
    if kind == "random":
        return r.randbytes(size)
    if kind == "zeros":
        return bytes(size)
    if kind == "records":
        out, base, stamp = bytearray(), r.getrandbits(20), 1700000000 + r.getrandbits(20)
        while len(out) < size:
            bits = r.getrandbits(64)
            base += 1
            stamp += bits & 63
            out += struct.pack("<IIHHdI8s", base, stamp, (bits >> 6) & 1023, (bits >> 16) & 3,
                               ((bits >> 18) & 0xFFFFF) / 100.0, 0xA5A5A5A5, b"ZAPIS\x00\x00\x00")
        return bytes(out[:size])
    if kind == "text":
        return prose(r, size).ljust(size, b" ")
    if kind == "low":
        return r.randbytes(size).translate(LOW_ENTROPY)
    pattern = r.randbytes(r.randint(16, 4096))
    return (pattern * (size // len(pattern) + 1))[:size]


path = os.path.join(ROOT, "Veliko", "slika diska.img")
with open(path, "wb") as f:
    while f.tell() < 200 * MiB:
        f.write(mixed_block(r, min(log_uniform(r, 64 * KiB, 2 * MiB), 200 * MiB - f.tell())))

# ---------------------------------------------------------------- Prazno: empty files and folders

step("Prazno, Duboko: empty and deep folders")
for index in range(2000):
    put(f"Prazno/prazne datoteke/skupina {index // 100:02d}/prazna {index:04d}.txt", b"")
for index in range(300):
    os.makedirs(os.path.join(ROOT, "Prazno", "prazne mape", f"mapa {index:03d}"), exist_ok=True)
for index in range(20):
    os.makedirs(os.path.join(ROOT, "Prazno", "ugniježđene mape", f"lanac {index:02d}", "a", "b č", "c ć",
                             "d ž", "e š đ"), exist_ok=True)

# ---------------------------------------------------------------- Duboko: 30 levels of folders

r = rng("duboko")
folder = "Duboko"
for level in range(1, 31):
    folder += f"/razina {level:02d} čćžšđ"
    put(f"{folder}/datoteka na razini {level:02d}.txt", prose(r, log_uniform(r, 100, 20 * KiB)))
folder = "Duboko"
for level in range(1, 31):
    folder += f"/Đ Š Ž Č Ć {level:02d}"
    if level % 5 == 0:
        put(f"{folder}/zapis {level:02d}.txt", prose(r, log_uniform(r, 100, 20 * KiB)))
os.makedirs(os.path.join(ROOT, folder, "prazni kraj"), exist_ok=True)

# ---------------------------------------------------------------- marker, times and permissions

step("marker, times and permissions")
os.remove(os.path.join(ROOT, BUILDING))
with open(os.path.join(ROOT, MARKER), "w") as f:
    f.write(f"arkivoda-korpus {VERSION}")

EPOCH, SPAN = 1577836800, 5 * 365 * 86400


def stamp_of(rel):
    return EPOCH + zlib.crc32(rel.encode("utf-8", "surrogateescape")) % SPAN


for dirpath, dirnames, filenames in os.walk(ROOT, topdown=False):
    for name in filenames:
        path = os.path.join(dirpath, name)
        os.chmod(path, 0o644)
        stamp = stamp_of(os.path.relpath(path, ROOT))
        os.utime(path, (stamp, stamp))
    os.chmod(dirpath, 0o755)
    stamp = stamp_of(os.path.relpath(dirpath, ROOT))
    os.utime(dirpath, (stamp, stamp))
PYTHON

echo "Built in $(( $(date +%s) - start )) s"
summary
