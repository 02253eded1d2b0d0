#pragma once

#include "zip/ZipTypes.h"

#include <cstdint>
#include <string>

class TLittleEndianReader;

// One archive entry's header in memory; it serves as local header and as central directory header.
struct TZipHeader
{
    std::uint16_t MadeByVersion = 0;
    std::uint16_t RequiredVersion = 0;
    std::uint16_t Flag = 0;
    std::uint16_t CompressionMethod = 0;
    std::uint32_t ModifiedDateTime = 0;
    std::uint32_t CRC32 = 0;
    std::uint32_t CompressedSize = 0;
    std::uint32_t UncompressedSize = 0;
    std::uint16_t FileNameLength = 0;
    std::uint16_t ExtraFieldLength = 0;
    std::uint16_t FileCommentLength = 0;
    std::uint16_t DiskNumberStart = 0;
    std::uint16_t InternalAttributes = 0;
    std::uint32_t ExternalAttributes = 0;
    std::uint32_t LocalHeaderOffset = 0;
    TBytes FileName;
    TBytes ExtraField;
    TBytes FileComment;

    // The uncompressed size: the ZIP64 item's value when it is not 0, else the 32-bit field.
    std::uint64_t GetZIP64_UncompressedSize() const;
    // The compressed size: the ZIP64 item's value when it is not 0, else the 32-bit field.
    std::uint64_t GetZIP64_CompressedSize() const;
    // Sets the uncompressed size; above 32 bits it goes into the ZIP64 item and the field holds 0xFFFFFFFF.
    void SetZIP64_UncompressedSize(std::uint64_t value);
    // Sets the compressed size; above 32 bits it goes into the ZIP64 item and the field holds 0xFFFFFFFF.
    void SetZIP64_CompressedSize(std::uint64_t value);
    // True when either size needs more than 32 bits.
    bool IsZIP64() const;
    // True when the entry is a folder: its name ends in a slash, or it has no data and carries the
    // MS-DOS directory attribute, which is how old Windows archivers mark folders (no slash).
    bool IsFolder() const;
    // Attaches the NTFS time item of an existing file; nothing happens when the file does not exist.
    void SetExtraField_NTFS(const std::string &fileName);

    // Appends the local header image (30 bytes, name, extra field) with the length fields as held.
    void AppendLocalHeader(TBytes &target) const;
    // Appends the central directory header image (46 bytes, name, extra field, comment).
    void AppendCentralHeader(TBytes &target) const;
    // Reads a central directory header image, signature included ("Invalid zip file" when damaged).
    static TZipHeader ReadCentralHeader(TLittleEndianReader &reader);

    bool operator==(const TZipHeader &other) const = default;
};
