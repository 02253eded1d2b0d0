// The archive writer: byte-exact records of the small fixtures, progress events, every failure text,
// encodings and the behaviours that keep an archive sound when a source or a run misbehaves.

#include "ZipTestUtil.h"

#include "zip/EStreamError.h"
#include "zip/EZipException.h"
#include "zip/TDeflateStream.h"
#include "zip/TFileStream.h"
#include "zip/TMemoryStream.h"
#include "zip/TParallelCompressor.h"
#include "zip/TStoredStream.h"
#include "zip/TZipFile.h"
#include "zip/ZipDateTime.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <system_error>

using namespace ziptest;

namespace {

constexpr std::uint32_t T = 0x586F6DAF; // 2024-03-15 13:45:30

struct ProgressEvent
{
    std::string FileName;
    TZipHeader Header;
    std::int64_t Position;
};

// Records every progress event of an archive object.
struct ProgressLog
{
    std::vector<ProgressEvent> Events;

    TZipProgressEvent Handler()
    {
        return
            [this](TZipFile &, const std::string &fileName, const TZipHeader &header, std::int64_t position) {
                Events.push_back({fileName, header, position});
            };
    }
};

TBytes RandomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    TBytes bytes(count);
    for (auto &byte : bytes)
        byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

std::uint32_t Crc(const TBytes &bytes)
{
    return static_cast<std::uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

// A stream that accepts only a limited number of bytes, then reports short writes.
class LimitedStream : public TMemoryStream
{
  public:
    explicit LimitedStream(std::int64_t limit) : FLimit(limit) {}
    std::int64_t Write(const void *buffer, std::int64_t count) override
    {
        const std::int64_t allowed = std::max<std::int64_t>(0, std::min(count, FLimit - Position()));
        return allowed > 0 ? TMemoryStream::Write(buffer, allowed) : 0;
    }

  private:
    std::int64_t FLimit;
};

// A source whose bytes change every time it is rewound, as a file does while another program saves it.
class ChangingStream : public TStream
{
  public:
    explicit ChangingStream(std::int64_t size) : FSize(size) {}
    std::int64_t Read(void *buffer, std::int64_t count) override
    {
        const std::int64_t done = std::min(count, FSize - FPosition);
        auto *bytes = static_cast<std::uint8_t *>(buffer);
        for (std::int64_t i = 0; i < done; ++i)
            bytes[i] = static_cast<std::uint8_t>((FPosition + i) * 7 + FGeneration);
        FPosition += done;
        return done;
    }
    std::int64_t Write(const void *, std::int64_t) override { return 0; }
    std::int64_t Size() override { return FSize; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        const std::int64_t target = origin == soBeginning ? offset
                                    : origin == soCurrent ? FPosition + offset
                                                          : FSize + offset;
        if (target != FPosition)
            ++FGeneration;
        FPosition = target;
        return FPosition;
    }
    TBytes FirstGeneration() const
    {
        TBytes bytes(static_cast<std::size_t>(FSize));
        for (std::int64_t i = 0; i < FSize; ++i)
            bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7);
        return bytes;
    }

  private:
    std::int64_t FSize;
    std::int64_t FPosition = 0;
    int FGeneration = 0;
};

// A source that fails with a short read after a given number of bytes.
class FailingSource : public TMemoryStream
{
  public:
    FailingSource(TBytes bytes, std::int64_t failAt) : TMemoryStream(std::move(bytes)), FFailAt(failAt) {}
    std::int64_t Read(void *buffer, std::int64_t count) override
    {
        const std::int64_t allowed = std::min(count, FFailAt - Position());
        return allowed > 0 ? TMemoryStream::Read(buffer, allowed) : 0;
    }

  private:
    std::int64_t FFailAt;
};

struct ForcedStop
{
};

// Write system calls made by this process so far, all threads together; -1 where the kernel does not say.
std::int64_t WriteCalls()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::int64_t value = 0;
    while (io >> key >> value) {
        if (key == "syscw:")
            return value;
    }
    return -1;
}

std::int64_t FileSize(const std::string &path)
{
    struct stat status
    {
    };
    return ::stat(path.c_str(), &status) == 0 ? status.st_size : -1;
}

} // namespace

