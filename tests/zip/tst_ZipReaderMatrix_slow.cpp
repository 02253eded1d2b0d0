// Every kind of archive the writer makes, written to a real file and checked by every reader at hand:
// Info-ZIP unzip, 7-Zip, bsdtar, Python's zipfile and our own read side. Each reader tests the whole
// archive without an error or a warning, lists exactly the names written, and (where it extracts)
// gives back every byte. Archives are built once per kind and deleted before the next kind is built.

#include "ZipTestStreams.h"
#include "ZipTestUtil.h"

#include "zip/TFileStream.h"
#include "zip/TMemoryStream.h"
#include "zip/TParallelCompressor.h"
#include "zip/TZipFile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <tuple>

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t T = 0x586F6DAF;
constexpr std::uint64_t GIB = 1ULL << 30;
constexpr std::int64_t PIECE = 1 << 20;
constexpr auto PATTERN_SIZE = static_cast<std::int64_t>(4 * GIB + GIB / 2);
constexpr std::int64_t RESERVED_SIZE = 0xFFF00000; // deflate's bound for it passes 4 GiB
constexpr auto NOISE_SIZE = static_cast<std::int64_t>(4 * GIB + GIB / 10);

// --- Sources ----------------------------------------------------------------------------------

// 64-bit xorshift: a fast, reproducible source of noise.
struct XorShift
{
    std::uint64_t State;
    std::uint64_t Next()
    {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return State;
    }
};

// size bytes of a text that repeats every few kilobytes: deflate finds a long match at every
// position within its window, so gigabytes compress to megabytes quickly.
class PatternStream : public GeneratedSource
{
  public:
    explicit PatternStream(std::int64_t size) : GeneratedSource(size) {}

    std::int64_t Read(void *buffer, std::int64_t count) override
    {
        const TBytes &period = Period();
        const auto length = static_cast<std::int64_t>(period.size());
        const std::int64_t done = Available(count);
        auto *out = static_cast<std::uint8_t *>(buffer);
        for (std::int64_t written = 0; written < done;) {
            const std::int64_t at = (FPosition + written) % length;
            const std::int64_t piece = std::min(length - at, done - written);
            std::memcpy(out + written, period.data() + at, static_cast<std::size_t>(piece));
            written += piece;
        }
        FPosition += done;
        return done;
    }
  private:
    static const TBytes &Period()
    {
        static const TBytes period = [] {
            std::string text;
            for (int line = 0; line < 180; ++line)
                text += "redak " + std::to_string(line) +
                        ": sigurnosna kopija \u010D\u0107\u017E\u0161\u0111 " +
                        std::string(static_cast<std::size_t>(line % 13), '.') + "\n";
            return ToBytes(text);
        }();
        return period;
    }
};

// Text and noise in alternating stretches, as in a folder of documents and photos.
TBytes MixedContent(std::size_t size, std::uint64_t seed)
{
    static const std::string WORDS[] = {"arhiva ",    "datoteka ", "mapa ",      "kopija ",    "2024-03-15 ",
                                        "\u010Dvor ", "\u0107up ", "\u017Eaba ", "\u0161uma ", "\u0111ak\n"};
    constexpr std::size_t STRETCH = 256 << 10;
    XorShift random{seed | 1};
    TBytes data;
    data.reserve(size + 16);
    while (data.size() < size) {
        const std::size_t end = std::min(size, data.size() + STRETCH);
        if ((data.size() / STRETCH) % 2 == 0) {
            while (data.size() < end) {
                const std::string &word = WORDS[random.Next() % std::size(WORDS)];
                data.insert(data.end(), word.begin(), word.end());
            }
            data.resize(end);
        } else {
            while (data.size() < end) {
                const std::uint64_t value = random.Next();
                const auto *bytes = reinterpret_cast<const std::uint8_t *>(&value);
                data.insert(data.end(), bytes, bytes + std::min<std::size_t>(8, end - data.size()));
            }
        }
    }
    return data;
}

// --- What an archive must give back ------------------------------------------------------------

// Opens a fresh stream over an entry's bytes: the writer's source and every reader's reference.
using TContent = std::function<std::unique_ptr<TStream>()>;

struct ExpectedEntry
{
    std::string Name; // folders end in "/" and have no content
    TContent Content;
    TZipCompression Method = zcDeflate;

