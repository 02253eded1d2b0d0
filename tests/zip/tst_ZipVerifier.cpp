// The verifier reads archives back from the disk: sound archives of Arkivoda and of Info-ZIP zip pass,
// and each kind of damage is caught, naming the entry it is in.

#include "ZipTestUtil.h"

#include "zip/TLittleEndianWriter.h"
#include "zip/TZipFile.h"
#include "zip/TZipVerifier.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <functional>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

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

// Where entry index's central header begins, walking the directory of an archive without comment.
std::size_t CentralHeaderOf(const TBytes &bytes, int index)
{
    std::size_t position = DirectoryOf(bytes);
    for (int i = 0; i < index; ++i)
        position +=
            46 + U16At(bytes, position + 28) + U16At(bytes, position + 30) + U16At(bytes, position + 32);
    return position;
}

void SetU32(TBytes &bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
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
        // The front ends word the fault from its code: every damage has one of its own, and the entry
        // it names is the one the text names.
        EXPECT_NE(found.FaultReason.Code, TZipFault::TCode::None) << found.Fault;
        EXPECT_NE(found.FaultReason.Code, TZipFault::TCode::Internal) << found.Fault;
        EXPECT_TRUE(found.Fault.ends_with(found.FaultReason.Entry)) << found.Fault;
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
        TDamage{"DeflateDataCalledBzip2",
                [](const std::string &archive, TBytes &bytes) {
                    bytes[PlaceOf(archive, 0).Header + 8] = zcBZIP2;
                    bytes[CentralHeaderOf(bytes, 0) + 10] = zcBZIP2;
                },
                "Compressed data is damaged: dok/tekst.txt"},
        TDamage{"LocalSignatureDamaged",
                [](const std::string &archive, TBytes &bytes) { bytes[PlaceOf(archive, 2).Header] = 'X'; },
                "damaged local header of prazna.txt"}),
    [](const testing::TestParamInfo<TDamage> &info) { return std::string(info.param.Name); });

// Entries larger than the verifier reads whole (deflated text, deflated noise, stored noise) beside a
// small deflated one; made once, written anew for each test.
std::string WriteLargeArchive(const TTempDir &folder)
{
    static const TBytes image = [] {
        const TTempDir scratch;
        const std::string archive = scratch.File("velika.zip");
        std::mt19937 generator(7);
        TBytes noise(5u << 20);
        for (auto &byte : noise)
            byte = static_cast<std::uint8_t>(generator());
        std::string text;
        while (text.size() < (6u << 20))
            text += "redak dnevnika " + std::to_string(text.size()) + "\n";
        TZipFile zip;
        zip.Open(archive, zmWrite);
        zip.Add(ToBytes(text.substr(0, 50000)), "mali.txt");
        zip.Add(ToBytes(text), "dnevnik.log");
        zip.Add(noise, "šum.bin");
        zip.Add(noise, "spremljeni.bin", zcStored);
        zip.Close();
        return ReadFileBytes(archive);
    }();
    const std::string archive = folder.File("velika.zip");
    WriteFileBytes(archive, image);
    return archive;
}

// Changes a field in the local and the central header alike, so only the data can tell.
void ChangeBothHeaders(const std::string &archive, TBytes &bytes, int index, std::size_t localOffset,
                       std::size_t centralOffset, std::int64_t change)
{
    const std::size_t local = PlaceOf(archive, index).Header + localOffset;
    const std::size_t central = CentralHeaderOf(bytes, index) + centralOffset;
    SetU32(bytes, local, static_cast<std::uint32_t>(U32At(bytes, local) + change));
    SetU32(bytes, central, static_cast<std::uint32_t>(U32At(bytes, central) + change));
}

struct TLargeDamage
{
    const char *Name;
    int Entry;
    enum { FlipByte, WrongCrc, WrongSize, ShorterData } Kind;
    const char *Fault; // a part of the fault's text
};

void PrintTo(const TLargeDamage &damage, std::ostream *out)
{
    *out << damage.Name;
}

class ZipVerifierLargeDamage : public testing::TestWithParam<TLargeDamage>
{
};

