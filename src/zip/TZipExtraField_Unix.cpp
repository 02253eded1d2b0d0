#include "zip/TZipExtraField_Unix.h"

#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"
#include "zip/TZipExtraFields.h"
#include "zip/TZipHeader.h"

#include <zlib.h>

namespace {

// CRC-32 (4 bytes), mode (2), device number (4), user (2), group (2).
constexpr std::size_t FIXED_SIZE = 14;

} // namespace

TZipExtraField TZipExtraField_Unix::ToExtraField() const
{
    TBytes rest;
    rest.reserve(FIXED_SIZE - 4);
    TLittleEndianWriter(rest).U16(Mode).U32(0).U16(Uid).U16(Gid);
    TBytes data;
    data.reserve(FIXED_SIZE);
    TLittleEndianWriter(data)
        .U32(static_cast<std::uint32_t>(crc32(0, rest.data(), static_cast<uInt>(rest.size()))))
        .Bytes(rest.data(), rest.size());
    return TZipExtraField(ASIUNIX_EXTRAFIELD_TAG, data);
}

std::optional<TZipExtraField_Unix> TZipExtraField_Unix::Find(const TBytes &extraField)
{
    TBytes data;
    if (!TZipExtraFields::FindData(extraField, ASIUNIX_EXTRAFIELD_TAG, data) || data.size() < FIXED_SIZE)
        return std::nullopt;
    TLittleEndianReader reader(data.data(), data.size(), "Invalid Zip ExtraField");
    const std::uint32_t crc = reader.U32();
    if (crc != static_cast<std::uint32_t>(crc32(0, data.data() + 4, static_cast<uInt>(data.size() - 4))))
        return std::nullopt;
    TZipExtraField_Unix item;
    item.Mode = reader.U16();
    reader.Skip(4);
    item.Uid = reader.U16();
    item.Gid = reader.U16();
    return item;
}

std::uint32_t EntryUnixMode(const TZipHeader &entry)
{
    const int host = entry.MadeByVersion >> 8;
    if ((host == 3 || host == 19) && (entry.ExternalAttributes >> 16) != 0)
        return entry.ExternalAttributes >> 16;
    if (const auto item = TZipExtraField_Unix::Find(entry.ExtraField))
        return item->Mode;
    return 0;
}
