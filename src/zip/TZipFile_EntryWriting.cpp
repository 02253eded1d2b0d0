// Entry writing: the Add overloads, each local header written before its data and completed after.

#include "zip/TZipFile.h"

#include "zip/ESourceError.h"
#include "zip/EZipException.h"
#include "zip/TCompressionRegistry.h"
#include "zip/TCompressionStream.h"
#include "zip/TDeflateStream.h"
#include "zip/TFileStream.h"
#include "zip/TMemoryViewStream.h"
#include "zip/TParallelCompressor.h"
#include "zip/TZipExtraField_Unix.h"
#include "zip/TZipExtraField_ZIP64.h"
#include "zip/TZipExtraFields.h"
#include "zip/ZipDateTime.h"
#include "zip/ZipEncoding.h"
#include "zip/ZipFileParts.h"
#include "zip/ZipFileSystem.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace {

// Compressed bytes per progress report, as the deflate compressor's output buffer gives them.
constexpr std::uint64_t PROGRESS_BLOCK = 65536;

constexpr std::uint16_t HOST_UNIX = 3;

// The Unix file mode that matches an entry's MS-DOS attributes, for entries marked as made on Unix.
std::uint32_t UnixModeOf(const TFileAttributes &attributes)
{
    if (attributes.UnixMode() != 0)
        return attributes.UnixMode();
    if (attributes.Contains(faDirectory))
        return 040755;
    return attributes.Contains(faReadOnly) ? 0100444 : 0100644;
}

// Clears a member when the scope ends, however it ends.
template <typename T> class TResetOnExit
{
  public:
    explicit TResetOnExit(T &target) : FTarget(target) {}
    ~TResetOnExit() { FTarget = T{}; }
    TResetOnExit(const TResetOnExit &) = delete;
    TResetOnExit &operator=(const TResetOnExit &) = delete;

  private:
    T &FTarget;
};

// The local header as it is completed once the data are written. When it carries the ZIP64 item,
// both size fields are 0xFFFFFFFF and the item holds both sizes, also one that would fit in 32 bits:
// APPNOTE wants both sizes in a local item, and 7-Zip reads both from it, reporting "Headers Error"
// when one is a 0 placeholder (a file above 4 GiB that deflates below it, or a reserved item).
TZipHeader CompletedLocalHeader(const TZipHeader &local)
{
    TZipExtraFields fields(local.ExtraField);
    TZipExtraField existing;
    int index = -1;
    if (!fields.Get(ZIP64_EXTRAFIELD_TAG, existing, index) || existing.DataSize != 16)
        return local;
    TZipExtraField_ZIP64 item;
    item.UncompressedSize = local.GetZIP64_UncompressedSize();
    item.CompressedSize = local.GetZIP64_CompressedSize();
    fields.Add(item.ToExtraField());
    TZipHeader completed = local;
    completed.ExtraField = fields.ToBytes();
    completed.UncompressedSize = ZIP64_MARKER32;
    completed.CompressedSize = ZIP64_MARKER32;
    return completed;
}

// Reserves the ZIP64 item before the local header is written when compressed data might pass
// 0xFFFFFFFF bytes although the source does not, so that completing the header never lengthens it.
void ReserveZIP64Item(TZipHeader &header, std::uint64_t sourceSize)
{
    TZipExtraFields fields(header.ExtraField);
    TZipExtraField existing;
    int index = -1;
    if (fields.Get(ZIP64_EXTRAFIELD_TAG, existing, index))
        return;
    const std::uint64_t bound =
        header.CompressionMethod == zcStored ? sourceSize : TDeflateStream::CompressedSizeBound(sourceSize);
    if (bound <= ZIP64_MARKER32)
        return;
    fields.Add(TZipExtraField_ZIP64{}.ToExtraField());
    header.ExtraField = fields.ToBytes();
}

} // namespace

