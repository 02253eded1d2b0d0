// Entries past 4 GiB, generated on the fly into a sink that keeps only headers and records:
// the 5 GiB source deflated and stored, an entry whose local header lies beyond 4 GiB, and an
// entry whose compressed size alone needs 64 bits.

#include "ZipTestStreams.h"
#include "ZipTestUtil.h"

#include "zip/TCompressionStream.h"
#include "zip/TZipFile.h"

#include <gtest/gtest.h>

#include <zlib.h>

using namespace ziptest;

namespace {

constexpr std::uint32_t T = 0x586F6DAF;
constexpr std::int64_t FIVE_GIB = 5368709120LL;
constexpr std::int64_t SOURCE = 0xFFF00000; // just under 4 GiB
constexpr std::int64_t PADDING = 64 << 20;

// CRC-32 of count zero bytes, from 1 MiB blocks joined with crc32_combine.
std::uint32_t ZeroCrc(std::int64_t count)
{
    const TBytes mebibyte(1 << 20, 0);
    const uLong block = crc32(0, mebibyte.data(), static_cast<uInt>(mebibyte.size()));
    uLong crc = 0;
    for (std::int64_t done = 0; done < count; done += 1 << 20)
        crc = crc32_combine(crc, block, 1 << 20);
    return static_cast<std::uint32_t>(crc);
}

struct Records
{
    TBytes Tail;           // the directory and the end records
    std::size_t EndOffset; // of the end record, within Tail
    std::int64_t DirectoryOffset;
};

Records ReadRecords(const SparseSink &sink)
{
    // The final block of writes is the directory with the end records.
    const SparseSink::Write_ &last = sink.Writes().back();
    Records records;
    records.Tail = last.Bytes;
    records.EndOffset = records.Tail.size() - 22;
    records.DirectoryOffset = last.Offset;
    return records;
}

// A test compressor that passes data through and then adds padding, so that only the compressed
// size passes 4 GiB.
class PaddingStream : public TCompressionStream
{
  public:
    PaddingStream(TStream &target, std::int64_t padding) : FTarget(target), FPadding(padding) {}
    std::int64_t Write(const void *buffer, std::int64_t count) override
    {
        FConsumed += count;
        return FTarget.Write(buffer, count);
    }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FConsumed; }
    void Finish() override
    {
        const TBytes zeros(1 << 20, 0);
        for (std::int64_t done = 0; done < FPadding; done += 1 << 20)
            FTarget.WriteBuffer(zeros.data(), 1 << 20);
    }

  private:
    TStream &FTarget;
    std::int64_t FPadding;
    std::int64_t FConsumed = 0;
};

} // namespace

TEST(LargeEntries, FiveGiBDeflatedKeepsItsZip64ItemAndHeaderLength)
{
    SparseSink sink;
    TZipFile zip;
    zip.Open(sink, zmWrite);
    GeneratedStream source(FIVE_GIB, false);
    zip.Add(source, "big.bin", zcDeflate, {faArchive}, T);
    zip.Close();

    const TBytes zip64Before = Hex("01 00 10 00  00 00 00 40 01 00 00 00  00 00 00 00 00 00 00 00");
    const TBytes &first = sink.Writes().front().Bytes;
    ASSERT_EQ(first.size(), 30u + 7 + 20);
    EXPECT_EQ(U32At(first, 14), 0u);
    EXPECT_EQ(U32At(first, 18), 0u);
    EXPECT_EQ(U32At(first, 22), 0xFFFFFFFFu);
    EXPECT_EQ(U16At(first, 28), 20);
    EXPECT_EQ(Slice(first, 37, 20), zip64Before);

    const TBytes patched = sink.Image(0, 57);
    const std::uint64_t compressed64 = U64At(patched, 37 + 12);
    ASSERT_GT(compressed64, 0u);
    ASSERT_LT(compressed64, 0xFFFFFFFFu);
    const auto compressed = static_cast<std::uint32_t>(compressed64);
    EXPECT_EQ(U16At(patched, 4), 20) << "version needed stays 20";
    EXPECT_EQ(U32At(patched, 14), ZeroCrc(FIVE_GIB));
    // A local item holds both sizes, the one that fits included (7-Zip reads both from it).
    EXPECT_EQ(U32At(patched, 18), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(patched, 22), 0xFFFFFFFFu);
    EXPECT_EQ(Slice(patched, 37, 12), Slice(zip64Before, 0, 12));

    const Records records = ReadRecords(sink);
    const TBytes &tail = records.Tail;
    EXPECT_EQ(records.DirectoryOffset, 57 + static_cast<std::int64_t>(compressed));
    EXPECT_EQ(U32At(tail, 0), 0x02014B50u);
    EXPECT_EQ(U32At(tail, 20), compressed);
    EXPECT_EQ(U32At(tail, 24), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(tail, 42), 0u);
    EXPECT_EQ(U16At(tail, 30), 12) << "central ZIP64 item holds only the uncompressed size";
    EXPECT_EQ(Slice(tail, 46 + 7, 12), Hex("01 00 08 00  00 00 00 40 01 00 00 00"));
    const std::size_t record = 46 + 7 + 12;
    EXPECT_EQ(U32At(tail, record), 0x06064B50u);
    EXPECT_EQ(U32At(tail, record + 56), 0x07064B50u);
    EXPECT_EQ(U32At(tail, records.EndOffset), 0x06054B50u);
    EXPECT_EQ(U32At(tail, records.EndOffset + 16), static_cast<std::uint32_t>(records.DirectoryOffset))
        << "the directory offset fits, so it is written as it is";
}

