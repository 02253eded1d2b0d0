#include "zip/TZipHeader.h"

#include "zip/EZipException.h"
#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"
#include "zip/TZipExtraField_NTFS.h"
#include "zip/TZipExtraFields.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

namespace {

std::uint64_t ZIP64View(const TBytes &extraField, bool compressed, std::uint32_t field32)
{
    if (!extraField.empty()) {
        const TZipExtraField_ZIP64 zip64 = TZipExtraFields(extraField).ZIP64();
        const std::uint64_t value = compressed ? zip64.CompressedSize : zip64.UncompressedSize;
        if (value != 0)
            return value;
    }
    return field32;
}

void SetZIP64Size(TZipHeader &header, std::uint64_t value, bool compressed)
{
    std::uint32_t &field32 = compressed ? header.CompressedSize : header.UncompressedSize;
    if (value > ZIP64_MARKER32) {
        TZipExtraFields fields(header.ExtraField);
        TZipExtraField_ZIP64 zip64 = fields.ZIP64();
        (compressed ? zip64.CompressedSize : zip64.UncompressedSize) = value;
        fields.Add(zip64.ToExtraField());
        header.ExtraField = fields.ToBytes();
        field32 = ZIP64_MARKER32;
    } else {
        field32 = static_cast<std::uint32_t>(value);
    }
    header.ExtraFieldLength = static_cast<std::uint16_t>(header.ExtraField.size());
}

} // namespace

std::uint64_t TZipHeader::GetZIP64_UncompressedSize() const
{
    return ZIP64View(ExtraField, false, UncompressedSize);
}

std::uint64_t TZipHeader::GetZIP64_CompressedSize() const
{
    return ZIP64View(ExtraField, true, CompressedSize);
}

void TZipHeader::SetZIP64_UncompressedSize(std::uint64_t value)
{
    SetZIP64Size(*this, value, false);
}

void TZipHeader::SetZIP64_CompressedSize(std::uint64_t value)
{
    SetZIP64Size(*this, value, true);
}

bool TZipHeader::IsZIP64() const
{
    return GetZIP64_CompressedSize() > ZIP64_MARKER32 || GetZIP64_UncompressedSize() > ZIP64_MARKER32;
}

bool TZipHeader::IsFolder() const
{
    constexpr std::uint32_t DOS_DIRECTORY_ATTRIBUTE = 0x10;
    if (!FileName.empty() && (FileName.back() == '/' || FileName.back() == '\\'))
        return true;
    return (ExternalAttributes & DOS_DIRECTORY_ATTRIBUTE) != 0 && GetZIP64_UncompressedSize() == 0;
}

void TZipHeader::SetExtraField_NTFS(const std::string &fileName)
{
    struct stat status
    {
    };
    if (::stat(fileName.c_str(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return;
        throw std::system_error(errno, std::generic_category(),
                                "Cannot read the times of \"" + fileName + "\"");
    }
    TZipExtraFields fields(ExtraField);
    fields.Add(TZipExtraField_NTFS::FromFile(fileName).ToExtraField());
    ExtraField = fields.ToBytes();
}

void TZipHeader::AppendLocalHeader(TBytes &target) const
{
    TLittleEndianWriter(target)
        .U32(SIGNATURE_LOCALHEADER)
        .U16(RequiredVersion)
        .U16(Flag)
        .U16(CompressionMethod)
        .U32(ModifiedDateTime)
        .U32(CRC32)
        .U32(CompressedSize)
        .U32(UncompressedSize)
        .U16(FileNameLength)
        .U16(ExtraFieldLength)
        .Bytes(FileName)
        .Bytes(ExtraField);
}

void TZipHeader::AppendCentralHeader(TBytes &target) const
{
    TLittleEndianWriter(target)
        .U32(SIGNATURE_CENTRALHEADER)
        .U16(MadeByVersion)
        .U16(RequiredVersion)
        .U16(Flag)
        .U16(CompressionMethod)
        .U32(ModifiedDateTime)
        .U32(CRC32)
        .U32(CompressedSize)
        .U32(UncompressedSize)
        .U16(FileNameLength)
        .U16(ExtraFieldLength)
        .U16(FileCommentLength)
        .U16(DiskNumberStart)
        .U16(InternalAttributes)
        .U32(ExternalAttributes)
        .U32(LocalHeaderOffset)
        .Bytes(FileName)
        .Bytes(ExtraField)
        .Bytes(FileComment);
}

TZipHeader TZipHeader::ReadCentralHeader(TLittleEndianReader &reader)
{
    if (reader.U32() != SIGNATURE_CENTRALHEADER)
        throw EZipException("Invalid zip file: damaged central directory");
    TZipHeader header;
    header.MadeByVersion = reader.U16();
    header.RequiredVersion = reader.U16();
    header.Flag = reader.U16();
    header.CompressionMethod = reader.U16();
    header.ModifiedDateTime = reader.U32();
    header.CRC32 = reader.U32();
    header.CompressedSize = reader.U32();
    header.UncompressedSize = reader.U32();
    header.FileNameLength = reader.U16();
    header.ExtraFieldLength = reader.U16();
    header.FileCommentLength = reader.U16();
    header.DiskNumberStart = reader.U16();
    header.InternalAttributes = reader.U16();
    header.ExternalAttributes = reader.U32();
    header.LocalHeaderOffset = reader.U32();
    header.FileName = reader.Bytes(header.FileNameLength);
    header.ExtraField = reader.Bytes(header.ExtraFieldLength);
    header.FileComment = reader.Bytes(header.FileCommentLength);
    return header;
}