void TZipFile::Add(TStream &data, const std::string &archiveFileName, TZipCompression compression,
                   const TFileAttributes &attributes, std::uint32_t modifiedDateTime)
{
    CheckFileName(archiveFileName);
    CheckWritable();
    CheckCompression(compression);
    TZipHeader header = NewEntryHeader(archiveFileName, compression, attributes, modifiedDateTime);
    const std::int64_t remaining = data.Size() - data.Position();
    header.SetZIP64_UncompressedSize(static_cast<std::uint64_t>(std::max<std::int64_t>(0, remaining)));
    Add(data, header, nullptr);
}

TZipHeader TZipFile::NewEntryHeader(const std::string &archiveFileName, TZipCompression compression,
                                    const TFileAttributes &attributes, std::uint32_t modifiedDateTime) const
{
    TZipHeader header;
    header.CompressionMethod = compression;
    header.ModifiedDateTime =
        modifiedDateTime != 0 ? modifiedDateTime : DateTimeToWinFileDate(LocalDateTimeNow());
    header.InternalAttributes = 0;
    header.ExternalAttributes = attributes.ToWinAttributes();
    if (FUTF8Support && !IsValidUtf8(archiveFileName)) {
        // A Linux name is bytes and need not be UTF-8. Such a name keeps its bytes, unmarked and without
        // a Unicode path, as Info-ZIP zip stores it: made on Unix, so readers take the bytes as they are
        // instead of converting them from an MS-DOS code page, with a Unix mode beside the MS-DOS bits.
        header.MadeByVersion = HOST_UNIX << 8;
        header.ExternalAttributes |= UnixModeOf(attributes) << 16;
        header.FileName = TBytes(archiveFileName.begin(), archiveFileName.end());
        header.FileNameLength = static_cast<std::uint16_t>(header.FileName.size());
        return header;
    }
    if (FUTF8Support)
        header.Flag |= ZIP_FLAG_UTF8;
    header.FileName = StringToTBytes(archiveFileName);
    header.FileNameLength = static_cast<std::uint16_t>(header.FileName.size());
    AddUnicodePathField(header, archiveFileName);
    if (attributes.UnixMode() != 0) {
        // The entry stays an MS-DOS one for every reader; the Unix mode travels in its own item.
        TZipExtraField_Unix modeItem;
        modeItem.Mode = static_cast<std::uint16_t>(attributes.UnixMode());
        TZipExtraFields fields(header.ExtraField);
        fields.Add(modeItem.ToExtraField());
        header.ExtraField = fields.ToBytes();
        header.ExtraFieldLength = static_cast<std::uint16_t>(header.ExtraField.size());
    }
    return header;
}

void TZipFile::Add(const std::string &fileName, const std::string &archiveFileName,
                   TZipCompression compression)
{
    const std::string entryName = archiveFileName.empty() ? ExtractFileName(fileName) : archiveFileName;
    CheckFileName(entryName);
    CheckWritable();
    CheckCompression(compression);
    TFileStream source(fileName, fmOpenRead);
    struct stat status
    {
    };
    const bool known = ::stat(fileName.c_str(), &status) == 0;
    const std::uint32_t modified =
        ModificationTimeToWinFileDate(known ? std::optional<std::int64_t>(status.st_mtime) : std::nullopt);
    const TFileAttributes attributes = known ? AttributesFromStat(fileName, status) : TFileAttributes{};
    FCurrentFile = fileName;
    const TResetOnExit<std::string> clearCurrentFile(FCurrentFile);
    Add(source, entryName, compression, attributes, modified);
}

void TZipFile::Add(const TBytes &data, const std::string &archiveFileName, TZipCompression compression)
{
    TMemoryViewStream source(data.data(), data.size());
    Add(source, archiveFileName, compression, TFileAttributes{}, 0);
}

std::uint32_t TZipFile::CopyWithChecksum(TStream &source, TStream &target, std::uint64_t count)
{
    uLong crc = crc32(0, nullptr, 0);
    if (count == 0)
        return static_cast<std::uint32_t>(crc);
    if (!FCopyBuffer)
        FCopyBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(COPY_PIECE);
    while (count > 0) {
        const auto piece = static_cast<std::int64_t>(std::min<std::uint64_t>(count, COPY_PIECE));
        source.ReadBuffer(FCopyBuffer.get(), piece);
        // The checksum covers exactly the bytes handed to the compressor, read once: a file that
        // changes while it is archived still gets a CRC that matches its stored data.
        crc = crc32(crc, FCopyBuffer.get(), static_cast<uInt>(piece));
        target.WriteBuffer(FCopyBuffer.get(), piece);
        count -= static_cast<std::uint64_t>(piece);
    }
    return static_cast<std::uint32_t>(crc);
}

