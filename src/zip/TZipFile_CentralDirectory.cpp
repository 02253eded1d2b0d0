// The central directory: written with its ZIP64 records at Close, read at Open.

#include "zip/TZipFile.h"

#include "zip/EZipException.h"
#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"
#include "zip/TStream.h"
#include "zip/TZip64_EndOfCentralDirectory.h"
#include "zip/TZip64_EndOfCentralDirectoryLocator.h"
#include "zip/TZipEndOfCentralHeader.h"
#include "zip/TZipExtraFields.h"
#include "zip/ZipFileParts.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

constexpr std::size_t END_RECORD_SIZE = 22;
constexpr std::size_t LOCATOR_SIZE = 20;
constexpr std::size_t ZIP64_END_RECORD_SIZE = 56;

// The entry as the central directory holds it: each of the uncompressed size, compressed size and
// local header offset that does not fit below 0xFFFFFFFF is written as 0xFFFFFFFF and given, in that
// order, in the ZIP64 item; no item at all when every value fits. Readers depend on exactly this.
TZipHeader CentralDirectoryHeader(const TZipHeader &entry, std::uint64_t localHeaderOffset,
                                  std::uint64_t compressedSize, std::uint64_t uncompressedSize)
{
    TZipHeader central = entry;
    std::optional<TZipExtraFields> fields;
    try {
        fields.emplace(entry.ExtraField);
    } catch (const EZipException &) {
        // A foreign entry whose extra field we cannot parse goes back exactly as it was read.
        return central;
    }
    TBytes zip64;
    TLittleEndianWriter item(zip64);
    const auto field = [&item](std::uint64_t value) {
        if (value < ZIP64_MARKER32)
            return static_cast<std::uint32_t>(value);
        item.U64(value);
        return ZIP64_MARKER32;
    };
    central.UncompressedSize = field(uncompressedSize);
    central.CompressedSize = field(compressedSize);
    central.LocalHeaderOffset = field(localHeaderOffset);
    if (zip64.empty())
        fields->Remove(ZIP64_EXTRAFIELD_TAG);
    else
        fields->Add(TZipExtraField(ZIP64_EXTRAFIELD_TAG, zip64));
    central.ExtraField = fields->ToBytes();
    central.FileNameLength = static_cast<std::uint16_t>(central.FileName.size());
    central.ExtraFieldLength = static_cast<std::uint16_t>(central.ExtraField.size());
    central.FileCommentLength = static_cast<std::uint16_t>(central.FileComment.size());
    return central;
}

// The items of an extra field that lie wholly inside it. Writers pad extra fields or cut them short;
// such a tail holds nothing a reader can use, and without it the rest parses.
TBytes WholeItems(const TBytes &block)
{
    std::size_t position = 0;
    while (block.size() - position >= 4) {
        const std::size_t dataSize = block[position + 2] | (block[position + 3] << 8);
        if (block.size() - position - 4 < dataSize)
            break;
        position += 4 + dataSize;
    }
    return TBytes(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(position));
}

const char *const DAMAGED_DIRECTORY = "Invalid zip file: damaged central directory";
const char *const DAMAGED_ZIP64 = "Invalid zip file: damaged ZIP64 end of central directory";

// Where the end record begins in the tail of the file: the last signature whose comment length reaches
// exactly to the end of the file; failing that, the last one whose comment fits at all (a file with
// bytes appended).
std::optional<std::size_t> FindEndRecord(const TBytes &tail)
{
    std::optional<std::size_t> fallback;
    for (std::size_t i = tail.size() >= END_RECORD_SIZE ? tail.size() - END_RECORD_SIZE + 1 : 0; i-- > 0;) {
        if (tail[i] != 0x50 || tail[i + 1] != 0x4B || tail[i + 2] != 0x05 || tail[i + 3] != 0x06)
            continue;
        const std::size_t commentLength = tail[i + 20] | (tail[i + 21] << 8);
        if (i + END_RECORD_SIZE + commentLength == tail.size())
            return i;
        if (!fallback && i + END_RECORD_SIZE + commentLength <= tail.size())
            fallback = i;
    }
    return fallback;
}

