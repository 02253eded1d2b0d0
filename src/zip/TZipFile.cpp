// The archive object itself: opening, closing, names and properties. Entry writing, the central
// directory and extraction live in TZipFile_EntryWriting.cpp, TZipFile_CentralDirectory.cpp and
// TZipFile_Extraction.cpp.

#include "zip/TZipFile.h"

#include "zip/EZipException.h"
#include "zip/TCompressionRegistry.h"
#include "zip/TFileStream.h"
#include "zip/TLittleEndianReader.h"
#include "zip/TLittleEndianWriter.h"
#include "zip/TZipExtraFields.h"
#include "zip/ZipEncoding.h"
#include "zip/ZipFileParts.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

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
    TCompressionRegistry::FindCompressor(compression);
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
    // is UTF-8, which code page 437 would garble. A Unix name that is not UTF-8 is bytes a Linux
    // file system took as they are (this unit writes such names so): its bytes are its name, as
    // Info-ZIP unzip restores them.
    const int host = header.MadeByVersion >> 8;
    const std::string raw(header.FileName.begin(), header.FileName.end());
    if ((host == 3 || host == 19) && !IsAscii(raw))
        return raw;
    return TBytesToString(header.FileName);
}

bool TZipFile::IsLocalNameOf(int index, const TBytes &localName, const TBytes &localExtraField,
                             std::uint16_t localFlag) const
{
    const TZipHeader &entry = Entry(index);
    if (localName == entry.FileName)
        return true;
    TZipHeader local = entry;
    local.FileName = localName;
    local.ExtraField = localExtraField;
    local.Flag = localFlag;
    try {
        return DecodeEntryName(local) == DecodeEntryName(entry);
    } catch (const EZipException &) {
        return false; // a local extra field that does not parse names nothing
    }
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
    if (openMode == zmWrite) {
        Open(std::make_unique<TFileStream>(zipFileName, fmCreate), openMode);
        return;
    }
    const TFileStreamMode fileMode = openMode == zmRead ? fmOpenRead : fmOpenReadWrite;
    WithUnitExceptions([&] {
        auto file = std::make_unique<TFileStream>(zipFileName, fileMode);
        // A pipe or device is no archive, and reading one could wait forever or never end (a folder
        // fails at its first read, with the system's reason).
        if (file->IsSpecialFile())
            throw EZipException("Not a regular file: " + zipFileName);
        Open(std::move(file), openMode);
    });
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
            WithUnitExceptions([this] { ReadCentralDirectory(); });
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
    ForgetNameIndex();
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
// Properties

namespace {

std::string FoldAsciiCase(std::string name)
{
    for (char &c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

} // namespace

int TZipFile::IndexOf(const std::string &fileName) const
{
    // A failed add may have taken back an entry the index already holds.
    if (FNameIndexCount > FFiles.size())
        ForgetNameIndex();
    FNameIndex.reserve(FFiles.size());
    for (; FNameIndexCount < FFiles.size(); ++FNameIndexCount)
        FNameIndex.emplace(FoldAsciiCase(DecodeEntryName(FFiles[FNameIndexCount])),
                           static_cast<int>(FNameIndexCount));
    const auto found = FNameIndex.find(FoldAsciiCase(fileName));
    return found == FNameIndex.end() ? -1 : found->second;
}

void TZipFile::ForgetNameIndex() const
{
    FNameIndex.clear();
    FNameIndexCount = 0;
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

std::uint64_t TZipFile::EntryDataLimit(int index) const
{
    Entry(index);
    return FLocations[static_cast<std::size_t>(index)].End;
}

// ---------------------------------------------------------------------------------------------
// Class-level registry and helpers

void TZipFile::RegisterCompressionHandler(TZipCompression compression, TStreamConstructor compressStream,
                                          TStreamConstructor decompressStream)
{
    TCompressionRegistry::Register(compression, {std::move(compressStream), std::move(decompressStream)});
}

void TZipFile::UnregisterCompressionHandler(TZipCompression compression)
{
    TCompressionRegistry::Unregister(compression);
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
