#include "zip/ZipFileSystem.h"

#include <cstdio>
#include <sys/stat.h>

std::uint32_t WinAttributesFromStat(const std::string &path, const struct stat &status)
{
    std::uint32_t attributes = 0;
    if ((status.st_mode & S_IWUSR) == 0)
        attributes |= 0x01;
    if (ExtractFileName(path).starts_with('.'))
        attributes |= 0x02;
    if (S_ISDIR(status.st_mode))
        attributes |= 0x10;
    if (S_ISREG(status.st_mode))
        attributes |= 0x20;
    return attributes;
}

TFileAttributes AttributesFromStat(const std::string &path, const struct stat &status)
{
    TFileAttributes attributes = TFileAttributes::FromWinAttributes(WinAttributesFromStat(path, status));
    attributes.SetUnixMode(status.st_mode);
    return attributes;
}

std::uint64_t UnixTimeToFileTime(std::int64_t seconds, std::int64_t nanoseconds)
{
    // Seconds from 1601-01-01 to 1970-01-01.
    constexpr std::int64_t EPOCH_DIFFERENCE = 11644473600;
    const std::int64_t since1601 = seconds + EPOCH_DIFFERENCE;
    if (since1601 < 0)
        return 0;
    return static_cast<std::uint64_t>(since1601) * 10000000u + static_cast<std::uint64_t>(nanoseconds / 100);
}

std::string ExtractFileName(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Read from /proc: umask() reads it only by changing it, for a moment, for every thread.
mode_t CurrentUmask()
{
    if (std::FILE *status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status) != nullptr)
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(mask);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}
