#pragma once

#include "zip/TFileAttributes.h"
#include "zip/TZipHeader.h"
#include "zip/ZipTypes.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TStream;
class TCompressedEntry;
class TFileStream;
class TZipFile;

// What ExtractTo does when something already stands at the target name.
enum class TExtractExisting { Replace, Keep };

// Bytes of an entry written so far while it is extracted; the handler may throw to stop, and the
// partly written file is then removed.
using TExtractProgressEvent = std::function<void(std::uint64_t written)>;

// Makes the stream that compresses into, or decompresses from, the archive stream for one entry.
// The caller owns and releases the result.
using TStreamConstructor =
    std::function<std::unique_ptr<TStream>(TStream &archive, TZipFile &zipFile, const TZipHeader &header)>;

// Progress of an add: the archive, the file being added by name (empty for streams), the entry's
// header while it is compressed, and a byte position. The handler may throw to stop the add; what was
// written before the report may then still sit in the output buffer: Flush writes it, Abandon drops it.
using TZipProgressEvent = std::function<void(TZipFile &sender, const std::string &fileName,
                                             const TZipHeader &header, std::int64_t position)>;

// Read-side hook: a stream layered between the archive and the decompressor (for example to
// decrypt), or nullptr to read the archive directly.
using TCreateDecompressStreamEvent = std::function<std::unique_ptr<TStream>(
    TStream &archive, TZipFile &zipFile, const TZipHeader &header, bool isEncrypted)>;

// A ZIP archive: writes new archives entry by entry (completing each local header in place and the
// central directory with ZIP64 records at Close), and reads and verifies existing ones.
class TZipFile
{
  public:
    // A closed object: no entries, UTF-8 names, no comment, no progress handler.
    TZipFile();
    // Closes the archive (writing its directory when open for writing); errors are lost here,
    // so call Close first to see them.
    ~TZipFile();
    TZipFile(const TZipFile &) = delete;
    TZipFile &operator=(const TZipFile &) = delete;

    // Opens an archive file: zmRead and zmReadWrite an existing one, zmWrite a new or truncated one.
    void Open(const std::string &zipFileName, TZipMode openMode);
    // Opens an archive on a file stream that it takes over: closed with the archive, or abandoned.
    void Open(std::unique_ptr<TFileStream> zipFile, TZipMode openMode);
    // Opens an archive on a stream the caller keeps owning.
    void Open(TStream &zipFileStream, TZipMode openMode);
    // Writes the central directory and end records when open for writing, then closes in any case.
    void Close();
    // Closes without writing anything more (used after a forced stop thrown from OnProgress): no central
    // directory, no header completion, and archive bytes still in the output buffer are dropped. A
    // stream the caller owns is only let go of. Never throws.
    void Abandon() noexcept;
    // Writes the archive bytes held in the output buffer to the file, so that the file holds everything
    // written so far (a forced stop calls it from the progress handler before it ends the run).
    void Flush();

    // Adds an entry read from data's position to its end; modifiedDateTime 0 means now.
    void Add(TStream &data, const std::string &archiveFileName, TZipCompression compression = zcDeflate,
             const TFileAttributes &attributes = {}, std::uint32_t modifiedDateTime = 0);
    // Adds a file from disk with its time and attributes, named archiveFileName or else its own name.
    void Add(const std::string &fileName, const std::string &archiveFileName = {},
             TZipCompression compression = zcDeflate);
    // Adds an entry holding the given bytes, dated now.
    void Add(const TBytes &data, const std::string &archiveFileName, TZipCompression compression = zcDeflate);
    // Adds data under a prepared local header; a central header passed in receives the final sizes and
    // CRC and is the one listed. Name, mode and method are not checked here.
    void Add(TStream &data, const TZipHeader &localHeader, TZipHeader *centralHeader = nullptr);

    // Adds a deflated entry whose data were compressed ahead (in parallel), piece by piece in order;
    // headers and progress reports as for the stream overload. Waits for the source to be opened.
    // A source that cannot be opened or read to its size raises ESourceError (nothing is written
    // for one that cannot be opened); a failed compression raises EZipException "Compression
    // failed: <reason>"; a failure to write the archive propagates as the stream raised it.
    void AddCompressed(TCompressedEntry &data, const std::string &archiveFileName,
                       const TFileAttributes &attributes = {}, std::uint32_t modifiedDateTime = 0);
    // The position of the first entry named fileName (A-Z compared without case), or -1.
    int IndexOf(const std::string &fileName) const;

