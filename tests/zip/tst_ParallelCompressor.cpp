// Pieces deflated in parallel must join into one raw deflate stream that inflates to exactly the
// source bytes, whatever the data and piece size, and files must come back whole, in order.

#include "zip/ESourceError.h"
#include "zip/EZipException.h"
#include "zip/TChunkDeflater.h"
#include "zip/TFileStream.h"
#include "zip/TMemoryStream.h"
#include "zip/TParallelCompressor.h"
#include "zip/TZipFile.h"
#include "zip/ZipFileSystem.h"

#include "ZipTestUtil.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

using namespace ziptest;

namespace {

TBytes Inflate(const TBytes &deflated, std::size_t expected)
{
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, -15), Z_OK);
    TBytes out(expected + 16);
    stream.next_in = const_cast<std::uint8_t *>(deflated.data());
    stream.avail_in = static_cast<uInt>(deflated.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    EXPECT_EQ(result, Z_STREAM_END) << "the joined stream must end exactly once, at its end";
    EXPECT_EQ(stream.avail_in, 0u) << "nothing may follow the final block";
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return out;
}

enum class Kind { Text, Random, Zeros, Mixed, RepeatedRandom };

TBytes Make(Kind kind, std::size_t size, unsigned seed = 7)
{
    std::mt19937 generator(seed);
    TBytes data(size);
    const std::string words[] = {"arhiva ", "datoteka ", "mapa ", "kopija ", "2024-03-15 ", "INFO ", "\n"};
    for (std::size_t i = 0; i < size;) {
        Kind part = kind;
        if (kind == Kind::Mixed)
            part = static_cast<Kind>((i / 70000) % 3);
        if (part == Kind::RepeatedRandom) {
            // One 20 KiB block of noise over and over: every byte value exactly 80 times in it,
            // shuffled, so the byte histogram is flat, yet the repeats lie inside deflate's window.
            TBytes block(20 * 1024);
            for (std::size_t b = 0; b < block.size(); ++b)
                block[b] = static_cast<std::uint8_t>(b);
            std::shuffle(block.begin(), block.end(), generator);
            for (; i < size; ++i)
                data[i] = block[i % block.size()];
        } else if (part == Kind::Text) {
            const std::string &word = words[generator() % 7];
            for (char c : word) {
                if (i < size)
                    data[i++] = static_cast<std::uint8_t>(c);
            }
        } else {
            data[i++] = part == Kind::Random ? static_cast<std::uint8_t>(generator()) : 0;
        }
    }
    return data;
}

// What zlib makes of the data with the archive's settings: level 6, raw deflate, memory level 8.
std::size_t ZlibSize(const TBytes &data)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    TBytes out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<std::uint8_t *>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    const std::size_t size = stream.total_out;
    deflateEnd(&stream);
    return size;
}

std::uint32_t Crc(const TBytes &data)
{
    return static_cast<std::uint32_t>(crc32_z(crc32(0, nullptr, 0), data.data(), data.size()));
}

// Joins the pieces of one entry and checks CRC and sizes as the writer will combine them.
TBytes TakeEntry(TCompressedEntry &entry, std::uint32_t &crc, std::uint64_t &size)
{
    TBytes joined;
    crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
    size = 0;
    TCompressedPiece piece;
    while (entry.NextPiece(piece)) {
        joined.insert(joined.end(), piece.Data.begin(), piece.Data.end());
        crc = static_cast<std::uint32_t>(
            crc32_combine(crc, piece.CRC32, static_cast<z_off_t>(piece.SourceBytes)));
        size += piece.SourceBytes;
    }
    return joined;
}

} // namespace

class ChunkJoin : public ::testing::TestWithParam<std::tuple<Kind, std::size_t, std::size_t>>
{
};

TEST_P(ChunkJoin, JoinedPiecesInflateToTheSource)
{
    const auto [kind, size, pieceSize] = GetParam();
    const TBytes source = Make(kind, size);
    TChunkDeflater deflater;
    TBytes joined;
    std::size_t done = 0;
    do {
        const std::size_t length = std::min(pieceSize, size - done);
        deflater.Compress(source.data() + done, length, done + length == size, joined);
        done += length;
    } while (done < size);
    EXPECT_EQ(Inflate(joined, size), source);
}

