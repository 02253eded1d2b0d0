#include "zip/TZipVerifier.h"

#include "zip/EZipException.h"
#include "zip/TFileStream.h"
#include "zip/TLittleEndianReader.h"
#include "zip/TZipExtraFields.h"
#include "zip/TZipFile.h"
#include "zip/ZipFileParts.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The 64-bit sizes of a central header: the ZIP64 item holds only the fields marked 0xFFFFFFFF, in order.
struct TSizes
{
    std::uint64_t Uncompressed = 0;
    std::uint64_t Compressed = 0;
};

TSizes SizesOf(const TZipHeader &header)
{
    TSizes sizes{header.UncompressedSize, header.CompressedSize};
    TBytes zip64;
    if (TZipExtraFields::FindData(header.ExtraField, ZIP64_EXTRAFIELD_TAG, zip64)) {
        TLittleEndianReader item(zip64.data(), zip64.size(), "Invalid Zip ExtraField");
        if (header.UncompressedSize == ZIP64_MARKER32 && item.Remaining() >= 8)
            sizes.Uncompressed = item.U64();
        if (header.CompressedSize == ZIP64_MARKER32 && item.Remaining() >= 8)
            sizes.Compressed = item.U64();
    }
    return sizes;
}

// Drops the file's cached pages, so that the reads below come from the disk.
void DropCachedPages(const std::string &fileName)
{
    const int handle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return; // opening it for the check fails next, with its reason
    ::posix_fadvise(handle, 0, 0, POSIX_FADV_DONTNEED);
    ::close(handle);
}

// Checks that the local header of entry index says what its central header says; the name and the
// bounds of the data are checked when the entry is read.
void CheckLocalHeader(TZipFile &zip, TStream &file, int index, const std::string &name)
{
    const TZipHeader central = zip.FileInfo(index);
    const TSizes centralSizes = SizesOf(central);
    std::uint8_t image[LOCAL_HEADER_SIZE];
    file.Seek(static_cast<std::int64_t>(zip.LocalHeaderPosition(index)), soBeginning);
    TZipFile::VerifyRead(file, image, LOCAL_HEADER_SIZE);
    TLittleEndianReader local(image, LOCAL_HEADER_SIZE, "Error reading zip file");
    if (local.U32() != SIGNATURE_LOCALHEADER)
        throw EZipException("Invalid zip file: damaged local header of " + name);
    local.Skip(2);
    const std::uint16_t flag = local.U16();
    const std::uint16_t method = local.U16();
    local.Skip(4);
    const std::uint32_t crc = local.U32();
    const std::uint32_t compressed = local.U32();
    const std::uint32_t uncompressed = local.U32();
    const std::uint16_t nameLength = local.U16();
    const std::uint16_t extraLength = local.U16();
    const auto differs = [&name](const char *what) {
        return EZipException(std::string("Invalid zip file: local header differs from central directory (") +
                             what + "): " + name);
    };
    if (method != central.CompressionMethod)
        throw differs("compression method");
    if ((flag & 1) != (central.Flag & 1))
        throw differs("encryption");
    // With flag bit 3 the CRC and sizes follow the data, and the local fields may hold zeros.
    if ((flag & 8) != 0)
        return;
    if (crc != central.CRC32)
        throw differs("CRC-32");
    TSizes localSizes{uncompressed, compressed};
    if (uncompressed == ZIP64_MARKER32 || compressed == ZIP64_MARKER32) {
        // A local ZIP64 item holds both sizes, uncompressed first.
        TBytes extra(extraLength);
        file.Seek(nameLength, soCurrent);
        TZipFile::VerifyRead(file, extra.data(), extraLength);
        TBytes zip64;
        if (!TZipExtraFields::FindData(extra, ZIP64_EXTRAFIELD_TAG, zip64) || zip64.size() < 16)
            throw differs("sizes");
        TLittleEndianReader item(zip64.data(), zip64.size(), "Invalid Zip ExtraField");
        localSizes.Uncompressed = item.U64();
        localSizes.Compressed = item.U64();
    }
    if (localSizes.Uncompressed != centralSizes.Uncompressed ||
        localSizes.Compressed != centralSizes.Compressed)
        throw differs("sizes");
}