    // Writes an entry's uncompressed bytes into target, checking its size and CRC-32.
    void Read(int index, TStream &target);
    // The largest entry the byte-array readers hold in memory; larger ones are read into a stream.
    static constexpr std::uint64_t MaxReadIntoMemory = 256u << 20;
    // An entry's uncompressed bytes, checked as above; entries above MaxReadIntoMemory are refused.
    void Read(int index, TBytes &bytes);
    // The bytes of the entry named fileName, checked as above.
    void Read(const std::string &fileName, TBytes &bytes);
    // Reads an entry through without keeping it, raising EZipException when it is damaged.
    void Test(int index);
    // Extracts an entry below folder (folders are created); unsafe names are refused.
    void Extract(int index, const std::string &folder);
    // Extracts an entry to folder/relativePath ('/' between names; ".." and absolute paths are refused).
    // Folders below folder are created and never followed through a link; the file is written under a
    // temporary name and takes its place only after its size and CRC-32 checked out, with the entry's
    // time and its Unix permission bits where it carries them, less the umask. With Keep, whatever
    // already stands at the name stays and the result is false, as it is when a link stands where a
    // folder of the path goes (nothing is written through it; Replace replaces the link by a folder).
    // An entry named "." or ending in "/." that holds data is refused. Entries that ExtractRefusal
    // names are refused.
    bool ExtractTo(int index, const std::string &folder, const std::string &relativePath,
                   TExtractExisting existing, const TExtractProgressEvent &progress = {});
    // Why an entry cannot be extracted as a file or folder: an unsafe name, a link, encryption without
    // a decrypting hook, or a method without a decompressor; empty when it can.
    std::string ExtractRefusal(int index) const;
    // Extracts every entry below folder after checking that no name leads outside it.
    void ExtractAll(const std::string &folder);
    // True when the file can be opened as an archive and its central directory read.
    static bool IsValid(const std::string &zipFileName);
    // Extracts a whole archive below folder; names with "..", absolute names and drive letters are refused.
    static void ExtractZipFile(const std::string &zipFileName, const std::string &folder);
    // Replaces zipFileName by an archive of every file below folder, named by relative path.
    static void ZipDirectoryContents(const std::string &zipFileName, const std::string &folder,
                                     TZipCompression compression = zcDeflate,
                                     TZipProgressEvent progress = {});

    // The mode the archive is open in.
    TZipMode Mode() const { return FMode; }
    // The number of entries.
    int FileCount() const;
    // Every entry's name, in order.
    std::vector<std::string> FileNames() const;
    // A copy of every entry's central header.
    std::vector<TZipHeader> FileInfos() const;
    // The central header of one entry.
    TZipHeader FileInfo(int index) const;
    // The name of one entry.
    std::string FileName(int index) const;
    // The comment of one entry.
    std::string FileComment(int index) const;
    // Sets one entry's comment (kept in the central directory only), cut to 65535 bytes.
    void SetFileComment(int index, const std::string &value);
    // The archive comment.
    std::string Comment() const;
    // Sets the archive comment, cut to 65535 bytes.
    void SetComment(const std::string &value);
    // True when names and comments are UTF-8 (flag 0x0800), false for code page 437.
    bool UTF8Support() const { return FUTF8Support; }
    // Switches the encoding of an archive being written while it is still empty.
    void SetUTF8Support(bool value);
    // The progress handler.
    const TZipProgressEvent &OnProgress() const { return FOnProgress; }
    // Sets the progress handler.
    void SetOnProgress(TZipProgressEvent handler) { FOnProgress = std::move(handler); }
    // The 64-bit position of an entry's local header.
    std::uint64_t LocalHeaderPosition(int index) const;
    // Where an entry's data must end at the latest: in an archive that was read, the next local header
    // in the file or the central directory; no limit (the largest value) for entries this object wrote.
    std::uint64_t EntryDataLimit(int index) const;