void TZipFile::DoZLibProgress(std::int64_t position)
{
    if (FOnProgress)
        FOnProgress(*this, FCurrentFile, FCurrentHeader, position);
}

void TZipFile::Add(TStream &data, const TZipHeader &localHeader, TZipHeader *centralHeader)
{
    const std::int64_t sourceStart = data.Position();
    const auto sourceSize = static_cast<std::uint64_t>(std::max<std::int64_t>(0, data.Size() - sourceStart));
    AddEntry(localHeader, centralHeader, sourceSize, [this, &data, sourceSize](TZipHeader &local) {
        const std::unique_ptr<TStream> compressor =
            TCompressionRegistry::FindCompressor(local.CompressionMethod)(*FStream, *this, local);
        auto *compression = dynamic_cast<TCompressionStream *>(compressor.get());
        if (compression != nullptr)
            compression->SetOnProgress([this](std::int64_t position) { DoZLibProgress(position); });
        const std::uint32_t crc = CopyWithChecksum(data, *compressor, sourceSize);
        DoZLibProgress(compressor->Position());
        // Only a normally ended entry completes its compressed data; when anything above throws,
        // the compressor is freed without writing another byte.
        if (compression != nullptr)
            compression->Finish();
        return crc;
    });
}

void TZipFile::AddCompressed(TCompressedEntry &data, const std::string &archiveFileName,
                             const TFileAttributes &attributes, std::uint32_t modifiedDateTime)
{
    CheckFileName(archiveFileName);
    CheckWritable();
    CheckCompression(zcDeflate);
    std::string openError;
    if (!data.WaitOpened(openError))
        throw ESourceError("Cannot open " + data.SourceName() + ": " + openError);
    TZipHeader header = NewEntryHeader(archiveFileName, zcDeflate, attributes, modifiedDateTime);
    const std::uint64_t sourceSize = data.SourceSize();
    header.SetZIP64_UncompressedSize(sourceSize);
    AddEntry(header, nullptr, sourceSize,
             [this, &data, sourceSize](TZipHeader &) { return WritePieces(data, sourceSize); });
}

std::uint32_t TZipFile::WritePieces(TCompressedEntry &data, std::uint64_t sourceSize)
{
    // Progress as the streaming compressor gives it: once per full 65536-byte block of compressed
    // data, with the source bytes behind that block, then once with the whole source.
    std::uint64_t written = 0;
    std::uint64_t consumed = 0;
    uLong crc = crc32(0, nullptr, 0);
    TCompressedPiece piece;
    while (data.NextPiece(piece)) {
        std::size_t done = 0;
        while (done < piece.Data.size()) {
            const std::uint64_t toBoundary = PROGRESS_BLOCK - written % PROGRESS_BLOCK;
            const auto length =
                static_cast<std::size_t>(std::min<std::uint64_t>(toBoundary, piece.Data.size() - done));
            FStream->WriteBuffer(piece.Data.data() + done, static_cast<std::int64_t>(length));
            done += length;
            written += length;
            if (written % PROGRESS_BLOCK == 0 && FOnProgress) {
                const std::uint64_t behind = piece.SourceBytes * done / piece.Data.size();
                DoZLibProgress(static_cast<std::int64_t>(consumed + behind));
            }
        }
        crc = crc32_combine(crc, piece.CRC32, static_cast<z_off_t>(piece.SourceBytes));
        consumed += piece.SourceBytes;
    }
    if (consumed != sourceSize)
        throw ESourceError("Stream read error: " + data.SourceName() + ": shrank while it was read");
    DoZLibProgress(static_cast<std::int64_t>(consumed));
    return static_cast<std::uint32_t>(crc);
}