std::uint32_t SignatureAt(TStream &stream, std::uint64_t position)
{
    std::uint8_t image[4];
    stream.Seek(static_cast<std::int64_t>(position), soBeginning);
    TZipFile::VerifyRead(stream, image, 4);
    return TLittleEndianReader(image, 4, DAMAGED_DIRECTORY).U32();
}

// What the 20 bytes before the end record lead to.
struct TZip64Records
{
    bool LocatorFound = false; // the bytes there carry the locator's signature
    std::optional<TZip64_EndOfCentralDirectory> Record;
    TZip64_EndOfCentralDirectoryLocator Locator;
    std::uint64_t RecordPosition = 0;
};

// The ZIP64 records of an archive whose end record begins at endPosition. The locator is exactly the 20
// bytes before the end record, and its record lies where the locator says or, when data put before the
// archive moved it, right before the locator. A locator that leads to no record is no locator: those
// bytes may as well end the last entry's name.
TZip64Records ReadZip64Records(TStream &stream, std::uint64_t endPosition)
{
    TZip64Records found;
    if (endPosition < LOCATOR_SIZE)
        return found;
    const std::uint64_t locatorPosition = endPosition - LOCATOR_SIZE;
    std::uint8_t locatorImage[LOCATOR_SIZE];
    stream.Seek(static_cast<std::int64_t>(locatorPosition), soBeginning);
    TZipFile::VerifyRead(stream, locatorImage, LOCATOR_SIZE);
    TLittleEndianReader locatorReader(locatorImage, LOCATOR_SIZE, DAMAGED_ZIP64);
    found.Locator = TZip64_EndOfCentralDirectoryLocator::Read(locatorReader);
    found.LocatorFound = found.Locator.Signature == SIGNATURE_ZIP64LOCATOR;
    if (!found.LocatorFound || locatorPosition < ZIP64_END_RECORD_SIZE)
        return found;
    // Compared by subtraction, a huge offset cannot wrap.
    // Data put before the archive only ever moves the record further into the file.
    const std::uint64_t moved = locatorPosition - ZIP64_END_RECORD_SIZE;
    for (const std::uint64_t position : {found.Locator.RelativeOffset, moved}) {
        if (position > moved || (position == moved && found.Locator.RelativeOffset > moved))
            continue;
        std::uint8_t recordImage[ZIP64_END_RECORD_SIZE];
        stream.Seek(static_cast<std::int64_t>(position), soBeginning);
        TZipFile::VerifyRead(stream, recordImage, ZIP64_END_RECORD_SIZE);
        TLittleEndianReader recordReader(recordImage, ZIP64_END_RECORD_SIZE, DAMAGED_ZIP64);
        const TZip64_EndOfCentralDirectory record = TZip64_EndOfCentralDirectory::Read(recordReader);
        if (record.Signature == SIGNATURE_ZIP64ENDOFHEADER) {
            found.Record = record;
            found.RecordPosition = position;
            break;
        }
    }
    return found;
}

// Where the central directory is and how many entries it holds.
struct TDirectoryPlace
{
    std::uint64_t EntryCount = 0;
    std::uint64_t Size = 0;
    std::uint64_t Offset = 0; // where the directory begins in the file
    std::uint64_t Shift = 0;  // how far data put before the archive moved it from its recorded offsets
};

