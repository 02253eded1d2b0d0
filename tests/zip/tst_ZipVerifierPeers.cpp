// The verifier against the peer readers: an archive damaged in its structure is damaged for the
// verifier as for unzip -t and 7zz t (and opening it fails, so no listing or restore leaves entries
// out); archives of other writers that the peers read are sound; entries that cannot be read without
// a password or a decompressor are reported as not checked, never as damage.

#include "ZipTestUtil.h"

#include "zip/EZipException.h"
#include "zip/TLittleEndianWriter.h"
#include "zip/TZip64_EndOfCentralDirectory.h"
#include "zip/TZip64_EndOfCentralDirectoryLocator.h"
#include "zip/TZipFile.h"
#include "zip/TZipHeader.h"
#include "zip/TZipVerifier.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <vector>

using namespace ziptest;

namespace {

void SetU16(TBytes &bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void SetU32(TBytes &bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void SetU64(TBytes &bytes, std::size_t offset, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Three entries written by this unit, without an archive comment: the end record is the last 22 bytes.
TBytes ThreeEntries()
{
    const TTempDir scratch;
    const std::string archive = scratch.File("t.zip");
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.Add(ToBytes(std::string(5000, 'a')), "a.txt");
    zip.Add(ToBytes("bb\n"), "b.txt", zcStored);
    zip.Add(ToBytes("cc\n"), "c.txt");
    zip.Close();
    return ReadFileBytes(archive);
}

std::size_t EndRecord(const TBytes &bytes)
{
    return bytes.size() - 22;
}

std::size_t Directory(const TBytes &bytes)
{
    return U32At(bytes, EndRecord(bytes) + 16);
}

std::size_t CentralHeader(const TBytes &bytes, int index)
{
    std::size_t position = Directory(bytes);
    for (int i = 0; i < index; ++i)
        position +=
            46 + U16At(bytes, position + 28) + U16At(bytes, position + 30) + U16At(bytes, position + 32);
    return position;
}

std::size_t LocalHeader(const TBytes &bytes, int index)
{
    return U32At(bytes, CentralHeader(bytes, index) + 42);
}

// The archive with a ZIP64 end record and locator put before its end record, whose fields then defer
// to them, as ZIP64 writers do.
TBytes WithZip64Records(TBytes bytes)
{
    const std::size_t end = EndRecord(bytes);
    TZip64_EndOfCentralDirectory record;
    record.Init();
    record.EntriesOnDisk = U16At(bytes, end + 10);
    record.TotalEntries = record.EntriesOnDisk;
    record.DirectorySize = U32At(bytes, end + 12);
    record.DirectoryOffset = U32At(bytes, end + 16);
    TZip64_EndOfCentralDirectoryLocator locator;
    locator.Init();
    locator.RelativeOffset = end;
    locator.TotalDisks = 1;
    TBytes records = record.ToBytes();
    const TBytes locatorImage = locator.ToBytes();
    records.insert(records.end(), locatorImage.begin(), locatorImage.end());
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(end), records.begin(), records.end());
    const std::size_t newEnd = EndRecord(bytes);
    SetU16(bytes, newEnd + 8, 0xFFFF);
    SetU16(bytes, newEnd + 10, 0xFFFF);
    SetU32(bytes, newEnd + 12, 0xFFFFFFFF);
    SetU32(bytes, newEnd + 16, 0xFFFFFFFF);
    return bytes;
}

// Where the ZIP64 end record of an archive made by WithZip64Records begins.
std::size_t Zip64Record(const TBytes &bytes)
{
    return EndRecord(bytes) - 20 - 56;
}

// One stored entry of a hand-made archive; the local header may name it otherwise than the central one.
struct TRawEntry
{
    TBytes CentralName;
    TBytes LocalName;
    TBytes Data;
    std::uint16_t CentralFlag = 0;
    std::uint16_t LocalFlag = 0;
    TBytes LocalExtra;
    std::uint16_t MadeBy = 20; // MS-DOS
    std::uint32_t ExternalAttributes = 0;
    std::uint16_t Method = zcStored; // with data stored all the same
};

TBytes RawArchive(const std::vector<TRawEntry> &entries)
{
    TBytes archive;
    TBytes directory;
    for (const TRawEntry &entry : entries) {
        TZipHeader header;
        header.RequiredVersion = 10;
        header.CompressionMethod = entry.Method;
        header.CRC32 =
            static_cast<std::uint32_t>(crc32(0, entry.Data.data(), static_cast<uInt>(entry.Data.size())));
        header.CompressedSize = static_cast<std::uint32_t>(entry.Data.size());
        header.UncompressedSize = header.CompressedSize;
        header.LocalHeaderOffset = static_cast<std::uint32_t>(archive.size());
        header.ModifiedDateTime = 0x5A2E6000;
        TZipHeader local = header;
        local.Flag = entry.LocalFlag;
        local.FileName = entry.LocalName.empty() ? entry.CentralName : entry.LocalName;
        local.ExtraField = entry.LocalExtra;
        local.FileNameLength = static_cast<std::uint16_t>(local.FileName.size());
        local.ExtraFieldLength = static_cast<std::uint16_t>(local.ExtraField.size());
        local.AppendLocalHeader(archive);
        archive.insert(archive.end(), entry.Data.begin(), entry.Data.end());
        header.Flag = entry.CentralFlag;
        header.MadeByVersion = entry.MadeBy;
        header.ExternalAttributes = entry.ExternalAttributes;
        header.FileName = entry.CentralName;
        header.FileNameLength = static_cast<std::uint16_t>(header.FileName.size());
        header.AppendCentralHeader(directory);
    }
    const auto offset = static_cast<std::uint32_t>(archive.size());
    archive.insert(archive.end(), directory.begin(), directory.end());
    TLittleEndianWriter(archive)
        .U32(SIGNATURE_ZIPENDOFHEADER)
        .U16(0)
        .U16(0)
        .U16(static_cast<std::uint16_t>(entries.size()))
        .U16(static_cast<std::uint16_t>(entries.size()))
        .U32(static_cast<std::uint32_t>(directory.size()))
        .U32(offset)
        .U16(0);
    return archive;
}

// True when the peer reader's test of the archive fails.
bool PeerFails(const std::string &command, const std::string &archive)
{
    std::string output;
    return RunCommand(command + " '" + archive + "'", output) != 0;
}

bool HavePeers()
{
    return HaveCommand("unzip") && HaveCommand("7zz") && HaveCommand("zip");
}

// --- Damaged structure ----------------------------------------------------------------------------

enum TPeer { Unzip = 1, SevenZip = 2 };

struct TStructureDamage
{
    const char *Name;
    std::function<TBytes()> Make;
    int FailingPeers;  // the peers that fail the archive too
    bool OpeningFails; // damage of the directory: every use of the archive fails, not only a check
    const char *Fault; // a part of the verifier's fault
};

void PrintTo(const TStructureDamage &damage, std::ostream *out)
{
    *out << damage.Name;
}

class StructureDamage : public testing::TestWithParam<TStructureDamage>
{
};

TEST_P(StructureDamage, FailsTheVerifierAsItFailsThePeers)
{
    if (!HavePeers())
        GTEST_SKIP() << "unzip, 7zz or zip is missing";
    const TTempDir folder;
    const std::string archive = folder.File("damaged.zip");
    WriteFileBytes(archive, GetParam().Make());

    const TZipVerification found = TZipVerifier::Verify(archive, 2);
    EXPECT_FALSE(found.Sound);
    EXPECT_NE(found.Fault.find(GetParam().Fault), std::string::npos) << found.Fault;
    if (GetParam().FailingPeers & Unzip)
        EXPECT_TRUE(PeerFails("unzip -tq", archive)) << "unzip";
    if (GetParam().FailingPeers & SevenZip)
        EXPECT_TRUE(PeerFails("7zz t", archive)) << "7zz";
    TZipFile zip;
    if (GetParam().OpeningFails)
        EXPECT_THROW(zip.Open(archive, zmRead), EZipException);
    else
        EXPECT_NO_THROW(zip.Open(archive, zmRead));
}

TBytes ThreeEntriesWith(const std::function<void(TBytes &)> &change)
{
    TBytes bytes = ThreeEntries();
    change(bytes);
    return bytes;
}

TBytes Zip64With(const std::function<void(TBytes &)> &change)
{
    TBytes bytes = WithZip64Records(ThreeEntries());
    change(bytes);
    return bytes;
}

const char *const DIRECTORY = "damaged central directory";
const char *const ZIP64 = "damaged ZIP64 end of central directory";

INSTANTIATE_TEST_SUITE_P(
    Verifier, StructureDamage,
    testing::Values(
        TStructureDamage{"EndRecordCountsTwoOfThree",
                         [] {
                             return ThreeEntriesWith([](TBytes &bytes) {
                                 SetU16(bytes, EndRecord(bytes) + 8, 2);
                                 SetU16(bytes, EndRecord(bytes) + 10, 2);
                             });
                         },
                         Unzip | SevenZip, true, DIRECTORY},
        TStructureDamage{"EndRecordCountsNone",
                         [] {
                             return ThreeEntriesWith([](TBytes &bytes) {
                                 SetU16(bytes, EndRecord(bytes) + 8, 0);
                                 SetU16(bytes, EndRecord(bytes) + 10, 0);
                             });
                         },
                         Unzip | SevenZip, true, DIRECTORY},
        TStructureDamage{
            "EntriesOnThisDiskDiffer",
            [] { return ThreeEntriesWith([](TBytes &bytes) { SetU16(bytes, EndRecord(bytes) + 8, 2); }); },
            SevenZip, true, DIRECTORY},
        TStructureDamage{
            "EndRecordOnAnotherDisk",
            [] { return ThreeEntriesWith([](TBytes &bytes) { SetU16(bytes, EndRecord(bytes) + 4, 1); }); },
            Unzip | SevenZip, true, DIRECTORY},
        TStructureDamage{"EntryOnAnotherDisk",
                         [] {
                             return ThreeEntriesWith(
                                 [](TBytes &bytes) { SetU16(bytes, CentralHeader(bytes, 1) + 34, 1); });
                         },
                         SevenZip, true, DIRECTORY},
        TStructureDamage{
            "LocalDataDescriptorFlagDiffers",
            [] { return ThreeEntriesWith([](TBytes &bytes) { bytes[LocalHeader(bytes, 2) + 6] |= 0x08; }); },
            Unzip | SevenZip, false, "local header differs from central directory (flags): c.txt"},
        TStructureDamage{"CentralEnhancedDeflateFlagDiffers",
                         [] {
                             return ThreeEntriesWith(
                                 [](TBytes &bytes) { bytes[CentralHeader(bytes, 0) + 8] |= 0x10; });
                         },
                         SevenZip, false, "local header differs from central directory (flags): a.txt"},
        TStructureDamage{
            "VersionNeededBeyondTheFormat",
            [] { return ThreeEntriesWith([](TBytes &bytes) { bytes[CentralHeader(bytes, 1) + 6] = 244; }); },
            Unzip, false, "unknown version needed to extract (24.4): b.txt"},
        TStructureDamage{"Zip64CountsTwoOfThree",
                         [] {
                             return Zip64With([](TBytes &bytes) {
                                 SetU64(bytes, Zip64Record(bytes) + 24, 2);
                                 SetU64(bytes, Zip64Record(bytes) + 32, 2);
                             });
                         },
                         Unzip | SevenZip, true, DIRECTORY},
        TStructureDamage{
            "Zip64RecordOnAnotherDisk",
            [] { return Zip64With([](TBytes &bytes) { SetU32(bytes, Zip64Record(bytes) + 16, 1); }); },
            SevenZip, true, ZIP64}),
    [](const testing::TestParamInfo<TStructureDamage> &info) { return std::string(info.param.Name); });

TEST(StructureDamage, Zip64RecordsAloneAreSound)
{
    const TTempDir folder;
    const std::string archive = folder.File("zip64.zip");
    WriteFileBytes(archive, WithZip64Records(ThreeEntries()));
    const TZipVerification found = TZipVerifier::Verify(archive, 2);
    EXPECT_TRUE(found.Sound) << found.Fault;
    EXPECT_EQ(found.CheckedEntries, 3u);
    if (HavePeers()) {
        EXPECT_FALSE(PeerFails("unzip -tq", archive));
        EXPECT_FALSE(PeerFails("7zz t", archive));
    }
}

// A deflated entry whose literal/length code has one codeword, and whose data use the code left
// unassigned: zlib, unzip and 7-Zip refuse it, while a lenient inflater reads the one symbol in its
// place and gets data whose CRC-32 matches. Found by fuzzing.
TEST(StructureDamage, AnUnassignedDeflateCodeIsDamage)
{
    const unsigned char bytes[] = {
        0x50, 0x4b, 0x03, 0x04, 0x2d, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x21, 0x00, 0xe6, 0xc9, 0x41,
        0x3b, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x0a, 0x00, 0x14, 0x00, 0x66, 0x6f, 0x72, 0x63,
        0x65, 0x64, 0x2e, 0x62, 0x69, 0x6e, 0x01, 0x00, 0x10, 0x00, 0xe8, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x0b, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xab, 0xa8, 0x18, 0x05, 0xe3, 0x60, 0x14, 0x0c,
        0x77, 0x00, 0x00, 0x50, 0x4b, 0x01, 0x02, 0x2d, 0x03, 0x2d, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,
        0x21, 0x00, 0xe6, 0xc9, 0x41, 0x3b, 0x0b, 0x00, 0x00, 0x00, 0xe8, 0x03, 0x00, 0x00, 0x0a, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x66, 0x6f,
        0x72, 0x63, 0x65, 0x64, 0x2e, 0x62, 0x69, 0x6e, 0x50, 0x4b, 0x05, 0x06, 0x00, 0x00, 0x00, 0x00, 0x01,
        0x00, 0x01, 0x00, 0x38, 0x00, 0x00, 0x00, 0x47, 0x00, 0x00, 0x00, 0x00, 0x00};
    const TTempDir folder;
    const std::string archive = folder.File("unassigned.zip");
    WriteFileBytes(archive, TBytes(std::begin(bytes), std::end(bytes)));
    const TZipVerification found = TZipVerifier::Verify(archive, 1);
    EXPECT_FALSE(found.Sound);
    EXPECT_NE(found.Fault.find("forced.bin"), std::string::npos) << found.Fault;
    if (HavePeers()) {
        EXPECT_TRUE(PeerFails("unzip -tq", archive));
        EXPECT_TRUE(PeerFails("7zz t", archive));
    }
}

// --- Archives of other writers --------------------------------------------------------------------

struct TForeignArchive
{
    const char *Name;
    // Writes the archive into the folder and returns its path.
    std::function<std::string(const TTempDir &)> Make;
    const char *Peer; // a peer's test command that passes it
    std::uint64_t Entries;
};

void PrintTo(const TForeignArchive &archive, std::ostream *out)
{
    *out << archive.Name;
}

class ForeignArchive : public testing::TestWithParam<TForeignArchive>
{
};

TEST_P(ForeignArchive, IsSound)
{
    if (!HavePeers())
        GTEST_SKIP() << "unzip, 7zz or zip is missing";
    const TTempDir folder;
    const std::string archive = GetParam().Make(folder);
    ASSERT_FALSE(archive.empty());
    ASSERT_FALSE(PeerFails(GetParam().Peer, archive)) << GetParam().Peer;

    const TZipVerification found = TZipVerifier::Verify(archive, 2);
    EXPECT_TRUE(found.Sound) << found.Fault << found.Unchecked;
    EXPECT_EQ(found.CheckedEntries, GetParam().Entries);
    EXPECT_EQ(found.UncheckedEntries, 0u);

    // What was checked also reads back.
    TZipFile zip;
    zip.Open(archive, zmRead);
    for (int i = 0; i < zip.FileCount(); ++i)
        EXPECT_NO_THROW(zip.Test(i)) << zip.FileName(i);
}

// Files a.txt (text) and b.bin (repeated bytes) in the folder, for the peer writers.
void WriteSources(const TTempDir &folder)
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "redak " + std::to_string(i) + "\n";
    WriteFileBytes(folder.File("a.txt"), ToBytes(text));
    WriteFileBytes(folder.File("b.bin"), TBytes(70000, 0x5A));
}

// Runs a shell command in the folder; returns archive's path there, or empty when the command failed.
std::string MadeBy(const TTempDir &folder, const std::string &command, const std::string &archive)
{
    WriteSources(folder);
    std::string output;
    if (RunCommand("cd '" + folder.Path().string() + "' && " + command, output) != 0) {
        ADD_FAILURE() << command << ": " << output;
        return {};
    }
    return folder.File(archive);
}

// A self-extracting archive: a shell script before the archive; with the offsets corrected by zip -A
// or left as they were.
std::string SelfExtracting(const TTempDir &folder, bool corrected)
{
    return MadeBy(
        folder,
        "printf '#!/bin/sh\\necho self-extracting\\nexit 0\\n' > stub.sh && zip -q p.zip a.txt b.bin && "
        "cat stub.sh p.zip > sfx.zip" +
            std::string(corrected ? " && zip -qA sfx.zip" : ""),
        "sfx.zip");
}

std::string Written(const TTempDir &folder, const TBytes &bytes)
{
    const std::string archive = folder.File("raw.zip");
    WriteFileBytes(archive, bytes);
    return archive;
}

// The Unicode Path item (0x7075) for a name's bytes: version 1, their CRC-32, the UTF-8 name.
TBytes UnicodePathItem(const TBytes &nameBytes, const std::string &utf8Name)
{
    TBytes item;
    TLittleEndianWriter(item)
        .U16(UNICODEPATH_EXTRAFIELD_TAG)
        .U16(static_cast<std::uint16_t>(5 + utf8Name.size()))
        .U8(1)
        .U32(static_cast<std::uint32_t>(crc32(0, nameBytes.data(), static_cast<uInt>(nameBytes.size()))))
        .Bytes(ToBytes(utf8Name));
    return item;
}

INSTANTIATE_TEST_SUITE_P(
    Verifier, ForeignArchive,
    testing::Values(
        TForeignArchive{"SelfExtractingCorrected",
                        [](const TTempDir &folder) { return SelfExtracting(folder, true); }, "unzip -tq", 2},
        TForeignArchive{"SelfExtractingShifted",
                        [](const TTempDir &folder) { return SelfExtracting(folder, false); }, "bsdtar -tf",
                        2},
        TForeignArchive{"Zip64SelfExtractingShifted",
                        [](const TTempDir &folder) {
                            // 7-Zip takes an executable for a stub, not a script.
                            TBytes bytes = ReadFileBytes("/bin/true");
                            const TBytes archive = WithZip64Records(ThreeEntries());
                            bytes.insert(bytes.end(), archive.begin(), archive.end());
                            return Written(folder, bytes);
                        },
                        "7zz t", 3},
        TForeignArchive{"Bzip2By7Zip",
                        [](const TTempDir &folder) {
                            return MadeBy(folder, "7zz a -bd -tzip -mm=BZip2 z.zip a.txt b.bin >/dev/null",
                                          "z.zip");
                        },
                        "7zz t", 2},
        TForeignArchive{"LzmaBy7Zip",
                        [](const TTempDir &folder) {
                            return MadeBy(folder, "7zz a -bd -tzip -mm=LZMA z.zip a.txt b.bin >/dev/null",
                                          "z.zip");
                        },
                        "7zz t", 2},
        TForeignArchive{"Bzip2ByInfoZip",
                        [](const TTempDir &folder) {
                            return MadeBy(folder, "zip -q -Z bzip2 z.zip a.txt b.bin", "z.zip");
                        },
                        "unzip -tq", 2},
        TForeignArchive{"LocalNameInCodePageWithUnicodePath",
                        [](const TTempDir &folder) {
                            // "café.txt": UTF-8 in the central header, code page 437 with a Unicode
                            // Path item in the local one.
                            const TBytes local = ToBytes("caf\x82.txt");
                            TRawEntry entry{ToBytes("café.txt"), local, ToBytes("kava\n"),
                                            ZIP_FLAG_UTF8,       0,     UnicodePathItem(local, "café.txt")};
                            return Written(folder, RawArchive({entry}));
                        },
                        "bsdtar -xOf", 1},
        TForeignArchive{"LocatorSignatureInTheLastName",
                        [](const TTempDir &folder) {
                            // The last name ends in the 20 bytes before the end record, beginning with
                            // the ZIP64 locator's signature.
                            const TBytes name = ToBytes(std::string("x PK\x06\x07") + "0123456789abcdef");
                            return Written(folder,
                                           RawArchive({TRawEntry{ToBytes("a.txt"), {}, ToBytes("a\n")},
                                                       TRawEntry{name, {}, ToBytes("b\n")}}));
                        },
                        "unzip -tq", 2},
        TForeignArchive{"FolderByDosAttributeOnly",
                        [](const TTempDir &folder) {
                            TRawEntry directory{ToBytes("def"), {}, {}};
                            directory.ExternalAttributes = 0x10;
                            TRawEntry file{ToBytes("def/foo"), {}, ToBytes("foo\n")};
                            file.ExternalAttributes = 0x20;
                            return Written(folder, RawArchive({directory, file}));
                        },
                        "7zz t", 2},
        TForeignArchive{"DeflatedFolderByDosAttributeWithoutData",
                        [](const TTempDir &folder) {
                            // Deflate named, yet not even an empty deflate stream: a folder has no data.
                            TRawEntry directory{ToBytes("def"), {}, {}};
                            directory.ExternalAttributes = 0x10;
                            directory.Method = zcDeflate;
                            TRawEntry file{ToBytes("def/foo"), {}, ToBytes("foo\n")};
                            return Written(folder, RawArchive({directory, file}));
                        },
                        "7zz t", 2}),
    [](const testing::TestParamInfo<TForeignArchive> &info) { return std::string(info.param.Name); });

TEST(ForeignArchive, TheLocatorSignatureInANameIsWhereTheLocatorWouldBe)
{
    const TBytes name = ToBytes(std::string("x PK\x06\x07") + "0123456789abcdef");
    const TBytes bytes =
        RawArchive({TRawEntry{ToBytes("a.txt"), {}, ToBytes("a\n")}, TRawEntry{name, {}, ToBytes("b\n")}});
    EXPECT_EQ(U32At(bytes, EndRecord(bytes) - 20), SIGNATURE_ZIP64LOCATOR);
}

TEST(ForeignArchive, AFolderIsMarkedByItsSlashOrByTheDosAttributeWithoutData)
{
    TZipHeader header;
    header.FileName = ToBytes("def");
    EXPECT_FALSE(header.IsFolder());
    header.ExternalAttributes = 0x10;
    EXPECT_TRUE(header.IsFolder());
    header.UncompressedSize = 4;
    EXPECT_FALSE(header.IsFolder()) << "a file with data is no folder, whatever its attribute";
    header = TZipHeader{};
    header.FileName = ToBytes("def/");
    EXPECT_TRUE(header.IsFolder());
}

// --- Entries that cannot be checked --------------------------------------------------------------

struct TUncheckable
{
    const char *Name;
    std::function<std::string(const TTempDir &)> Make;
    const char *Reason; // a part of the verification's reason
};

void PrintTo(const TUncheckable &archive, std::ostream *out)
{
    *out << archive.Name;
}

class Uncheckable : public testing::TestWithParam<TUncheckable>
{
};

TEST_P(Uncheckable, IsNeitherSoundNorDamaged)
{
    if (!HavePeers())
        GTEST_SKIP() << "unzip, 7zz or zip is missing";
    const TTempDir folder;
    const std::string archive = GetParam().Make(folder);
    ASSERT_FALSE(archive.empty());
    for (const unsigned threads : {1u, 3u}) {
        const TZipVerification found = TZipVerifier::Verify(archive, threads);
        EXPECT_FALSE(found.Sound);
        EXPECT_EQ(found.Fault, "");
        EXPECT_FALSE(found.Interrupted);
        EXPECT_NE(found.Unchecked.find(GetParam().Reason), std::string::npos) << found.Unchecked;
        EXPECT_EQ(found.CheckedEntries + found.UncheckedEntries, found.Entries);
        EXPECT_GE(found.UncheckedEntries, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Verifier, Uncheckable,
    testing::Values(TUncheckable{"ZipCrypto",
                                 [](const TTempDir &folder) {
                                     return MadeBy(folder, "zip -q -P pw z.zip a.txt b.bin", "z.zip");
                                 },
                                 "Encrypted: cannot be checked without the password: a.txt"},
                    TUncheckable{"WinZipAes",
                                 [](const TTempDir &folder) {
                                     return MadeBy(
                                         folder,
                                         "7zz a -bd -tzip -pPW -mem=AES256 z.zip a.txt b.bin >/dev/null",
                                         "z.zip");
                                 },
                                 "Encrypted: cannot be checked without the password: a.txt"},
                    TUncheckable{"MethodWithoutDecompressor",
                                 [](const TTempDir &folder) {
                                     // Method 93 (Zstandard) named in both headers of the stored entry.
                                     TBytes bytes = ThreeEntries();
                                     SetU16(bytes, LocalHeader(bytes, 1) + 8, 93);
                                     SetU16(bytes, CentralHeader(bytes, 1) + 10, 93);
                                     return Written(folder, bytes);
                                 },
                                 "Cannot be checked: method 93: b.txt"}),
    [](const testing::TestParamInfo<TUncheckable> &info) { return std::string(info.param.Name); });

// --- LZMA dictionaries --------------------------------------------------------------------------

// 7-Zip's LZMA archive of a.txt with the dictionary its data declare set to dictionary and, when size
// is not 0, the entry's uncompressed size in both headers set to size.
std::string LzmaWithDictionary(const TTempDir &folder, std::uint32_t dictionary, std::uint32_t size)
{
    const std::string made = MadeBy(folder, "7zz a -bd -tzip -mm=LZMA z.zip a.txt >/dev/null", "z.zip");
    if (made.empty())
        return {};
    TBytes bytes = ReadFileBytes(made);
    const std::size_t local = LocalHeader(bytes, 0);
    // The data begin with two version bytes, the properties' length, then the properties: one byte of
    // literal and position bits and the dictionary's size.
    const std::size_t data = local + 30 + U16At(bytes, local + 26) + U16At(bytes, local + 28);
    SetU32(bytes, data + 5, dictionary);
    if (size != 0) {
        SetU32(bytes, local + 22, size);
        SetU32(bytes, CentralHeader(bytes, 0) + 24, size);
    }
    return Written(folder, bytes);
}

// The decoder allocates the whole dictionary the data declare; no match reaches further back than the
// entry's beginning, so an entry is read with a dictionary no larger than itself, and one that would
// need more than the unit allows is left unchecked, never taken as damage or allowed to claim gigabytes.
TEST(LzmaDictionary, IsNoLargerThanTheEntry)
{
    if (!HavePeers())
        GTEST_SKIP() << "unzip, 7zz or zip is missing";
    const TTempDir folder;
    const std::string archive = LzmaWithDictionary(folder, 1u << 31, 0);
    ASSERT_FALSE(archive.empty());
    const TZipVerification found = TZipVerifier::Verify(archive);
    EXPECT_TRUE(found.Sound) << found.Fault << found.Unchecked;
}

TEST(LzmaDictionary, BeyondTheLimitIsLeftUnchecked)
{
    if (!HavePeers())
        GTEST_SKIP() << "unzip, 7zz or zip is missing";
    const TTempDir folder;
    const std::string archive = LzmaWithDictionary(folder, 1u << 31, 100u << 20);
    ASSERT_FALSE(archive.empty());
    const TZipVerification found = TZipVerifier::Verify(archive);
    EXPECT_FALSE(found.Sound);
    EXPECT_EQ(found.Fault, "");
    EXPECT_NE(found.Unchecked.find("LZMA dictionary"), std::string::npos) << found.Unchecked;
}

} // namespace