// The state the checking threads share.
struct TShared
{
    std::atomic<int> Next{0};
    std::atomic<bool> Stop{false};
    std::atomic<bool> Interrupted{false};
    std::mutex Lock;
    int FaultIndex = std::numeric_limits<int>::max();
    std::string Fault;
    std::uint64_t CheckedEntries = 0;
    std::uint64_t UncompressedBytes = 0;
    std::uint64_t DoneBytes = 0;

    void Report(int index, const std::string &fault)
    {
        const std::lock_guard<std::mutex> guard(Lock);
        // Entries are taken in order, so every entry before a faulty one is checked as well: the lowest
        // index reported is the archive's first fault.
        if (index < FaultIndex) {
            FaultIndex = index;
            Fault = fault;
        }
        Stop = true;
    }
};

// One checking thread: its own file and archive object, taking entries until none is left.
void CheckEntries(const std::string &fileName, TShared &shared, std::uint64_t totalBytes,
                  const TZipVerifier::TProgress &progress, const TZipVerifier::TStopTest &stopTest)
{
    int index = -1;
    try {
        TFileStream file(fileName, fmOpenRead);
        TZipFile zip;
        zip.Open(file, zmRead);
        const int count = zip.FileCount();
        while (!shared.Stop) {
            if (stopTest && stopTest()) {
                shared.Interrupted = true;
                shared.Stop = true;
                break;
            }
            index = shared.Next++;
            if (index >= count)
                break;
            const std::string name = zip.FileName(index);
            CheckLocalHeader(zip, file, index, name);
            zip.Test(index);
            const TZipHeader header = zip.FileInfo(index);
            const TSizes sizes = SizesOf(header);
            const std::lock_guard<std::mutex> guard(shared.Lock);
            ++shared.CheckedEntries;
            shared.UncompressedBytes += sizes.Uncompressed;
            shared.DoneBytes += sizes.Compressed;
            if (progress)
                progress(shared.DoneBytes, totalBytes);
        }
    } catch (const std::exception &failure) {
        shared.Report(index < 0 ? -1 : index, failure.what());
    }
}

} // namespace

TZipVerification TZipVerifier::Verify(const std::string &zipFileName, unsigned threads,
                                      const TProgress &progress, const TStopTest &stopTest)
{
    TZipVerification result;
    DropCachedPages(zipFileName);
    std::uint64_t totalBytes = 0;
    try {
        // The end records and the central directory, read and checked once before the entries.
        TZipFile zip;
        zip.Open(zipFileName, zmRead);
        result.Entries = static_cast<std::uint64_t>(zip.FileCount());
        for (const TZipHeader &header : zip.FileInfos())
            totalBytes += SizesOf(header).Compressed;
    } catch (const std::exception &failure) {
        result.Fault = failure.what();
        return result;
    }

    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads =
        static_cast<unsigned>(std::min<std::uint64_t>(threads, std::max<std::uint64_t>(1, result.Entries)));
    TShared shared;
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        workers.emplace_back(CheckEntries, std::cref(zipFileName), std::ref(shared), totalBytes,
                             std::cref(progress), std::cref(stopTest));
    for (std::thread &worker : workers)
        worker.join();

    result.CheckedEntries = shared.CheckedEntries;
    result.UncompressedBytes = shared.UncompressedBytes;
    result.Fault = shared.Fault;
    result.Sound = shared.Fault.empty() && shared.CheckedEntries == result.Entries;
    result.Interrupted = shared.Interrupted && shared.Fault.empty() && !result.Sound;
    return result;
}
