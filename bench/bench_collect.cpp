// Source collection of a large tree: 100,000 files in 1,000 folders, resolved, sorted and totalled as a
// run does it. The whole collection must stay well under 2 seconds.

#include "run/DirectoryTree.h"
#include "run/SortedPathList.h"
#include "run/SourceCollection.h"
#include "run/SourceCollectionSink.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int topFolders = 10;
constexpr int foldersPerTop = 100;
constexpr int filesPerFolder = 100;

class NullSink : public SourceCollectionSink
{
public:
    void missingEntry(const QString &) override {}
    void fileSize(qint64 bytes) override { total += bytes; }
    void fileCount(qint64 count) override { files = count; }

    qint64 total = 0;
    qint64 files = 0;
};

// The tree is made once for all benchmarks; mixed letter case and a few non-ASCII names keep the
// collation honest.
class BigTree
{
public:
    BigTree()
    {
        if (!m_dir.isValid())
            throw std::runtime_error("cannot create a temporary folder");
        const QByteArray root = QFile::encodeName(m_dir.path());
        char path[512];
        for (int top = 0; top < topFolders; ++top) {
            std::snprintf(path, sizeof path, "%s/Mapa_%02d", root.constData(), top);
            makeFolder(path);
            for (int sub = 0; sub < foldersPerTop; ++sub) {
                std::snprintf(path, sizeof path, "%s/Mapa_%02d/%s%03d", root.constData(), top,
                              sub % 2 ? "podmapa_" : "Podmapa_č", sub);
                makeFolder(path);
                const std::string folder = path;
                for (int file = 0; file < filesPerFolder; ++file) {
                    std::snprintf(path, sizeof path, "%s/%s%03d.txt", folder.c_str(),
                                  file % 3 == 0   ? "Datoteka_"
                                  : file % 3 == 1 ? "datoteka_"
                                                  : "dokument_ž",
                                  file);
                    makeFile(path, file);
                }
            }
        }
    }

    QString root() const { return m_dir.path(); }

private:
    static void makeFolder(const char *path)
    {
        if (::mkdir(path, 0700) != 0)
            throw std::runtime_error(std::string("cannot create ") + path);
    }
    static void makeFile(const char *path, int size)
    {
        const int fd = ::open(path, O_CREAT | O_WRONLY | O_TRUNC, 0600);
        if (fd < 0 || ::ftruncate(fd, size) != 0)
            throw std::runtime_error(std::string("cannot create ") + path);
        ::close(fd);
    }

    QTemporaryDir m_dir;
};

const BigTree &bigTree()
{
    static const BigTree tree;
    return tree;
}

// Argument 0: the user's locale is Croatian (collation through sort keys); 1: the C locale.
void setLocale(const benchmark::State &state)
{
    QLocale::setDefault(state.range(0) == 0 ? QLocale(QLocale::Croatian, QLocale::Croatia) : QLocale::c());
}

void BM_Collection(benchmark::State &state)
{
    const QString root = bigTree().root();
    setLocale(state);
    for (auto _ : state) {
        SourceCollection collection;
        NullSink sink;
        collection.resolveEntries({root}, sink);
        collection.reportTotals(sink);
        if (sink.files != topFolders * foldersPerTop * filesPerFolder)
            state.SkipWithError("wrong number of files collected");
        benchmark::DoNotOptimize(collection.lista_mapa_finalna().size());
    }
    state.counters["files/s"] = benchmark::Counter(double(topFolders * foldersPerTop * filesPerFolder),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Collection)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// The walk alone, without sorting.
void BM_Walk(benchmark::State &state)
{
    const QString root = bigTree().root();
    for (auto _ : state) {
        SortedPathList files;
        SortedPathList folders;
        DirectoryTree(root + QStringLiteral("/*"), files, folders);
        benchmark::DoNotOptimize(files);
    }
}
BENCHMARK(BM_Walk)->Unit(benchmark::kMillisecond)->Iterations(5);

// Sorting 100,000 paths that are already in memory.
void BM_Sort(benchmark::State &state)
{
    QStringList paths;
    paths.reserve(topFolders * foldersPerTop * filesPerFolder);
    for (int top = 0; top < topFolders; ++top)
        for (int sub = 0; sub < foldersPerTop; ++sub)
            for (int file = 0; file < filesPerFolder; ++file)
                paths.append(QStringLiteral("/home/ana/Dokumenti/Mapa_%1/Podmapa_%2/Datoteka_%3.txt")
                                 .arg(top)
                                 .arg(sub)
                                 .arg(file));
    setLocale(state);
    for (auto _ : state) {
        SortedPathList list;
        for (const QString &path : std::as_const(paths))
            list.add(path);
        benchmark::DoNotOptimize(list.paths());
    }
}
BENCHMARK(BM_Sort)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