void TZipFile::AddEntry(const TZipHeader &localHeader, TZipHeader *centralHeader, std::uint64_t sourceSize,
                        const std::function<std::uint32_t(TZipHeader &)> &writeData)
{
    TZipHeader local = localHeader;
    const std::int64_t headerPosition = FEndFileData;
    FStream->Seek(headerPosition, soBeginning);
    local.LocalHeaderOffset = Clamp32(static_cast<std::uint64_t>(headerPosition));
    if ((local.MadeByVersion & 0xFF) < 20)
        local.MadeByVersion = static_cast<std::uint16_t>((local.MadeByVersion & 0xFF00) | 20);
    if (local.RequiredVersion < 20)
        local.RequiredVersion = 20;

    // Sizes are settled before the local header is written, so completing it never changes its length.
    local.SetZIP64_UncompressedSize(sourceSize);
    ReserveZIP64Item(local, sourceSize);
    if (local.FileName.size() > 0xFFFF || local.ExtraField.size() > 0xFFFF)
        throw EZipException("File name must not be longer than 65535 bytes");
    local.FileNameLength = static_cast<std::uint16_t>(local.FileName.size());
    local.ExtraFieldLength = static_cast<std::uint16_t>(local.ExtraField.size());

    TZipHeader &central = centralHeader != nullptr ? *centralHeader : local;
    if (centralHeader != nullptr) {
        central.FileNameLength = static_cast<std::uint16_t>(central.FileName.size());
        central.ExtraFieldLength = static_cast<std::uint16_t>(central.ExtraField.size());
    }
    central.FileCommentLength = static_cast<std::uint16_t>(central.FileComment.size());

    // An unregistered method is refused before anything is written.
    CheckCompression(static_cast<TZipCompression>(local.CompressionMethod));

    TBytes image;
    image.reserve(LOCAL_HEADER_SIZE + local.FileName.size() + local.ExtraField.size());
    local.AppendLocalHeader(image);
    VerifyWrite(*FStream, image.data(), static_cast<std::int64_t>(image.size()));
    const std::int64_t dataStart = headerPosition + static_cast<std::int64_t>(image.size());

    std::uint32_t crc = 0;
    {
        FCurrentHeader = local;
        const TResetOnExit<TZipHeader> clearCurrentHeader(FCurrentHeader);
        crc = writeData(local);
    }

    const std::int64_t dataEnd = FStream->Position();
    local.SetZIP64_CompressedSize(static_cast<std::uint64_t>(dataEnd - dataStart));
    local.CRC32 = crc;
    if (centralHeader != nullptr) {
        central.SetZIP64_UncompressedSize(local.GetZIP64_UncompressedSize());
        central.SetZIP64_CompressedSize(local.GetZIP64_CompressedSize());
        central.CRC32 = crc;
        central.LocalHeaderOffset = local.LocalHeaderOffset;
    }

    TBytes completed;
    completed.reserve(image.size());
    CompletedLocalHeader(local).AppendLocalHeader(completed);
    if (completed.size() != image.size())
        throw EZipException("Error writing zip file");
    FStream->Seek(headerPosition + 4, soBeginning);
    VerifyWrite(*FStream, completed.data() + 4, static_cast<std::int64_t>(completed.size() - 4));

    FFiles.push_back(central);
    try {
        FLocations.push_back({static_cast<std::uint64_t>(headerPosition), local.GetZIP64_CompressedSize(),
                              local.GetZIP64_UncompressedSize()});
    } catch (...) {
        FFiles.pop_back();
        throw;
    }
    FEndFileData = dataEnd;
}

void TZipFile::ZipDirectoryContents(const std::string &zipFileName, const std::string &folder,
                                    TZipCompression compression, TZipProgressEvent progress)
{
    std::filesystem::remove(zipFileName);
    std::vector<std::filesystem::path> files;
    for (const auto &item : std::filesystem::recursive_directory_iterator(folder)) {
        if (item.is_regular_file())
            files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    TZipFile zip;
    zip.SetOnProgress(std::move(progress));
    zip.Open(zipFileName, zmWrite);
    for (const std::filesystem::path &file : files)
        zip.Add(file.string(), file.lexically_relative(folder).generic_string(), compression);
    zip.Close();
}
