#pragma once

#include "zip/TZipExtraField.h"

#include <cstdint>

// The 16-byte ZIP64 item a header carries: both sizes, a value the header holds itself being 0 here.
struct TZipExtraField_ZIP64
{
    std::uint64_t UncompressedSize = 0;
    std::uint64_t CompressedSize = 0;

    // Reads the record from item data: zero-filled, then at most 16 data bytes copied in.
    static TZipExtraField_ZIP64 FromData(const TBytes &data);
    // The 16-byte image: uncompressed size, then compressed size.
    TBytes ToBytes() const;
    // The item with tag 0x0001 and the 16-byte image as data.
    TZipExtraField ToExtraField() const;
};