TEST(LargeEntries, StoredFiveGiBAndAnEntryBeyondFourGiB)
{
    SparseSink sink;
    TZipFile zip;
    zip.Open(sink, zmWrite);
    GeneratedStream source(FIVE_GIB, false);
    zip.Add(source, "big.bin", zcStored, {}, T);
    GeneratedStream small(3, false);
    zip.Add(small, "after.bin", zcStored, {}, T);
    const std::uint64_t secondOffset = zip.LocalHeaderPosition(1);
    EXPECT_EQ(zip.FileInfo(1).LocalHeaderOffset, 0xFFFFFFFFu);
    zip.Close();
    EXPECT_EQ(secondOffset, 57u + FIVE_GIB);

    const TBytes patched = sink.Image(0, 57);
    EXPECT_EQ(U32At(patched, 18), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(patched, 22), 0xFFFFFFFFu);
    EXPECT_EQ(Slice(patched, 37, 20), Hex("01 00 10 00  00 00 00 40 01 00 00 00  00 00 00 40 01 00 00 00"));

    const Records records = ReadRecords(sink);
    const TBytes &tail = records.Tail;
    // First entry: both sizes in the item, the offset 0 in its field.
    EXPECT_EQ(U16At(tail, 30), 20);
    EXPECT_EQ(Slice(tail, 53, 20), Hex("01 00 10 00  00 00 00 40 01 00 00 00  00 00 00 40 01 00 00 00"));
    // Second entry: small sizes in their fields, only the offset in the item.
    const std::size_t second = 46 + 7 + 20;
    EXPECT_EQ(U32At(tail, second), 0x02014B50u);
    EXPECT_EQ(U32At(tail, second + 20), 3u);
    EXPECT_EQ(U32At(tail, second + 24), 3u);
    EXPECT_EQ(U32At(tail, second + 42), 0xFFFFFFFFu);
    EXPECT_EQ(U16At(tail, second + 30), 12);
    TBytes item = Hex("01 00 08 00");
    for (int i = 0; i < 8; ++i)
        item.push_back(static_cast<std::uint8_t>(secondOffset >> (8 * i)));
    EXPECT_EQ(Slice(tail, second + 46 + 9, 12), item);

    const std::size_t record = second + 46 + 9 + 12;
    EXPECT_EQ(U32At(tail, record), 0x06064B50u);
    EXPECT_EQ(U64At(tail, record + 48), static_cast<std::uint64_t>(records.DirectoryOffset));
    EXPECT_EQ(U32At(tail, records.EndOffset + 16), 0xFFFFFFFFu);
}

TEST(LargeEntries, OnlyTheCompressedSizeNeeds64Bits)
{
    TZipFile::RegisterCompressionHandler(
        zcPPMdI1,
        [](TStream &archive, TZipFile &, const TZipHeader &) -> std::unique_ptr<TStream> {
            return std::make_unique<PaddingStream>(archive, PADDING);
        },
        {});
    SparseSink sink;
    {
        TZipFile zip;
        zip.Open(sink, zmWrite);
        GeneratedStream source(SOURCE, false);
        zip.Add(source, "grows.bin", zcPPMdI1, {}, T);
        zip.Close();
    }
    TZipFile::UnregisterCompressionHandler(zcPPMdI1);

    const std::uint64_t compressed = SOURCE + PADDING;
    const TBytes &first = sink.Writes().front().Bytes;
    EXPECT_EQ(U16At(first, 28), 20) << "room for the item was reserved before any data was written";
    const TBytes patched = sink.Image(0, 30 + 9 + 20);
    EXPECT_EQ(U32At(patched, 18), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(patched, 22), 0xFFFFFFFFu);
    EXPECT_EQ(U64At(patched, 39 + 4), static_cast<std::uint64_t>(SOURCE)) << "both sizes in the local item";
    EXPECT_EQ(U64At(patched, 39 + 12), compressed);

    const TBytes &tail = ReadRecords(sink).Tail;
    EXPECT_EQ(U32At(tail, 20), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(tail, 24), static_cast<std::uint32_t>(SOURCE));
    EXPECT_EQ(U16At(tail, 30), 12) << "central item: the compressed size alone, not a zero placeholder first";
    EXPECT_EQ(U64At(tail, 46 + 9 + 4), compressed);
}