// --- Byte-exact fixtures ---------------------------------------------------------------------

TEST(WriterFixtures, EmptyArchiveIs22Bytes)
{
    TTempDir dir;
    const std::string path = dir.File("empty.zip");
    TZipFile zip;
    zip.Open(path, zmWrite);
    zip.Close();
    EXPECT_EQ(ReadFileBytes(path), Hex("50 4B 05 06  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"));
}

TEST(WriterFixtures, HelloEntry)
{
    TMemoryStream archive;
    ProgressLog log;
    TZipFile zip;
    zip.SetOnProgress(log.Handler());
    zip.Open(archive, zmWrite);
    TMemoryStream source(ToBytes("hello"));
    zip.Add(source, "hello.txt", zcDeflate, {faArchive}, T);
    zip.Close();

    const TBytes name = ToBytes("hello.txt");
    TBytes expected =
        Hex("50 4B 03 04  14 00  00 08  08 00  AF 6D 6F 58  86 A6 10 36  07 00 00 00  05 00 00 00"
            "09 00  00 00");
    expected.insert(expected.end(), name.begin(), name.end());
    const TBytes data = Hex("CB 48 CD C9 C9 07 00");
    expected.insert(expected.end(), data.begin(), data.end());
    const TBytes central = Hex("50 4B 01 02  14 00  14 00  00 08  08 00  AF 6D 6F 58  86 A6 10 36"
                               "07 00 00 00  05 00 00 00  09 00  00 00  00 00  00 00  00 00"
                               "20 00 00 00  00 00 00 00");
    expected.insert(expected.end(), central.begin(), central.end());
    expected.insert(expected.end(), name.begin(), name.end());
    const TBytes end = Hex("50 4B 05 06  00 00  00 00  01 00  01 00  37 00 00 00  2E 00 00 00  00 00");
    expected.insert(expected.end(), end.begin(), end.end());
    EXPECT_EQ(ToHex(archive.Bytes()), ToHex(expected));

    ASSERT_EQ(log.Events.size(), 1u);
    EXPECT_EQ(log.Events[0].Position, 5);
    EXPECT_EQ(log.Events[0].FileName, "");
    EXPECT_EQ(log.Events[0].Header.FileName, name);
    EXPECT_EQ(log.Events[0].Header.UncompressedSize, 5u);
    EXPECT_EQ(log.Events[0].Header.CompressedSize, 0u);
    EXPECT_EQ(log.Events[0].Header.CRC32, 0u);
    EXPECT_EQ(log.Events[0].Header.CompressionMethod, zcDeflate);
}

TEST(WriterFixtures, EmptyFolderEntry)
{
    TMemoryStream archive;
    ProgressLog log;
    TZipFile zip;
    zip.SetOnProgress(log.Handler());
    zip.Open(archive, zmWrite);
    TMemoryStream empty;
    zip.Add(empty, "home/ana/Dok/", zcStored, {faDirectory}, T);
    zip.Close();

    const TBytes &bytes = archive.Bytes();
    EXPECT_EQ(Slice(bytes, 0, 30),
              Hex("50 4B 03 04  14 00  00 08  00 00  AF 6D 6F 58  00 00 00 00  00 00 00 00"
                  "00 00 00 00  0D 00  00 00"));
    const std::size_t centralStart = 30 + 13;
    EXPECT_EQ(U32At(bytes, centralStart), 0x02014B50u) << "no data between header and directory";
    EXPECT_EQ(U16At(bytes, centralStart + 10), 0u);
    EXPECT_EQ(U32At(bytes, centralStart + 38), 0x10u);
    ASSERT_EQ(log.Events.size(), 1u);
    EXPECT_EQ(log.Events[0].Position, 43) << "the offset just past the local header";
}

TEST(WriterFixtures, EmptyDeflatedFile)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.Add(TBytes{}, "empty.txt", zcDeflate);
    zip.Close();
    const TBytes &bytes = archive.Bytes();
    EXPECT_EQ(U32At(bytes, 14), 0u);
    EXPECT_EQ(U32At(bytes, 18), 2u);
    EXPECT_EQ(U32At(bytes, 22), 0u);
    EXPECT_EQ(Slice(bytes, 30 + 9, 2), Hex("03 00"));
}

