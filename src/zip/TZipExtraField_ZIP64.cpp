#include "zip/TZipExtraField_ZIP64.h"

#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"

#include <algorithm>

TZipExtraField_ZIP64 TZipExtraField_ZIP64::FromData(const TBytes &data)
{
    TBytes image(16, 0);
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 16), image.begin());
    TLittleEndianReader reader(image.data(), image.size(), "Invalid Zip ExtraField");
    TZipExtraField_ZIP64 record;
    record.UncompressedSize = reader.U64();
    record.CompressedSize = reader.U64();
    return record;
}

TBytes TZipExtraField_ZIP64::ToBytes() const
{
    TBytes image;
    image.reserve(16);
    TLittleEndianWriter(image).U64(UncompressedSize).U64(CompressedSize);
    return image;
}

TZipExtraField TZipExtraField_ZIP64::ToExtraField() const
{
    return TZipExtraField(ZIP64_EXTRAFIELD_TAG, ToBytes());
}
