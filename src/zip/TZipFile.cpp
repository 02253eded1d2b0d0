#include "zip/TZipFile.h"

#include "zip/ESourceError.h"
#include "zip/EStreamError.h"
#include "zip/EZipException.h"
#include "zip/TCompressionStream.h"
#include "zip/TDeflateStream.h"
#include "zip/TFileStream.h"
#include "zip/TInflateStream.h"
#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"
#include "zip/TMemoryStream.h"
#include "zip/TMemoryViewStream.h"
#include "zip/TParallelCompressor.h"
#include "zip/TStoredStream.h"
#include "zip/TZip64_EndOfCentralDirectory.h"
#include "zip/TZip64_EndOfCentralDirectoryLocator.h"
#include "zip/TZipEndOfCentralHeader.h"
#include "zip/TZipExtraFields.h"
#include "zip/ZipDateTime.h"
#include "zip/ZipEncoding.h"
#include "zip/ZipFileSystem.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace {

constexpr std::int64_t COPY_PIECE = 1 << 20;
// Compressed bytes per progress report, as the deflate compressor's output buffer gives them.
constexpr std::uint64_t PROGRESS_BLOCK = 65536;
constexpr std::size_t MAX_COMMENT = 0xFFFF;
constexpr std::size_t END_RECORD_SIZE = 22;
constexpr std::size_t LOCATOR_SIZE = 20;
constexpr std::size_t ZIP64_END_RECORD_SIZE = 56;
constexpr std::size_t LOCAL_HEADER_SIZE = 30;

struct TCompressionHandler
{
    TStreamConstructor Compress;
    TStreamConstructor Decompress;
};

std::unique_ptr<TStream> NewStoredStream(TStream &archive, TZipFile &, const TZipHeader &)
{
    return std::make_unique<TStoredStream>(archive);
}

std::unique_ptr<TStream> NewDeflateStream(TStream &archive, TZipFile &, const TZipHeader &)
{
    return std::make_unique<TDeflateStream>(archive);
}

std::unique_ptr<TStream> NewInflateStream(TStream &archive, TZipFile &, const TZipHeader &header)
{
    return std::make_unique<TInflateStream>(archive, header.GetZIP64_CompressedSize());
}

// Shared by every archive object; filled before the first archive is opened and only read afterwards.
std::map<std::uint16_t, TCompressionHandler> &CompressionHandlers()
{
    static std::map<std::uint16_t, TCompressionHandler> handlers = {
        {zcStored, {NewStoredStream, NewStoredStream}},
        {zcDeflate, {NewDeflateStream, NewInflateStream}},
    };
    return handlers;
}

TCreateDecompressStreamEvent &OnCreateDecompressStreamHook()
{
    static TCreateDecompressStreamEvent hook;
    return hook;
}

TCreateDecompressStreamEvent &CreateDecompressStreamCallBackHook()
{
    static TCreateDecompressStreamEvent callBack;
    return callBack;
}

constexpr std::uint16_t HOST_UNIX = 3;

// The Unix file mode that matches an entry's MS-DOS attributes, for entries marked as made on Unix.
std::uint32_t UnixModeOf(const TFileAttributes &attributes)
{
    if (attributes.Contains(faDirectory))
        return 040755;
    return attributes.Contains(faReadOnly) ? 0100444 : 0100644;
}

std::uint32_t Clamp32(std::uint64_t value)
{
    return value > ZIP64_MARKER32 ? ZIP64_MARKER32 : static_cast<std::uint32_t>(value);
}

TBytes CutComment(TBytes bytes)
{
    if (bytes.size() > MAX_COMMENT)
        bytes.resize(MAX_COMMENT);
    return bytes;
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

// A target that only counts, for reading entries through to check them.
class TNullStream : public TStream
{
  public:
    std::int64_t Read(void *, std::int64_t) override { return 0; }
    std::int64_t Write(const void *, std::int64_t count) override
    {
        FSize += count;
        return count;
    }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FSize; }

  private:
    std::int64_t FSize = 0;
};

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

// True when a name could lead outside the folder it is extracted to.
bool IsUnsafeEntryName(const std::string &name)
{
    if (name.empty() || name.find('\0') != std::string::npos)
        return true;
    if (name.front() == '/' || name.front() == '\\')
        return true;
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
        return true;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = name.find_first_of("/\\", start);
        const std::string part =
            name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part == "..")
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

