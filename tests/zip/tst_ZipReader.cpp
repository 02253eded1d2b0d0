// The read side: trees written and read back byte for byte, the end record found behind a comment,
// damaged archives refused, extraction that never leaves its folder, and adding to an existing archive.

#include "ZipTestUtil.h"

#include "zip/EZipException.h"
#include "zip/TFileStream.h"
#include "zip/TMemoryStream.h"
#include "zip/TZipFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <random>

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t T = 0x586F6DAF;

TBytes RandomContent(std::mt19937 &generator, std::size_t size, bool compressible)
{
    static const std::string WORDS[] = {"arhiva ", "datoteka ", "mapa ", "sigurnosna ", "kopija ", "\n"};
    TBytes bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        if (compressible) {
            const std::string &word = WORDS[generator() % 6];
            bytes.insert(bytes.end(), word.begin(), word.end());
        } else {
            bytes.push_back(static_cast<std::uint8_t>(generator()));
        }
    }
    bytes.resize(size);
    return bytes;
}

// Relative path -> content of every regular file below root.
std::map<std::string, TBytes> Tree(const fs::path &root)
{
    std::map<std::string, TBytes> files;
    for (const auto &item : fs::recursive_directory_iterator(root)) {
        if (item.is_regular_file())
            files[item.path().lexically_relative(root).generic_string()] =
                ReadFileBytes(item.path().string());
    }
    return files;
}

void MakeRandomTree(const fs::path &root, unsigned seed)
{
    std::mt19937 generator(seed);
    const std::string names[] = {"ma\u010Dka", "\u0107up",   "\u017Eaba", "\u0161uma", "\u0111ak",
                                 "plain",      "with space", ".hidden",   "UPPER",     "x"};
    for (int i = 0; i < 40; ++i) {
        fs::path path = root;
        const int depth = static_cast<int>(generator() % 4);
        for (int d = 0; d < depth; ++d)
            path /= names[generator() % 10] + std::to_string(d);
        path /= names[generator() % 10] + std::to_string(i) + ".dat";
        const std::size_t sizes[] = {0, 1, 100, 70000, 300000, (1u << 20) + 17};
        const std::size_t size = sizes[generator() % 6];
        WriteFileBytes(path.string(), RandomContent(generator, size, generator() % 2 == 0));
    }
}

} // namespace

// --- Round trips -----------------------------------------------------------------------------

class RoundTrip : public ::testing::TestWithParam<TZipCompression>
{
};

TEST_P(RoundTrip, RandomTreeComesBackByteForByte)
{
    TTempDir dir;
    const fs::path source = dir.Path() / "source";
    const fs::path target = dir.Path() / "target";
    MakeRandomTree(source, 7 + GetParam());
    const std::string archive = dir.File("tree.zip");

    TZipFile::ZipDirectoryContents(archive, source.string(), GetParam());
    ASSERT_TRUE(TZipFile::IsValid(archive));
    TZipFile::ExtractZipFile(archive, target.string());
    EXPECT_EQ(Tree(target), Tree(source));

    TZipFile zip;
    zip.Open(archive, zmRead);
    for (int i = 0; i < zip.FileCount(); ++i)
        EXPECT_EQ(zip.FileInfo(i).CompressionMethod, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Reader, RoundTrip, ::testing::Values(zcDeflate, zcStored));

TEST(ReaderOpen, EndRecordIsFoundBehindAComment)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.Add(ToBytes("content"), "a.txt");
    // A comment that itself looks like an end record must not be mistaken for one.
    std::string comment = "before PK\x05\x06";
    comment += std::string(14, '\x01') + "after";
    zip.SetComment(comment);
    zip.Close();

    archive.SetPosition(0);
    TZipFile reader;
    reader.Open(archive, zmRead);
    EXPECT_EQ(reader.Comment(), comment);
    EXPECT_EQ(reader.FileNames(), std::vector<std::string>{"a.txt"});
    TBytes content;
    reader.Read("A.TXT", content);
    EXPECT_EQ(content, ToBytes("content"));
    EXPECT_THROW(reader.Read("b.txt", content), EZipException);
}

