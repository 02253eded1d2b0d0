#include "zip/TLittleEndianReader.h"

#include "zip/EZipException.h"

#include <utility>

TLittleEndianReader::TLittleEndianReader(const std::uint8_t *data, std::size_t count,
                                         std::string errorMessage)
    : FData(data), FCount(count), FErrorMessage(std::move(errorMessage))
{
}

const std::uint8_t *TLittleEndianReader::Take(std::size_t count)
{
    if (count > Remaining())
        throw EZipException(FErrorMessage);
    const std::uint8_t *start = FData + FPosition;
    FPosition += count;
    return start;
}

std::uint16_t TLittleEndianReader::U16()
{
    const std::uint8_t *p = Take(2);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t TLittleEndianReader::U32()
{
    const std::uint8_t *p = Take(4);
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t TLittleEndianReader::U64()
{
    const std::uint64_t low = U32();
    const std::uint64_t high = U32();
    return low | (high << 32);
}

TBytes TLittleEndianReader::Bytes(std::size_t count)
{
    const std::uint8_t *p = Take(count);
    return TBytes(p, p + count);
}

void TLittleEndianReader::Skip(std::size_t count)
{
    Take(count);
}