void SetFileTime(const std::string &path, std::uint32_t dosDateTime)
{
    TZipDateTime local;
    if (!WinFileDateToDateTime(dosDateTime, local))
        return;
    std::tm parts{};
    parts.tm_year = local.Year - 1900;
    parts.tm_mon = local.Month - 1;
    parts.tm_mday = local.Day;
    parts.tm_hour = local.Hour;
    parts.tm_min = local.Minute;
    parts.tm_sec = local.Second;
    parts.tm_isdst = -1;
    const std::time_t when = std::mktime(&parts);
    if (when == static_cast<std::time_t>(-1))
        return;
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    // The content is what matters; a file system without settable times keeps the extraction time.
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

} // namespace

TZipFile::TZipFile() = default;

TZipFile::~TZipFile()
{
    try {
        Close();
    } catch (const std::exception &) {
        // A destructor cannot report; callers that need to know call Close() themselves.
    }
}

// ---------------------------------------------------------------------------------------------
// Checks and encoding

void TZipFile::CheckFileName(const std::string &archiveFileName) const
{
    if (archiveFileName.empty())
        throw EZipException("File name must not be empty");
}

void TZipFile::CheckWritable() const
{
    if (FMode != zmReadWrite && FMode != zmWrite)
        throw EZipException("File must be open for writing");
}

void TZipFile::CheckOpen() const
{
    if (FMode == zmClosed)
        throw EZipException("File must be open");
}

void TZipFile::CheckCompression(TZipCompression compression)
{
    if (!CompressionHandlers().contains(compression))
        throw EZipException("Support for compression method not registered: " +
                            TZipCompressionToString(compression));
}

const TZipHeader &TZipFile::Entry(int index) const
{
    CheckOpen();
    if (index < 0 || static_cast<std::size_t>(index) >= FFiles.size())
        throw std::out_of_range("Argument out of range");
    return FFiles[static_cast<std::size_t>(index)];
}

TBytes TZipFile::StringToTBytes(const std::string &value) const
{
    return FUTF8Support ? TBytes(value.begin(), value.end()) : Utf8ToCodePage437(value);
}

std::string TZipFile::TBytesToString(const TBytes &value) const
{
    return FUTF8Support ? std::string(value.begin(), value.end()) : CodePage437ToUtf8(value);
}

std::string TZipFile::DecodeEntryName(const TZipHeader &header) const
{
    if ((header.Flag & ZIP_FLAG_UTF8) != 0)
        return std::string(header.FileName.begin(), header.FileName.end());
    // A Unicode Path item made for exactly these name bytes holds the name as its writer meant it.
    TBytes unicodePath;
    if (TZipExtraFields::FindData(header.ExtraField, UNICODEPATH_EXTRAFIELD_TAG, unicodePath) &&
        unicodePath.size() >= 5 && unicodePath[0] == 1) {
        TLittleEndianReader reader(unicodePath.data() + 1, 4, "Invalid Zip ExtraField");
        const std::uint32_t nameCrc = reader.U32();
        if (nameCrc == crc32(0, header.FileName.data(), static_cast<uInt>(header.FileName.size())))
            return std::string(unicodePath.begin() + 5, unicodePath.end());
    }
    // Unix archivers store names in the system's character set without marking them; today that
    // is UTF-8, which code page 437 would garble.
    const int host = header.MadeByVersion >> 8;
    const std::string raw(header.FileName.begin(), header.FileName.end());
    if ((host == 3 || host == 19) && !IsAscii(raw) && IsValidUtf8(raw))
        return raw;
    return TBytesToString(header.FileName);
}

