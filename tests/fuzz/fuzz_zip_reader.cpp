// libFuzzer target for the read side: every input is opened as an archive, listed, tested entry by
// entry, read into memory and extracted. The unit may refuse an input only with its own exception
// types; anything else escaping, and every sanitizer report, is a crash.

#include "zip/EStreamError.h"
#include "zip/EZipException.h"
#include "zip/TMemoryViewStream.h"
#include "zip/TZipFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// A folder of this process's own, emptied after every input.
const std::filesystem::path &ExtractionFolder()
{
    static const std::filesystem::path folder = [] {
        const char *base = std::getenv("TMPDIR");
        auto path = std::filesystem::path(base != nullptr ? base : "/tmp") /
                    ("arkivoda-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// Entries larger than this are tested but not read into memory or extracted: deflate expands about
// 1000 times, and the time belongs to the parser, not to inflating zeros.
constexpr std::uint64_t LARGEST_ENTRY_READ = 1 << 20;

void Exercise(const std::uint8_t *data, std::size_t size)
{
    TMemoryViewStream archive(data, size);
    TZipFile zip;
    zip.Open(archive, zmRead);
    const int count = zip.FileCount();
    (void)zip.Comment();
    (void)zip.FileNames();
    bool extractable = count <= 64;
    for (int i = 0; i < count; ++i) {
        const TZipHeader header = zip.FileInfo(i);
        (void)zip.FileComment(i);
        (void)zip.IndexOf(zip.FileName(i));
        try {
            zip.Test(i);
            if (header.GetZIP64_UncompressedSize() <= LARGEST_ENTRY_READ) {
                TBytes bytes;
                zip.Read(i, bytes);
            } else {
                extractable = false;
            }
        } catch (const EZipException &) {
        } catch (const EStreamError &) {
        }
    }
    if (extractable) {
        try {
            zip.ExtractAll(ExtractionFolder().string());
        } catch (const EZipException &) {
        } catch (const EStreamError &) {
        }
        for (const auto &item : std::filesystem::directory_iterator(ExtractionFolder()))
            std::filesystem::remove_all(item.path());
    }
    zip.Close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    try {
        Exercise(data, size);
    } catch (const EZipException &) {
    } catch (const EStreamError &) {
    }
    return 0;
}
