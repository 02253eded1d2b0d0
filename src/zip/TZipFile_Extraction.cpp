// Extraction: reading entries back, checked against their sizes and CRC-32, into streams or files.

#include "zip/TZipFile.h"

#include "zip/EStreamError.h"
#include "zip/EZipException.h"
#include "zip/LongPath.h"
#include "zip/TCompressionRegistry.h"
#include "zip/TLittleEndianReader.h"
#include "zip/TStream.h"
#include "zip/TZipExtraField_Unix.h"
#include "zip/ZipDateTime.h"
#include "zip/ZipFileParts.h"
#include "zip/ZipFileSystem.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

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

// A target that appends to a byte array, so an entry read into memory is held once.
class TAppendStream : public TStream
{
  public:
    explicit TAppendStream(TBytes &bytes) : FBytes(bytes) {}
    std::int64_t Read(void *, std::int64_t) override { return 0; }
    std::int64_t Write(const void *buffer, std::int64_t count) override
    {
        const auto *data = static_cast<const std::uint8_t *>(buffer);
        FBytes.insert(FBytes.end(), data, data + count);
        return count;
    }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return static_cast<std::int64_t>(FBytes.size()); }

  private:
    TBytes &FBytes;
};

// Deflate cannot expand data more than about 1032 times; a declared size above that is a lie that
// must not decide how much memory is set aside.
constexpr std::uint64_t MAX_DEFLATE_RATIO = 1032;

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

// Owns a file or folder descriptor and closes it at scope end.
class TFileDescriptor
{
  public:
    explicit TFileDescriptor(int fd = -1) : FFd(fd) {}
    ~TFileDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFileDescriptor(const TFileDescriptor &) = delete;
    TFileDescriptor &operator=(const TFileDescriptor &) = delete;
    TFileDescriptor(TFileDescriptor &&other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
    TFileDescriptor &operator=(TFileDescriptor &&other) noexcept
    {
        std::swap(FFd, other.FFd);
        return *this;
    }
    int Get() const { return FFd; }
    // Closes now, so that a failure of the close (a delayed write error) can be seen; -1 on failure.
    int Close() { return ::close(std::exchange(FFd, -1)); }

  private:
    int FFd;
};

// The fault met while reading entry name, naming that entry unless it names a file of its own.
TZipFault Named(TZipFault fault, const std::string &name)
{
    if (fault.Entry.empty())
        fault.Entry = name;
    return fault;
}

[[noreturn]] void FailWithErrno(const std::string &what, const std::string &path)
{
    throw std::system_error(errno, std::generic_category(), what + " \"" + path + "\"");
}

// A write-only stream over a descriptor it does not own.
class TDescriptorStream : public TStream
{
  public:
    TDescriptorStream(int fd, std::string path, TExtractProgressEvent progress = {})
        : FFd(fd), FPath(std::move(path)), FProgress(std::move(progress))
    {
    }
    std::int64_t Read(void *, std::int64_t) override { return 0; }
    std::int64_t Write(const void *buffer, std::int64_t count) override
    {
        const auto *data = static_cast<const std::uint8_t *>(buffer);
        std::int64_t left = count;
        while (left > 0) {
            const ssize_t done = ::write(FFd, data, static_cast<std::size_t>(left));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                if (done == 0)
                    errno = ENOSPC;
                FailWithErrno("Cannot write file", FPath);
            }
            data += done;
            left -= done;
            FWritten += done;
        }
        if (FProgress)
            FProgress(static_cast<std::uint64_t>(FWritten));
        return count;
    }
    std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FWritten; }

  private:
    int FFd;
    std::string FPath;
    TExtractProgressEvent FProgress;
    std::int64_t FWritten = 0;
};