void TZipFile::AddUnicodePathField(TZipHeader &header, const std::string &name) const
{
    // Info-ZIP unzip ignores the UTF-8 flag of entries made by host 0; it reads this item instead.
    if (IsAscii(name))
        return;
    TBytes data;
    TLittleEndianWriter(data)
        .U8(1)
        .U32(static_cast<std::uint32_t>(
            crc32(0, header.FileName.data(), static_cast<uInt>(header.FileName.size()))))
        .Bytes(reinterpret_cast<const std::uint8_t *>(name.data()), name.size());
    TZipExtraFields fields(header.ExtraField);
    fields.Add(TZipExtraField(UNICODEPATH_EXTRAFIELD_TAG, data));
    header.ExtraField = fields.ToBytes();
    header.ExtraFieldLength = static_cast<std::uint16_t>(header.ExtraField.size());
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

void TZipFile::Open(const std::string &zipFileName, TZipMode openMode)
{
    Close();
    if (openMode == zmClosed)
        throw EZipException("Invalid argument");
    const TFileStreamMode fileMode = openMode == zmRead        ? fmOpenRead
                                     : openMode == zmReadWrite ? fmOpenReadWrite
                                                               : fmCreate;
    Open(std::make_unique<TFileStream>(zipFileName, fileMode), openMode);
}

void TZipFile::Open(std::unique_ptr<TFileStream> zipFile, TZipMode openMode)
{
    Open(*zipFile, openMode);
    FFileStream = std::move(zipFile);
}

void TZipFile::Open(TStream &zipFileStream, TZipMode openMode)
{
    Close();
    if (openMode == zmClosed)
        throw EZipException("Invalid argument");
    if (openMode == zmRead && zipFileStream.Size() == 0)
        throw EZipException("Stream read error");
    FStream = &zipFileStream;
    FStartFileData = zipFileStream.Position();
    FFiles.clear();
    FLocations.clear();
    if (openMode == zmRead || openMode == zmReadWrite) {
        try {
            ReadCentralDirectory();
        } catch (...) {
            FStream = nullptr;
            FFiles.clear();
            FLocations.clear();
            throw;
        }
    } else {
        // A new archive begins where the stream stands, also when this object wrote one before.
        FEndFileData = FStartFileData;
        FComment.clear();
    }
    FMode = openMode;
}

void TZipFile::ReleaseArchive()
{
    FMode = zmClosed;
    FFiles.clear();
    FLocations.clear();
    FStream = nullptr;
    FCurrentHeader = TZipHeader{};
    FFileStream.reset();
}

void TZipFile::Close()
{
    try {
        if (FMode == zmReadWrite || FMode == zmWrite)
            WriteCentralDirectory();
        if (FFileStream)
            FFileStream->Close();
    } catch (...) {
        ReleaseArchive();
        throw;
    }
    ReleaseArchive();
}

void TZipFile::Abandon() noexcept
{
    std::unique_ptr<TFileStream> file = std::move(FFileStream);
    ReleaseArchive();
    if (file)
        file->Abandon();
}

void TZipFile::Flush()
{
    if (FStream)
        FStream->Flush();
}

// ---------------------------------------------------------------------------------------------
// Adding

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
    const TFileAttributes attributes =
        known ? TFileAttributes::FromWinAttributes(WinAttributesFromStat(fileName, status))
              : TFileAttributes{};
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
        const auto handler = CompressionHandlers().find(local.CompressionMethod);
        const std::unique_ptr<TStream> compressor = handler->second.Compress(*FStream, *this, local);
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

    const auto handler = CompressionHandlers().find(local.CompressionMethod);
    if (handler == CompressionHandlers().end())
        throw EZipException("Support for compression method not registered: " +
                            TZipCompressionToString(static_cast<TZipCompression>(local.CompressionMethod)));

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

// ---------------------------------------------------------------------------------------------
// The central directory

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
            if (locator.RelativeOffset + ZIP64_END_RECORD_SIZE > static_cast<std::uint64_t>(endPosition))
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
    if (directoryOffset + directorySize > static_cast<std::uint64_t>(directoryLimit) ||
        entryCount > directorySize / 46)
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
        // In memory every entry looks like one this object wrote: sizes through the 16-byte ZIP64
        // item where they need it, the offset clamped (its full value is kept in the location).
        try {
            TZipExtraFields fields(header.ExtraField);
            fields.Remove(ZIP64_EXTRAFIELD_TAG);
            header.ExtraField = fields.ToBytes();
            header.SetZIP64_UncompressedSize(location.UncompressedSize);
            header.SetZIP64_CompressedSize(location.CompressedSize);
            header.LocalHeaderOffset = Clamp32(location.LocalHeaderOffset);
        } catch (const EZipException &) {
            // Kept as read: its extra field is not ours to rewrite.
        }
        allUtf8 = allUtf8 && (header.Flag & ZIP_FLAG_UTF8) != 0;
        files.push_back(std::move(header));
        locations.push_back(location);
    }
    FFiles = std::move(files);
    FLocations = std::move(locations);
    FEndFileData = static_cast<std::int64_t>(directoryOffset);
    FComment = std::move(comment);
    FUTF8Support = allUtf8;
}

// ---------------------------------------------------------------------------------------------
// Reading entries

TZipHeader TZipFile::HeaderForDecompression(int index) const
{
    const TZipHeader &entry = Entry(index);
    const TEntryLocation &location = FLocations[static_cast<std::size_t>(index)];
    TZipHeader header = entry;
    header.ExtraField.clear();
    header.UncompressedSize = 0;
    header.CompressedSize = 0;
    header.SetZIP64_UncompressedSize(location.UncompressedSize);
    header.SetZIP64_CompressedSize(location.CompressedSize);
    return header;
}