TEST(ReaderOpen, ReadWriteAddsAfterTheExistingEntries)
{
    TTempDir dir;
    const std::string path = dir.File("grow.zip");
    {
        TZipFile zip;
        zip.Open(path, zmWrite);
        zip.SetUTF8Support(false);
        zip.Add(ToBytes("one"), "one.txt");
        zip.SetComment("kept");
        zip.Close();
    }
    const std::int64_t directoryOffset = 30 + 7 + 5;
    {
        TZipFile zip;
        zip.Open(path, zmReadWrite);
        EXPECT_FALSE(zip.UTF8Support()) << "an entry without the UTF-8 flag";
        EXPECT_EQ(zip.Comment(), "kept");
        zip.Add(ToBytes("two"), "two.txt");
        EXPECT_EQ(zip.LocalHeaderPosition(1), static_cast<std::uint64_t>(directoryOffset))
            << "the new entry replaces the old directory";
        zip.Close();
    }
    TZipFile zip;
    zip.Open(path, zmRead);
    ASSERT_EQ(zip.FileNames(), (std::vector<std::string>{"one.txt", "two.txt"}));
    EXPECT_EQ(zip.Comment(), "kept");
    TBytes two;
    zip.Read(1, two);
    EXPECT_EQ(two, ToBytes("two"));
}

// --- Damaged archives ------------------------------------------------------------------------

struct DamageCase
{
    std::string Name;
    TZipCompression Method;
    std::function<void(TBytes &)> Damage;
    std::string Message;
};

class DamagedArchive : public ::testing::TestWithParam<DamageCase>
{
};