    bool IsFolder() const { return Name.ends_with('/'); }
};

TContent BytesContent(TBytes bytes)
{
    auto shared = std::make_shared<const TBytes>(std::move(bytes));
    return [shared] { return std::make_unique<TMemoryStream>(*shared); };
}

TContent FileContent(const std::string &path)
{
    return [path] { return std::make_unique<TFileStream>(path, fmOpenRead); };
}

struct BuiltArchive
{
    std::unique_ptr<TTempDir> Dir = std::make_unique<TTempDir>();
    std::string Path;
    std::vector<ExpectedEntry> Entries;
    bool Zip64Records = false; // ZIP64 end record and locator expected before the end record
    // Checks, on the written archive, that it has the layout its kind is about.
    std::function<void(TZipFile &zip)> Layout;

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const ExpectedEntry &entry : Entries)
            names.push_back(entry.Name);
        return names;
    }
};

// Compares everything written to it with an expected stream. The expected stream is read in whole
// pieces, so a generated source yields the same bytes however the writes are cut.
class ComparingSink : public TStream
{
  public:
    explicit ComparingSink(TStream &expected)
        : FExpected(expected),
          FBuffer(static_cast<std::size_t>(std::clamp<std::int64_t>(expected.Size(), 1, PIECE)))
    {
    }

    std::int64_t Read(void *, std::int64_t) override { return 0; }
    std::int64_t Write(const void *buffer, std::int64_t count) override
    {
        const auto *bytes = static_cast<const std::uint8_t *>(buffer);
        for (std::int64_t done = 0; done < count && FProblem.empty();) {
            if (FAvailable == 0 && !Refill()) {
                FProblem = "longer than expected: byte " + std::to_string(FPosition) + " is one too many";
                break;
            }
            const std::int64_t piece = std::min(count - done, FAvailable);
            if (std::memcmp(bytes + done, FBuffer.data() + FOffset, static_cast<std::size_t>(piece)) != 0) {
                std::int64_t at = 0;
                while (bytes[done + at] == FBuffer[static_cast<std::size_t>(FOffset + at)])
                    ++at;
                FProblem = "differs at byte " + std::to_string(FPosition + at);
            }
            done += piece;
            FPosition += piece;
            FOffset += piece;
            FAvailable -= piece;
        }
        return count;
    }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FPosition; }

    // Empty when every expected byte came, in order, and nothing more; otherwise what went wrong.
    std::string Problem()
    {
        if (FProblem.empty() && (FAvailable > 0 || Refill()))
            FProblem = "shorter than expected: ends at byte " + std::to_string(FPosition);
        return FProblem;
    }

  private:
    bool Refill()
    {
        FOffset = 0;
        FAvailable = FExpected.Read(FBuffer.data(), static_cast<std::int64_t>(FBuffer.size()));
        return FAvailable > 0;
    }

    TStream &FExpected;
    TBytes FBuffer;
    std::int64_t FOffset = 0;
    std::int64_t FAvailable = 0;
    std::int64_t FPosition = 0;
    std::string FProblem;
};

std::string CompareFile(const fs::path &path, const TContent &content)
{
    const std::unique_ptr<TStream> expected = content();
    ComparingSink sink(*expected);
    TFileStream file(path.string(), fmOpenRead);
    TBytes buffer(static_cast<std::size_t>(std::clamp<std::int64_t>(file.Size(), 1, PIECE)));
    for (std::int64_t done = 0;
         (done = file.Read(buffer.data(), static_cast<std::int64_t>(buffer.size()))) > 0;)
        sink.Write(buffer.data(), done);
    return sink.Problem();
}

// count bytes of a file from offset (a negative offset counts from the end).
TBytes ReadAt(const std::string &path, std::int64_t offset, std::size_t count)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const auto size = static_cast<std::int64_t>(file.tellg());
    file.seekg(offset < 0 ? size + offset : offset);
    TBytes bytes(count);
    file.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(count));
    return bytes;
}

// --- Kinds of archive ----------------------------------------------------------------------------

enum class Kind {
    Zip64BySize,
    ReservedZip64Item,
    Zip64ByCount,
    Exactly65535Entries,
    EntryBeyond4GiB,
    ParallelCompressed
};

