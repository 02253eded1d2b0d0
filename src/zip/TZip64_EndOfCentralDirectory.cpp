#include "zip/TZip64_EndOfCentralDirectory.h"

#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"

void TZip64_EndOfCentralDirectory::Init()
{
    *this = TZip64_EndOfCentralDirectory{};
    Signature = SIGNATURE_ZIP64ENDOFHEADER;
    // The bytes that follow the RecordSize field.
    RecordSize = 44;
    VersionMadeBy = 20;
    VersionNeededToExtract = 20;
}

TBytes TZip64_EndOfCentralDirectory::ToBytes() const
{
    TBytes image;
    image.reserve(56);
    TLittleEndianWriter(image)
        .U32(Signature)
        .U64(RecordSize)
        .U16(VersionMadeBy)
        .U16(VersionNeededToExtract)
        .U32(DiskNumber)
        .U32(StartDiskNumber)
        .U64(EntriesOnDisk)
        .U64(TotalEntries)
        .U64(DirectorySize)
        .U64(DirectoryOffset);
    return image;
}

TZip64_EndOfCentralDirectory TZip64_EndOfCentralDirectory::Read(TLittleEndianReader &reader)
{
    TZip64_EndOfCentralDirectory record;
    record.Signature = reader.U32();
    record.RecordSize = reader.U64();
    record.VersionMadeBy = reader.U16();
    record.VersionNeededToExtract = reader.U16();
    record.DiskNumber = reader.U32();
    record.StartDiskNumber = reader.U32();
    record.EntriesOnDisk = reader.U64();
    record.TotalEntries = reader.U64();
    record.DirectorySize = reader.U64();
    record.DirectoryOffset = reader.U64();
    return record;
}
