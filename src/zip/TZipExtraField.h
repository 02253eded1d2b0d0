#pragma once

#include "zip/ZipTypes.h"

#include <cstdint>

// One item of an extra-field block: tag, data length and data, stored back to back on disk.
class TZipExtraField
{
  public:
    std::uint16_t HeaderID = 0;
    std::uint16_t DataSize = 0;
    TBytes Data;

    TZipExtraField() = default;
    // An item with the given tag whose DataSize is the length of data.
    TZipExtraField(std::uint16_t headerID, const TBytes &data);
    // Parses an item image: at least 4 bytes and exactly 4 + DataSize ("Invalid Zip ExtraField" otherwise).
    explicit TZipExtraField(const TBytes &image);

    // Replaces the data and sets DataSize to its length.
    void SetData(const TBytes &data);
    // The on-disk image: HeaderID, DataSize as held, then Data.
    TBytes ToBytes() const;
};
