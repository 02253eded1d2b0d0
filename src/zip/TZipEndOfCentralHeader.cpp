#include "zip/TZipEndOfCentralHeader.h"

#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"

void TZipEndOfCentralHeader::AppendTo(TBytes &target) const
{
    TLittleEndianWriter(target)
        .U32(SIGNATURE_ZIPENDOFHEADER)
        .U16(DiskNumber)
        .U16(CentralDirStartDisk)
        .U16(NumEntriesThisDisk)
        .U16(CentralDirEntries)
        .U32(CentralDirSize)
        .U32(CentralDirOffset)
        .U16(CommentLength);
}

TZipEndOfCentralHeader TZipEndOfCentralHeader::Read(TLittleEndianReader &reader)
{
    TZipEndOfCentralHeader record;
    record.DiskNumber = reader.U16();
    record.CentralDirStartDisk = reader.U16();
    record.NumEntriesThisDisk = reader.U16();
    record.CentralDirEntries = reader.U16();
    record.CentralDirSize = reader.U32();
    record.CentralDirOffset = reader.U32();
    record.CommentLength = reader.U16();
    return record;
}
