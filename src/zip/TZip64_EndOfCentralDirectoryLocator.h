#pragma once

#include "zip/ZipTypes.h"

#include <cstdint>

class TLittleEndianReader;

// The 20-byte ZIP64 end of central directory locator.
struct TZip64_EndOfCentralDirectoryLocator
{
    std::uint32_t Signature = 0;
    std::uint32_t StartDiskNumber = 0;
    std::uint64_t RelativeOffset = 0;
    std::uint32_t TotalDisks = 0;

    // Zero-fills the record and sets the signature.
    void Init();
    // The 20-byte image.
    TBytes ToBytes() const;
    // Reads a 20-byte image, signature included.
    static TZip64_EndOfCentralDirectoryLocator Read(TLittleEndianReader &reader);
};