void WriteThroughStreams(const BuiltArchive &archive)
{
    TZipFile zip;
    zip.Open(archive.Path, zmWrite);
    for (const ExpectedEntry &entry : archive.Entries) {
        const std::unique_ptr<TStream> source =
            entry.IsFolder() ? std::make_unique<TMemoryStream>() : entry.Content();
        zip.Add(*source, entry.Name, entry.Method,
                entry.IsFolder() ? TFileAttributes{faDirectory} : TFileAttributes{faArchive}, T);
    }
    zip.Close();
}

// A deflated 4.5 GiB entry (only its uncompressed size needs 64 bits) and a small one after it.
void BuildZip64BySize(BuiltArchive &archive)
{
    archive.Entries = {
        {"velika/uzorak.txt", [] { return std::make_unique<PatternStream>(PATTERN_SIZE); }},
        {"velika/poslije.txt", BytesContent(ToBytes("iza velikog zapisa\n"))},
    };
    archive.Zip64Records = true;
    archive.Layout = [](TZipFile &zip) {
        EXPECT_EQ(zip.FileInfo(0).UncompressedSize, 0xFFFFFFFFu);
        EXPECT_NE(zip.FileInfo(0).CompressedSize, 0xFFFFFFFFu);
    };
    WriteThroughStreams(archive);
}

// A source just under 4 GiB whose deflated size could have passed 4 GiB: its local header got a
// ZIP64 item before the data were written, though in the end every value fits in 32 bits.
void BuildReservedZip64Item(BuiltArchive &archive)
{
    archive.Entries = {
        {"rezerva/uzorak.txt", [] { return std::make_unique<PatternStream>(RESERVED_SIZE); }},
        {"rezerva/poslije.txt", BytesContent(ToBytes("iza zapisa s rezervom\n"))},
    };
    const std::string path = archive.Path;
    archive.Layout = [path](TZipFile &zip) {
        EXPECT_EQ(U16At(ReadAt(path, 0, 30), 28), 20) << "the first local header carries a ZIP64 item";
        EXPECT_TRUE(zip.FileInfo(0).ExtraField.empty()) << "its central header needs none";
    };
    WriteThroughStreams(archive);
}

std::string CountedName(int i)
{
    // Every 997th name carries Croatian letters, so a Unicode Path item appears among plain entries.
    return "d" + std::to_string(i / 1000) + "/" + (i % 997 == 0 ? "\u010D\u0107\u017E\u0161\u0111-" : "f") +
           std::to_string(i) + ".txt";
}

TBytes CountedContent(int i)
{
    std::string text;
    for (int line = 0; line < i % 5; ++line)
        text += "zapis " + std::to_string(i) + "\n";
    return ToBytes(text);
}

// Small files, deflated and stored in turn (some empty); the count alone decides about ZIP64.
void BuildCounted(BuiltArchive &archive, int count)
{
    archive.Entries.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        archive.Entries.push_back({CountedName(i),
                                   [i] { return std::make_unique<TMemoryStream>(CountedContent(i)); },
                                   i % 2 == 0 ? zcDeflate : zcStored});
    archive.Zip64Records = count > 0xFFFF;
    WriteThroughStreams(archive);
}

// Stored noise of 4.1 GiB, so that the entries after it start beyond 4 GiB: their local header
// offsets exist only in their central ZIP64 items.
void BuildEntryBeyond4GiB(BuiltArchive &archive)
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "ma\u010Dka " + std::to_string(i) + " i \u0107up, \u017Eaba, \u0161uma, \u0111ak\n";
    archive.Entries = {
        {"\u0161um.bin", [] { return std::make_unique<GeneratedStream>(NOISE_SIZE, true); }, zcStored},
        {"Dokumenti/", {}, zcStored},
        {"Dokumenti/ma\u010Dka \u0107up \u017Eaba \u0161uma \u0111ak.txt", BytesContent(ToBytes(text))},
    };
    archive.Zip64Records = true;
    archive.Layout = [](TZipFile &zip) {
        EXPECT_GT(zip.LocalHeaderPosition(1), 0xFFFFFFFFu);
        EXPECT_GT(zip.LocalHeaderPosition(2), 0xFFFFFFFFu);
    };
    WriteThroughStreams(archive);
}