// The directory's place from the end records, each checked against the others: an archive on one disk,
// as many entries on this disk as in all, the ZIP64 record's values where the end record defers to it.
TDirectoryPlace LocateDirectory(TStream &stream, const TZipEndOfCentralHeader &end, std::uint64_t endPosition)
{
    if (end.NumEntriesThisDisk != end.CentralDirEntries)
        throw EZipException(DAMAGED_DIRECTORY);
    TDirectoryPlace place{end.CentralDirEntries, end.CentralDirSize, end.CentralDirOffset, 0};
    std::uint64_t directoryEnd = endPosition;
    const TZip64Records zip64 = ReadZip64Records(stream, endPosition);
    if (zip64.Record) {
        const TZip64_EndOfCentralDirectory &record = *zip64.Record;
        if ((end.DiskNumber != 0 && end.DiskNumber != ZIP64_MARKER16) || record.DiskNumber != 0 ||
            record.StartDiskNumber != 0 || zip64.Locator.StartDiskNumber != 0 ||
            zip64.Locator.TotalDisks > 1 ||
            (end.CentralDirEntries != ZIP64_MARKER16 && end.CentralDirEntries != record.TotalEntries))
            throw EZipException(DAMAGED_ZIP64);
        place = {record.TotalEntries, record.DirectorySize, record.DirectoryOffset, 0};
        directoryEnd = zip64.RecordPosition;
    } else {
        // Without a record, a locator is only trusted to be a name's bytes while the end record needs none.
        if (zip64.LocatorFound &&
            (end.CentralDirEntries == ZIP64_MARKER16 || end.CentralDirSize == ZIP64_MARKER32 ||
             end.CentralDirOffset == ZIP64_MARKER32))
            throw EZipException(DAMAGED_ZIP64);
        if (end.DiskNumber != 0)
            throw EZipException(DAMAGED_DIRECTORY);
    }
    // The directory ends where the end records begin. Recorded elsewhere, with a directory at its
    // proper place, every offset is off by the data put before the archive (a self-extracting stub
    // added without correcting them); readers take that shift, and so does this one.
    if (place.Size > directoryEnd)
        throw EZipException(DAMAGED_DIRECTORY);
    const std::uint64_t start = directoryEnd - place.Size;
    if (place.Offset < start && place.Size > 0 && SignatureAt(stream, start) == SIGNATURE_CENTRALHEADER &&
        SignatureAt(stream, place.Offset) != SIGNATURE_CENTRALHEADER) {
        place.Shift = start - place.Offset;
        place.Offset = start;
    }
    // Every size and offset is checked against bytes the file really has before anything is allocated
    // for it, by subtraction so that no sum can wrap past 2^64.
    if (place.Offset > directoryEnd || place.Size > directoryEnd - place.Offset ||
        place.EntryCount > place.Size / 46)
        throw EZipException(DAMAGED_DIRECTORY);
    return place;
}

} // namespace