void TZipFile::Read(int index, TStream &target)
{
    const TZipHeader &entry = Entry(index);
    const TEntryLocation &location = FLocations[static_cast<std::size_t>(index)];
    const std::string name = DecodeEntryName(entry);

    std::uint8_t localImage[LOCAL_HEADER_SIZE];
    FStream->Seek(static_cast<std::int64_t>(location.LocalHeaderOffset), soBeginning);
    VerifyRead(*FStream, localImage, LOCAL_HEADER_SIZE);
    TLittleEndianReader local(localImage, LOCAL_HEADER_SIZE, "Error reading zip file");
    if (local.U32() != SIGNATURE_LOCALHEADER)
        throw EZipException("Invalid zip file: damaged local header of " + name);
    local.Skip(22);
    const std::uint16_t nameLength = local.U16();
    const std::uint16_t extraLength = local.U16();
    FStream->Seek(static_cast<std::int64_t>(location.LocalHeaderOffset + LOCAL_HEADER_SIZE) + nameLength +
                      extraLength,
                  soBeginning);

    const TZipHeader header = HeaderForDecompression(index);
    const bool encrypted = (entry.Flag & 1) != 0;
    std::unique_ptr<TStream> layer;
    if (OnCreateDecompressStreamHook())
        layer = OnCreateDecompressStreamHook()(*FStream, *this, header, encrypted);
    else if (CreateDecompressStreamCallBackHook())
        layer = CreateDecompressStreamCallBackHook()(*FStream, *this, header, encrypted);
    if (encrypted && !layer)
        throw EZipException("Encrypted zip entries are not supported: " + name);
    TStream &source = layer ? *layer : *FStream;

    const auto handler = CompressionHandlers().find(entry.CompressionMethod);
    if (handler == CompressionHandlers().end())
        throw EZipException("Support for compression method not registered: " +
                            TZipCompressionToString(static_cast<TZipCompression>(entry.CompressionMethod)));
    const std::unique_ptr<TStream> decompressor = handler->second.Decompress(source, *this, header);

    if (!FCopyBuffer)
        FCopyBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(COPY_PIECE);
    const std::uint64_t expected = location.UncompressedSize;
    const bool stored = entry.CompressionMethod == zcStored;
    if (stored && location.CompressedSize != expected)
        throw EZipException("Size mismatch in zip entry: " + name);
    uLong crc = crc32(0, nullptr, 0);
    std::uint64_t produced = 0;
    try {
        for (;;) {
            // Stored data has no end mark: read exactly its size. Decompressors end by themselves;
            // one byte more than expected is enough to see that the entry is too long.
            const std::uint64_t wanted = stored ? expected - produced : expected - produced + 1;
            if (wanted == 0)
                break;
            const auto piece = static_cast<std::int64_t>(std::min<std::uint64_t>(wanted, COPY_PIECE));
            const std::int64_t done = decompressor->Read(FCopyBuffer.get(), piece);
            if (done <= 0)
                break;
            produced += static_cast<std::uint64_t>(done);
            if (produced > expected)
                break;
            crc = crc32(crc, FCopyBuffer.get(), static_cast<uInt>(done));
            target.WriteBuffer(FCopyBuffer.get(), done);
        }
    } catch (const EZipException &error) {
        throw EZipException(std::string(error.what()) + ": " + name);
    } catch (const EStreamError &error) {
        throw EZipException(std::string(error.what()) + ": " + name);
    }
    if (produced != expected)
        throw EZipException("Size mismatch in zip entry: " + name);
    if (static_cast<std::uint32_t>(crc) != entry.CRC32)
        throw EZipException("CRC-32 mismatch in zip entry: " + name);
}

void TZipFile::Read(int index, TBytes &bytes)
{
    TMemoryStream target;
    Read(index, target);
    bytes = target.Bytes();
}

void TZipFile::Read(const std::string &fileName, TBytes &bytes)
{
    const int index = IndexOf(fileName);
    if (index < 0)
        throw EZipException("File not found in zip file: " + fileName);
    Read(index, bytes);
}

void TZipFile::Test(int index)
{
    TNullStream target;
    Read(index, target);
}

void TZipFile::Extract(int index, const std::string &folder)
{
    const std::string name = DecodeEntryName(Entry(index));
    if (IsUnsafeEntryName(name))
        throw EZipException("Unsafe file name in zip file: " + name);
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const std::filesystem::path target = std::filesystem::path(folder) / relative;
    if (relative.ends_with('/')) {
        std::filesystem::create_directories(target);
        return;
    }
    std::filesystem::create_directories(target.parent_path());
    try {
        TFileStream file(target.string(), fmCreate);
        Read(index, file);
        file.Close();
    } catch (...) {
        // A damaged entry must not leave a plausible-looking file behind.
        std::error_code ignored;
        std::filesystem::remove(target, ignored);
        throw;
    }
    SetFileTime(target.string(), Entry(index).ModifiedDateTime);
}

