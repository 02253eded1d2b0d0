// libFuzzer target for what a restore does with an archive file: every input is saved as an archive in a
// sandbox folder, verified, listed and restored (replacing) into the sandbox. Beside the sanitizers it
// checks what a restore promises whatever the archive holds: nothing is written outside the destination;
// no link, special file, set-user-ID, set-group-ID or sticky bit and no temporary file is left in it; and
// an archive the verifier calls sound reads back entry by entry.

#include "run/ArchiveListing.h"
#include "run/RestoreJob.h"
#include "zip/EStreamError.h"
#include "zip/EZipException.h"
#include "zip/TZipFile.h"
#include "zip/TZipVerifier.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The sandbox's parent: only the sandbox may ever stand in it.
const fs::path &Outside()
{
    static const fs::path folder = [] {
        const char *base = std::getenv("TMPDIR");
        auto path = fs::path(base != nullptr ? base : "/tmp") /
                    ("arkivoda-fuzz-restore-" + std::to_string(::getpid()));
        fs::create_directories(path / "sandbox");
        return path;
    }();
    return folder;
}

[[noreturn]] void Violated(const std::string &what, const fs::path &path)
{
    std::fprintf(stderr, "restore invariant violated: %s: %s\n", what.c_str(), path.c_str());
    std::abort();
}

// Archives whose entries unpack to more than this are only verified and listed: the time belongs to
// the parsers, not to writing zeros.
constexpr std::uint64_t LARGEST_RESTORE = 4 << 20;

void CheckSandbox(const fs::path &sandbox, const fs::path &archive)
{
    for (const auto &item : fs::directory_iterator(Outside()))
        if (item.path() != sandbox)
            Violated("written outside the sandbox", item.path());
    for (const auto &item : fs::recursive_directory_iterator(sandbox)) {
        if (item.path() == archive)
            continue;
        struct stat status
        {
        };
        if (::lstat(item.path().c_str(), &status) != 0)
            Violated("cannot look at", item.path());
        if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
            Violated("link or special file", item.path());
        if ((status.st_mode & (S_ISUID | S_ISGID | S_ISVTX)) != 0)
            Violated("set-user-ID, set-group-ID or sticky bit", item.path());
        const std::string name = item.path().filename().string();
        if (name.starts_with(".arkivoda-") && name.ends_with(".part"))
            Violated("temporary file left", item.path());
    }
}

void CheckSoundReads(const std::string &archive)
{
    const TZipVerification verification = TZipVerifier::Verify(archive, 1);
    if (!verification.Sound)
        return;
    TZipFile zip;
    zip.Open(archive, zmRead);
    for (int i = 0; i < zip.FileCount(); ++i) {
        try {
            zip.Test(i);
        } catch (const std::exception &error) {
            Violated(std::string("verified sound, but an entry does not read: ") + error.what(), archive);
        }
    }
}

void Exercise(const std::uint8_t *data, std::size_t size)
{
    const fs::path sandbox = Outside() / "sandbox";
    const fs::path archive = sandbox / "a.zip";
    {
        std::ofstream file(archive, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    }
    try {
        CheckSoundReads(archive.string());
    } catch (const EZipException &) {
    } catch (const EStreamError &) {
    }

    const QString archivePath = QString::fromStdString(archive.string());
    ArchiveListing listing;
    try {
        listing = ArchiveListing::read(archivePath);
    } catch (const std::exception &) {
        return;
    }
    std::uint64_t total = 0;
    for (int i = 0; i < listing.count(); ++i)
        total += listing.size(i);
    if (total <= LARGEST_RESTORE && listing.count() <= 64) {
        const QList<int> all = listing.select({});
        const QString target = QString::fromStdString((sandbox / "out").string());
        RestoreJob job(archivePath, RestoreJob::planBelow(listing, all, QString(), target),
                       RestoreJob::Existing::Replace);
        (void)job.run();
        // Again, over what the first run wrote, the way a second restore meets it.
        RestoreJob again(archivePath, RestoreJob::planBelow(listing, all, QString(), target),
                         RestoreJob::Existing::Skip);
        (void)again.run();
    }
    CheckSandbox(sandbox, archive);
}

// Removes a path and all below it; a restored folder may lack the owner's permissions.
void Remove(const fs::path &path)
{
    struct stat status
    {
    };
    if (::lstat(path.c_str(), &status) != 0)
        return;
    if (S_ISDIR(status.st_mode)) {
        ::chmod(path.c_str(), 0700);
        for (const auto &item : fs::directory_iterator(path))
            Remove(item.path());
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Exercise(data, size);
    for (const auto &item : fs::directory_iterator(Outside() / "sandbox"))
        Remove(item.path());
    return 0;
}
