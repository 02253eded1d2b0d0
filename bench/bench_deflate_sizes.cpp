// Where libdeflate could replace zlib for a file that fits one piece: for files named on standard input
// (`find DIR -type f | bench_deflate_sizes [LEVEL...]`), by size class, what zlib makes of them with the
// archive's settings, what TChunkDeflater makes at each libdeflate level (default 6 7 9) as a share of
// that, how many files it makes larger than zlib does and by how many bytes at most, and the speeds.

#include "zip/TChunkDeflater.h"
#include "zip/TZlibDeflater.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct TLevelFigures
{
    std::size_t Bytes = 0;
    std::size_t Larger = 0;
    std::size_t MostLarger = 0;
    double Seconds = 0;
};

struct TSizeClass
{
    std::size_t Files = 0;
    std::size_t Source = 0;
    std::size_t Zlib = 0;
    double ZlibSeconds = 0;
    std::vector<TLevelFigures> Levels;
};

template <typename TCompress> std::size_t Timed(double &seconds, TCompress compress)
{
    const auto start = Clock::now();
    const std::size_t size = compress();
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    return size;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<int> levels;
    for (int i = 1; i < argc; ++i)
        levels.push_back(std::atoi(argv[i]));
    if (levels.empty())
        levels = {6, 7, 9};
    TZlibDeflater zlib;
    std::vector<std::unique_ptr<TChunkDeflater>> deflaters;
    for (int level : levels)
        deflaters.push_back(std::make_unique<TChunkDeflater>(level));

    // Size classes by upper bound: 64 B, 256 B, 1 KiB, ... 4 MiB, larger.
    std::map<std::size_t, TSizeClass> classes;
    std::string name;
    TBytes out;
    while (std::getline(std::cin, name)) {
        std::ifstream file(name, std::ios::binary);
        const TBytes data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::size_t bound = 64;
        while (bound < data.size() && bound < (std::size_t(8) << 20))
            bound *= bound < 1024 ? 4 : 2;
        TSizeClass &sizeClass = classes[bound];
        sizeClass.Levels.resize(levels.size());
        ++sizeClass.Files;
        sizeClass.Source += data.size();
        const std::size_t zlibSize = Timed(sizeClass.ZlibSeconds, [&] {
            out.clear();
            zlib.Compress(data.data(), data.size(), out);
            return out.size();
        });
        sizeClass.Zlib += zlibSize;
        for (std::size_t i = 0; i < levels.size(); ++i) {
            TLevelFigures &figures = sizeClass.Levels[i];
            const std::size_t size = Timed(figures.Seconds, [&] {
                out.clear();
                deflaters[i]->Compress(data.data(), data.size(), true, out);
                return out.size();
            });
            figures.Bytes += size;
            if (size > zlibSize) {
                ++figures.Larger;
                figures.MostLarger = std::max(figures.MostLarger, size - zlibSize);
            }
        }
    }

    std::printf("%9s %7s %12s %12s %8s", "up to", "files", "source", "zlib", "zlib MB/s");
    for (int level : levels)
        std::printf(" | L%-2d %% zlib larger most  MB/s", level);
    std::printf("\n");
    for (const auto &[bound, sizeClass] : classes) {
        std::printf("%9zu %7zu %12zu %12zu %8.1f", bound, sizeClass.Files, sizeClass.Source, sizeClass.Zlib,
                    double(sizeClass.Source) / sizeClass.ZlibSeconds / 1e6);
        for (const TLevelFigures &figures : sizeClass.Levels)
            std::printf(" | %10.2f %6zu %5zu %5.1f", 100.0 * double(figures.Bytes) / double(sizeClass.Zlib),
                        figures.Larger, figures.MostLarger, double(sizeClass.Source) / figures.Seconds / 1e6);
        std::printf("\n");
    }
    return 0;
}