TEST(WriterFixtures, CompressorWritesNothingUntilFinished)
{
    TMemoryStream target;
    {
        TDeflateStream deflate(target);
        const TBytes text = ToBytes("text that deflate keeps in its buffers");
        deflate.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
        EXPECT_EQ(deflate.Position(), static_cast<std::int64_t>(text.size()));
    }
    EXPECT_EQ(target.Size(), 0) << "an unfinished compressor must not flush when it is destroyed";

    TDeflateStream finished(target);
    finished.Finish();
    EXPECT_EQ(target.Bytes(), Hex("03 00"));
}

// --- Progress --------------------------------------------------------------------------------

TEST(WriterProgress, OneEventPerFullOutputBlockAndOneAtTheEnd)
{
    const TBytes random = RandomBytes(3 * 65536 + 1000, 1);
    TMemoryStream archive;
    ProgressLog log;
    TZipFile zip;
    zip.SetOnProgress(log.Handler());
    zip.Open(archive, zmWrite);
    TMemoryStream source(random);
    zip.Add(source, "random.bin", zcDeflate, {}, T);
    const std::uint64_t compressed = zip.FileInfo(0).CompressedSize;
    TMemoryStream stored(random);
    zip.Add(stored, "stored.bin", zcStored, {}, T);
    const auto storedEnd = static_cast<std::int64_t>(zip.LocalHeaderPosition(1) + 30 + 10 + random.size());
    zip.Close();

    const std::size_t blocks = compressed / 65536;
    ASSERT_EQ(log.Events.size(), blocks + 1 + 1);
    for (std::size_t i = 1; i < blocks; ++i)
        EXPECT_GT(log.Events[i].Position, log.Events[i - 1].Position);
    EXPECT_EQ(log.Events[blocks].Position, static_cast<std::int64_t>(random.size()));
    EXPECT_EQ(log.Events[blocks + 1].Position, storedEnd) << "a stored entry reports the archive position";
}

// --- Failures and their texts ----------------------------------------------------------------

struct FailureCase
{
    std::string Name;
    std::function<void(TZipFile &, TMemoryStream &)> Action;
    std::string Message;
};

class WriterFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(WriterFailure, RaisesItsText)
{
    TMemoryStream archive;
    TZipFile zip;
    try {
        GetParam().Action(zip, archive);
        FAIL() << "no exception";
    } catch (const EZipException &error) {
        EXPECT_EQ(std::string(error.what()), GetParam().Message);
    }
}

