#include "zip/TZip64_EndOfCentralDirectoryLocator.h"

#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"

void TZip64_EndOfCentralDirectoryLocator::Init()
{
    *this = TZip64_EndOfCentralDirectoryLocator{};
    Signature = SIGNATURE_ZIP64LOCATOR;
}

TBytes TZip64_EndOfCentralDirectoryLocator::ToBytes() const
{
    TBytes image;
    image.reserve(20);
    TLittleEndianWriter(image).U32(Signature).U32(StartDiskNumber).U64(RelativeOffset).U32(TotalDisks);
    return image;
}

TZip64_EndOfCentralDirectoryLocator TZip64_EndOfCentralDirectoryLocator::Read(TLittleEndianReader &reader)
{
    TZip64_EndOfCentralDirectoryLocator record;
    record.Signature = reader.U32();
    record.StartDiskNumber = reader.U32();
    record.RelativeOffset = reader.U64();
    record.TotalDisks = reader.U32();
    return record;
}