    // True when a local header names the entry its central header lists: the same name bytes, or the
    // same name once each is read with its UTF-8 flag and Unicode Path item.
    bool IsLocalNameOf(int index, const TBytes &localName, const TBytes &localExtraField,
                       std::uint16_t localFlag) const;

    // Text to name or comment bytes in the archive's encoding.
    TBytes StringToTBytes(const std::string &value) const;
    // Name or comment bytes to text in the archive's encoding.
    std::string TBytesToString(const TBytes &value) const;

    // Registers the stream constructors of a compression method, replacing earlier ones.
    static void RegisterCompressionHandler(TZipCompression compression, TStreamConstructor compressStream,
                                           TStreamConstructor decompressStream);
    // Removes a compression method's stream constructors.
    static void UnregisterCompressionHandler(TZipCompression compression);
    // Sets the read-side hook that may layer a stream under the decompressor (takes precedence).
    static void SetOnCreateDecompressStream(TCreateDecompressStreamEvent hook);
    // Sets the read-side callback used when no OnCreateDecompressStream hook is set.
    static void SetCreateDecompressStreamCallBack(TCreateDecompressStreamEvent callBack);
    // True when a read-side hook or callback is set, through which encrypted entries may be read.
    static bool CanDecrypt();

    // Writes count bytes, raising EZipException "Error writing zip file" when fewer were written.
    static void VerifyWrite(TStream &stream, const void *buffer, std::int64_t count);
    // Reads count bytes, raising EZipException "Error reading zip file" when fewer were read.
    static void VerifyRead(TStream &stream, void *buffer, std::int64_t count);

  private:
    // Where an entry lies: the full 64-bit values its central header can only hint at.
    struct TEntryLocation
    {
        std::uint64_t LocalHeaderOffset = 0;
        std::uint64_t CompressedSize = 0;
        std::uint64_t UncompressedSize = 0;
        // Where the next entry's local header, or the central directory, begins: the entry's data
        // must end there. Entries this object wrote need no such check.
        std::uint64_t End = std::numeric_limits<std::uint64_t>::max();
    };

    void CheckFileName(const std::string &archiveFileName) const;
    TZipHeader NewEntryHeader(const std::string &archiveFileName, TZipCompression compression,
                              const TFileAttributes &attributes, std::uint32_t modifiedDateTime) const;
    void AddEntry(const TZipHeader &localHeader, TZipHeader *centralHeader, std::uint64_t sourceSize,
                  const std::function<std::uint32_t(TZipHeader &)> &writeData);
    std::uint32_t WritePieces(TCompressedEntry &data, std::uint64_t sourceSize);
    void CheckWritable() const;
    void CheckOpen() const;
    static void CheckCompression(TZipCompression compression);
    const TZipHeader &Entry(int index) const;
    std::string DecodeEntryName(const TZipHeader &header) const;
    void AddUnicodePathField(TZipHeader &header, const std::string &name) const;
    std::uint32_t CopyWithChecksum(TStream &source, TStream &target, std::uint64_t count);
    void DoZLibProgress(std::int64_t position);
    void ReadCentralDirectory();
    void WriteCentralDirectory();
    TZipHeader HeaderForDecompression(int index) const;
    void ReadEntry(int index, TStream &target);
    bool ExtractEntry(int index, const std::string &folder, const std::string &relativePath,
                      TExtractExisting existing, bool applyUnixMode, const TExtractProgressEvent &progress);
    void ReleaseArchive();
    void ForgetNameIndex() const;

    TZipMode FMode = zmClosed;
    TStream *FStream = nullptr;
    std::unique_ptr<TFileStream> FFileStream;
    std::int64_t FStartFileData = 0;
    std::int64_t FEndFileData = 0;
    std::vector<TZipHeader> FFiles;
    std::vector<TEntryLocation> FLocations;
    TBytes FComment;
    bool FUTF8Support = true;
    TZipProgressEvent FOnProgress;
    std::string FCurrentFile;
    TZipHeader FCurrentHeader;
    std::unique_ptr<std::uint8_t[]> FCopyBuffer;
    // Entry names folded to upper-case A-Z, each with its first position; built on the first lookup
    // and extended by the entries added since (entries are only ever appended).
    mutable std::unordered_map<std::string, int> FNameIndex;
    mutable std::size_t FNameIndexCount = 0;
};