void TZipFile::WriteCentralDirectory()
{
    bool zip64 = false;
    FStream->Seek(FEndFileData, soBeginning);
    std::uint64_t directorySize = 0;
    TBytes block;
    block.reserve(COPY_PIECE + 0x30000);
    for (std::size_t i = 0; i < FFiles.size(); ++i) {
        const TEntryLocation &location = FLocations[i];
        if (!zip64)
            zip64 = location.CompressedSize > ZIP64_MARKER32 || location.UncompressedSize > ZIP64_MARKER32;
        CentralDirectoryHeader(FFiles[i], location.LocalHeaderOffset, location.CompressedSize,
                               location.UncompressedSize)
            .AppendCentralHeader(block);
        if (block.size() >= static_cast<std::size_t>(COPY_PIECE)) {
            VerifyWrite(*FStream, block.data(), static_cast<std::int64_t>(block.size()));
            directorySize += block.size();
            block.clear();
        }
    }
    directorySize += block.size();
    const std::uint64_t directoryEnd = static_cast<std::uint64_t>(FEndFileData) + directorySize;
    const std::uint64_t entryCount = FFiles.size();
    if (!zip64)
        zip64 = directoryEnd > ZIP64_MARKER32 || entryCount > 0xFFFF || directorySize > ZIP64_MARKER32;

    if (zip64) {
        TZip64_EndOfCentralDirectory record;
        record.Init();
        record.EntriesOnDisk = entryCount;
        record.TotalEntries = entryCount;
        record.DirectorySize = directorySize;
        record.DirectoryOffset = static_cast<std::uint64_t>(FEndFileData);
        const TBytes recordImage = record.ToBytes();
        block.insert(block.end(), recordImage.begin(), recordImage.end());

        TZip64_EndOfCentralDirectoryLocator locator;
        locator.Init();
        locator.StartDiskNumber = 0;
        locator.RelativeOffset = directoryEnd;
        locator.TotalDisks = 1;
        const TBytes locatorImage = locator.ToBytes();
        block.insert(block.end(), locatorImage.begin(), locatorImage.end());
    }

    FComment = CutComment(std::move(FComment));
    TZipEndOfCentralHeader end;
    end.NumEntriesThisDisk = entryCount > 0xFFFF ? ZIP64_MARKER16 : static_cast<std::uint16_t>(entryCount);
    end.CentralDirEntries = end.NumEntriesThisDisk;
    end.CentralDirSize = Clamp32(directorySize);
    end.CentralDirOffset = Clamp32(static_cast<std::uint64_t>(FEndFileData));
    end.CommentLength = static_cast<std::uint16_t>(FComment.size());
    end.AppendTo(block);
    block.insert(block.end(), FComment.begin(), FComment.end());
    VerifyWrite(*FStream, block.data(), static_cast<std::int64_t>(block.size()));

    // A failed last add may have written further than this directory reaches.
    const std::int64_t archiveEnd = FStream->Position();
    if (FStream->Size() > archiveEnd)
        FStream->SetSize(archiveEnd);
    FStream->Flush();
}

