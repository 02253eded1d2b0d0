// Records and encodings: MS-DOS dates, attributes, extra fields, the ZIP64 size rules of a header,
// the end records' images and the code page 437 table.

#include "ZipTestUtil.h"

#include "zip/EZipException.h"
#include "zip/TFileAttributes.h"
#include "zip/TZip64_EndOfCentralDirectory.h"
#include "zip/TZip64_EndOfCentralDirectoryLocator.h"
#include "zip/TZipExtraField.h"
#include "zip/TZipExtraField_NTFS.h"
#include "zip/TZipExtraFields.h"
#include "zip/TZipHeader.h"
#include "zip/ZipDateTime.h"
#include "zip/ZipEncoding.h"
#include "zip/ZipFileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

using namespace ziptest;

namespace {

// Local time is UTC in these tests, so that Unix times map to fixed calendar values.
class UtcEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
};
const auto *const utc = ::testing::AddGlobalTestEnvironment(new UtcEnvironment);

} // namespace

// --- MS-DOS date and time -------------------------------------------------------------------

struct DosDateCase
{
    TZipDateTime DateTime;
    std::uint32_t Expected;
};

class DosDate : public ::testing::TestWithParam<DosDateCase>
{
};

TEST_P(DosDate, PacksLocalDateTime)
{
    EXPECT_EQ(DateTimeToWinFileDate(GetParam().DateTime), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, DosDate,
    ::testing::Values(DosDateCase{{1980, 1, 1, 0, 0, 0, 0}, 0x00210000},
                      DosDateCase{{2107, 12, 31, 23, 59, 58, 0}, 0xFF9FBF7D},
                      DosDateCase{{2107, 12, 31, 23, 59, 59, 999}, 0xFF9FBF7D}, // odd second drops
                      DosDateCase{{1979, 12, 31, 23, 59, 59, 0}, 0}, DosDateCase{{2108, 1, 1, 0, 0, 0, 0}, 0},
                      // 2024-03-15 13:45:31 -> time 13:45:30
                      DosDateCase{{2024, 3, 15, 13, 45, 31, 0},
                                  (((44u << 9) | (3u << 5) | 15u) << 16) |
                                      ((13u << 11) | (45u << 5) | 15u)}));

TEST(DosDateUnpack, RoundTripsAndRejectsImpossibleValues)
{
    TZipDateTime value;
    ASSERT_TRUE(WinFileDateToDateTime(0xFF9FBF7D, value));
    EXPECT_EQ(value, (TZipDateTime{2107, 12, 31, 23, 59, 58, 0}));

    const TZipDateTime untouched{2000, 2, 29, 1, 2, 4, 0};
    const std::uint32_t invalid[] = {
        0,                                                   // month 0, day 0
        (((20u << 9) | (2u << 5) | 30u) << 16),              // 2000-02-30
        (((21u << 9) | (2u << 5) | 29u) << 16),              // 2001-02-29
        (((20u << 9) | (1u << 5) | 1u) << 16) | (24u << 11), // hour 24
        (((20u << 9) | (1u << 5) | 1u) << 16) | 30u,         // second 60
        (((20u << 9) | (13u << 5) | 1u) << 16),              // month 13
    };
    for (const std::uint32_t dos : invalid) {
        value = untouched;
        EXPECT_FALSE(WinFileDateToDateTime(dos, value)) << std::hex << dos;
        EXPECT_EQ(value, untouched);
    }
    ASSERT_TRUE(WinFileDateToDateTime((((20u << 9) | (2u << 5) | 29u) << 16), value));
    EXPECT_EQ(value, (TZipDateTime{2000, 2, 29, 0, 0, 0, 0}));
}

struct ClampCase
{
    std::optional<std::int64_t> UnixSeconds;
    std::uint32_t Expected;
};

class FileTimeClamp : public ::testing::TestWithParam<ClampCase>
{
};

TEST_P(FileTimeClamp, GivesTheNearestTimeTheFormatHolds)
{
    EXPECT_EQ(ModificationTimeToWinFileDate(GetParam().UnixSeconds), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Records, FileTimeClamp,
                         ::testing::Values(ClampCase{std::nullopt, 0x00210000},         // unreadable
                                           ClampCase{0, 0x00210000},                    // 1970
                                           ClampCase{-86400LL * 365 * 100, 0x00210000}, // 1870
                                           ClampCase{315532800, 0x00210000},            // 1980-01-01 exactly
                                           ClampCase{7258118400LL, 0xFF9FBF7D},         // 2200
                                           ClampCase{4354819199LL, 0xFF9FBF7D},         // 2107-12-31 23:59:59
                                           ClampCase{1710510331, 0x586F6DAF}));         // 2024-03-15 13:45:31

TEST(FileTimeClamp, ClampedWinFileDateKeepsInRangeValues)
{
    EXPECT_EQ(ClampedWinFileDate({1979, 6, 1, 12, 0, 0, 0}), 0x00210000u);
    EXPECT_EQ(ClampedWinFileDate({2150, 6, 1, 12, 0, 0, 0}), 0xFF9FBF7Du);
    EXPECT_EQ(ClampedWinFileDate({1980, 1, 1, 0, 0, 1, 0}), 0x00210000u);
    EXPECT_EQ(ClampedWinFileDate({2024, 3, 15, 13, 45, 31, 0}), 0x586F6DAFu);
}

// --- Attributes ------------------------------------------------------------------------------

struct AttributeCase
{
    TFileAttribute Attribute;
    std::uint32_t Bit;
};

class AttributeBits : public ::testing::TestWithParam<AttributeCase>
{
};

TEST_P(AttributeBits, EachFlagHasItsWindowsBit)
{
    EXPECT_EQ(TFileAttributes{GetParam().Attribute}.ToWinAttributes(), GetParam().Bit);
}

INSTANTIATE_TEST_SUITE_P(
    Records, AttributeBits,
    ::testing::Values(AttributeCase{faReadOnly, 0x0001}, AttributeCase{faHidden, 0x0002},
                      AttributeCase{faSystem, 0x0004}, AttributeCase{faDirectory, 0x0010},
                      AttributeCase{faArchive, 0x0020}, AttributeCase{faDevice, 0x0040},
                      AttributeCase{faNormal, 0x0080}, AttributeCase{faTemporary, 0x0100},
                      AttributeCase{faSparseFile, 0x0200}, AttributeCase{faReparsePoint, 0x0400},
                      AttributeCase{faCompressed, 0x0800}, AttributeCase{faOffline, 0x1000},
                      AttributeCase{faNotContentIndexed, 0x2000}, AttributeCase{faEncrypted, 0x4000},
                      AttributeCase{faSymLink, 0x0040}));

TEST(Attributes, SetsAndReverseTable)
{
    EXPECT_EQ((TFileAttributes{faArchive, faReadOnly}.ToWinAttributes()), 0x00000021u);
    EXPECT_EQ(TFileAttributes{}.ToWinAttributes(), 0u);
    // The reverse table drops 0x0400 and every unnamed bit: a value survives the trip masked with 0x7BF7.
    EXPECT_EQ(TFileAttributes::FromWinAttributes(0xFFFFFFFF).ToWinAttributes(), 0x7BF7u);
    EXPECT_TRUE(TFileAttributes::FromWinAttributes(0x0400).Empty());
    EXPECT_EQ(TFileAttributes::FromWinAttributes(0x0040), TFileAttributes{faSymLink});
    EXPECT_EQ(TFileAttributes::FromWinAttributes(0x0030), (TFileAttributes{faDirectory, faArchive}));
}

TEST(Attributes, FromStatFollowThePlatformRules)
{
    TTempDir dir;
    const std::string file = dir.File(".hidden");
    WriteFileBytes(file, ToBytes("x"));
    ::chmod(file.c_str(), 0444);
    struct stat status
    {
    };
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(WinAttributesFromStat(file, status), 0x01u | 0x02u | 0x20u);

    ASSERT_EQ(::stat(dir.Path().c_str(), &status), 0);
    EXPECT_EQ(WinAttributesFromStat(dir.Path().string(), status), 0x10u);
}

// --- Extra fields ----------------------------------------------------------------------------

TEST(ExtraField, ImageRoundTrip)
{
    const TZipExtraField item(0x1234, Hex("AA BB CC"));
    EXPECT_EQ(item.DataSize, 3);
    EXPECT_EQ(item.ToBytes(), Hex("34 12 03 00 AA BB CC"));
    const TZipExtraField parsed(Hex("34 12 03 00 AA BB CC"));
    EXPECT_EQ(parsed.HeaderID, 0x1234);
    EXPECT_EQ(parsed.Data, Hex("AA BB CC"));

    TZipExtraField changed = item;
    changed.SetData(Hex("01"));
    EXPECT_EQ(changed.ToBytes(), Hex("34 12 01 00 01"));
}

class InvalidExtraField : public ::testing::TestWithParam<std::string>
{
};

TEST_P(InvalidExtraField, IsRefusedWithItsMessage)
{
    try {
        TZipExtraFields fields(Hex(GetParam()));
        FAIL() << "parsed " << GetParam();
    } catch (const EZipException &error) {
        EXPECT_STREQ(error.what(), "Invalid Zip ExtraField");
    }
}

INSTANTIATE_TEST_SUITE_P(Records, InvalidExtraField,
                         ::testing::Values("01",                            // shorter than a tag
                                           "01 00 10",                      // no complete DataSize
                                           "01 00 10 00 00 00",             // DataSize runs past the end
                                           "0A 00 00 00 01 00 05 00 01 02", // second item cut short
                                           "0A 00 00 00 99"));              // tail of one byte

TEST(ExtraField, ItemImageMustMatchItsDataSize)
{
    EXPECT_THROW(TZipExtraField(Hex("01 00")), EZipException);
    EXPECT_THROW(TZipExtraField(Hex("01 00 02 00 AA")), EZipException);
    EXPECT_THROW(TZipExtraField(Hex("01 00 01 00 AA BB")), EZipException);
}

TEST(ExtraFields, ListOperations)
{
    EXPECT_EQ(TZipExtraFields(TBytes{}).Count(), 0);
    EXPECT_TRUE(TZipExtraFields().ToBytes().empty());

    TZipExtraFields fields(Hex("0A 00 01 00 AA  75 70 02 00 BB CC"));
    ASSERT_EQ(fields.Count(), 2);
    TZipExtraField found;
    int index = 99;
    EXPECT_FALSE(fields.Get(0x0001, found, index));
    EXPECT_EQ(index, -1);
    ASSERT_TRUE(fields.Get(0x7075, found, index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(found.Data, Hex("BB CC"));

    fields.Add(TZipExtraField(0x000A, Hex("11 22"))); // replaces in place
    fields.Add(TZipExtraField(0x0001, Hex("33")));    // appended
    EXPECT_EQ(fields.ToBytes(), Hex("0A 00 02 00 11 22  75 70 02 00 BB CC  01 00 01 00 33"));
    EXPECT_EQ(fields.New(), 3);
    EXPECT_EQ(fields.ToBytes(), Hex("0A 00 02 00 11 22  75 70 02 00 BB CC  01 00 01 00 33  00 00 00 00"));
}

TEST(ExtraFields, ZIP64ViewIsZeroFilled)
{
    EXPECT_EQ(TZipExtraFields().ZIP64().UncompressedSize, 0u);
    const TZipExtraFields shortItem(Hex("01 00 04 00 05 00 00 00"));
    EXPECT_EQ(shortItem.ZIP64().UncompressedSize, 5u);
    EXPECT_EQ(shortItem.ZIP64().CompressedSize, 0u);
}

// --- ZIP64 sizes on the header ---------------------------------------------------------------

TEST(HeaderZIP64, FiveGiBUncompressedOnEmptyHeader)
{
    TZipHeader header;
    header.CompressedSize = 1234;
    header.SetZIP64_UncompressedSize(5368709120ULL);
    EXPECT_EQ(header.ExtraField, Hex("01 00 10 00  00 00 00 40 01 00 00 00  00 00 00 00 00 00 00 00"));
    EXPECT_EQ(header.ExtraFieldLength, 20);
    EXPECT_EQ(header.UncompressedSize, 0xFFFFFFFFu);
    EXPECT_EQ(header.GetZIP64_UncompressedSize(), 5368709120ULL);
    EXPECT_EQ(header.GetZIP64_CompressedSize(), 1234u);
    EXPECT_TRUE(header.IsZIP64());
}

TEST(HeaderZIP64, BoundaryAndReplacement)
{
    TZipHeader header;
    header.SetZIP64_UncompressedSize(4294967295ULL);
    EXPECT_EQ(header.UncompressedSize, 0xFFFFFFFFu);
    EXPECT_TRUE(header.ExtraField.empty());
    EXPECT_FALSE(header.IsZIP64());

    header.SetZIP64_UncompressedSize(4294967296ULL);
    header.SetZIP64_UncompressedSize(8589934592ULL);
    header.SetZIP64_CompressedSize(4294967297ULL);
    EXPECT_EQ(header.ExtraField.size(), 20u) << "one ZIP64 item, replaced in place";
    EXPECT_EQ(header.GetZIP64_UncompressedSize(), 8589934592ULL);
    EXPECT_EQ(header.GetZIP64_CompressedSize(), 4294967297ULL);
    EXPECT_EQ(header.CompressedSize, 0xFFFFFFFFu);

    // Other items stay where they are.
    TZipHeader withName;
    withName.ExtraField = Hex("75 70 01 00 AA");
    withName.SetZIP64_CompressedSize(0x100000000ULL);
    EXPECT_EQ(withName.ExtraField,
              Hex("75 70 01 00 AA  01 00 10 00  00 00 00 00 00 00 00 00  00 00 00 00 01 00 00 00"));
}

TEST(HeaderNTFS, TimesFromTheFile)
{
    TTempDir dir;
    const std::string file = dir.File("dated.txt");
    WriteFileBytes(file, ToBytes("x"));
    const struct timespec times[2] = {{1000000000, 500}, {1600000000, 123456700}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

    const TZipExtraField_NTFS ntfs = TZipExtraField_NTFS::FromFile(file);
    EXPECT_EQ(ntfs.MTime, (1600000000ULL + 11644473600ULL) * 10000000ULL + 1234567ULL);
    EXPECT_EQ(ntfs.ATime, (1000000000ULL + 11644473600ULL) * 10000000ULL + 5ULL);
    EXPECT_NE(ntfs.CTime, 0u);

    TZipHeader header;
    header.SetExtraField_NTFS(dir.File("missing.txt"));
    EXPECT_TRUE(header.ExtraField.empty());
    header.SetExtraField_NTFS(file);
    ASSERT_EQ(header.ExtraField.size(), 36u);
    EXPECT_EQ(Slice(header.ExtraField, 0, 12), Hex("0A 00 20 00  00 00 00 00  01 00 18 00"));
    EXPECT_EQ(U64At(header.ExtraField, 12), ntfs.MTime);
    EXPECT_EQ(U64At(header.ExtraField, 20), ntfs.ATime);
}

// --- End records -----------------------------------------------------------------------------

TEST(EndRecords, ZIP64RecordAndLocatorImages)
{
    TZip64_EndOfCentralDirectory record;
    record.TotalEntries = 99;
    record.Init();
    record.EntriesOnDisk = 70000;
    record.TotalEntries = 70000;
    record.DirectorySize = 0x1234;
    record.DirectoryOffset = 0x100000000ULL;
    EXPECT_EQ(record.ToBytes(),
              Hex("50 4B 06 06  2C 00 00 00 00 00 00 00  14 00  14 00  00 00 00 00  00 00 00 00"
                  "70 11 01 00 00 00 00 00  70 11 01 00 00 00 00 00"
                  "34 12 00 00 00 00 00 00  00 00 00 00 01 00 00 00"));

    TZip64_EndOfCentralDirectoryLocator locator;
    locator.Init();
    locator.RelativeOffset = 0x0102030405ULL;
    locator.TotalDisks = 1;
    EXPECT_EQ(locator.ToBytes(), Hex("50 4B 06 07  00 00 00 00  05 04 03 02 01 00 00 00  01 00 00 00"));
}

// --- Code page 437 ---------------------------------------------------------------------------

TEST(CodePage437, EveryByteRoundTrips)
{
    TBytes all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(Utf8ToCodePage437(CodePage437ToUtf8(all)), all);
}

TEST(CodePage437, KnownCharactersAndDefault)
{
    EXPECT_EQ(CodePage437ToUtf8(Hex("84 E1 9E B0 FF")), "\u00E4\u00DF\u20A7\u2591\u00A0");
    EXPECT_EQ(Utf8ToCodePage437("\u00E4bc"), Hex("84 62 63"));
    // Croatian letters the code page lacks, and broken UTF-8, become '?'.
    EXPECT_EQ(Utf8ToCodePage437("ma\u010Dka"), ToBytes("ma?ka"));
    EXPECT_EQ(Utf8ToCodePage437("a\xC3"), ToBytes("a?"));
    EXPECT_EQ(Utf8ToCodePage437("\xF0\x9F\x98\x80"), ToBytes("?"));
}