// Opens the folder called part inside parent without following a link there: a missing folder is
// created, a link in the way is replaced by a real folder when replaceLink is set (else the result
// holds no descriptor: the link stays and nothing goes through it), anything else in the way is an
// error.
TFileDescriptor EnterFolder(const TFileDescriptor &parent, const std::string &part, const std::string &path,
                            bool replaceLink)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::openat(parent.Get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0)
            return TFileDescriptor(fd);
        if (errno == ENOENT) {
            if (::mkdirat(parent.Get(), part.c_str(), 0777) != 0 && errno != EEXIST)
                FailWithErrno("Cannot create folder", path);
            continue;
        }
        struct stat status
        {
        };
        if ((errno == ELOOP || errno == ENOTDIR) &&
            ::fstatat(parent.Get(), part.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(status.st_mode)) {
            if (!replaceLink)
                return TFileDescriptor();
            if (::unlinkat(parent.Get(), part.c_str(), 0) != 0)
                FailWithErrno("Cannot replace link", path);
            continue;
        }
        if (errno == ENOTDIR)
            errno = EEXIST; // a file where the folder belongs, as mkdir reports it
        FailWithErrno("Cannot create folder", path);
    }
    errno = ELOOP;
    FailWithErrno("Cannot create folder", path);
}

// A name for the file an entry is written to before it is checked, unique in its folder.
std::string TemporaryName()
{
    static std::atomic<unsigned> counter{0};
    return ".arkivoda-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".part";
}

// The modification time to give an extracted file, or nothing when the entry's date is not valid.
std::optional<std::time_t> EntryTime(std::uint32_t dosDateTime)
{
    TZipDateTime local;
    if (!WinFileDateToDateTime(dosDateTime, local))
        return std::nullopt;
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
        return std::nullopt;
    return when;
}

// The Unix file type (S_IFREG, S_IFDIR, S_IFLNK, ...) an entry carries; 0 when it carries none.
unsigned UnixFileType(const TZipHeader &entry)
{
    return EntryUnixMode(entry) & S_IFMT;
}

// Renames from into to unless something stands at to; false when something does. A file system
// that cannot rename without replacing gets a check first, with a short window for a race.
bool RenameNoReplace(int folder, const std::string &from, const std::string &to, const std::string &path)
{
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
        FailWithErrno("Cannot create file", path);
    struct stat status
    {
    };
    if (::fstatat(folder, to.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
        return false;
    if (::renameat(folder, from.c_str(), folder, to.c_str()) != 0)
        FailWithErrno("Cannot create file", path);
    return true;
}

} // namespace

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
    WithUnitExceptions([&] { ReadEntry(index, target); });
}

void TZipFile::ReadEntry(int index, TStream &target)
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
    local.Skip(2);
    const std::uint16_t flag = local.U16();
    local.Skip(18);
    const std::uint16_t nameLength = local.U16();
    const std::uint16_t extraLength = local.U16();
    // A local name other than the listed one would extract something else than was checked.
    TBytes localName(nameLength);
    VerifyRead(*FStream, localName.data(), nameLength);
    if (localName != entry.FileName) {
        TBytes localExtra(extraLength);
        VerifyRead(*FStream, localExtra.data(), extraLength);
        if (!IsLocalNameOf(index, localName, localExtra, flag))
            throw EZipException("Invalid zip file: local name differs from central name: " + name);
    }
    const std::uint64_t dataStart = location.LocalHeaderOffset + LOCAL_HEADER_SIZE + nameLength + extraLength;
    if (dataStart > location.End || location.CompressedSize > location.End - dataStart)
        throw EZipException("Invalid zip file: overlapping entries: " + name);
    FStream->Seek(static_cast<std::int64_t>(dataStart), soBeginning);
    // A folder of an old Windows archiver may name a method and hold no data at all.
    if (entry.IsFolder() && location.CompressedSize == 0 && location.UncompressedSize == 0) {
        if (entry.CRC32 != 0)
            throw EZipException("CRC-32 mismatch in zip entry: " + name);
        return;
    }

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

    const std::unique_ptr<TStream> decompressor =
        TCompressionRegistry::FindDecompressor(entry.CompressionMethod)(source, *this, header);

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
        throw EZipException(Named(error.Fault(), name), std::string(error.what()) + ": " + name);
    } catch (const EStreamError &error) {
        throw EZipException(Named(error.Fault(), name), std::string(error.what()) + ": " + name);
    }
    if (produced != expected)
        throw EZipException("Size mismatch in zip entry: " + name);
    if (static_cast<std::uint32_t>(crc) != entry.CRC32)
        throw EZipException("CRC-32 mismatch in zip entry: " + name);
}