void TZipFile::ReadCentralDirectory()
{
    const std::int64_t streamSize = FStream->Size();
    const auto tailSize = static_cast<std::size_t>(
        std::min<std::int64_t>(streamSize, static_cast<std::int64_t>(END_RECORD_SIZE + MAX_COMMENT)));
    const std::int64_t tailStart = streamSize - static_cast<std::int64_t>(tailSize);
    TBytes tail(tailSize);
    FStream->Seek(tailStart, soBeginning);
    VerifyRead(*FStream, tail.data(), static_cast<std::int64_t>(tailSize));

    const std::optional<std::size_t> found = FindEndRecord(tail);
    if (!found)
        throw EZipException("Invalid zip file: end of central directory not found");
    TLittleEndianReader endReader(tail.data() + *found + 4, END_RECORD_SIZE - 4, DAMAGED_DIRECTORY);
    const TZipEndOfCentralHeader end = TZipEndOfCentralHeader::Read(endReader);
    const auto commentStart = tail.begin() + static_cast<std::ptrdiff_t>(*found + END_RECORD_SIZE);
    TBytes comment(commentStart, commentStart + end.CommentLength);
    const TDirectoryPlace place =
        LocateDirectory(*FStream, end, static_cast<std::uint64_t>(tailStart) + *found);
    const std::uint64_t entryCount = place.EntryCount;
    const std::uint64_t directorySize = place.Size;
    const std::uint64_t directoryOffset = place.Offset;
    const std::uint64_t shift = place.Shift;
    const char *const damaged = DAMAGED_DIRECTORY;

    TBytes directory(static_cast<std::size_t>(directorySize));
    FStream->Seek(static_cast<std::int64_t>(directoryOffset), soBeginning);
    VerifyRead(*FStream, directory.data(), static_cast<std::int64_t>(directory.size()));
    TLittleEndianReader reader(directory.data(), directory.size(), damaged);
    std::vector<TZipHeader> files;
    std::vector<TEntryLocation> locations;
    files.reserve(static_cast<std::size_t>(entryCount));
    locations.reserve(static_cast<std::size_t>(entryCount));
    bool allUtf8 = true;
    for (std::uint64_t i = 0; i < entryCount; ++i) {
        TZipHeader header = TZipHeader::ReadCentralHeader(reader);
        TEntryLocation location{header.LocalHeaderOffset, header.CompressedSize, header.UncompressedSize};
        TBytes zip64;
        if (TZipExtraFields::FindData(header.ExtraField, ZIP64_EXTRAFIELD_TAG, zip64)) {
            // Only the fields marked 0xFFFFFFFF are in the item, in this order.
            TLittleEndianReader item(zip64.data(), zip64.size(), damaged);
            if (header.UncompressedSize == ZIP64_MARKER32 && item.Remaining() >= 8)
                location.UncompressedSize = item.U64();
            if (header.CompressedSize == ZIP64_MARKER32 && item.Remaining() >= 8)
                location.CompressedSize = item.U64();
            if (header.LocalHeaderOffset == ZIP64_MARKER32 && item.Remaining() >= 8)
                location.LocalHeaderOffset = item.U64();
            if (header.DiskNumberStart == ZIP64_MARKER16 && item.Remaining() >= 4 && item.U32() == 0)
                header.DiskNumberStart = 0;
        }
        // Every entry of an archive on one disk starts on disk 0; another number is a damaged field or
        // a part of a split archive, which readers refuse alike.
        if (header.DiskNumberStart != 0)
            throw EZipException(damaged);
        // Data put before the archive (a self-extracting stub) moved every entry by the same amount.
        if (location.LocalHeaderOffset > directoryOffset - shift)
            throw EZipException(damaged);
        location.LocalHeaderOffset += shift;
        // The local header, name and data must all lie before the directory.
        const std::uint64_t fixedPart = LOCAL_HEADER_SIZE + header.FileName.size();
        if (location.LocalHeaderOffset > directoryOffset ||
            fixedPart > directoryOffset - location.LocalHeaderOffset ||
            location.CompressedSize > directoryOffset - location.LocalHeaderOffset - fixedPart)
            throw EZipException(damaged);
        // In memory every entry looks like one this object wrote: sizes through the 16-byte ZIP64
        // item where they need it, the offset clamped (its full value is kept in the location), so
        // that what FileInfo reports is what reading the entry uses.
        TZipExtraFields fields(WholeItems(header.ExtraField));
        fields.Remove(ZIP64_EXTRAFIELD_TAG);
        header.ExtraField = fields.ToBytes();
        header.SetZIP64_UncompressedSize(location.UncompressedSize);
        header.SetZIP64_CompressedSize(location.CompressedSize);
        header.LocalHeaderOffset = Clamp32(location.LocalHeaderOffset);
        allUtf8 = allUtf8 && (header.Flag & ZIP_FLAG_UTF8) != 0;
        files.push_back(std::move(header));
        locations.push_back(location);
    }
    // The end record's count must account for the whole directory: a count too low would leave the
    // last entries out of every listing, restore and check without a word.
    if (reader.Remaining() != 0)
        throw EZipException(damaged);
    // In offset order each entry must end, at the least, before the next one begins; where its data
    // really ends is known only from its local header, checked against End when it is read.
    std::vector<std::size_t> order(locations.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&locations](std::size_t a, std::size_t b) {
        return locations[a].LocalHeaderOffset < locations[b].LocalHeaderOffset;
    });
    for (std::size_t i = 0; i < order.size(); ++i) {
        TEntryLocation &location = locations[order[i]];
        location.End = i + 1 < order.size() ? locations[order[i + 1]].LocalHeaderOffset : directoryOffset;
        const std::uint64_t minimumEnd = location.LocalHeaderOffset + LOCAL_HEADER_SIZE +
                                         files[order[i]].FileName.size() + location.CompressedSize;
        if (minimumEnd > location.End)
            throw EZipException("Invalid zip file: overlapping entries");
    }
    ForgetNameIndex();
    FFiles = std::move(files);
    FLocations = std::move(locations);
    FEndFileData = static_cast<std::int64_t>(directoryOffset);
    FComment = std::move(comment);
    FUTF8Support = allUtf8;
}
