#include "zip/TLittleEndianWriter.h"

TLittleEndianWriter &TLittleEndianWriter::U8(std::uint8_t value)
{
    FTarget.push_back(value);
    return *this;
}

TLittleEndianWriter &TLittleEndianWriter::U16(std::uint16_t value)
{
    FTarget.push_back(static_cast<std::uint8_t>(value));
    FTarget.push_back(static_cast<std::uint8_t>(value >> 8));
    return *this;
}

TLittleEndianWriter &TLittleEndianWriter::U32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        FTarget.push_back(static_cast<std::uint8_t>(value >> shift));
    return *this;
}

TLittleEndianWriter &TLittleEndianWriter::U64(std::uint64_t value)
{
    for (int shift = 0; shift < 64; shift += 8)
        FTarget.push_back(static_cast<std::uint8_t>(value >> shift));
    return *this;
}

TLittleEndianWriter &TLittleEndianWriter::Bytes(const TBytes &bytes)
{
    FTarget.insert(FTarget.end(), bytes.begin(), bytes.end());
    return *this;
}

TLittleEndianWriter &TLittleEndianWriter::Bytes(const std::uint8_t *data, std::size_t count)
{
    FTarget.insert(FTarget.end(), data, data + count);
    return *this;
}