namespace {

void OpenWrite(TZipFile &zip, TMemoryStream &archive)
{
    zip.Open(archive, zmWrite);
}

std::vector<FailureCase> FailureCases()
{
    const auto closed = [](std::function<void(TZipFile &)> action) {
        return [action](TZipFile &zip, TMemoryStream &) { action(zip); };
    };
    const auto opened = [](std::function<void(TZipFile &)> action) {
        return [action](TZipFile &zip, TMemoryStream &archive) {
            OpenWrite(zip, archive);
            action(zip);
        };
    };
    const std::string mustBeOpen = "File must be open";
    const std::string forWriting = "File must be open for writing";
    return {
        {"OpenStreamClosedMode", [](TZipFile &zip, TMemoryStream &archive) { zip.Open(archive, zmClosed); },
         "Invalid argument"},
        {"OpenFileClosedMode", closed([](TZipFile &zip) { zip.Open("/nonexistent/never.zip", zmClosed); }),
         "Invalid argument"},
        {"ReadEmptyStream", [](TZipFile &zip, TMemoryStream &archive) { zip.Open(archive, zmRead); },
         "Stream read error"},
        {"EmptyName", opened([](TZipFile &zip) { zip.Add(TBytes{1}, ""); }), "File name must not be empty"},
        {"EmptyNameWhenClosed", closed([](TZipFile &zip) { zip.Add(TBytes{1}, ""); }),
         "File name must not be empty"},
        {"AddClosed", closed([](TZipFile &zip) { zip.Add(TBytes{1}, "a"); }), forWriting},
        {"AddAfterClose",
         [](TZipFile &zip, TMemoryStream &archive) {
             OpenWrite(zip, archive);
             zip.Close();
             zip.Add(TBytes{1}, "a");
         },
         forWriting},
        {"AddFileByNameClosed", closed([](TZipFile &zip) { zip.Add(std::string("/etc/hostname"), "x"); }),
         forWriting},
        {"Bzip2", opened([](TZipFile &zip) { zip.Add(TBytes{1}, "a", zcBZIP2); }),
         "Support for compression method not registered: BZIP2"},
        {"UnknownMethod",
         opened([](TZipFile &zip) { zip.Add(TBytes{1}, "a", static_cast<TZipCompression>(77)); }),
         "Support for compression method not registered: Unknown"},
        {"SetCommentClosed", closed([](TZipFile &zip) { zip.SetComment("c"); }), forWriting},
        {"SetFileCommentClosed", closed([](TZipFile &zip) { zip.SetFileComment(0, "c"); }), forWriting},
        {"SetUTF8SupportClosed", closed([](TZipFile &zip) { zip.SetUTF8Support(false); }), forWriting},
        {"SetUTF8SupportAfterAdd", opened([](TZipFile &zip) {
             zip.Add(TBytes{1}, "a");
             zip.SetUTF8Support(false);
         }),
         "Zip file must be empty"},
        {"FileCountClosed", closed([](TZipFile &zip) { zip.FileCount(); }), mustBeOpen},
        {"FileNamesClosed", closed([](TZipFile &zip) { zip.FileNames(); }), mustBeOpen},
        {"FileInfosClosed", closed([](TZipFile &zip) { zip.FileInfos(); }), mustBeOpen},
        {"FileInfoClosed", closed([](TZipFile &zip) { zip.FileInfo(0); }), mustBeOpen},
        {"FileNameClosed", closed([](TZipFile &zip) { zip.FileName(0); }), mustBeOpen},
        {"FileCommentClosed", closed([](TZipFile &zip) { zip.FileComment(0); }), mustBeOpen},
        {"CommentClosed", closed([](TZipFile &zip) { zip.Comment(); }), mustBeOpen},
        {"LocalHeaderWrite",
         [](TZipFile &zip, TMemoryStream &) {
             static LimitedStream tiny(10);
             zip.Open(tiny, zmWrite);
             zip.Add(TBytes{1}, "a");
         },
         "Error writing zip file"},
        {"CentralDirectoryWrite",
         [](TZipFile &zip, TMemoryStream &) {
             static LimitedStream small(60);
             zip.Open(small, zmWrite);
             zip.Add(TBytes{1}, "a", zcStored);
             zip.Close();
         },
         "Error writing zip file"},
        {"VerifyRead",
         [](TZipFile &, TMemoryStream &archive) {
             std::uint8_t buffer[4];
             TZipFile::VerifyRead(archive, buffer, 4);
         },
         "Error reading zip file"},
    };
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Writer, WriterFailure, ::testing::ValuesIn(FailureCases()),
                         [](const ::testing::TestParamInfo<FailureCase> &info) { return info.param.Name; });

TEST(WriterFailures, RefusedAddWritesNothingAndIndexIsChecked)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    EXPECT_THROW(zip.Add(TBytes{1, 2, 3}, "a", zcBZIP2), EZipException);
    EXPECT_EQ(archive.Size(), 0);
    EXPECT_NO_THROW(zip.SetUTF8Support(true)) << "an unchanged value needs no checks";
    EXPECT_THROW(zip.FileInfo(0), std::out_of_range);
    EXPECT_THROW(zip.FileName(-1), std::out_of_range);
    zip.Close();
    EXPECT_EQ(archive.Size(), 22);
}

