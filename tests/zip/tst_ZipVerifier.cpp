// The verifier reads archives back from the disk: sound archives of Arkivoda and of Info-ZIP zip pass,
// and each kind of damage is caught, naming the entry it is in.

#include "ZipTestUtil.h"

#include "zip/TZipFile.h"
#include "zip/TZipVerifier.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <random>

using namespace ziptest;

namespace {

// Four entries: text, incompressible bytes, an empty file and a stored one.
std::string WriteArchive(const TTempDir &folder)
{
    const std::string archive = folder.File("a.zip");
    std::mt19937 generator(5);
    TBytes noise(300000);
    for (auto &byte : noise)
        byte = static_cast<std::uint8_t>(generator());
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "sigurnosna kopija " + std::to_string(i) + "\n";
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.Add(ToBytes(text), "dok/tekst.txt");
    zip.Add(noise, "dok/šum.bin");
    zip.Add(TBytes(), "prazna.txt");
    zip.Add(ToBytes(text), "spremljena.txt", zcStored);
    zip.Close();
    return archive;
}

// Where entry index's local header and data begin.
struct TPlace
{
    std::size_t Header = 0;
    std::size_t Data = 0;
    std::size_t CompressedSize = 0;
};

TPlace PlaceOf(const std::string &archive, int index)
{
    TZipFile zip;
    zip.Open(archive, zmRead);
    const TBytes bytes = ReadFileBytes(archive);
    TPlace place;
    place.Header = static_cast<std::size_t>(zip.LocalHeaderPosition(index));
    place.Data = place.Header + 30 + U16At(bytes, place.Header + 26) + U16At(bytes, place.Header + 28);
    place.CompressedSize = zip.FileInfo(index).CompressedSize;
    return place;
}

// The central directory's offset, from the end record of an archive without comment.
std::size_t DirectoryOf(const TBytes &bytes)
{
    return U32At(bytes, bytes.size() - 22 + 16);
}

struct TDamage
{
    const char *Name;
    std::function<void(const std::string &archive, TBytes &bytes)> Apply;
    const char *Fault; // a part of the fault's text
};

void PrintTo(const TDamage &damage, std::ostream *out)
{
    *out << damage.Name;
}

class ZipVerifierDamage : public testing::TestWithParam<TDamage>
{
};

TEST_P(ZipVerifierDamage, IsCaughtWithItsEntry)
{
    const TTempDir folder;
    const std::string archive = WriteArchive(folder);
    TBytes bytes = ReadFileBytes(archive);
    GetParam().Apply(archive, bytes);
    WriteFileBytes(archive, bytes);

    for (const unsigned threads : {1u, 4u}) {
        const TZipVerification found = TZipVerifier::Verify(archive, threads);
        EXPECT_FALSE(found.Sound) << threads;
        EXPECT_NE(found.Fault.find(GetParam().Fault), std::string::npos) << found.Fault;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Damages, ZipVerifierDamage,
    testing::Values(
        TDamage{"FlippedDataByte",
                [](const std::string &archive, TBytes &bytes) {
                    const TPlace place = PlaceOf(archive, 1);
                    bytes[place.Data + place.CompressedSize / 2] ^= 0x10;
                },
                "dok/šum.bin"},
        TDamage{
            "FlippedStoredByte",
            [](const std::string &archive, TBytes &bytes) { bytes[PlaceOf(archive, 3).Data + 100] ^= 0x01; },
            "CRC-32 mismatch in zip entry: spremljena.txt"},
        TDamage{"TruncatedEnd", [](const std::string &, TBytes &bytes) { bytes.resize(bytes.size() - 10); },
                "Invalid zip file"},
        TDamage{"TruncatedHalf", [](const std::string &, TBytes &bytes) { bytes.resize(bytes.size() / 2); },
                "Invalid zip file"},
        TDamage{"DamagedCentralDirectory",
                [](const std::string &, TBytes &bytes) {
                    // The second central header's signature.
                    const std::size_t directory = DirectoryOf(bytes);
                    const std::size_t second = directory + 46 + U16At(bytes, directory + 28) +
                                               U16At(bytes, directory + 30) + U16At(bytes, directory + 32);
                    bytes[second + 1] ^= 0xFF;
                },
                "damaged central directory"},
        TDamage{"CentralNameDiffers",
                [](const std::string &, TBytes &bytes) { bytes[DirectoryOf(bytes) + 46] = 'D'; },
                "Dok/tekst.txt"},
        TDamage{
            "LocalCrcDiffers",
            [](const std::string &archive, TBytes &bytes) { bytes[PlaceOf(archive, 0).Header + 14] ^= 1; },
            "local header differs from central directory (CRC-32): dok/tekst.txt"},
        TDamage{
            "LocalSizeDiffers",
            [](const std::string &archive, TBytes &bytes) { bytes[PlaceOf(archive, 3).Header + 22] ^= 1; },
            "local header differs from central directory (sizes): spremljena.txt"},
        TDamage{"LocalMethodDiffers",
                [](const std::string &archive, TBytes &bytes) { bytes[PlaceOf(archive, 3).Header + 8] = 8; },
                "local header differs from central directory (compression method): spremljena.txt"},
        TDamage{"LocalSignatureDamaged",
                [](const std::string &archive, TBytes &bytes) { bytes[PlaceOf(archive, 2).Header] = 'X'; },
                "damaged local header of prazna.txt"}),
    [](const testing::TestParamInfo<TDamage> &info) { return std::string(info.param.Name); });

TEST(ZipVerifier, ArkivodaArchivePasses)
{
    const TTempDir folder;
    const std::string archive = WriteArchive(folder);
    for (const unsigned threads : {0u, 1u, 3u}) {
        const TZipVerification found = TZipVerifier::Verify(archive, threads);
        EXPECT_TRUE(found.Sound) << found.Fault;
        EXPECT_EQ(found.Fault, "");
        EXPECT_EQ(found.Entries, 4u);
        EXPECT_EQ(found.CheckedEntries, 4u);
        EXPECT_EQ(found.UncompressedBytes, 300000u + 2 * 468890u);
    }
}

TEST(ZipVerifier, InfoZipArchivePasses)
{
    if (!HaveCommand("zip"))
        GTEST_SKIP() << "Info-ZIP zip is not installed";
    const TTempDir folder;
    std::mt19937 generator(9);
    TBytes noise(100000);
    for (auto &byte : noise)
        byte = static_cast<std::uint8_t>(generator());
    WriteFileBytes(folder.File("šum.bin"), noise);
    WriteFileBytes(folder.File("tekst.txt"), ToBytes(std::string(50000, 'k')));
    std::filesystem::create_directory(folder.Path() / "mapa");
    std::string output;
    ASSERT_EQ(
        RunCommand("cd '" + folder.Path().string() + "' && zip -q -r z.zip šum.bin tekst.txt mapa", output),
        0)
        << output;
    const TZipVerification found = TZipVerifier::Verify(folder.File("z.zip"));
    EXPECT_TRUE(found.Sound) << found.Fault;
    EXPECT_EQ(found.CheckedEntries, 3u);
}

// Of two damaged entries the first is reported, however the threads meet them.
TEST(ZipVerifier, TheFirstFaultIsReported)
{
    const TTempDir folder;
    const std::string archive = WriteArchive(folder);
    TBytes bytes = ReadFileBytes(archive);
    bytes[PlaceOf(archive, 3).Data + 10] ^= 1;
    const TPlace first = PlaceOf(archive, 1);
    bytes[first.Data + first.CompressedSize - 10] ^= 1;
    WriteFileBytes(archive, bytes);
    const TZipVerification found = TZipVerifier::Verify(archive, 4);
    EXPECT_FALSE(found.Sound);
    EXPECT_NE(found.Fault.find("dok/šum.bin"), std::string::npos) << found.Fault;
}

// A stop ends the verification between entries: neither sound nor a fault, and said to be interrupted.
TEST(ZipVerifier, AStopEndsItUnfinished)
{
    const TTempDir folder;
    const std::string archive = WriteArchive(folder);
    std::atomic<int> asked{0};
    const TZipVerification found = TZipVerifier::Verify(archive, 2, {}, [&asked] { return ++asked > 1; });
    EXPECT_FALSE(found.Sound);
    EXPECT_TRUE(found.Interrupted);
    EXPECT_EQ(found.Fault, "");
    EXPECT_LT(found.CheckedEntries, found.Entries);

    const TZipVerification whole = TZipVerifier::Verify(archive, 2, {}, [] { return false; });
    EXPECT_TRUE(whole.Sound);
    EXPECT_FALSE(whole.Interrupted);
}

TEST(ZipVerifier, AMissingFileIsAFault)
{
    const TTempDir folder;
    const TZipVerification found = TZipVerifier::Verify(folder.File("nema.zip"));
    EXPECT_FALSE(found.Sound);
    EXPECT_NE(found.Fault, "");
}

} // namespace
