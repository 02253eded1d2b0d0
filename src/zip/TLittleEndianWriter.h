#pragma once

#include "zip/ZipTypes.h"

#include <cstddef>
#include <cstdint>

// Appends little-endian values to a byte array; every ZIP record is built this way and then written at once.
class TLittleEndianWriter
{
  public:
    explicit TLittleEndianWriter(TBytes &target) : FTarget(target) {}

    // Appends one byte.
    TLittleEndianWriter &U8(std::uint8_t value);
    // Appends a 16-bit value.
    TLittleEndianWriter &U16(std::uint16_t value);
    // Appends a 32-bit value.
    TLittleEndianWriter &U32(std::uint32_t value);
    // Appends a 64-bit value.
    TLittleEndianWriter &U64(std::uint64_t value);
    // Appends bytes unchanged.
    TLittleEndianWriter &Bytes(const TBytes &bytes);
    // Appends count bytes from data unchanged.
    TLittleEndianWriter &Bytes(const std::uint8_t *data, std::size_t count);

  private:
    TBytes &FTarget;
};
