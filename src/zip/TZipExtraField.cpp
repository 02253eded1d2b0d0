#include "zip/TZipExtraField.h"

#include "zip/EZipException.h"
#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"

namespace {
const char *const INVALID_EXTRA_FIELD = "Invalid Zip ExtraField";
}

TZipExtraField::TZipExtraField(std::uint16_t headerID, const TBytes &data) : HeaderID(headerID)
{
    SetData(data);
}

TZipExtraField::TZipExtraField(const TBytes &image)
{
    TLittleEndianReader reader(image.data(), image.size(), INVALID_EXTRA_FIELD);
    HeaderID = reader.U16();
    DataSize = reader.U16();
    if (reader.Remaining() != DataSize)
        throw EZipException(INVALID_EXTRA_FIELD);
    Data = reader.Bytes(DataSize);
}

void TZipExtraField::SetData(const TBytes &data)
{
    // The length travels in 16 bits; a longer item could not be read back.
    if (data.size() > 0xFFFF)
        throw EZipException(INVALID_EXTRA_FIELD);
    Data = data;
    DataSize = static_cast<std::uint16_t>(data.size());
}

TBytes TZipExtraField::ToBytes() const
{
    TBytes image;
    image.reserve(4 + Data.size());
    TLittleEndianWriter(image).U16(HeaderID).U16(DataSize).Bytes(Data);
    return image;
}