TEST(WriterFailures, FailedAddLeavesTheArchiveUsableAndIsCutAway)
{
    TTempDir dir;
    const std::string path = dir.File("failed.zip");
    TZipFile zip;
    zip.Open(path, zmWrite);
    zip.Add(ToBytes("first"), "first.txt");

    FailingSource source(RandomBytes(4 << 20, 2), 3 << 20);
    try {
        zip.Add(source, "broken.bin", zcDeflate, {}, T);
        FAIL() << "short read not reported";
    } catch (const EStreamError &error) {
        EXPECT_STREQ(error.what(), "Stream read error");
    }
    EXPECT_EQ(zip.FileCount(), 1);
    EXPECT_EQ(zip.Mode(), zmWrite);

    zip.Add(ToBytes("second"), "second.txt");
    zip.Close();

    const TBytes bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 22u);
    EXPECT_EQ(U32At(bytes, bytes.size() - 22), 0x06054B50u) << "the file ends with the end record";
    EXPECT_LT(bytes.size(), 300u) << "the failed entry's megabytes are gone";

    TZipFile reader;
    reader.Open(path, zmRead);
    ASSERT_EQ(reader.FileNames(), (std::vector<std::string>{"first.txt", "second.txt"}));
    TBytes second;
    reader.Read(1, second);
    EXPECT_EQ(second, ToBytes("second"));
}

// --- Forced stop -----------------------------------------------------------------------------

// A forced stop throws from the progress handler; the run flushes the archive first, or leaves it.
class WriterForcedStop : public ::testing::TestWithParam<bool>
{
};

TEST_P(WriterForcedStop, ThrowFromProgressThenAbandonWritesNothingMore)
{
    const bool flushFirst = GetParam();
    TTempDir dir;
    const std::string path = dir.File("killed.zip");
    std::int64_t sizeWhenStopped = -1;
    std::uint64_t firstData = 0;
    int events = 0;
    {
        TZipFile zip;
        zip.Open(path, zmWrite);
        zip.Add(ToBytes("complete entry"), "done.txt");
        firstData = zip.FileInfo(0).CompressedSize;
        zip.SetOnProgress([&](TZipFile &sender, const std::string &, const TZipHeader &, std::int64_t) {
            if (++events == 3) {
                if (flushFirst)
                    sender.Flush();
                sizeWhenStopped = FileSize(path);
                throw ForcedStop{};
            }
        });
        TMemoryStream source(RandomBytes(1 << 20, 3));
        EXPECT_THROW(zip.Add(source, "big.bin", zcDeflate, {}, T), ForcedStop);
        zip.Abandon();
        EXPECT_EQ(zip.Mode(), zmClosed);
    }
    const TBytes bytes = ReadFileBytes(path);
    const std::size_t second = 30 + 8 + firstData;
    EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), sizeWhenStopped)
        << "nothing is written after the stop";
    if (!flushFirst) {
        EXPECT_EQ(sizeWhenStopped, 0) << "everything was still buffered, and Abandon drops the buffer";
        return;
    }
    EXPECT_EQ(sizeWhenStopped, static_cast<std::int64_t>(second + 30 + 7 + 3 * 65536))
        << "Flush writes everything written before the handler ran";
    EXPECT_EQ(U32At(bytes, second), 0x04034B50u);
    EXPECT_EQ(U32At(bytes, second + 14), 0u) << "the interrupted entry's header is never completed";
    for (std::size_t i = 0; i + 4 <= bytes.size(); ++i)
        ASSERT_FALSE(U32At(bytes, i) == 0x02014B50u) << "no central directory at " << i;
    EXPECT_FALSE(TZipFile::IsValid(path));
}

INSTANTIATE_TEST_SUITE_P(Writer, WriterForcedStop, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("FlushedFirst") : std::string("NotFlushed");
                         });

// --- Output buffering ------------------------------------------------------------------------

// Many tiny entries, each with its progress report, through the stream and the parallel add.
class WriterBuffering : public ::testing::TestWithParam<bool>
{
};