// A backup as the worker writes it: folders stored, files deflated ahead on every core.
void BuildParallelCompressed(BuiltArchive &archive)
{
    const fs::path sources = archive.Dir->Path() / "izvori";
    std::vector<std::pair<std::string, TBytes>> files = {
        {"Dokumenti/velika mje\u0161avina.txt", MixedContent(20'000'000, 3)},
        {"Dokumenti/prazna.txt", {}},
        {"Prazne/\u010D\u0107\u017E\u0161\u0111", {}},
    };
    for (int i = 0; i < 400; ++i) {
        const std::string name = i % 50 == 0
                                     ? "\u010Dla\u0107\u017Ea\u0161\u0111" + std::to_string(i) + ".txt"
                                     : "mala" + std::to_string(i) + ".txt";
        files.emplace_back("Dokumenti/male/" + name,
                           MixedContent(static_cast<std::size_t>(i % 7 == 0 ? 0 : (i * 7919) % 40000),
                                        static_cast<std::uint64_t>(i) + 100));
    }
    for (const std::string folder : {"Dokumenti/", "Dokumenti/male/", "Prazne/", "Prazna mapa \u0111/"})
        archive.Entries.push_back({folder, {}, zcStored});
    std::vector<std::string> paths;
    for (const auto &[name, bytes] : files) {
        paths.push_back((sources / name).string());
        WriteFileBytes(paths.back(), bytes);
        archive.Entries.push_back({name, FileContent(paths.back())});
    }

    TZipFile zip;
    zip.Open(archive.Path, zmWrite);
    for (const ExpectedEntry &entry : archive.Entries) {
        if (entry.IsFolder()) {
            TMemoryStream empty;
            zip.Add(empty, entry.Name, zcStored, {faDirectory}, T);
        }
    }
    TParallelCompressor compressor(paths);
    for (const ExpectedEntry &entry : archive.Entries) {
        if (!entry.IsFolder())
            zip.AddCompressed(compressor.Next(), entry.Name, {faArchive}, T);
    }
    zip.Close();
}

std::unique_ptr<BuiltArchive> Build(Kind kind)
{
    auto archive = std::make_unique<BuiltArchive>();
    archive->Path = archive->Dir->File("arhiva.zip");
    switch (kind) {
    case Kind::Zip64BySize:
        BuildZip64BySize(*archive);
        break;
    case Kind::ReservedZip64Item:
        BuildReservedZip64Item(*archive);
        break;
    case Kind::Zip64ByCount:
        BuildCounted(*archive, 70000);
        break;
    case Kind::Exactly65535Entries:
        BuildCounted(*archive, 65535);
        break;
    case Kind::EntryBeyond4GiB:
        BuildEntryBeyond4GiB(*archive);
        break;
    case Kind::ParallelCompressed:
        BuildParallelCompressed(*archive);
        break;
    }
    return archive;
}

// --- Checks shared by the readers ------------------------------------------------------------------

std::string Quoted(const fs::path &path)
{
    return "'" + path.string() + "'";
}

std::string Run(const std::string &command, int &status)
{
    std::string output;
    status = RunCommand("LC_ALL=C.UTF-8 " + command, output);
    return output;
}

// The start and end of a long output, enough to see what a reader complained about.
std::string Excerpt(const std::string &output)
{
    constexpr std::size_t HALF = 1500;
    if (output.size() <= 2 * HALF)
        return output;
    return output.substr(0, HALF) + "\n[...]\n" + output.substr(output.size() - HALF);
}

bool ContainsNoCase(std::string text, const std::string &word)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text.find(word) != std::string::npos;
}

