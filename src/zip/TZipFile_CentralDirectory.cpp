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
    const char *const damaged = "Invalid zip file: damaged central directory";
    const std::int64_t streamSize = FStream->Size();
    const auto tailSize = static_cast<std::size_t>(
        std::min<std::int64_t>(streamSize, static_cast<std::int64_t>(END_RECORD_SIZE + MAX_COMMENT)));
    const std::int64_t tailStart = streamSize - static_cast<std::int64_t>(tailSize);
    TBytes tail(tailSize);
    FStream->Seek(tailStart, soBeginning);
    VerifyRead(*FStream, tail.data(), static_cast<std::int64_t>(tailSize));

    // The end record is the last signature whose comment length reaches exactly to the end of the
    // file; failing that, the last one whose comment fits at all (a file with bytes appended).
    std::optional<std::size_t> found;
    std::optional<std::size_t> fallback;
    for (std::size_t i = tailSize >= END_RECORD_SIZE ? tailSize - END_RECORD_SIZE + 1 : 0; i-- > 0;) {
        if (tail[i] != 0x50 || tail[i + 1] != 0x4B || tail[i + 2] != 0x05 || tail[i + 3] != 0x06)
            continue;
        const std::size_t commentLength = tail[i + 20] | (tail[i + 21] << 8);
        if (i + END_RECORD_SIZE + commentLength == tailSize) {
            found = i;
            break;
        }
        if (!fallback && i + END_RECORD_SIZE + commentLength <= tailSize)
            fallback = i;
    }
    if (!found)
        found = fallback;
    if (!found)
        throw EZipException("Invalid zip file: end of central directory not found");

    TLittleEndianReader endReader(tail.data() + *found + 4, END_RECORD_SIZE - 4, damaged);
    const TZipEndOfCentralHeader end = TZipEndOfCentralHeader::Read(endReader);
    const auto commentStart = tail.begin() + static_cast<std::ptrdiff_t>(*found + END_RECORD_SIZE);
    TBytes comment(commentStart, commentStart + end.CommentLength);
    const std::int64_t endPosition = tailStart + static_cast<std::int64_t>(*found);

    std::uint64_t entryCount = end.CentralDirEntries;
    std::uint64_t directorySize = end.CentralDirSize;
    std::uint64_t directoryOffset = end.CentralDirOffset;
    std::int64_t directoryLimit = endPosition;
    if (endPosition >= static_cast<std::int64_t>(LOCATOR_SIZE)) {
        std::uint8_t locatorImage[LOCATOR_SIZE];
        FStream->Seek(endPosition - static_cast<std::int64_t>(LOCATOR_SIZE), soBeginning);
        VerifyRead(*FStream, locatorImage, LOCATOR_SIZE);
        TLittleEndianReader locatorReader(locatorImage, LOCATOR_SIZE, damaged);
        const TZip64_EndOfCentralDirectoryLocator locator =
            TZip64_EndOfCentralDirectoryLocator::Read(locatorReader);
        if (locator.Signature == SIGNATURE_ZIP64LOCATOR) {
            // The record lies before its locator; compared by subtraction, a huge offset cannot wrap.
            const auto locatorPosition = static_cast<std::uint64_t>(endPosition) - LOCATOR_SIZE;
            if (locatorPosition < ZIP64_END_RECORD_SIZE ||
                locator.RelativeOffset > locatorPosition - ZIP64_END_RECORD_SIZE)
                throw EZipException("Invalid zip file: damaged ZIP64 end of central directory");
            std::uint8_t recordImage[ZIP64_END_RECORD_SIZE];
            FStream->Seek(static_cast<std::int64_t>(locator.RelativeOffset), soBeginning);
            VerifyRead(*FStream, recordImage, ZIP64_END_RECORD_SIZE);
            TLittleEndianReader recordReader(recordImage, ZIP64_END_RECORD_SIZE, damaged);
            const TZip64_EndOfCentralDirectory record = TZip64_EndOfCentralDirectory::Read(recordReader);
            if (record.Signature != SIGNATURE_ZIP64ENDOFHEADER)
                throw EZipException("Invalid zip file: damaged ZIP64 end of central directory");
            entryCount = record.TotalEntries;
            directorySize = record.DirectorySize;
            directoryOffset = record.DirectoryOffset;
            directoryLimit = static_cast<std::int64_t>(locator.RelativeOffset);
        }
    }
    // Every size and offset is checked against bytes the file really has before anything is
    // allocated for it, by subtraction so that no sum can wrap past 2^64.
    const auto limit = static_cast<std::uint64_t>(directoryLimit);
    if (directoryOffset > limit || directorySize > limit - directoryOffset || entryCount > directorySize / 46)
        throw EZipException(damaged);

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
        }
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
