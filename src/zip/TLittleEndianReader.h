#pragma once

#include "zip/ZipTypes.h"

#include <cstddef>
#include <cstdint>

// Reads little-endian values from a byte range; reading past its end raises the given failure text.
class TLittleEndianReader
{
  public:
    // Reads from count bytes at data; errorMessage is the EZipException text for a read past the end.
    TLittleEndianReader(const std::uint8_t *data, std::size_t count, std::string errorMessage);

    // Reads a 16-bit value.
    std::uint16_t U16();
    // Reads a 32-bit value.
    std::uint32_t U32();
    // Reads a 64-bit value.
    std::uint64_t U64();
    // Reads count bytes.
    TBytes Bytes(std::size_t count);
    // Skips count bytes.
    void Skip(std::size_t count);
    // The number of bytes not read yet.
    std::size_t Remaining() const { return FCount - FPosition; }
    // The number of bytes read so far.
    std::size_t Position() const { return FPosition; }

  private:
    const std::uint8_t *Take(std::size_t count);

    const std::uint8_t *FData;
    std::size_t FCount;
    std::size_t FPosition = 0;
    std::string FErrorMessage;
};