void TZipFile::Read(int index, TBytes &bytes)
{
    const std::string name = DecodeEntryName(Entry(index));
    const TEntryLocation &location = FLocations[static_cast<std::size_t>(index)];
    if (location.UncompressedSize > MaxReadIntoMemory)
        throw EZipException("Zip entry too large to read into memory: " + name);
    TBytes content;
    WithUnitExceptions([&] {
        content.reserve(static_cast<std::size_t>(
            std::min(location.UncompressedSize, location.CompressedSize * MAX_DEFLATE_RATIO + COPY_PIECE)));
    });
    WithUnitExceptions([&] {
        TAppendStream target(content);
        ReadEntry(index, target);
    });
    bytes = std::move(content);
}

void TZipFile::Read(const std::string &fileName, TBytes &bytes)
{
    const int index = WithUnitExceptions([&] { return IndexOf(fileName); });
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
    WithUnitExceptions([&] {
        ExtractEntry(index, folder, DecodeEntryName(Entry(index)), TExtractExisting::Replace, false, {});
    });
}

bool TZipFile::ExtractTo(int index, const std::string &folder, const std::string &relativePath,
                         TExtractExisting existing, const TExtractProgressEvent &progress)
{
    const std::string refusal = ExtractRefusal(index);
    if (!refusal.empty())
        throw EZipException(refusal + ": " + DecodeEntryName(Entry(index)));
    return WithUnitExceptions(
        [&] { return ExtractEntry(index, folder, relativePath, existing, true, progress); });
}

std::string TZipFile::ExtractRefusal(int index) const
{
    const TZipHeader &entry = Entry(index);
    if (IsUnsafeEntryName(DecodeEntryName(entry)))
        return "Unsafe file name in zip file";
    if (UnixFileType(entry) == S_IFLNK)
        return "Links are not extracted";
    // Info-ZIP zip marks data it read from a pipe ("-") as a pipe, but the entry holds those data as
    // any file does.
    if (const unsigned type = UnixFileType(entry);
        type != 0 && type != S_IFREG && type != S_IFDIR && type != S_IFIFO)
        return "Special files are not extracted";
    if ((entry.Flag & 1) != 0 && !OnCreateDecompressStreamHook() && !CreateDecompressStreamCallBackHook())
        return "Encrypted zip entries are not supported";
    try {
        TCompressionRegistry::FindDecompressor(entry.CompressionMethod);
    } catch (const EZipException &error) {
        return error.what();
    }
    return {};
}