INSTANTIATE_TEST_SUITE_P(Pieces, ChunkJoin,
                         ::testing::Values(std::make_tuple(Kind::Text, 3'000'000, 1 << 20),
                                           std::make_tuple(Kind::Text, 100'000, 997),
                                           std::make_tuple(Kind::Random, 2'500'000, 1 << 20),
                                           std::make_tuple(Kind::Random, 200'000, 65536),
                                           std::make_tuple(Kind::Zeros, 5'000'000, 1 << 20),
                                           std::make_tuple(Kind::Mixed, 4'000'000, 300'000),
                                           std::make_tuple(Kind::Mixed, 1'048'576, 1 << 20),
                                           std::make_tuple(Kind::RepeatedRandom, 1'000'000, 300'000),
                                           std::make_tuple(Kind::Text, 0, 1 << 20),
                                           std::make_tuple(Kind::Text, 1, 1 << 20)));

TEST(ChunkDeflater, EmptyDataEndsAsZlibEndsAnEmptyStream)
{
    TBytes out;
    TChunkDeflater::Store(nullptr, 0, true, out);
    EXPECT_EQ(out, TBytes({0x03, 0x00}));
}

TEST(ChunkDeflater, NoiseIsRecognisedAndTextIsNot)
{
    EXPECT_TRUE(TChunkDeflater::LooksIncompressible(Make(Kind::Random, 1 << 20).data(), 1 << 20));
    EXPECT_FALSE(TChunkDeflater::LooksIncompressible(Make(Kind::Text, 1 << 20).data(), 1 << 20));
    // One compressible block among noise is enough to deflate the piece for real.
    EXPECT_FALSE(TChunkDeflater::LooksIncompressible(Make(Kind::Mixed, 1 << 20).data(), 1 << 20));
    // Too little data to judge: always deflated.
    EXPECT_FALSE(TChunkDeflater::LooksIncompressible(Make(Kind::Random, 1000).data(), 1000));
}

TEST(ParallelCompressor, FilesComeBackWholeAndInOrder)
{
    const TTempDir folder;
    std::vector<std::string> names;
    std::vector<TBytes> contents;
    for (int i = 0; i < 300; ++i) {
        const Kind kind = static_cast<Kind>(i % 4);
        const std::size_t size =
            i % 50 == 0 ? 3'000'000 + i : (i % 7 == 0 ? 0 : static_cast<std::size_t>(i * 37));
        contents.push_back(Make(kind, size, static_cast<unsigned>(i)));
        names.push_back(folder.File("f" + std::to_string(i)));
        WriteFileBytes(names.back(), contents.back());
    }
    names.insert(names.begin() + 5, folder.File("nema"));
    contents.insert(contents.begin() + 5, TBytes());

    TParallelCompressor::TOptions options;
    options.PieceSize = 256 * 1024;
    options.MaxBytesAhead = 2 << 20;
    options.MaxFilesAhead = 16;
    TParallelCompressor compressor(names, options);
    for (std::size_t i = 0; i < names.size(); ++i) {
        TCompressedEntry &entry = compressor.Next();
        std::string error;
        if (i == 5) {
            EXPECT_FALSE(entry.WaitOpened(error));
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_TRUE(entry.WaitOpened(error)) << error;
        EXPECT_EQ(entry.SourceSize(), contents[i].size());
        std::uint32_t crc = 0;
        std::uint64_t size = 0;
        const TBytes joined = TakeEntry(entry, crc, size);
        EXPECT_EQ(size, contents[i].size()) << names[i];
        EXPECT_EQ(crc, Crc(contents[i])) << names[i];
        EXPECT_EQ(Inflate(joined, contents[i].size()), contents[i]) << names[i];
    }
}

TEST(ParallelCompressor, SmallFilesWakeTheThreadsPerBatchNotPerFile)
{
    // Every time a thread has to wait for another counts as a voluntary context switch; a thread
    // switch costs tens of microseconds here, more than compressing a small file.
    const TTempDir folder;
    std::vector<std::string> names;
    for (int i = 0; i < 4000; ++i) {
        names.push_back(folder.File("d" + std::to_string(i / 500) + "/f" + std::to_string(i)));
        WriteFileBytes(names.back(), Make(Kind::Text, 200 + static_cast<std::size_t>(i % 7) * 300,
                                          static_cast<unsigned>(i)));
    }
    const auto waits = [] {
        struct rusage usage = {};
        ::getrusage(RUSAGE_SELF, &usage);
        return usage.ru_nvcsw;
    };
    const long before = waits();
    std::uint64_t total = 0;
    {
        TParallelCompressor compressor(names);
        for (std::size_t i = 0; i < names.size(); ++i) {
            TCompressedEntry &entry = compressor.Next();
            std::string error;
            ASSERT_TRUE(entry.WaitOpened(error)) << error;
            std::uint32_t crc = 0;
            std::uint64_t size = 0;
            TakeEntry(entry, crc, size);
            total += size;
        }
    }
    const long switches = waits() - before;
    EXPECT_GT(total, 0u);
    EXPECT_LT(switches, static_cast<long>(names.size() / 8)) << "threads woke about once per file";
}

TEST(ParallelCompressor, AFileThatGrowsIsCutAtItsOpeningSizeAndOneThatShrinksFails)
{
    const TTempDir folder;
    const TBytes original = Make(Kind::Text, 64 * 1024);
    WriteFileBytes(folder.File("raste"), original);
    WriteFileBytes(folder.File("pada"), original);
    TParallelCompressor::TOptions options;
    options.PieceSize = 4096;
    options.MaxBytesAhead = 4096;
    options.MaxFilesAhead = 1;
    TParallelCompressor compressor({folder.File("raste"), folder.File("pada")}, options);

    TCompressedEntry &growing = compressor.Next();
    std::string error;
    ASSERT_TRUE(growing.WaitOpened(error));
    {
        std::ofstream append(folder.File("raste"), std::ios::binary | std::ios::app);
        append << std::string(10000, 'x');
    }
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    const TBytes joined = TakeEntry(growing, crc, size);
    EXPECT_EQ(size, original.size());
    EXPECT_EQ(crc, Crc(original));
    EXPECT_EQ(Inflate(joined, original.size()), original);

    TCompressedEntry &shrinking = compressor.Next();
    ASSERT_TRUE(shrinking.WaitOpened(error));
    std::filesystem::resize_file(folder.File("pada"), 10000);
    try {
        TakeEntry(shrinking, crc, size);
        FAIL() << "a file that shrank was taken whole";
    } catch (const ESourceError &failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "Stream read error: " + folder.File("pada") + ": shrank while it was read");
    }
}

TEST(ParallelCompressor, SourceStatusIsTheOpenedFiles)
{
    const TTempDir folder;
    WriteFileBytes(folder.File("stari.txt"), Make(Kind::Text, 12345));
    const struct timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, folder.File("stari.txt").c_str(), times, 0), 0);
    ASSERT_EQ(::chmod(folder.File("stari.txt").c_str(), 0640), 0);
    struct stat expected = {};
    ASSERT_EQ(::stat(folder.File("stari.txt").c_str(), &expected), 0);

    TParallelCompressor compressor({folder.File("stari.txt")});
    TCompressedEntry &entry = compressor.Next();
    std::string error;
    ASSERT_TRUE(entry.WaitOpened(error)) << error;
    // Replaced after opening: the status still describes the file that is archived.
    std::filesystem::remove(folder.File("stari.txt"));
    WriteFileBytes(folder.File("stari.txt"), ToBytes("new"));
    const struct stat &status = entry.SourceStatus();
    EXPECT_EQ(status.st_ino, expected.st_ino);
    EXPECT_EQ(status.st_size, 12345);
    EXPECT_EQ(status.st_mtime, 1'000'000'000);
    EXPECT_EQ(status.st_mode, S_IFREG | 0640);
    EXPECT_EQ(entry.SourceSize(), 12345u);
}

TEST(ParallelCompressor, AFifoInAFilesPlaceFailsAtOnceInsteadOfBlocking)
{
    const TTempDir folder;
    const std::string fifo = folder.File("cijev");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WriteFileBytes(folder.File("poslije.txt"), ToBytes("after"));
    TParallelCompressor compressor({fifo, folder.File("poslije.txt")});

    // Should the reader block opening the FIFO, a writer end opened here after a while releases it,
    // so that the test fails instead of hanging.
    std::promise<void> added;
    std::thread watchdog([&fifo, finished = added.get_future()] {
        if (finished.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
                ::close(writer);
        }
    });
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    try {
        zip.AddCompressed(compressor.Next(), "cijev");
        ADD_FAILURE() << "a FIFO was archived as a file";
    } catch (const ESourceError &error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open " + fifo + ": Not a regular file");
    }
    added.set_value();
    watchdog.join();
    zip.AddCompressed(compressor.Next(), "poslije.txt");
    EXPECT_EQ(zip.FileNames(), std::vector<std::string>{"poslije.txt"});
}

TEST(ParallelCompressor, StopsCleanlyWithWorkStillAhead)
{
    const TTempDir folder;
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) {
        names.push_back(folder.File("f" + std::to_string(i)));
        WriteFileBytes(names.back(), Make(Kind::Text, 500'000, static_cast<unsigned>(i)));
    }
    TParallelCompressor compressor(names);
    TCompressedEntry &first = compressor.Next();
    std::string error;
    ASSERT_TRUE(first.WaitOpened(error));
    TCompressedPiece piece;
    EXPECT_TRUE(first.NextPiece(piece));
    // The writer moves on without taking the rest, then the compressor is destroyed mid-way.
    compressor.Next();
}

TEST(ParallelCompressor, SkippedFilesGiveTheirBudgetBackWithinBatches)
{
    // Batches hold more files than the budget lets ahead: a batch must go to the compressors before
    // the reader waits, and files the writer skips, read or not, must free what they held.
    const TTempDir folder;
    std::vector<std::string> names;
    std::vector<TBytes> contents;
    for (int i = 0; i < 600; ++i) {
        contents.push_back(Make(static_cast<Kind>(i % 3), static_cast<std::size_t>(i % 11) * 700, i));
        names.push_back(folder.File("f" + std::to_string(i)));
        WriteFileBytes(names.back(), contents.back());
    }
    TParallelCompressor::TOptions options;
    options.MaxFilesAhead = 8;
    options.MaxBytesAhead = 16 * 1024;
    TParallelCompressor compressor(names, options);
    for (std::size_t i = 0; i < names.size(); ++i) {
        TCompressedEntry &entry = compressor.Next();
        std::string error;
        if (i % 3 == 1)
            continue;
        ASSERT_TRUE(entry.WaitOpened(error)) << error;
        if (i % 3 == 2)
            continue;
        std::uint32_t crc = 0;
        std::uint64_t size = 0;
        EXPECT_EQ(Inflate(TakeEntry(entry, crc, size), contents[i].size()), contents[i]) << names[i];
        EXPECT_EQ(crc, Crc(contents[i]));
    }
}

TEST(ParallelCompressor, PausedCompressorDoesNoWork)
{
    // Far more pieces than the budget lets ahead: once paused, only pieces already begun can finish,
    // so the file cannot come through until the pause is lifted.
    const TTempDir folder;
    const TBytes content = Make(Kind::Text, 8 << 20);
    WriteFileBytes(folder.File("a"), content);
    TParallelCompressor::TOptions options;
    options.PieceSize = 64 * 1024;
    options.MaxBytesAhead = 256 * 1024;
    TParallelCompressor compressor({folder.File("a")}, options);
    TCompressedEntry &entry = compressor.Next();
    std::string error;
    ASSERT_TRUE(entry.WaitOpened(error));
    TCompressedPiece first;
    ASSERT_TRUE(entry.NextPiece(first));
    compressor.SetPaused(true);

    std::atomic<bool> delivered{false};
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    TBytes rest;
    std::thread writer([&] {
        rest = TakeEntry(entry, crc, size);
        delivered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(delivered) << "pieces were compressed during the pause";
    compressor.SetPaused(false);
    writer.join();
    TBytes joined = first.Data;
    joined.insert(joined.end(), rest.begin(), rest.end());
    EXPECT_EQ(first.SourceBytes + size, content.size());
    EXPECT_EQ(Inflate(joined, content.size()), content);
}

TEST(ParallelCompressor, ArchiveReadsBackAsTheOneThreadArchiveDoes)
{
    const TTempDir folder;
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) {
        const std::size_t size = i == 0 ? 9'000'000 : (i % 5 == 0 ? 0 : static_cast<std::size_t>(i) * 1013);
        names.push_back(folder.File("izvor" + std::to_string(i)));
        WriteFileBytes(names.back(), Make(static_cast<Kind>(i % 4), size, static_cast<unsigned>(i)));
    }
    const std::string oneThread = folder.File("jedna.zip");
    const std::string parallel = folder.File("paralelno.zip");
    {
        TZipFile zip;
        zip.Open(oneThread, zmWrite);
        for (const std::string &name : names) {
            TFileStream source(name, fmOpenRead);
            zip.Add(source, "d/" + ExtractFileName(name), zcDeflate, {faArchive}, 0x00210000);
        }
        zip.Close();
    }
    {
        TZipFile zip;
        zip.Open(parallel, zmWrite);
        TParallelCompressor compressor(names);
        for (const std::string &name : names)
            zip.AddCompressed(compressor.Next(), "d/" + ExtractFileName(name), {faArchive}, 0x00210000);
        zip.Close();
    }

    TZipFile expected;
    TZipFile actual;
    expected.Open(oneThread, zmRead);
    actual.Open(parallel, zmRead);
    ASSERT_EQ(actual.FileCount(), expected.FileCount());
    for (int i = 0; i < expected.FileCount(); ++i) {
        const TZipHeader want = expected.FileInfo(i);
        const TZipHeader got = actual.FileInfo(i);
        EXPECT_EQ(actual.FileName(i), expected.FileName(i));
        EXPECT_EQ(got.CRC32, want.CRC32) << expected.FileName(i);
        EXPECT_EQ(got.GetZIP64_UncompressedSize(), want.GetZIP64_UncompressedSize()) << expected.FileName(i);
        EXPECT_EQ(got.CompressionMethod, zcDeflate);
        EXPECT_EQ(got.ExternalAttributes, want.ExternalAttributes);
        EXPECT_EQ(got.ModifiedDateTime, want.ModifiedDateTime);
        TBytes wantBytes;
        TBytes gotBytes;
        expected.Read(i, wantBytes);
        actual.Read(i, gotBytes);
        EXPECT_EQ(gotBytes, wantBytes) << expected.FileName(i);
    }
}

TEST(ParallelCompressor, ProgressReportsOncePerBlockOfOutputThenWithTheWholeSource)
{
    const TTempDir folder;
    const TBytes noise = Make(Kind::Random, 300'000);
    WriteFileBytes(folder.File("sum"), noise);
    WriteFileBytes(folder.File("mali"), Make(Kind::Text, 1000));
    TZipFile zip;
    std::vector<std::int64_t> positions;
    zip.SetOnProgress([&positions](TZipFile &, const std::string &, const TZipHeader &,
                                   std::int64_t position) { positions.push_back(position); });
    zip.Open(folder.File("a.zip"), zmWrite);
    TParallelCompressor compressor({folder.File("sum"), folder.File("mali")});
    zip.AddCompressed(compressor.Next(), "sum");
    // Noise is stored: about 300,000 bytes of output give four full 65536-byte blocks.
    ASSERT_EQ(positions.size(), 5u);
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_LT(positions[i - 1], positions[i]);
    EXPECT_EQ(positions.back(), 300'000);
    positions.clear();
    zip.AddCompressed(compressor.Next(), "mali");
    EXPECT_EQ(positions, std::vector<std::int64_t>{1000});
    zip.Close();
}

// What AddCompressed raises tells the run whether to record a missing source and go on, or to end
// with an archive error: only a source's own failure is an ESourceError.
struct AddFailureCase
{
    std::string Name;
    // Puts the failing source in place and returns its name; may change the options.
    std::function<std::string(const TTempDir &, TParallelCompressor::TOptions &)> Prepare;
    std::string Archive; // written to the folder when empty
    enum { Source, Compression, ArchiveWrite } Kind;
    std::string Message; // "%s" stands for the source's name
};

void PrintTo(const AddFailureCase &test, std::ostream *out)
{
    *out << test.Name;
}

class AddCompressedFailure : public ::testing::TestWithParam<AddFailureCase>
{
};

TEST_P(AddCompressedFailure, RaisesTheTypeOfItsCause)
{
    const AddFailureCase &test = GetParam();
    const TTempDir folder;
    TParallelCompressor::TOptions options;
    const std::string source = test.Prepare(folder, options);
    WriteFileBytes(folder.File("after.txt"), ToBytes("after"));
    std::string message = test.Message;
    if (const std::size_t at = message.find("%s"); at != std::string::npos)
        message.replace(at, 2, source);

    const std::string archive = test.Archive.empty() ? folder.File("a.zip") : test.Archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    TParallelCompressor compressor({source, folder.File("after.txt")}, options);
    try {
        zip.AddCompressed(compressor.Next(), "failing");
        FAIL() << "no exception";
    } catch (const ESourceError &error) {
        EXPECT_EQ(test.Kind, AddFailureCase::Source) << error.what();
        EXPECT_EQ(std::string(error.what()), message);
    } catch (const EZipException &error) {
        EXPECT_EQ(test.Kind, AddFailureCase::Compression) << error.what();
        EXPECT_EQ(std::string(error.what()).substr(0, message.size()), message);
    } catch (const std::system_error &error) {
        EXPECT_EQ(test.Kind, AddFailureCase::ArchiveWrite) << error.what();
        EXPECT_EQ(error.code(), std::errc::no_space_on_device);
        zip.Abandon();
        return;
    }
    if (test.Kind == AddFailureCase::Source) {
        // The run goes on: the next file is archived and the archive reads back whole.
        zip.AddCompressed(compressor.Next(), "after.txt");
        zip.Close();
        TZipFile reader;
        reader.Open(archive, zmRead);
        EXPECT_EQ(reader.FileNames(), std::vector<std::string>{"after.txt"});
        TBytes after;
        reader.Read(0, after);
        EXPECT_EQ(after, ToBytes("after"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Causes, AddCompressedFailure,
    ::testing::Values(AddFailureCase{"Missing",
                                     [](const TTempDir &folder, auto &) { return folder.File("nema.txt"); },
                                     "", AddFailureCase::Source, "Cannot open %s: No such file or directory"},
                      AddFailureCase{"Unreadable",
                                     [](const TTempDir &folder, auto &) {
                                         std::filesystem::create_directory(folder.File("mapa.txt"));
                                         return folder.File("mapa.txt");
                                     },
                                     "", AddFailureCase::Source, "Cannot open %s: Not a regular file"},
                      AddFailureCase{"Device",
                                     [](const TTempDir &, auto &) { return std::string("/dev/null"); }, "",
                                     AddFailureCase::Source, "Cannot open %s: Not a regular file"},
                      AddFailureCase{"CompressorCannotStart",
                                     [](const TTempDir &folder, TParallelCompressor::TOptions &options) {
                                         // Larger than a piece: libdeflate compresses it, at a level
                                         // that it does not have.
                                         options.Level = 13;
                                         options.PieceSize = 64 * 1024;
                                         WriteFileBytes(folder.File("tekst.txt"), Make(Kind::Text, 100'000));
                                         return folder.File("tekst.txt");
                                     },
                                     "", AddFailureCase::Compression, "Compression failed: "},
                      AddFailureCase{"ArchiveDeviceFull",
                                     [](const TTempDir &folder, auto &) {
                                         WriteFileBytes(folder.File("sum.bin"), Make(Kind::Random, 3 << 20));
                                         return folder.File("sum.bin");
                                     },
                                     "/dev/full", AddFailureCase::ArchiveWrite, ""}),
    [](const ::testing::TestParamInfo<AddFailureCase> &info) { return info.param.Name; });

// The smallest files get zlib's very stream: their whole archive equals the one the one-thread stream
// writer makes of the same file.
struct FixtureCase
{
    std::string Name;
    TBytes Content;
    std::string Deflated; // the entry's data, in hex, where it is short enough to spell out
};

void PrintTo(const FixtureCase &test, std::ostream *out)
{
    *out << test.Name;
}

class ParallelFixture : public ::testing::TestWithParam<FixtureCase>
{
};

TEST_P(ParallelFixture, SmallFileIsTheOneThreadWritersStream)
{
    const FixtureCase &test = GetParam();
    const TTempDir folder;
    WriteFileBytes(folder.File("izvor"), test.Content);
    constexpr std::uint32_t T = 0x586F6DAF;

    TMemoryStream parallel;
    {
        TZipFile zip;
        zip.Open(parallel, zmWrite);
        TParallelCompressor compressor({folder.File("izvor")});
        zip.AddCompressed(compressor.Next(), test.Name, {faArchive}, T);
        zip.Close();
    }
    TMemoryStream oneThread;
    {
        TZipFile zip;
        zip.Open(oneThread, zmWrite);
        TMemoryStream source(test.Content);
        zip.Add(source, test.Name, zcDeflate, {faArchive}, T);
        zip.Close();
    }
    const TBytes &bytes = parallel.Bytes();
    if (!test.Deflated.empty()) {
        const TBytes deflated = Hex(test.Deflated);
        const std::size_t dataStart = 30 + test.Name.size();
        EXPECT_EQ(U32At(bytes, 18), deflated.size()) << "compressed size";
        EXPECT_EQ(ToHex(Slice(bytes, dataStart, deflated.size())), ToHex(deflated));
    }
    EXPECT_TRUE(bytes == oneThread.Bytes()) << "the archive differs from the one-thread writer's";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ParallelFixture,
                         ::testing::Values(FixtureCase{"empty.txt", {}, "03 00"},
                                           FixtureCase{"hello.txt", ToBytes("hello"), "CB 48 CD C9 C9 07 00"},
                                           FixtureCase{"text.txt", Make(Kind::Text, 250), ""},
                                           FixtureCase{"noise.bin", Make(Kind::Random, 200), ""}),
                         [](const ::testing::TestParamInfo<FixtureCase> &info) {
                             std::string name = info.param.Name;
                             name.erase(name.find('.'));
                             return name;
                         });

// Whatever the data, an entry is at most 1% and 16 bytes larger than zlib makes it with the archive's
// settings; noise may take the few bytes more of stored blocks. Files larger than one piece are cut
// into pieces here. Text of only seven words is libdeflate's worst case: zlib's longer match search
// beats its level 6 there by about 10%, where real text comes out smaller than zlib makes it.
struct SizeCase
{
    std::string Name;
    TBytes Content;
    std::size_t PieceSize = 0; // 0: the default, larger than every file here
    bool Noise = false;
    std::size_t SlackPercent = 1;
};

void PrintTo(const SizeCase &test, std::ostream *out)
{
    *out << test.Name;
}

class HardlyLargerThanZlib : public ::testing::TestWithParam<SizeCase>
{
};

TEST_P(HardlyLargerThanZlib, EntryTakesAtMostZlibsBytesAndOnePercent)
{
    const SizeCase &test = GetParam();
    const TTempDir folder;
    WriteFileBytes(folder.File("izvor"), test.Content);
    TParallelCompressor::TOptions options;
    if (test.PieceSize != 0)
        options.PieceSize = test.PieceSize;
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    TParallelCompressor compressor({folder.File("izvor")}, options);
    zip.AddCompressed(compressor.Next(), test.Name);
    const std::uint64_t compressed = zip.FileInfo(0).GetZIP64_CompressedSize();
    zip.Close();

    // Stored blocks carry 5 bytes of header per 65535 bytes, and per piece.
    const std::size_t pieces =
        test.PieceSize == 0 ? 1 : (test.Content.size() + test.PieceSize - 1) / test.PieceSize;
    const std::size_t allowance = test.Noise ? 5 * (test.Content.size() / 65535 + 1 + pieces) : 0;
    const std::size_t zlib = ZlibSize(test.Content);
    EXPECT_LE(compressed, zlib + zlib * test.SlackPercent / 100 + 16 + allowance) << "zlib makes " << zlib;
    archive.SetPosition(0);
    TZipFile reader;
    reader.Open(archive, zmRead);
    TBytes back;
    reader.Read(0, back);
    EXPECT_TRUE(back == test.Content);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, HardlyLargerThanZlib,
    ::testing::Values(SizeCase{"OneByte", ToBytes("x")},
                      SizeCase{"TwentySevenBytes", ToBytes("sigurnosna kopija 15.3.2024")},
                      SizeCase{"SevenWordText", Make(Kind::Text, 300'000), 0, false, 11},
                      SizeCase{"RepeatedNoiseBlock", Make(Kind::RepeatedRandom, 204'800)},
                      SizeCase{"Random", Make(Kind::Random, 300'000), 0, true},
                      SizeCase{"SevenWordTextOfAMebibyte", Make(Kind::Text, 1 << 20), 0, false, 11},
                      SizeCase{"RepeatedNoiseOfAMebibyte", Make(Kind::RepeatedRandom, 1 << 20)},
                      SizeCase{"RandomOfAMebibyte", Make(Kind::Random, 1 << 20), 0, true},
                      SizeCase{"RandomInPieces", Make(Kind::Random, 1'000'000), 256 * 1024, true}),
    [](const ::testing::TestParamInfo<SizeCase> &info) { return info.param.Name; });

TEST(ParallelCompressor, AFileInOnePieceIsDeflatedByLibdeflate)
{
    // Tables of numbers: libdeflate saves some 3% on them against zlib, which decides whether
    // a backup of many such files stays smaller than Info-ZIP's archive of it.
    const TTempDir folder;
    std::mt19937 generator(3);
    std::string table;
    while (table.size() < 2'000'000)
        table += std::to_string(generator() % 100000) + ';' + std::to_string(generator() % 1000) + '.' +
                 std::to_string(generator() % 100) + ";Zagreb;2024-" + std::to_string(1 + generator() % 12) +
                 '\n';
    const TBytes content = ToBytes(table);
    WriteFileBytes(folder.File("tablica.csv"), content);
    TParallelCompressor compressor({folder.File("tablica.csv")});
    TCompressedEntry &entry = compressor.Next();
    std::string error;
    ASSERT_TRUE(entry.WaitOpened(error)) << error;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    const TBytes deflated = TakeEntry(entry, crc, size);
    EXPECT_LT(deflated.size(), ZlibSize(content) * 98 / 100);
    EXPECT_EQ(Inflate(deflated, content.size()), content);
    EXPECT_EQ(crc, Crc(content));
}

// A thread of the compressor that fails outside the compression of a piece (an allocation, say) ends
// nothing but the archive: the writer gets the failure's text, and the program goes on.
class ThreadFailure : public ::testing::TestWithParam<TParallelCompressor::TFaultPoint>
{
};

TEST_P(ThreadFailure, ReachesTheWriterWithItsText)
{
    const TTempDir folder;
    WriteFileBytes(folder.File("a.txt"), Make(Kind::Text, 5000));
    WriteFileBytes(folder.File("b.txt"), Make(Kind::Text, 5000, 3));
    TParallelCompressor::TOptions options;
    options.InjectFault = GetParam();
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    TParallelCompressor compressor({folder.File("a.txt"), folder.File("b.txt")}, options);
    try {
        zip.AddCompressed(compressor.Next(), "a.txt");
        zip.AddCompressed(compressor.Next(), "b.txt");
        FAIL() << "the failure did not reach the writer";
    } catch (const EZipException &error) {
        EXPECT_STREQ(error.what(), "Compression failed: out of memory");
    }
}

INSTANTIATE_TEST_SUITE_P(Threads, ThreadFailure,
                         ::testing::Values(TParallelCompressor::TFaultPoint::Reader,
                                           TParallelCompressor::TFaultPoint::Compressor),
                         [](const ::testing::TestParamInfo<TParallelCompressor::TFaultPoint> &info) {
                             return info.param == TParallelCompressor::TFaultPoint::Reader
                                        ? std::string("Reader")
                                        : std::string("Compressor");
                         });

TEST(ParallelCompressor, NoiseThatRepeatsIsDeflatedInPiecesToo)
{
    // Each 200 KiB piece looks like noise to the byte histogram, yet deflate shrinks it tenfold: a
    // real attempt, not the histogram, decides what is stored.
    const TTempDir folder;
    const TBytes content = Make(Kind::RepeatedRandom, 1'024'000);
    WriteFileBytes(folder.File("ponavljanje.bin"), content);
    TParallelCompressor::TOptions options;
    options.PieceSize = 204'800;
    TParallelCompressor compressor({folder.File("ponavljanje.bin")}, options);
    TCompressedEntry &entry = compressor.Next();
    std::string error;
    ASSERT_TRUE(entry.WaitOpened(error)) << error;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    const TBytes joined = TakeEntry(entry, crc, size);
    EXPECT_LT(joined.size(), content.size() / 4);
    EXPECT_EQ(Inflate(joined, content.size()), content);
}

TEST(ParallelCompressor, IndependentReadersAcceptTheArchive)
{
    const TTempDir folder;
    std::vector<std::string> names;
    const std::vector<TBytes> contents = {{},
                                          ToBytes("hello"),
                                          Make(Kind::Text, 300'000),
                                          Make(Kind::RepeatedRandom, 204'800),
                                          Make(Kind::Random, 300'000),
                                          Make(Kind::Mixed, 3'000'000),
                                          Make(Kind::RepeatedRandom, 1'000'000)};
    for (std::size_t i = 0; i < contents.size(); ++i) {
        names.push_back(folder.File("izvor/f" + std::to_string(i) + ".bin"));
        WriteFileBytes(names.back(), contents[i]);
    }
    const std::string archive = folder.File("a.zip");
    {
        // Small pieces, so that the larger files are joined from several.
        TParallelCompressor::TOptions options;
        options.PieceSize = 256 * 1024;
        TParallelCompressor compressor(names, options);
        TZipFile zip;
        zip.Open(archive, zmWrite);
        for (const std::string &name : names)
            zip.AddCompressed(compressor.Next(), "d/" + ExtractFileName(name));
        zip.Close();
    }
    int readers = 0;
    for (const std::string command : {"unzip -t", "7zz t", "bsdtar -tf", "python3 -m zipfile -t"}) {
        const std::string tool = command.substr(0, command.find(' '));
        if (!HaveCommand(tool))
            continue;
        ++readers;
        std::string output;
        EXPECT_EQ(RunCommand(command + " '" + archive + "'", output), 0) << tool << ": " << output;
    }
    if (readers == 0)
        GTEST_SKIP() << "no independent ZIP reader installed";
}