TEST_P(WriterBuffering, TinyEntriesReachTheFilePerMebibyteNotPerEntry)
{
    const bool parallel = GetParam();
    constexpr int ENTRIES = 2000;
    TTempDir dir;
    std::vector<std::string> sources;
    for (int i = 0; parallel && i < ENTRIES; ++i) {
        sources.push_back(dir.File("src/f" + std::to_string(i)));
        WriteFileBytes(sources.back(), ToBytes("tiny file " + std::to_string(i)));
    }
    const std::string path = dir.File("tiny.zip");
    int reports = 0;
    TZipFile zip;
    zip.SetOnProgress(
        [&reports](TZipFile &, const std::string &, const TZipHeader &, std::int64_t) { ++reports; });
    zip.Open(path, zmWrite);
    std::optional<TParallelCompressor> compressor;
    if (parallel)
        compressor.emplace(sources);
    const std::int64_t before = WriteCalls();
    if (before < 0)
        GTEST_SKIP() << "/proc/self/io is not readable here";
    for (int i = 0; i < ENTRIES; ++i) {
        const std::string name = "d/f" + std::to_string(i) + ".txt";
        if (parallel)
            zip.AddCompressed(compressor->Next(), name, {faArchive}, T);
        else
            zip.Add(ToBytes("tiny entry " + std::to_string(i)), name);
    }
    const std::int64_t writes = WriteCalls() - before;
    zip.Close();
    EXPECT_EQ(reports, ENTRIES);
    EXPECT_LE(writes, FileSize(path) / (1 << 20) + 1) << "archive bytes must go through the 1 MiB buffer";
    TZipFile reader;
    reader.Open(path, zmRead);
    EXPECT_EQ(reader.FileCount(), ENTRIES);
}

INSTANTIATE_TEST_SUITE_P(Writer, WriterBuffering, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("Parallel") : std::string("Stream");
                         });

// --- Mends: one pass, truncation -------------------------------------------------------------

TEST(WriterOnePass, ChecksumCoversExactlyTheBytesCompressed)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    ChangingStream source(300000);
    zip.Add(source, "changing.bin", zcDeflate, {}, T);
    zip.Close();

    const TBytes expected = source.FirstGeneration();
    archive.SetPosition(0);
    TZipFile reader;
    reader.Open(archive, zmRead);
    EXPECT_EQ(reader.FileInfo(0).CRC32, Crc(expected));
    TBytes stored;
    reader.Read(0, stored);
    EXPECT_EQ(stored, expected);
}

TEST(WriterTruncation, ClosePreservesNothingAfterTheEndRecord)
{
    TMemoryStream archive(TBytes(5000, 0xEE));
    archive.SetPosition(0);
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.Close();
    EXPECT_EQ(archive.Size(), 22);
}

// --- Header contents -------------------------------------------------------------------------

TEST(WriterHeaders, TimeArgument)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    const std::uint32_t before = DateTimeToWinFileDate(LocalDateTimeNow());
    zip.Add(TBytes{1}, "now.bin");
    const std::uint32_t after = DateTimeToWinFileDate(LocalDateTimeNow());
    TMemoryStream one(TBytes{1});
    zip.Add(one, "max.bin", zcDeflate, {}, 0xFFFFFFFF);
    const std::uint32_t now = zip.FileInfo(0).ModifiedDateTime;
    EXPECT_TRUE(now >= before && now <= after) << std::hex << now;
    EXPECT_EQ(zip.FileInfo(1).ModifiedDateTime, 0xFFFFFFFFu);
}

TEST(WriterHeaders, CommentsAreCutTo65535Bytes)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.Add(TBytes{1}, "a.bin");
    zip.SetComment(std::string(70000, 'c'));
    zip.SetFileComment(0, "entry note");
    EXPECT_EQ(zip.Comment().size(), 65535u);
    EXPECT_EQ(zip.FileComment(0), "entry note");
    zip.Close();

    const TBytes &bytes = archive.Bytes();
    const std::size_t end = bytes.size() - 22 - 65535;
    EXPECT_EQ(U32At(bytes, end), 0x06054B50u);
    EXPECT_EQ(U16At(bytes, end + 20), 0xFFFF);
    EXPECT_EQ(U16At(bytes, 28), 0) << "entry comments live in the central directory only";
    archive.SetPosition(0);
    TZipFile reader;
    reader.Open(archive, zmRead);
    EXPECT_EQ(reader.FileComment(0), "entry note");
    EXPECT_EQ(reader.Comment(), std::string(65535, 'c'));
}