void TZipFile::ExtractAll(const std::string &folder)
{
    CheckOpen();
    for (int i = 0; i < FileCount(); ++i) {
        const std::string name = DecodeEntryName(FFiles[static_cast<std::size_t>(i)]);
        if (IsUnsafeEntryName(name))
            throw EZipException("Unsafe file name in zip file: " + name);
    }
    for (int i = 0; i < FileCount(); ++i)
        Extract(i, folder);
}

bool TZipFile::IsValid(const std::string &zipFileName)
{
    try {
        TZipFile zip;
        zip.Open(zipFileName, zmRead);
        zip.Close();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

void TZipFile::ExtractZipFile(const std::string &zipFileName, const std::string &folder)
{
    TZipFile zip;
    zip.Open(zipFileName, zmRead);
    zip.ExtractAll(folder);
    zip.Close();
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

// ---------------------------------------------------------------------------------------------
// Properties

int TZipFile::IndexOf(const std::string &fileName) const
{
    const auto sameName = [](const std::string &a, const std::string &b) {
        const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
    };
    for (std::size_t i = 0; i < FFiles.size(); ++i) {
        if (sameName(DecodeEntryName(FFiles[i]), fileName))
            return static_cast<int>(i);
    }
    return -1;
}

int TZipFile::FileCount() const
{
    CheckOpen();
    return static_cast<int>(FFiles.size());
}

std::vector<std::string> TZipFile::FileNames() const
{
    CheckOpen();
    std::vector<std::string> names;
    names.reserve(FFiles.size());
    for (const TZipHeader &header : FFiles)
        names.push_back(DecodeEntryName(header));
    return names;
}

std::vector<TZipHeader> TZipFile::FileInfos() const
{
    CheckOpen();
    return FFiles;
}

TZipHeader TZipFile::FileInfo(int index) const
{
    return Entry(index);
}

std::string TZipFile::FileName(int index) const
{
    return DecodeEntryName(Entry(index));
}

std::string TZipFile::FileComment(int index) const
{
    return TBytesToString(Entry(index).FileComment);
}

void TZipFile::SetFileComment(int index, const std::string &value)
{
    CheckWritable();
    Entry(index);
    TZipHeader &header = FFiles[static_cast<std::size_t>(index)];
    header.FileComment = CutComment(StringToTBytes(value));
    header.FileCommentLength = static_cast<std::uint16_t>(header.FileComment.size());
}

std::string TZipFile::Comment() const
{
    CheckOpen();
    return TBytesToString(FComment);
}

void TZipFile::SetComment(const std::string &value)
{
    CheckWritable();
    FComment = CutComment(StringToTBytes(value));
}

void TZipFile::SetUTF8Support(bool value)
{
    if (value == FUTF8Support)
        return;
    CheckWritable();
    if (!FFiles.empty())
        throw EZipException("Zip file must be empty");
    FUTF8Support = value;
}

std::uint64_t TZipFile::LocalHeaderPosition(int index) const
{
    Entry(index);
    return FLocations[static_cast<std::size_t>(index)].LocalHeaderOffset;
}

// ---------------------------------------------------------------------------------------------
// Class-level registry and helpers

void TZipFile::RegisterCompressionHandler(TZipCompression compression, TStreamConstructor compressStream,
                                          TStreamConstructor decompressStream)
{
    CompressionHandlers()[compression] = {std::move(compressStream), std::move(decompressStream)};
}

void TZipFile::UnregisterCompressionHandler(TZipCompression compression)
{
    CompressionHandlers().erase(compression);
}

void TZipFile::SetOnCreateDecompressStream(TCreateDecompressStreamEvent hook)
{
    OnCreateDecompressStreamHook() = std::move(hook);
}

void TZipFile::SetCreateDecompressStreamCallBack(TCreateDecompressStreamEvent callBack)
{
    CreateDecompressStreamCallBackHook() = std::move(callBack);
}

void TZipFile::VerifyWrite(TStream &stream, const void *buffer, std::int64_t count)
{
    if (stream.Write(buffer, count) != count)
        throw EZipException("Error writing zip file");
}

void TZipFile::VerifyRead(TStream &stream, void *buffer, std::int64_t count)
{
    auto *target = static_cast<std::uint8_t *>(buffer);
    while (count > 0) {
        const std::int64_t done = stream.Read(target, count);
        if (done <= 0)
            throw EZipException("Error reading zip file");
        target += done;
        count -= done;
    }
}
