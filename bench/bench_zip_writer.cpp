// The archive writer against raw zlib. On mixed compressible data the writer (source in memory,
// archive on disk) must reach at least 95% of the throughput of raw deflate at the same settings plus
// crc32 over the same bytes; 50,000 empty entries must be added and closed in under half a second.
//
// Many small files: the parallel compressor and the writer alone (no run, no interface) archive a
// generated folder of small text files, next to Info-ZIP `zip -r -6` on the same folder; cpu_s is the
// processor time of all threads (or of zip) per run, steadier than wall time on a busy machine.
//
// ARKIVODA_BENCH_MIB sets the data size in MiB (default 1024); ARKIVODA_BENCH_SMALL_FILES the number
// of small files (default 55,000 of 1-8 KB); ARKIVODA_BENCH_FOLDER a folder (the benchmark corpus,
// say) that the compressor and writer, and Info-ZIP, archive as a whole.

#include "zip/TFileStream.h"
#include "zip/TMemoryStream.h"
#include "zip/TMemoryViewStream.h"
#include "zip/TParallelCompressor.h"
#include "zip/TZipFile.h"

#include <benchmark/benchmark.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

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

// A folder of small text files (words, numbers, line ends) of 1-8 KB, 500 to a subfolder, made once
// and removed when the program ends.
class TSmallFiles
{
  public:
    TSmallFiles()
    {
        const char *count = std::getenv("ARKIVODA_BENCH_SMALL_FILES");
        const int files = count != nullptr ? std::atoi(count) : 55000;
        FRoot =
            std::filesystem::temp_directory_path() / ("arkivoda-bench-small-" + std::to_string(::getpid()));
        std::mt19937 generator(20240315);
        std::vector<std::string> words;
        for (int i = 0; i < 3000; ++i) {
            std::string word;
            const int length = 2 + static_cast<int>(generator() % 9);
            for (int j = 0; j < length; ++j)
                word.push_back(static_cast<char>('a' + generator() % 26));
            words.push_back(word);
        }
        std::string text;
        for (int i = 0; i < files; ++i) {
            const std::filesystem::path folder = FRoot / ("mapa" + std::to_string(i / 500));
            if (i % 500 == 0)
                std::filesystem::create_directories(folder);
            const std::size_t size = 1024 + generator() % 7169;
            text.clear();
            while (text.size() < size) {
                const int count = 3 + static_cast<int>(generator() % 12);
                for (int w = 0; w < count; ++w)
                    text += words[generator() % words.size()] + ' ';
                text += std::to_string(generator() % 100000) + '\n';
            }
            text.resize(size);
            FNames.push_back((folder / ("dokument " + std::to_string(i) + ".txt")).string());
            std::ofstream(FNames.back(), std::ios::binary)
                .write(text.data(), static_cast<std::streamsize>(size));
            FBytes += size;
        }
    }
    ~TSmallFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(FRoot, ignored);
    }

    const std::filesystem::path &Root() const { return FRoot; }
    const std::vector<std::string> &Names() const { return FNames; }
    std::int64_t Bytes() const { return FBytes; }

  private:
    std::filesystem::path FRoot;
    std::vector<std::string> FNames;
    std::int64_t FBytes = 0;
};

const TSmallFiles &SmallFiles()
{
    static const TSmallFiles files;
    return files;
}