std::string ToString(const TBytes &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// Names compared in order; a difference is shown at its first position rather than as two long lists.
void ExpectNames(const std::vector<std::string> &actual, const std::vector<std::string> &expected)
{
    if (actual == expected)
        return;
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    ADD_FAILURE() << actual.size() << " names listed, " << expected.size()
                  << " expected; first difference at " << at << ": '"
                  << (at < actual.size() ? actual[at] : "<none>") << "' instead of '"
                  << (at < expected.size() ? expected[at] : "<none>") << "'";
}

std::vector<std::string> WithoutFolderSlash(std::vector<std::string> names)
{
    for (std::string &name : names) {
        if (name.ends_with('/'))
            name.pop_back();
    }
    return names;
}

// The extracted tree holds exactly the archive's files, byte for byte, and its folders.
void ExpectExtractedTree(const fs::path &root, const BuiltArchive &archive)
{
    std::set<std::string> found;
    for (const auto &item : fs::recursive_directory_iterator(root)) {
        if (item.is_regular_file())
            found.insert(item.path().lexically_relative(root).generic_string());
        else if (!item.is_directory())
            ADD_FAILURE() << "neither file nor folder: " << item.path();
    }
    std::set<std::string> expected;
    int failures = 0;
    for (const ExpectedEntry &entry : archive.Entries) {
        if (entry.IsFolder()) {
            EXPECT_TRUE(fs::is_directory(root / entry.Name)) << entry.Name;
            continue;
        }
        expected.insert(entry.Name);
        if (found.count(entry.Name) == 0 || failures >= 10)
            continue;
        const std::string problem = CompareFile(root / entry.Name, entry.Content);
        if (!problem.empty()) {
            ++failures;
            ADD_FAILURE() << entry.Name << ": " << problem;
        }
    }
    std::vector<std::string> missing;
    std::vector<std::string> extra;
    std::set_difference(expected.begin(), expected.end(), found.begin(), found.end(),
                        std::back_inserter(missing));
    std::set_difference(found.begin(), found.end(), expected.begin(), expected.end(),
                        std::back_inserter(extra));
    EXPECT_TRUE(missing.empty()) << missing.size() << " files missing, first: " << missing.front();
    EXPECT_TRUE(extra.empty()) << extra.size() << " unexpected files, first: " << extra.front();
}

// A folder for one reader's extraction, removed with its contents at scope end.
class ExtractionFolder
{
  public:
    ExtractionFolder(const BuiltArchive &archive, const std::string &reader)
        : FPath(archive.Dir->Path() / ("out-" + reader))
    {
        fs::create_directories(FPath);
    }
    ~ExtractionFolder()
    {
        std::error_code ignored;
        fs::remove_all(FPath, ignored);
    }
    ExtractionFolder(const ExtractionFolder &) = delete;
    ExtractionFolder &operator=(const ExtractionFolder &) = delete;

    const fs::path &Path() const { return FPath; }

  private:
    fs::path FPath;
};

// --- The readers ---------------------------------------------------------------------------------

enum class Reader { ReadSide, Unzip, SevenZip, Bsdtar, Python };

bool HasZip64Records(const std::string &path)
{
    const TBytes tail = ReadAt(path, -42, 42);
    EXPECT_EQ(U32At(tail, 20), SIGNATURE_ZIPENDOFHEADER) << "the archive carries no comment";
    return U32At(tail, 0) == SIGNATURE_ZIP64LOCATOR;
}

void CheckReadSide(const BuiltArchive &archive)
{
    EXPECT_EQ(HasZip64Records(archive.Path), archive.Zip64Records);
    EXPECT_TRUE(TZipFile::IsValid(archive.Path));
    TZipFile zip;
    zip.Open(archive.Path, zmRead);
    ExpectNames(zip.FileNames(), archive.Names());
    ASSERT_EQ(zip.FileCount(), static_cast<int>(archive.Entries.size()));
    if (archive.Layout)
        archive.Layout(zip);
    int failures = 0;
    for (int i = 0; i < zip.FileCount() && failures < 10; ++i) {
        const ExpectedEntry &entry = archive.Entries[static_cast<std::size_t>(i)];
        std::unique_ptr<TStream> expected =
            entry.IsFolder() ? std::make_unique<TMemoryStream>() : entry.Content();
        ComparingSink sink(*expected);
        std::string problem;
        try {
            zip.Read(i, sink);
            problem = sink.Problem();
        } catch (const std::exception &error) {
            problem = error.what();
        }
        if (!problem.empty()) {
            ++failures;
            ADD_FAILURE() << entry.Name << ": " << problem;
        }
    }
}

void CheckUnzip(const BuiltArchive &archive)
{
    int status = 0;
    std::string output = Run("unzip -t " + Quoted(archive.Path), status);
    EXPECT_EQ(status, 0) << Excerpt(output);
    EXPECT_TRUE(output.find("No errors detected in compressed data") != std::string::npos) << Excerpt(output);
    EXPECT_FALSE(ContainsNoCase(output, "warning")) << Excerpt(output);

    output = Run("unzip -Z1 " + Quoted(archive.Path), status);
    EXPECT_EQ(status, 0) << Excerpt(output);
    ExpectNames(Lines(output), archive.Names());
}

void CheckSevenZip(const BuiltArchive &archive)
{
    int status = 0;
    std::string output = Run("7zz t " + Quoted(archive.Path), status);
    EXPECT_EQ(status, 0) << Excerpt(output);
    EXPECT_TRUE(output.find("Everything is Ok") != std::string::npos) << Excerpt(output);
    EXPECT_FALSE(ContainsNoCase(output, "warning")) << Excerpt(output);
    EXPECT_FALSE(ContainsNoCase(output, "error")) << Excerpt(output);

    output = Run("7zz l -ba -slt " + Quoted(archive.Path), status);
    EXPECT_EQ(status, 0) << Excerpt(output);
    std::vector<std::string> names;
    for (const std::string &line : Lines(output)) {
        if (line.starts_with("Path = "))
            names.push_back(line.substr(7));
    }
    // 7-Zip lists folders without their closing slash.
    ExpectNames(names, WithoutFolderSlash(archive.Names()));
}

// The size and CRC-32 of all file contents back to back, as an extraction to one stream gives them.
std::pair<std::uint64_t, std::uint32_t> ConcatenatedDigest(const BuiltArchive &archive)
{
    std::uint64_t size = 0;
    uLong crc = crc32(0, nullptr, 0);
    TBytes buffer(PIECE);
    for (const ExpectedEntry &entry : archive.Entries) {
        if (entry.IsFolder())
            continue;
        const std::unique_ptr<TStream> content = entry.Content();
        for (std::int64_t done = 0; (done = content->Read(buffer.data(), PIECE)) > 0;) {
            crc = crc32(crc, buffer.data(), static_cast<uInt>(done));
            size += static_cast<std::uint64_t>(done);
        }
    }
    return {size, static_cast<std::uint32_t>(crc)};
}

// Runs a command and takes the size and CRC-32 of its standard output; its error output goes to
// errorFile.
std::pair<std::uint64_t, std::uint32_t> OutputDigest(const std::string &command, const std::string &errorFile,
                                                     int &status)
{
    FILE *pipe = ::popen(("LC_ALL=C.UTF-8 " + command + " 2>" + Quoted(errorFile)).c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("popen failed");
    std::uint64_t size = 0;
    uLong crc = crc32(0, nullptr, 0);
    TBytes buffer(PIECE);
    for (std::size_t done = 0; (done = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
        crc = crc32(crc, buffer.data(), static_cast<uInt>(done));
        size += done;
    }
    const int result = ::pclose(pipe);
    status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return {size, static_cast<std::uint32_t>(crc)};
}

void CheckBsdtar(const BuiltArchive &archive)
{
    int status = 0;
    const std::string output = Run("bsdtar -tf " + Quoted(archive.Path), status);
    EXPECT_EQ(status, 0) << Excerpt(output);
    // Warnings would appear here as extra lines.
    ExpectNames(Lines(output), archive.Names());

    // Every file's bytes, in archive order, into one stream: bsdtar checks each entry's CRC on the
    // way, and the whole stream must be exactly the files' contents back to back.
    const std::string errors = archive.Dir->File("bsdtar-errors.txt");
    const auto digest = OutputDigest("bsdtar -xOf " + Quoted(archive.Path), errors, status);
    const std::string errorText = ToString(ReadFileBytes(errors));
    fs::remove(errors);
    EXPECT_EQ(status, 0) << Excerpt(errorText);
    EXPECT_EQ(errorText, "") << Excerpt(errorText);
    const auto expected = ConcatenatedDigest(archive);
    EXPECT_EQ(digest.first, expected.first) << "bytes extracted";
    EXPECT_EQ(digest.second, expected.second) << "CRC-32 of the extracted bytes";
}

// testzip reads every entry and checks its CRC; extractall then writes the tree. Warnings are
// errors, so the output is "OK" and the names, or a complaint.
constexpr const char *PYTHON_CHECK = R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    bad = archive.testzip()
    if bad is not None:
        sys.exit("testzip: first bad entry " + bad)
    archive.extractall(sys.argv[2])
    out = sys.stdout.buffer
    out.write(b"OK\n")
    for name in archive.namelist():
        out.write(name.encode("utf-8") + b"\n")
)";

void CheckPython(const BuiltArchive &archive)
{
    const std::string script = archive.Dir->File("provjera.py");
    WriteFileBytes(script, ToBytes(PYTHON_CHECK));
    const ExtractionFolder target(archive, "python");
    int status = 0;
    const std::string output =
        Run("python3 -W error " + Quoted(script) + " " + Quoted(archive.Path) + " " + Quoted(target.Path()),
            status);
    EXPECT_EQ(status, 0) << Excerpt(output);
    std::vector<std::string> lines = Lines(output);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "OK") << Excerpt(output);
    lines.erase(lines.begin());
    ExpectNames(lines, archive.Names());
    ExpectExtractedTree(target.Path(), archive);
}

const char *ReaderName(Reader reader)
{
    static const char *const NAMES[] = {"ReadSide", "Unzip", "SevenZip", "Bsdtar", "Python"};
    return NAMES[static_cast<int>(reader)];
}

const char *KindName(Kind kind)
{
    static const char *const NAMES[] = {"Zip64BySize",         "ReservedZip64Item", "Zip64ByCount",
                                        "Exactly65535Entries", "EntryBeyond4GiB",   "ParallelCompressed"};
    return NAMES[static_cast<int>(kind)];
}

// gtest shows parameters through these.
[[maybe_unused]] void PrintTo(Reader reader, std::ostream *stream)
{
    *stream << ReaderName(reader);
}

[[maybe_unused]] void PrintTo(Kind kind, std::ostream *stream)
{
    *stream << KindName(kind);
}

// The program a reader runs, or "" for our own read side.
std::string Command(Reader reader)
{
    switch (reader) {
    case Reader::Unzip:
        return "unzip";
    case Reader::SevenZip:
        return "7zz";
    case Reader::Bsdtar:
        return "bsdtar";
    case Reader::Python:
        return "python3";
    case Reader::ReadSide:
        break;
    }
    return {};
}

// --- The matrix ------------------------------------------------------------------------------------

// Holds the one archive being checked; building the next kind deletes it first, so at most one
// large archive (and one reader's extraction of it) is on disk at a time.
struct ArchiveCache
{
    std::optional<Kind> Built;
    std::unique_ptr<BuiltArchive> Archive;
    std::string Error;
};

ArchiveCache &Cache()
{
    static ArchiveCache cache;
    return cache;
}

} // namespace

