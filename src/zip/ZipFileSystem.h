#pragma once

#include "zip/TFileAttributes.h"

#include <cstdint>
#include <string>
#include <sys/types.h>

struct stat;

// Windows attribute bits of a file from its stat() data: read-only when the owner may not write,
// hidden when the name begins with ".", directory for folders, archive for regular files.
std::uint32_t WinAttributesFromStat(const std::string &path, const struct stat &status);
// The attributes an entry takes from its source: the Windows bits above and the Unix mode.
TFileAttributes AttributesFromStat(const std::string &path, const struct stat &status);

// A point in time (seconds and nanoseconds since 1970-01-01 UTC) as a Windows FILETIME value
// (100-nanosecond intervals since 1601-01-01 UTC); 0 for times before 1601.
std::uint64_t UnixTimeToFileTime(std::int64_t seconds, std::int64_t nanoseconds);

// The file's name without its folder.
std::string ExtractFileName(const std::string &path);

// The process's file mode creation mask (umask), read without changing it.
mode_t CurrentUmask();