std::int64_t FileSize(const std::string &path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

std::int64_t VoluntarySwitches()
{
    struct rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

// Processor seconds (user and system) used so far by every thread of this process, or by its
// finished children: on a busy machine a steadier measure of work than wall time.
double ProcessorSeconds(int who)
{
    struct rusage usage = {};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval &time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The parallel compressor and the writer archive the named files below root, each entry with its
// progress report, as the run does it without its interface.
void ArchiveInParallel(benchmark::State &state, const std::filesystem::path &root,
                       const std::vector<std::string> &names, std::int64_t bytes,
                       const TParallelCompressor::TOptions &options)
{
    const std::string path = TempArchive("parallel.zip");
    std::int64_t events = 0;
    // Voluntary context switches of every thread: how often a thread waited for another.
    const std::int64_t switchesBefore = VoluntarySwitches();
    const double processorBefore = ProcessorSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        TZipFile zip;
        zip.SetOnProgress(
            [&events](TZipFile &, const std::string &, const TZipHeader &, std::int64_t) { ++events; });
        zip.Open(path, zmWrite);
        TParallelCompressor compressor(names, options);
        const std::size_t prefix = root.string().size() + 1;
        for (const std::string &name : names)
            zip.AddCompressed(compressor.Next(), name.substr(prefix), {faArchive}, 0x586F6DAF);
        zip.Close();
    }
    state.counters["archive_MB"] = static_cast<double>(FileSize(path)) / 1e6;
    state.counters["files"] = static_cast<double>(names.size());
    state.counters["waits_per_file"] = static_cast<double>(VoluntarySwitches() - switchesBefore) /
                                       static_cast<double>(state.iterations() * names.size());
    state.counters["cpu_s"] = (ProcessorSeconds(RUSAGE_SELF) - processorBefore) / double(state.iterations());
    ::unlink(path.c_str());
    benchmark::DoNotOptimize(events);
    state.SetBytesProcessed(state.iterations() * bytes);
}

// Info-ZIP `zip -r -6 -q` on the folder root, for comparison.
void ArchiveWithInfoZip(benchmark::State &state, const std::filesystem::path &root, std::int64_t bytes)
{
    if (std::system("command -v zip > /dev/null") != 0) {
        state.SkipWithError("Info-ZIP zip is not installed");
        return;
    }
    const std::string path = TempArchive("infozip.zip");
    const double processorBefore = ProcessorSeconds(RUSAGE_CHILDREN);
    const std::string command = "cd '" + root.parent_path().string() + "' && zip -r -6 -q '" + path + "' '" +
                                root.filename().string() + "'";
    for (auto _ : state) {
        ::unlink(path.c_str());
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("zip failed");
            break;
        }
    }
    state.counters["archive_MB"] = static_cast<double>(FileSize(path)) / 1e6;
    state.counters["cpu_s"] =
        (ProcessorSeconds(RUSAGE_CHILDREN) - processorBefore) / double(state.iterations());
    ::unlink(path.c_str());
    state.SetBytesProcessed(state.iterations() * bytes);
}

// The small files; arguments: small files per batch, KiB of source per batch (1 file: every file its
// own job).
void BM_ParallelSmallFiles(benchmark::State &state)
{
    const TSmallFiles &files = SmallFiles();
    TParallelCompressor::TOptions options;
    options.BatchFiles = static_cast<std::size_t>(state.range(0));
    options.BatchBytes = static_cast<std::size_t>(state.range(1)) << 10;
    ArchiveInParallel(state, files.Root(), files.Names(), files.Bytes(), options);
}

void BM_InfoZipSmallFiles(benchmark::State &state)
{
    ArchiveWithInfoZip(state, SmallFiles().Root(), SmallFiles().Bytes());
}

// Every regular file below ARKIVODA_BENCH_FOLDER (the benchmark corpus, say), in name order.
struct TFolderFiles
{
    std::filesystem::path Root;
    std::vector<std::string> Names;
    std::int64_t Bytes = 0;
};

const TFolderFiles &FolderFiles()
{
    static const TFolderFiles files = [] {
        TFolderFiles found;
        const char *folder = std::getenv("ARKIVODA_BENCH_FOLDER");
        if (folder == nullptr)
            return found;
        found.Root = std::filesystem::canonical(folder);
        for (const auto &item : std::filesystem::recursive_directory_iterator(found.Root)) {
            if (item.is_regular_file() && !item.is_symlink()) {
                found.Names.push_back(item.path().string());
                found.Bytes += static_cast<std::int64_t>(item.file_size());
            }
        }
        std::sort(found.Names.begin(), found.Names.end());
        return found;
    }();
    return files;
}

void BM_ParallelFolder(benchmark::State &state)
{
    const TFolderFiles &files = FolderFiles();
    if (files.Names.empty()) {
        state.SkipWithError("set ARKIVODA_BENCH_FOLDER to a folder of files");
        return;
    }
    ArchiveInParallel(state, files.Root, files.Names, files.Bytes, TParallelCompressor::TOptions());
}

void BM_InfoZipFolder(benchmark::State &state)
{
    if (FolderFiles().Names.empty()) {
        state.SkipWithError("set ARKIVODA_BENCH_FOLDER to a folder of files");
        return;
    }
    ArchiveWithInfoZip(state, FolderFiles().Root, FolderFiles().Bytes);
}

} // namespace

BENCHMARK(BM_RawDeflateAndCrc)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ZipWriterDeflate)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ZipWriterEmptyEntries)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ParallelSmallFiles)
    ->ArgNames({"batch_files", "batch_KiB"})
    ->Args({1, 256})
    ->Args({16, 64})
    ->Args({64, 256})
    ->Args({256, 1024})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_InfoZipSmallFiles)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ParallelFolder)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_InfoZipFolder)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