class ReaderMatrix : public ::testing::TestWithParam<std::tuple<Kind, Reader>>
{
  protected:
    static void TearDownTestSuite() { Cache() = {}; }

    // The archive of a kind, built on first use; nullptr (with the failure recorded) when writing failed.
    static const BuiltArchive *ArchiveOf(Kind kind)
    {
        ArchiveCache &cache = Cache();
        if (cache.Built != kind) {
            cache = {};
            cache.Built = kind;
            try {
                cache.Archive = Build(kind);
            } catch (const std::exception &error) {
                cache.Archive.reset();
                cache.Error = error.what();
            }
        }
        if (!cache.Archive)
            ADD_FAILURE() << "writing the archive failed: " << cache.Error;
        return cache.Archive.get();
    }
};

TEST_P(ReaderMatrix, ReadsEveryEntryWithoutComplaint)
{
    const auto [kind, reader] = GetParam();
    const std::string command = Command(reader);
    if (!command.empty() && !HaveCommand(command))
        GTEST_SKIP() << command << " is not installed";
    const BuiltArchive *archive = ArchiveOf(kind);
    ASSERT_NE(archive, nullptr);
    switch (reader) {
    case Reader::ReadSide:
        CheckReadSide(*archive);
        break;
    case Reader::Unzip:
        CheckUnzip(*archive);
        break;
    case Reader::SevenZip:
        CheckSevenZip(*archive);
        break;
    case Reader::Bsdtar:
        CheckBsdtar(*archive);
        break;
    case Reader::Python:
        CheckPython(*archive);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Archives, ReaderMatrix,
    ::testing::Combine(
        ::testing::Values(Kind::Zip64BySize, Kind::ReservedZip64Item, Kind::Zip64ByCount,
                          Kind::Exactly65535Entries, Kind::EntryBeyond4GiB, Kind::ParallelCompressed),
        ::testing::Values(Reader::ReadSide, Reader::Unzip, Reader::SevenZip, Reader::Bsdtar, Reader::Python)),
    [](const ::testing::TestParamInfo<std::tuple<Kind, Reader>> &info) {
        return std::string(KindName(std::get<0>(info.param))) + "_" + ReaderName(std::get<1>(info.param));
    });
