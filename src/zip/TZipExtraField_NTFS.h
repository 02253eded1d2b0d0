#pragma once

#include "zip/TZipExtraField.h"

#include <cstdint>
#include <string>

// The NTFS time item (tag 0x000A): a file's last write, last access and creation times as FILETIME values.
struct TZipExtraField_NTFS
{
    std::uint32_t Reserved = 0;
    std::uint16_t Tag1 = 1;
    std::uint16_t Size1 = 24;
    std::uint64_t MTime = 0;
    std::uint64_t ATime = 0;
    std::uint64_t CTime = 0;

    // The times of the named file from stat() (creation: birth time where the file system keeps one,
    // else the status change time); a failing stat() raises std::system_error.
    static TZipExtraField_NTFS FromFile(const std::string &fileName);
    // The 32-byte image.
    TBytes ToBytes() const;
    // The item with tag 0x000A and the 32-byte image as data.
    TZipExtraField ToExtraField() const;
};