TEST_P(DamagedArchive, IsReportedClearly)
{
    TMemoryStream archive;
    {
        TZipFile zip;
        zip.Open(archive, zmWrite);
        std::mt19937 generator(3);
        zip.Add(RandomContent(generator, 5000, true), "data.bin", GetParam().Method);
        zip.Close();
    }
    TBytes bytes = archive.Bytes();
    GetParam().Damage(bytes);
    TMemoryStream damaged(bytes);
    try {
        TZipFile zip;
        zip.Open(damaged, zmRead);
        zip.Test(0);
        FAIL() << "damage not noticed";
    } catch (const EZipException &error) {
        EXPECT_EQ(std::string(error.what()), GetParam().Message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reader, DamagedArchive,
    ::testing::Values(DamageCase{"StoredByteFlipped", zcStored, [](TBytes &b) { b[30 + 8 + 100] ^= 1; },
                                 "CRC-32 mismatch in zip entry: data.bin"},
                      DamageCase{"DeflatedDataDamaged", zcDeflate, [](TBytes &b) { b[30 + 8 + 2] ^= 0xFF; },
                                 "Compressed data is damaged: data.bin"},
                      DamageCase{"CentralCrcChanged", zcDeflate,
                                 [](TBytes &b) { b[b.size() - 22 - 46 - 8 + 16] ^= 1; },
                                 "CRC-32 mismatch in zip entry: data.bin"},
                      DamageCase{"UncompressedSizeChanged", zcDeflate,
                                 [](TBytes &b) { b[b.size() - 22 - 46 - 8 + 24] += 1; },
                                 "Size mismatch in zip entry: data.bin"},
                      DamageCase{"LocalSignatureBroken", zcDeflate, [](TBytes &b) { b[0] = 'X'; },
                                 "Invalid zip file: damaged local header of data.bin"},
                      DamageCase{"EndRecordCut", zcDeflate, [](TBytes &b) { b.resize(b.size() - 3); },
                                 "Invalid zip file: end of central directory not found"},
                      DamageCase{"DirectoryOffsetWrong", zcDeflate,
                                 [](TBytes &b) { b[b.size() - 22 + 16] += 3; },
                                 "Invalid zip file: damaged central directory"}),
    [](const ::testing::TestParamInfo<DamageCase> &info) { return info.param.Name; });

TEST(ReaderOpen, IsValidTellsArchivesFromOtherFiles)
{
    TTempDir dir;
    WriteFileBytes(dir.File("text.zip"), ToBytes("not an archive at all, just some text"));
    EXPECT_FALSE(TZipFile::IsValid(dir.File("text.zip")));
    EXPECT_FALSE(TZipFile::IsValid(dir.File("missing.zip")));
    TZipFile zip;
    zip.Open(dir.File("ok.zip"), zmWrite);
    zip.Close();
    EXPECT_TRUE(TZipFile::IsValid(dir.File("ok.zip")));
}

// --- Extraction stays inside its folder ------------------------------------------------------

class UnsafeName : public ::testing::TestWithParam<std::string>
{
};

TEST_P(UnsafeName, IsRefusedBeforeAnythingIsWritten)
{
    TTempDir dir;
    const std::string archive = dir.File("evil.zip");
    {
        TZipFile zip;
        zip.Open(archive, zmWrite);
        zip.Add(ToBytes("harmless"), "first.txt");
        zip.Add(ToBytes("payload"), GetParam());
        zip.Close();
    }
    const fs::path target = dir.Path() / "a" / "b" / "target";
    fs::create_directories(target);
    try {
        TZipFile::ExtractZipFile(archive, target.string());
        FAIL() << "extracted " << GetParam();
    } catch (const EZipException &error) {
        EXPECT_EQ(std::string(error.what()), "Unsafe file name in zip file: " + GetParam());
    }
    EXPECT_TRUE(fs::is_empty(target));
    std::size_t files = 0;
    for (const auto &item : fs::recursive_directory_iterator(dir.Path()))
        files += item.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u) << "only the archive itself";
}

INSTANTIATE_TEST_SUITE_P(Reader, UnsafeName,
                         ::testing::Values("../x", "a/../../x", "a/..", "/etc/x", "C:x", "c:/x", "\\x",
                                           "a\\..\\..\\x"));

TEST(ReaderExtract, NamesThatOnlyLookOddAreExtracted)
{
    TTempDir dir;
    const std::string archive = dir.File("odd.zip");
    {
        TZipFile zip;
        zip.Open(archive, zmWrite);
        zip.Add(ToBytes("1"), "a..b/c..");
        zip.Add(ToBytes("2"), "home/ana/x:y.txt");
        TMemoryStream empty;
        zip.Add(empty, "home/ana/Empty/", zcStored, {faDirectory}, T);
        zip.Close();
    }
    TZipFile::ExtractZipFile(archive, dir.File("out"));
    EXPECT_EQ(ReadFileBytes(dir.File("out/a..b/c..")), ToBytes("1"));
    EXPECT_EQ(ReadFileBytes(dir.File("out/home/ana/x:y.txt")), ToBytes("2"));
    EXPECT_TRUE(fs::is_directory(dir.File("out/home/ana/Empty")));
}

// --- Archives made by other programs ---------------------------------------------------------

TEST(ReaderPeers, ReadsArchivesOfInfoZipAndPython)
{
    if (!HaveCommand("zip") || !HaveCommand("python3"))
        GTEST_SKIP() << "zip or python3 missing";
    TTempDir dir;
    const fs::path source = dir.Path() / "src";
    MakeRandomTree(source, 99);
    std::string output;
    ASSERT_EQ(RunCommand("cd '" + source.string() + "' && LC_ALL=C.UTF-8 zip -q -r ../infozip.zip .", output),
              0)
        << output;
    ASSERT_EQ(RunCommand("cd '" + source.string() +
                             "' && python3 -c \"import zipfile,os\n"
                             "with zipfile.ZipFile('../python.zip','w',zipfile.ZIP_DEFLATED) as z:\n"
                             "  for r,d,f in os.walk('.'):\n"
                             "    for n in f:\n"
                             "      p=os.path.join(r,n)\n"
                             "      z.write(p, os.path.relpath(p), compresslevel=9)\n"
                             "      z.getinfo(os.path.relpath(p))\n"
                             "z2=zipfile.ZipFile('../python.zip','a')\n"
                             "with z2.open('forced64.bin','w',force_zip64=True) as f: f.write(b'x'*1000)\n"
                             "z2.close()\"",
                         output),
              0)
        << output;
    for (const std::string name : {"infozip.zip", "python.zip"}) {
        TZipFile zip;
        zip.Open(dir.File(name), zmRead);
        ASSERT_GT(zip.FileCount(), 0) << name;
        for (int i = 0; i < zip.FileCount(); ++i)
            EXPECT_NO_THROW(zip.Test(i)) << name << ": " << zip.FileName(i);
    }
    // Info-ZIP marks non-ASCII names with its Unicode Path item only: the names still come back.
    TZipFile::ExtractZipFile(dir.File("infozip.zip"), dir.File("out"));
    EXPECT_EQ(Tree(dir.Path() / "out"), Tree(source));
}

// The front ends word a failure from its code and values, never from the English text: each fixed
// text, also as passed on with the entry it met, gives its code and the values it carried.
struct TFaultText
{
    const char *Text;
    TZipFault::TCode Code;
    const char *Entry;
    const char *Detail;
};

class ZipFaultText : public testing::TestWithParam<TFaultText>
{
};

TEST_P(ZipFaultText, GivesItsCodeAndValues)
{
    const TZipFault fault = EZipException(GetParam().Text).Fault();
    EXPECT_EQ(fault.Code, GetParam().Code);
    EXPECT_EQ(fault.Entry, GetParam().Entry);
    EXPECT_EQ(fault.Detail, GetParam().Detail);
}

using TCode = TZipFault::TCode;
INSTANTIATE_TEST_SUITE_P(
    Texts, ZipFaultText,
    testing::Values(
        TFaultText{"Invalid zip file: end of central directory not found", TCode::NoEndRecord, "", ""},
        TFaultText{"CRC-32 mismatch in zip entry: a: b.txt", TCode::CrcMismatch, "a: b.txt", ""},
        TFaultText{"Compressed data is damaged: dok/x.bin", TCode::DataDamaged, "dok/x.bin", ""},
        TFaultText{"Compressed data is damaged", TCode::DataDamaged, "", ""},
        TFaultText{"Invalid zip file: local header differs from central directory (sizes): d/e",
                   TCode::LocalHeaderDiffers, "d/e", "sizes"},
        TFaultText{"Invalid zip file: unknown version needed to extract (6.4): v", TCode::UnknownVersion, "v",
                   "6.4"},
        TFaultText{"Support for compression method not registered: 99: m.bin", TCode::MethodUnsupported,
                   "m.bin", "99"},
        TFaultText{"Support for compression method not registered: 99", TCode::MethodUnsupported, "", "99"},
        TFaultText{"Cannot be checked: LZMA dictionary of 512 MiB: big.xz", TCode::DictionaryTooLarge,
                   "big.xz", "512"},
        TFaultText{"Out of memory for deflate", TCode::OutOfMemory, "", ""},
        TFaultText{"Out of memory: x", TCode::OutOfMemory, "x", ""},
        TFaultText{"Compression failed: zlib: stream error", TCode::CompressionFailed, "", ""},
        TFaultText{"Invalid stream operation", TCode::Internal, "", ""}));

TEST(ZipFault, ASystemFailureKeepsItsErrnoAndPath)
{
    const TTempDir dir;
    const std::string missing = dir.File("nema/a.zip");
    try {
        TZipFile zip;
        zip.Open(missing, zmRead);
        FAIL() << "opened a missing archive";
    } catch (const std::exception &failure) {
        const TZipFault fault = TZipFault::Of(failure);
        EXPECT_EQ(fault.Code, TCode::System) << failure.what();
        EXPECT_EQ(fault.SystemError, ENOENT);
        EXPECT_EQ(fault.Entry, missing);
    }
}