TEST(WriterHeaders, Utf8NamesCarryFlagAndUnicodePath)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.Add(TBytes{1}, "\u00E4.txt");
    zip.Add(TBytes{1}, "plain.txt");
    const TZipHeader umlaut = zip.FileInfo(0);
    EXPECT_EQ(umlaut.FileName, Hex("C3 A4 2E 74 78 74"));
    EXPECT_EQ(umlaut.Flag, 0x0800);
    TBytes unicodePath = Hex("75 70 0B 00 01");
    const std::uint32_t nameCrc = Crc(umlaut.FileName);
    for (int i = 0; i < 4; ++i)
        unicodePath.push_back(static_cast<std::uint8_t>(nameCrc >> (8 * i)));
    unicodePath.insert(unicodePath.end(), umlaut.FileName.begin(), umlaut.FileName.end());
    EXPECT_EQ(ToHex(umlaut.ExtraField), ToHex(unicodePath));
    EXPECT_TRUE(zip.FileInfo(1).ExtraField.empty()) << "ASCII names are unchanged";
    zip.Close();

    // The local header carries the same item.
    const TBytes &bytes = archive.Bytes();
    EXPECT_EQ(U16At(bytes, 28), unicodePath.size());
    EXPECT_EQ(Slice(bytes, 30 + 6, unicodePath.size()), unicodePath);
}

TEST(WriterHeaders, CodePage437NamesWhenUtf8IsOff)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.SetUTF8Support(false);
    zip.Add(TBytes{1}, "\u00E4.txt");
    zip.Add(TBytes{1}, "ma\u010Dka.txt");
    EXPECT_EQ(zip.FileInfo(0).FileName, Hex("84 2E 74 78 74"));
    EXPECT_EQ(zip.FileInfo(0).Flag, 0);
    EXPECT_EQ(zip.FileInfo(1).FileName, ToBytes("ma?ka.txt"));
    EXPECT_EQ(zip.FileName(1), "ma\u010Dka.txt") << "the Unicode Path item restores the name";
    zip.Close();

    archive.SetPosition(0);
    TZipFile reader;
    reader.Open(archive, zmRead);
    EXPECT_FALSE(reader.UTF8Support());
    EXPECT_EQ(reader.FileNames(), (std::vector<std::string>{"\u00E4.txt", "ma\u010Dka.txt"}));
}

TEST(WriterHeaders, IndexOfFoldsOnlyAsciiLetters)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.Add(TBytes{1}, "Dir/README.txt");
    zip.Add(TBytes{1}, "\u00C4.txt");
    EXPECT_EQ(zip.IndexOf("dir/readme.TXT"), 0);
    EXPECT_EQ(zip.IndexOf("\u00E4.txt"), -1);
    EXPECT_EQ(zip.IndexOf("\u00C4.TXT"), 1);
    EXPECT_EQ(zip.IndexOf("missing"), -1);
}

TEST(WriterHeaders, CoreAddFillsThePassedCentralHeader)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    TZipHeader local;
    local.CompressionMethod = zcStored;
    local.ModifiedDateTime = T;
    local.FileName = ToBytes("core.bin");
    TZipHeader central = local;
    central.MadeByVersion = 0x0314;
    central.ExternalAttributes = 0x81A40000;
    central.FileComment = ToBytes("note");
    const TZipHeader localBefore = local;
    TMemoryStream source(ToBytes("payload"));
    zip.Add(source, local, &central);

    EXPECT_EQ(local, localBefore);
    EXPECT_EQ(central.CRC32, Crc(ToBytes("payload")));
    EXPECT_EQ(central.CompressedSize, 7u);
    EXPECT_EQ(central.UncompressedSize, 7u);
    EXPECT_EQ(central.FileCommentLength, 4);
    EXPECT_EQ(zip.FileInfo(0), central);
    EXPECT_EQ(zip.FileInfo(0).MadeByVersion, 0x0314);
    zip.Close();

    archive.SetPosition(0);
    TZipFile reader;
    reader.Open(archive, zmRead);
    EXPECT_EQ(reader.FileComment(0), "note");
    EXPECT_EQ(reader.FileInfo(0).ExternalAttributes, 0x81A40000u);
    TBytes payload;
    reader.Read(0, payload);
    EXPECT_EQ(payload, ToBytes("payload"));
}

// --- File-name overload, file handling -------------------------------------------------------