TEST_P(ZipVerifierLargeDamage, IsCaughtWithItsEntry)
{
    const TTempDir folder;
    const std::string archive = WriteLargeArchive(folder);
    TBytes bytes = ReadFileBytes(archive);
    const TLargeDamage &damage = GetParam();
    const TPlace place = PlaceOf(archive, damage.Entry);
    switch (damage.Kind) {
    case TLargeDamage::FlipByte:
        // Near the end of the data, past the first piece a large entry is read in.
        bytes[place.Data + place.CompressedSize - 100] ^= 0x10;
        break;
    case TLargeDamage::WrongCrc:
        ChangeBothHeaders(archive, bytes, damage.Entry, 14, 16, 1);
        break;
    case TLargeDamage::WrongSize:
        ChangeBothHeaders(archive, bytes, damage.Entry, 22, 24, 1);
        break;
    case TLargeDamage::ShorterData:
        ChangeBothHeaders(archive, bytes, damage.Entry, 18, 20, -1);
        break;
    }
    WriteFileBytes(archive, bytes);

    for (const unsigned threads : {1u, 3u}) {
        const TZipVerification found = TZipVerifier::Verify(archive, threads);
        EXPECT_FALSE(found.Sound) << threads;
        EXPECT_NE(found.Fault.find(damage.Fault), std::string::npos) << found.Fault;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Damages, ZipVerifierLargeDamage,
    testing::Values(
        TLargeDamage{"SmallFlippedByte", 0, TLargeDamage::FlipByte, "mali.txt"},
        TLargeDamage{"SmallWrongCrc", 0, TLargeDamage::WrongCrc, "CRC-32 mismatch in zip entry: mali.txt"},
        TLargeDamage{"SmallWrongSize", 0, TLargeDamage::WrongSize, "Size mismatch in zip entry: mali.txt"},
        TLargeDamage{"SmallEndsEarly", 0, TLargeDamage::ShorterData, "Compressed data ends early: mali.txt"},
        TLargeDamage{"TextFlippedByte", 1, TLargeDamage::FlipByte, "dnevnik.log"},
        TLargeDamage{"TextWrongCrc", 1, TLargeDamage::WrongCrc, "CRC-32 mismatch in zip entry: dnevnik.log"},
        TLargeDamage{"TextWrongSize", 1, TLargeDamage::WrongSize, "Size mismatch in zip entry: dnevnik.log"},
        TLargeDamage{"TextEndsEarly", 1, TLargeDamage::ShorterData,
                     "Compressed data ends early: dnevnik.log"},
        TLargeDamage{"NoiseFlippedByte", 2, TLargeDamage::FlipByte, "šum.bin"},
        TLargeDamage{"NoiseWrongCrc", 2, TLargeDamage::WrongCrc, "CRC-32 mismatch in zip entry: šum.bin"},
        TLargeDamage{"StoredFlippedByte", 3, TLargeDamage::FlipByte,
                     "CRC-32 mismatch in zip entry: spremljeni.bin"},
        TLargeDamage{"StoredWrongSize", 3, TLargeDamage::WrongSize,
                     "Size mismatch in zip entry: spremljeni.bin"}),
    [](const testing::TestParamInfo<TLargeDamage> &info) { return std::string(info.param.Name); });

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

TEST(ZipVerifier, LargeEntriesPass)
{
    const TTempDir folder;
    const std::string archive = WriteLargeArchive(folder);
    TZipFile zip;
    zip.Open(archive, zmRead);
    std::uint64_t bytes = 0;
    for (const TZipHeader &header : zip.FileInfos())
        bytes += header.GetZIP64_UncompressedSize();
    zip.Close();
    for (const unsigned threads : {1u, 3u}) {
        const TZipVerification found = TZipVerifier::Verify(archive, threads);
        EXPECT_TRUE(found.Sound) << found.Fault;
        EXPECT_EQ(found.CheckedEntries, 4u);
        EXPECT_EQ(found.UncompressedBytes, bytes);
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

// Large entries are checked ahead of the small ones; of two damaged entries the first by entry order is
// still the one reported.
TEST(ZipVerifier, TheFirstFaultIsReportedAmongLargeEntries)
{
    const TTempDir folder;
    const std::string archive = WriteLargeArchive(folder);
    const TBytes sound = ReadFileBytes(archive);
    const struct
    {
        int First;
        int Second;
        const char *Fault;
    } cases[] = {{0, 2, "mali.txt"}, {1, 3, "dnevnik.log"}, {2, 3, "šum.bin"}};
    for (const auto &pair : cases) {
        TBytes bytes = sound;
        for (const int index : {pair.First, pair.Second}) {
            const TPlace place = PlaceOf(archive, index);
            bytes[place.Data + place.CompressedSize / 2] ^= 0x01;
        }
        const std::string damaged = folder.File("dvije.zip");
        WriteFileBytes(damaged, bytes);
        for (const unsigned threads : {2u, 4u}) {
            const TZipVerification found = TZipVerifier::Verify(damaged, threads);
            EXPECT_FALSE(found.Sound);
            EXPECT_NE(found.Fault.find(pair.Fault), std::string::npos) << found.Fault;
        }
    }
}

// Deflated noise just under 4 GiB packs to just over it: only the compressed size is in the ZIP64 item,
// and the local header, which holds both sizes, must still agree with it. The archive is sparse, its
// data a hole of zeros, so the check gets past the headers and finds the data damaged.
TEST(ZipVerifier, OnlyTheCompressedSizePassesFourGiB)
{
    const TTempDir folder;
    const std::string archive = folder.File("z64.zip");
    constexpr std::uint64_t uncompressed = 0xFFFFFF00;
    constexpr std::uint64_t compressed = 0x100000100;
    const TBytes name = ToBytes("nule.bin");
    const auto nameLength = static_cast<std::uint16_t>(name.size());
    // clang-format off
    TBytes head; // the local header: both sizes in its ZIP64 item
    TLittleEndianWriter(head)
        .U32(0x04034B50).U16(45).U16(0).U16(8).U32(0).U32(0x12345678).U32(0xFFFFFFFF).U32(0xFFFFFFFF)
        .U16(nameLength).U16(20).Bytes(name)
        .U16(1).U16(16).U64(uncompressed).U64(compressed);
    const std::uint64_t directory = head.size() + compressed;
    TBytes tail; // the central header: the uncompressed size in its field, the compressed one in the item
    TLittleEndianWriter(tail)
        .U32(0x02014B50).U16(45).U16(45).U16(0).U16(8).U32(0).U32(0x12345678).U32(0xFFFFFFFF)
        .U32(static_cast<std::uint32_t>(uncompressed)).U16(nameLength).U16(12).U16(0).U16(0).U16(0)
        .U32(0).U32(0).Bytes(name)
        .U16(1).U16(8).U64(compressed);
    const std::uint64_t directorySize = tail.size();
    TLittleEndianWriter(tail) // the ZIP64 end record, its locator and the end record
        .U32(0x06064B50).U64(44).U16(45).U16(45).U32(0).U32(0).U64(1).U64(1).U64(directorySize)
        .U64(directory)
        .U32(0x07064B50).U32(0).U64(directory + directorySize).U32(1)
        .U32(0x06054B50).U16(0).U16(0).U16(1).U16(1).U32(static_cast<std::uint32_t>(directorySize))
        .U32(0xFFFFFFFF).U16(0);
    // clang-format on
    {
        std::ofstream file(archive, std::ios::binary);
        file.write(reinterpret_cast<const char *>(head.data()), static_cast<std::streamsize>(head.size()));
        file.seekp(static_cast<std::streamoff>(directory));
        file.write(reinterpret_cast<const char *>(tail.data()), static_cast<std::streamsize>(tail.size()));
        ASSERT_TRUE(file.good());
    }

    const TZipVerification found = TZipVerifier::Verify(archive, 2);
    EXPECT_FALSE(found.Sound);
    EXPECT_EQ(found.Fault, "Compressed data is damaged: nule.bin");
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
    EXPECT_EQ(found.FaultReason.Code, TZipFault::TCode::System);
    EXPECT_EQ(found.FaultReason.SystemError, ENOENT);
    EXPECT_EQ(found.FaultReason.Entry, folder.File("nema.zip"));
}

// A pipe in the archive's place has no writer: opening it for reading would wait for ever. It is
// refused at once; the alarm ends the test program if it is not.
TEST(ZipVerifier, APipeIsAFaultWithoutWaiting)
{
    const TTempDir folder;
    const std::string pipe = folder.File("p.zip");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ::alarm(30);
    const TZipVerification found = TZipVerifier::Verify(pipe);
    ::alarm(0);
    EXPECT_FALSE(found.Sound);
    EXPECT_NE(found.Fault, "");
}

} // namespace
