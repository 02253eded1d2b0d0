#pragma once

#include "zip/ZipTypes.h"

#include <cstdint>

class TLittleEndianReader;

// The 56-byte ZIP64 end of central directory record (no extensible data sector).
struct TZip64_EndOfCentralDirectory
{
    std::uint32_t Signature = 0;
    std::uint64_t RecordSize = 0;
    std::uint16_t VersionMadeBy = 0;
    std::uint16_t VersionNeededToExtract = 0;
    std::uint32_t DiskNumber = 0;
    std::uint32_t StartDiskNumber = 0;
    std::uint64_t EntriesOnDisk = 0;
    std::uint64_t TotalEntries = 0;
    std::uint64_t DirectorySize = 0;
    std::uint64_t DirectoryOffset = 0;

    // Zero-fills the record and sets the signature, the record size 44 and both versions 20.
    void Init();
    // The 56-byte image.
    TBytes ToBytes() const;
    // Reads a 56-byte image, signature included.
    static TZip64_EndOfCentralDirectory Read(TLittleEndianReader &reader);
};
