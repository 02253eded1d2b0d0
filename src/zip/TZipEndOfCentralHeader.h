#pragma once

#include "zip/ZipTypes.h"

#include <cstdint>

class TLittleEndianReader;

// The 18 bytes of the end of central directory record that follow its signature.
struct TZipEndOfCentralHeader
{
    std::uint16_t DiskNumber = 0;
    std::uint16_t CentralDirStartDisk = 0;
    std::uint16_t NumEntriesThisDisk = 0;
    std::uint16_t CentralDirEntries = 0;
    std::uint32_t CentralDirSize = 0;
    std::uint32_t CentralDirOffset = 0;
    std::uint16_t CommentLength = 0;

    // Appends the 22-byte record image, signature included (the comment is not part of it).
    void AppendTo(TBytes &target) const;
    // Reads the 18 bytes that follow the signature.
    static TZipEndOfCentralHeader Read(TLittleEndianReader &reader);
};