bool TZipFile::ExtractEntry(int index, const std::string &folder, const std::string &relativePath,
                            TExtractExisting existing, bool applyUnixMode,
                            const TExtractProgressEvent &progress)
{
    if (IsUnsafeEntryName(relativePath))
        throw EZipException("Unsafe file name in zip file: " + relativePath);
    std::string relative = relativePath;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= relative.size();) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        std::string part = relative.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts.push_back(std::move(part));
        start = end + 1;
    }
    const bool isFolder = relative.ends_with('/') || parts.empty() || relative.ends_with("/.");
    // "." or "sub/." names a folder; data under such a name would be written nowhere.
    if (isFolder && !relative.ends_with('/') &&
        FLocations[static_cast<std::size_t>(index)].UncompressedSize > 0)
        throw EZipException("Zip entry without a file name holds data: " + relativePath);

    // The destination is the caller's choice, links included; below it nothing is followed, so
    // a link planted there (or in the archive's own earlier entries) cannot lead the files elsewhere.
    std::filesystem::create_directories(folder);
    TFileDescriptor current(OpenLongPath(folder, O_RDONLY | O_DIRECTORY));
    if (current.Get() < 0)
        FailWithErrno("Cannot open folder", folder);
    std::string path = folder;
    const std::size_t folderCount = isFolder ? parts.size() : parts.size() - 1;
    for (std::size_t i = 0; i < folderCount; ++i) {
        path += "/" + parts[i];
        current = EnterFolder(current, parts[i], path, existing == TExtractExisting::Replace);
        if (current.Get() < 0)
            return false;
    }
    if (isFolder)
        return true;

    // The entry goes to a new file beside its place and takes that place only once it checked out,
    // so a damaged entry leaves an older file of its name as it was. The rename replaces a link at
    // the name instead of following it.
    const std::string &fileName = parts.back();
    path += "/" + fileName;
    const auto standing = [&] {
        struct stat status
        {
        };
        return ::fstatat(current.Get(), fileName.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    };
    if (existing == TExtractExisting::Keep && standing())
        return false;
    std::string temporary;
    TFileDescriptor file;
    while (file.Get() < 0) {
        temporary = TemporaryName();
        file = TFileDescriptor(::openat(current.Get(), temporary.c_str(),
                                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (file.Get() < 0 && errno != EEXIST)
            FailWithErrno("Cannot create file", path);
    }
    try {
        TDescriptorStream target(file.Get(), path, progress);
        ReadEntry(index, target);
        const TZipHeader &entry = Entry(index);
        if (const auto when = EntryTime(entry.ModifiedDateTime)) {
            const struct timespec times[2] = {{*when, 0}, {*when, 0}};
            // The content is what matters; a file system without settable times keeps the extraction time.
            ::futimens(file.Get(), times);
        }
        // Only the permission bits, less those the umask withholds: set-user-ID and the like do not
        // travel in a restored file, nor does a write permission the user does not give new files.
        if (const std::uint32_t mode = EntryUnixMode(entry);
            applyUnixMode && mode != 0 && (UnixFileType(entry) == S_IFREG || UnixFileType(entry) == S_IFIFO))
            ::fchmod(file.Get(), mode & 0777 & ~CurrentUmask());
        if (file.Close() != 0)
            FailWithErrno("Cannot write file", path);
        if (existing == TExtractExisting::Replace) {
            if (::renameat(current.Get(), temporary.c_str(), current.Get(), fileName.c_str()) != 0)
                FailWithErrno("Cannot create file", path);
        } else if (!RenameNoReplace(current.Get(), temporary, fileName, path)) {
            ::unlinkat(current.Get(), temporary.c_str(), 0);
            return false;
        }
    } catch (...) {
        ::unlinkat(current.Get(), temporary.c_str(), 0);
        throw;
    }
    return true;
}

void TZipFile::ExtractAll(const std::string &folder)
{
    CheckOpen();
    for (int i = 0; i < FileCount(); ++i) {
        const std::string name = DecodeEntryName(FFiles[static_cast<std::size_t>(i)]);
        if (IsUnsafeEntryName(name))
            throw EZipException("Unsafe file name in zip file: " + name);
    }
    WithUnitExceptions([&] {
        for (int i = 0; i < FileCount(); ++i)
            ExtractEntry(i, folder, DecodeEntryName(FFiles[static_cast<std::size_t>(i)]),
                         TExtractExisting::Replace, false, {});
    });
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
    WithUnitExceptions([&] {
        TZipFile zip;
        zip.Open(zipFileName, zmRead);
        zip.ExtractAll(folder);
        zip.Close();
    });
}

void TZipFile::SetOnCreateDecompressStream(TCreateDecompressStreamEvent hook)
{
    OnCreateDecompressStreamHook() = std::move(hook);
}

void TZipFile::SetCreateDecompressStreamCallBack(TCreateDecompressStreamEvent callBack)
{
    CreateDecompressStreamCallBackHook() = std::move(callBack);
}

bool TZipFile::CanDecrypt()
{
    return static_cast<bool>(OnCreateDecompressStreamHook()) ||
           static_cast<bool>(CreateDecompressStreamCallBackHook());
}
