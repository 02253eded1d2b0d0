// The archive writer against raw zlib. On mixed compressible data the writer (source in memory,
// archive on disk) must reach at least 95% of the throughput of raw deflate at the same settings plus
// crc32 over the same bytes; 50,000 empty entries must be added and closed in under half a second.
//
// ARKIVODA_BENCH_MIB sets the data size in MiB (default 1024).

#include "zip/TFileStream.h"
#include "zip/TMemoryStream.h"
#include "zip/TMemoryViewStream.h"
#include "zip/TZipFile.h"

#include <benchmark/benchmark.h>

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

namespace {

std::size_t DataSize()
{
    const char *mib = std::getenv("ARKIVODA_BENCH_MIB");
    return static_cast<std::size_t>(mib != nullptr ? std::atoi(mib) : 1024) << 20;
}

// Mixed data in 1 MiB blocks: text, records, low-entropy bytes, random bytes and zeros.
const TBytes &MixedData()
{
    static const TBytes data = [] {
        TBytes bytes(DataSize());
        std::mt19937_64 generator(20240315);
        static const char *const WORDS[] = {"arhiva ",     "datoteka ", "mapa ", "sigurnosna ", "kopija ",
                                            "2024-03-15 ", "INFO ",     "\n",    "korisnik ",   "12345 "};
        constexpr std::size_t BLOCK = 1 << 20;
        for (std::size_t start = 0; start < bytes.size(); start += BLOCK) {
            std::uint8_t *block = bytes.data() + start;
            const std::size_t length = std::min(BLOCK, bytes.size() - start);
            const auto kind = generator() % 10;
            std::size_t i = 0;
            if (kind < 5) {
                while (i < length) {
                    const char *word = WORDS[generator() % 10];
                    for (; *word != '\0' && i < length; ++word)
                        block[i++] = static_cast<std::uint8_t>(*word);
                }
            } else if (kind < 7) {
                for (; i < length; ++i)
                    block[i] = static_cast<std::uint8_t>((i % 64 < 8) ? generator() : i % 64);
            } else if (kind < 8) {
                for (; i < length; ++i)
                    block[i] = static_cast<std::uint8_t>(generator() % 4);
            } else if (kind < 9) {
                for (; i < length; ++i)
                    block[i] = static_cast<std::uint8_t>(generator());
            } else {
                std::memset(block, 0, length);
            }
        }
        return bytes;
    }();
    return data;
}

std::string TempArchive(const char *name)
{
    return (std::filesystem::temp_directory_path() / (std::string("arkivoda-bench-") + name)).string();
}

// deflate (level 6, window bits -15, memory level 8, default strategy) in 1 MiB pieces into a 64 KiB
// buffer that is thrown away, and crc32 over the same pieces.
void BM_RawDeflateAndCrc(benchmark::State &state)
{
    const TBytes &data = MixedData();
    auto output = std::make_unique<std::uint8_t[]>(65536);
    for (auto _ : state) {
        z_stream stream{};
        deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        uLong crc = crc32(0, nullptr, 0);
        std::size_t compressed = 0;
        for (std::size_t at = 0; at < data.size(); at += 1 << 20) {
            const auto piece = static_cast<uInt>(std::min<std::size_t>(1 << 20, data.size() - at));
            crc = crc32(crc, data.data() + at, piece);
            stream.next_in = const_cast<Bytef *>(data.data() + at);
            stream.avail_in = piece;
            int flush = at + piece == data.size() ? Z_FINISH : Z_NO_FLUSH;
            do {
                stream.next_out = output.get();
                stream.avail_out = 65536;
                deflate(&stream, flush);
                compressed += 65536 - stream.avail_out;
            } while (stream.avail_out == 0);
        }
        deflateEnd(&stream);
        benchmark::DoNotOptimize(crc);
        state.counters["ratio"] = static_cast<double>(compressed) / static_cast<double>(data.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

// The same bytes as one deflated entry of an archive written to disk, with a progress handler.
void BM_ZipWriterDeflate(benchmark::State &state)
{
    const TBytes &data = MixedData();
    const std::string path = TempArchive("writer.zip");
    std::int64_t events = 0;
    for (auto _ : state) {
        TMemoryViewStream source(data.data(), data.size());
        TZipFile zip;
        zip.SetOnProgress(
            [&events](TZipFile &, const std::string &, const TZipHeader &, std::int64_t) { ++events; });
        zip.Open(path, zmWrite);
        zip.Add(source, "mixed.bin", zcDeflate, {faArchive}, 0x586F6DAF);
        zip.Close();
    }
    ::unlink(path.c_str());
    benchmark::DoNotOptimize(events);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

// 50,000 empty entries (folders stored, files deflated) added and closed, with a progress handler.
void BM_ZipWriterEmptyEntries(benchmark::State &state)
{
    const std::string path = TempArchive("empty.zip");
    std::int64_t events = 0;
    for (auto _ : state) {
        TZipFile zip;
        zip.SetOnProgress(
            [&events](TZipFile &, const std::string &, const TZipHeader &, std::int64_t) { ++events; });
        zip.Open(path, zmWrite);
        for (int i = 0; i < 50000; ++i) {
            TMemoryStream empty;
            const std::string folder = "home/ana/Dokumenti/mapa" + std::to_string(i / 100);
            if (i % 2 == 0)
                zip.Add(empty, folder + "/prazna" + std::to_string(i) + "/", zcStored, {faDirectory},
                        0x586F6DAF);
            else
                zip.Add(empty, folder + "/prazna" + std::to_string(i) + ".txt", zcDeflate, {faArchive},
                        0x586F6DAF);
        }
        zip.Close();
    }
    ::unlink(path.c_str());
    benchmark::DoNotOptimize(events);
}

} // namespace

BENCHMARK(BM_RawDeflateAndCrc)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ZipWriterDeflate)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ZipWriterEmptyEntries)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