TEST(WriterFiles, FileNameAddTakesTimeAndAttributesFromTheFile)
{
    TTempDir dir;
    const std::string old = dir.File("old.txt");
    const std::string readOnly = dir.File("sub/.ro");
    WriteFileBytes(old, ToBytes("reproducible build output"));
    WriteFileBytes(readOnly, ToBytes("x"));
    const struct timespec epoch[2] = {{0, 0}, {0, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, old.c_str(), epoch, 0), 0);
    ::chmod(readOnly.c_str(), 0400);

    ProgressLog log;
    TZipFile zip;
    zip.SetOnProgress(log.Handler());
    zip.Open(dir.File("files.zip"), zmWrite);
    zip.Add(old);
    zip.Add(readOnly, "renamed/.ro", zcStored);
    EXPECT_EQ(zip.FileName(0), "old.txt");
    EXPECT_EQ(zip.FileInfo(0).ModifiedDateTime, 0x00210000u) << "1970 is stored as 1980-01-01 00:00:00";
    EXPECT_EQ(zip.FileInfo(0).ExternalAttributes, 0x20u);
    EXPECT_EQ(zip.FileName(1), "renamed/.ro");
    EXPECT_EQ(zip.FileInfo(1).ExternalAttributes, 0x23u);
    ASSERT_EQ(log.Events.size(), 2u);
    EXPECT_EQ(log.Events[0].FileName, old);
    EXPECT_EQ(log.Events[1].FileName, readOnly);
    EXPECT_THROW(zip.Add(dir.File("missing.txt")), std::system_error);
    zip.Add(TBytes{1}, "bytes.bin");
    zip.Close();
}

TEST(WriterFiles, WriteModeReplacesAnExistingFile)
{
    TTempDir dir;
    const std::string path = dir.File("old.zip");
    WriteFileBytes(path, RandomBytes(10000, 4));
    TZipFile zip;
    zip.Open(path, zmWrite);
    zip.Close();
    EXPECT_EQ(ReadFileBytes(path).size(), 22u);
}

TEST(WriterFiles, ReusedObjectStartsTheNextArchiveAtItsBeginning)
{
    TTempDir dir;
    TZipFile zip;
    zip.Open(dir.File("one.zip"), zmWrite);
    zip.Add(RandomBytes(5000, 5), "one.bin", zcStored);
    zip.SetComment("first archive");
    zip.Close();
    zip.Open(dir.File("two.zip"), zmWrite);
    zip.Add(ToBytes("x"), "two.bin", zcStored);
    zip.Close();
    const TBytes two = ReadFileBytes(dir.File("two.zip"));
    EXPECT_EQ(U32At(two, 0), 0x04034B50u);
    EXPECT_EQ(two.size(), 30u + 7 + 1 + 46 + 7 + 22);
}

TEST(WriterFiles, OpenFailurePassesThePlatformError)
{
    TZipFile zip;
    EXPECT_THROW(zip.Open("/nonexistent-folder/a.zip", zmWrite), std::system_error);
    EXPECT_EQ(zip.Mode(), zmClosed);
}

// --- Handler registry ------------------------------------------------------------------------

TEST(WriterRegistry, HandlersCanBeReplacedAndRemoved)
{
    int made = 0;
    TZipFile::RegisterCompressionHandler(
        zcPPMdI1,
        [&made](TStream &archive, TZipFile &, const TZipHeader &header) -> std::unique_ptr<TStream> {
            ++made;
            EXPECT_EQ(header.CompressionMethod, zcPPMdI1);
            return std::make_unique<TStoredStream>(archive);
        },
        [](TStream &archive, TZipFile &, const TZipHeader &) -> std::unique_ptr<TStream> {
            return std::make_unique<TStoredStream>(archive);
        });
    TMemoryStream archive;
    {
        TZipFile zip;
        zip.Open(archive, zmWrite);
        zip.Add(ToBytes("abc"), "custom.bin", zcPPMdI1);
        zip.Close();
    }
    TZipFile::UnregisterCompressionHandler(zcPPMdI1);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(U16At(archive.Bytes(), 8), zcPPMdI1);

    TZipFile zip;
    TMemoryStream other;
    zip.Open(other, zmWrite);
    EXPECT_THROW(zip.Add(ToBytes("abc"), "custom.bin", zcPPMdI1), EZipException);
}
