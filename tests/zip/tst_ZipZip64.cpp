// ZIP64 by entry count, and the decision, made before the local header is written, that an entry's
// compressed data might not fit in 32 bits.

#include "ZipTestStreams.h"
#include "ZipTestUtil.h"

#include "zip/TMemoryStream.h"
#include "zip/TZipFile.h"

#include <gtest/gtest.h>

using namespace ziptest;

namespace {

constexpr std::uint32_t T = 0x586F6DAF;

std::string EntryName(int i)
{
    return "d" + std::to_string(i / 1000) + "/f" + std::to_string(i) + ".txt";
}

void WriteEntries(TMemoryStream &archive, int count)
{
    TZipFile zip;
    zip.Open(archive, zmWrite);
    for (int i = 0; i < count; ++i) {
        TMemoryStream empty;
        zip.Add(empty, EntryName(i), zcStored, {faArchive}, T);
    }
    zip.Close();
}

} // namespace

TEST(Zip64ByCount, SeventyThousandEntriesGetTheZip64Records)
{
    TMemoryStream archive;
    WriteEntries(archive, 70000);
    const TBytes &bytes = archive.Bytes();
    const std::size_t end = bytes.size() - 22;
    ASSERT_EQ(U32At(bytes, end), 0x06054B50u);
    EXPECT_EQ(U16At(bytes, end + 8), 0xFFFF);
    EXPECT_EQ(U16At(bytes, end + 10), 0xFFFF);
    const std::uint32_t directorySize = U32At(bytes, end + 12);
    const std::uint32_t directoryOffset = U32At(bytes, end + 16);
    EXPECT_EQ(directoryOffset + directorySize, end - 56 - 20)
        << "directory, ZIP64 record, locator, end record";

    const std::size_t locator = end - 20;
    EXPECT_EQ(U32At(bytes, locator), 0x07064B50u);
    EXPECT_EQ(U64At(bytes, locator + 8), locator - 56);
    EXPECT_EQ(U32At(bytes, locator + 16), 1u);
    const std::size_t record = locator - 56;
    EXPECT_EQ(U32At(bytes, record), 0x06064B50u);
    EXPECT_EQ(U64At(bytes, record + 4), 44u);
    EXPECT_EQ(U64At(bytes, record + 24), 70000u);
    EXPECT_EQ(U64At(bytes, record + 32), 70000u);
    EXPECT_EQ(U64At(bytes, record + 40), directorySize);
    EXPECT_EQ(U64At(bytes, record + 48), directoryOffset);

    archive.SetPosition(0);
    TZipFile reader;
    reader.Open(archive, zmRead);
    ASSERT_EQ(reader.FileCount(), 70000);
    EXPECT_EQ(reader.FileName(69999), EntryName(69999));
    reader.Test(69999);
}

TEST(Zip64ByCount, Exactly65535EntriesNeedNoZip64Records)
{
    TMemoryStream archive;
    WriteEntries(archive, 65535);
    const TBytes &bytes = archive.Bytes();
    const std::size_t end = bytes.size() - 22;
    ASSERT_EQ(U32At(bytes, end), 0x06054B50u);
    EXPECT_EQ(U16At(bytes, end + 8), 65535);
    EXPECT_EQ(U16At(bytes, end + 10), 65535);
    EXPECT_EQ(U32At(bytes, end + 16) + U32At(bytes, end + 12), end) << "the end record follows the directory";

    archive.SetPosition(0);
    TZipFile reader;
    reader.Open(archive, zmRead);
    EXPECT_EQ(reader.FileCount(), 65535);
}

// --- Room for a ZIP64 item decided before the header is written ------------------------------

struct ReserveCase
{
    std::string Name;
    std::int64_t Size;
    TZipCompression Method;
    bool Reserved;
};

class Zip64Reservation : public ::testing::TestWithParam<ReserveCase>
{
};

TEST_P(Zip64Reservation, FirstLocalHeaderAlreadyHasItsFinalLength)
{
    SparseSink sink;
    TZipFile zip;
    zip.Open(sink, zmWrite);
    // Only the first header write matters here: the source gives up after 4 MiB.
    GeneratedStream source(GetParam().Size, true, 4 << 20);
    EXPECT_THROW(zip.Add(source, "big.bin", GetParam().Method, {}, T), GeneratedStream::Stopped);
    zip.Abandon();

    ASSERT_FALSE(sink.Writes().empty());
    const TBytes &header = sink.Writes().front().Bytes;
    EXPECT_EQ(U32At(header, 0), 0x04034B50u);
    EXPECT_EQ(U32At(header, 18), 0u);
    EXPECT_EQ(U32At(header, 22), static_cast<std::uint32_t>(GetParam().Size));
    if (GetParam().Reserved) {
        EXPECT_EQ(U16At(header, 28), 20);
        EXPECT_EQ(Slice(header, 30 + 7, 20),
                  Hex("01 00 10 00  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00"));
    } else {
        EXPECT_EQ(U16At(header, 28), 0);
        EXPECT_EQ(header.size(), 30u + 7);
    }
}

INSTANTIATE_TEST_SUITE_P(Zip64, Zip64Reservation,
                         ::testing::Values(ReserveCase{"DeflateJustUnder4GiB", 0xFFF00000, zcDeflate, true},
                                           ReserveCase{"DeflateFarEnoughBelow", 0xFF000000, zcDeflate, false},
                                           ReserveCase{"StoredJustUnder4GiB", 0xFFF00000, zcStored, false}),
                         [](const ::testing::TestParamInfo<ReserveCase> &info) { return info.param.Name; });
