#include "zip/TZipVerifier.h"

#include "zip/EZipException.h"
#include "zip/EZipUncheckable.h"
#include "zip/TCompressionRegistry.h"
#include "zip/TLittleEndianReader.h"
#include "zip/TZipExtraFields.h"
#include "zip/TZipFile.h"
#include "zip/ZipFileParts.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Each checking thread reads the archive through a window of this size: a run of entries that lie one
// after the other is taken by one thread and read in one go, so the disk sees long sequential reads.
constexpr std::size_t WINDOW_SIZE = 4u << 20;
// The most entries one thread takes at a time, so that archives of tiny entries still spread over
// the threads.
constexpr std::size_t RUN_ENTRIES = 1024;
// Deflated entries stream through zlib in pieces of this size; an entry whose packed bytes fit the
// window and whose unpacked bytes fit this is read with its neighbours, a larger one alone.
constexpr std::size_t WHOLE_ENTRY_LIMIT = 4u << 20;

// Drops the file's cached pages, so that the reads below come from the disk. Every open here is
// non-blocking: a pipe put in the archive's place must be refused, not waited on.
void DropCachedPages(const std::string &fileName)
{
    const int handle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (handle < 0)
        return; // opening it for the check fails next, with its reason
    ::posix_fadvise(handle, 0, 0, POSIX_FADV_DONTNEED);
    ::close(handle);
}

// What the checking threads need of one entry, taken from the central directory once and shared.
struct TPlannedEntry
{
    std::uint64_t Header = 0;    // where its local header begins
    std::uint64_t DataLimit = 0; // where its data must end at the latest
    std::uint64_t Compressed = 0;
    std::uint64_t Uncompressed = 0;
    std::uint32_t Crc = 0;
    std::uint16_t Method = 0;
    std::uint16_t Flag = 0;
    std::uint16_t RequiredVersion = 0;
    bool Folder = false;
    std::size_t NameStart = 0; // its name's bytes in TPlan::Names
    std::size_t NameLength = 0;
    bool Large = false; // read in pieces rather than whole; checked on its own, ahead of the runs
};

struct TPlan
{
    std::vector<TPlannedEntry> Entries;
    TBytes Names;
    std::uint64_t CompressedBytes = 0;
    // The large entries, largest first: one of them can take a thread longer than all the small ones
    // together, so they start first and the small ones fill the other threads meanwhile.
    std::vector<std::size_t> Large;
};

TPlan PlanOf(const TZipFile &zip)
{
    TPlan plan;
    const int count = zip.FileCount();
    plan.Entries.reserve(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
        const TZipHeader header = zip.FileInfo(index);
        TPlannedEntry entry;
        entry.Header = zip.LocalHeaderPosition(index);
        entry.DataLimit = zip.EntryDataLimit(index);
        entry.Compressed = header.GetZIP64_CompressedSize();
        entry.Uncompressed = header.GetZIP64_UncompressedSize();
        entry.Crc = header.CRC32;
        entry.Method = header.CompressionMethod;
        entry.Flag = header.Flag;
        entry.RequiredVersion = header.RequiredVersion;
        entry.Folder = header.IsFolder();
        entry.NameStart = plan.Names.size();
        entry.NameLength = header.FileName.size();
        plan.Names.insert(plan.Names.end(), header.FileName.begin(), header.FileName.end());
        plan.CompressedBytes += entry.Compressed;
        entry.Large = entry.DataLimit - entry.Header > WINDOW_SIZE || entry.Uncompressed > WHOLE_ENTRY_LIMIT;
        if (entry.Large)
            plan.Large.push_back(plan.Entries.size());
        plan.Entries.push_back(entry);
    }
    std::stable_sort(plan.Large.begin(), plan.Large.end(), [&plan](std::size_t a, std::size_t b) {
        return plan.Entries[a].Uncompressed > plan.Entries[b].Uncompressed;
    });
    return plan;
}

// Reads from the disk go straight into a window aligned for that: offsets and lengths in whole blocks.
constexpr std::size_t DIRECT_ALIGNMENT = 4096;

struct TFreeDeleter
{
    void operator()(std::uint8_t *memory) const { std::free(memory); }
};

// The archive file read through a window: a request the window holds costs no system call; one it
// does not hold loads the window from there on, as far as the caller said it will read. Where the file
// system allows, it reads with O_DIRECT: from the disk into the window, without a copy in the page
// cache.
class TWindowReader
{
  public:
    explicit TWindowReader(const std::string &fileName) : FFileName(fileName)
    {
        do {
            FHandle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECT | O_NONBLOCK);
        } while (FHandle < 0 && errno == EINTR);
        if (FHandle < 0 && errno == EINVAL) {
            FDirect = false;
            do {
                FHandle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            } while (FHandle < 0 && errno == EINTR);
        }
        if (FHandle < 0)
            Fail("Cannot open file");
        if (!FDirect)
            ::posix_fadvise(FHandle, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    ~TWindowReader() { ::close(FHandle); }
    TWindowReader(const TWindowReader &) = delete;
    TWindowReader &operator=(const TWindowReader &) = delete;

    // The length bytes at offset (length at most WINDOW_SIZE); until is where the caller's reading
    // ends, so that one load serves the requests up to there.
    const std::uint8_t *Bytes(std::uint64_t offset, std::size_t length, std::uint64_t until)
    {
        if (!Holds(offset, length)) {
            const std::uint64_t ahead = until > offset ? until - offset : 0;
            Load(offset, length,
                 static_cast<std::size_t>(std::clamp<std::uint64_t>(ahead, length, WINDOW_SIZE)));
        }
        return FWindow.get() + (offset - FStart);
    }

    // Up to length bytes at offset, at least one: what the window holds from there, loaded first
    // when it holds nothing.
    std::pair<const std::uint8_t *, std::size_t> Piece(std::uint64_t offset, std::uint64_t length)
    {
        if (!Holds(offset, 1)) {
            const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(length, WINDOW_SIZE));
            Load(offset, wanted, wanted);
        }
        const std::uint64_t held = FStart + FLength - offset;
        return {FWindow.get() + (offset - FStart), static_cast<std::size_t>(std::min(held, length))};
    }

  private:
    bool Holds(std::uint64_t offset, std::size_t length) const
    {
        return offset >= FStart && offset - FStart <= FLength && length <= FLength - (offset - FStart);
    }

    // Reads wanted bytes at offset into the window (from the block before it, for O_DIRECT); fewer
    // than required is a damaged archive.
    void Load(std::uint64_t offset, std::size_t required, std::size_t wanted)
    {
        if (!FWindow) {
            FWindow.reset(static_cast<std::uint8_t *>(
                std::aligned_alloc(DIRECT_ALIGNMENT, WINDOW_SIZE + 2 * DIRECT_ALIGNMENT)));
            if (!FWindow)
                throw EZipException("Out of memory");
        }
        std::size_t lead = 0;
        std::size_t length = wanted;
        if (FDirect) {
            lead = static_cast<std::size_t>(offset % DIRECT_ALIGNMENT);
            length = (lead + wanted + DIRECT_ALIGNMENT - 1) / DIRECT_ALIGNMENT * DIRECT_ALIGNMENT;
        }
        FStart = offset - lead;
        FLength = 0;
        while (FLength < length) {
            const ssize_t done = ::pread(FHandle, FWindow.get() + FLength, length - FLength,
                                         static_cast<off_t>(FStart + FLength));
            if (done < 0 && errno == EINTR)
                continue;
            if (done < 0 && errno == EINVAL && FDirect) {
                // A file system that takes O_DIRECT at open but not for this read: read through the cache.
                FDirect = false;
                ::fcntl(FHandle, F_SETFL, ::fcntl(FHandle, F_GETFL) & ~O_DIRECT);
                continue;
            }
            if (done < 0)
                Fail("Cannot read file");
            if (done == 0)
                break;
            FLength += static_cast<std::size_t>(done);
        }
        if (FLength < lead + required)
            throw EZipException("Error reading zip file");
    }

    [[noreturn]] void Fail(const std::string &what) const
    {
        throw std::system_error(errno, std::generic_category(), what + " \"" + FFileName + "\"");
    }

    std::string FFileName;
    int FHandle = -1;
    bool FDirect = true;
    std::unique_ptr<std::uint8_t, TFreeDeleter> FWindow;
    std::uint64_t FStart = 0;
    std::size_t FLength = 0;
};

struct TZStreamDeleter
{
    void operator()(z_stream *stream) const
    {
        inflateEnd(stream);
        delete stream;
    }
};

// Checks entries one at a time: the local header against the central one, then the data inflated with
// its size and CRC-32. One per thread; the archive object and the plan are shared read only.
class TEntryChecker
{
  public:
    TEntryChecker(const std::string &fileName, const TZipFile &zip, const TPlan &plan)
        : FFileName(fileName), FZip(zip), FPlan(plan), FReader(fileName)
    {
    }

    // Checks entry index; until is where the run of entries it belongs to ends in the file. A fault
    // raises EZipException naming the entry; an entry that cannot be checked returns why, naming it.
    std::string Check(std::size_t index, std::uint64_t until)
    {
        const TPlannedEntry &entry = FPlan.Entries[index];
        const std::uint64_t dataStart = CheckLocalHeader(index, until);
        // A folder of an old Windows archiver may name a method and hold no data at all.
        if (entry.Folder && entry.Compressed == 0 && entry.Uncompressed == 0)
            return {};
        const bool encrypted = (entry.Flag & 1) != 0;
        if (encrypted && !TZipFile::CanDecrypt())
            return "Encrypted: cannot be checked without the password: " + Name(index);
        if ((entry.Method != zcStored && entry.Method != zcDeflate) || encrypted) {
            if (!CanDecompress(entry.Method))
                return "Cannot be checked: method " + std::to_string(entry.Method) + ": " + Name(index);
            // Other methods and encrypted entries go through the archive's registered decompressors, on
            // an archive object of this thread's own (read at the first such entry).
            if (!FFallback) {
                FFallback = std::make_unique<TZipFile>();
                FFallback->Open(FFileName, zmRead);
            }
            try {
                FFallback->Test(static_cast<int>(index));
            } catch (const EZipUncheckable &reason) {
                return reason.what() + std::string(": ") + Name(index);
            }
            return {};
        }
        std::uint32_t crc = 0;
        std::uint64_t produced = 0;
        if (entry.Method == zcStored) {
            if (entry.Compressed != entry.Uncompressed)
                Fail(index, "Size mismatch in zip entry: ");
            for (std::uint64_t done = 0; done < entry.Compressed;) {
                const auto [data, length] = FReader.Piece(dataStart + done, entry.Compressed - done);
                crc = static_cast<std::uint32_t>(libdeflate_crc32(crc, data, length));
                done += length;
            }
            produced = entry.Compressed;
        } else {
            // zlib, as unzip and 7-Zip do, refuses a code the data use but the block never assigned;
            // libdeflate reads such data without a word, so it cannot be the judge of them.
            produced = InflatePieces(index, dataStart, crc);
        }
        if (produced != entry.Uncompressed)
            Fail(index, "Size mismatch in zip entry: ");
        if (crc != entry.Crc)
            Fail(index, "CRC-32 mismatch in zip entry: ");
        return {};
    }

  private:
    std::string Name(std::size_t index) const { return FZip.FileName(static_cast<int>(index)); }

    [[noreturn]] void Fail(std::size_t index, const std::string &what) const
    {
        throw EZipException(what + Name(index));
    }

    static bool CanDecompress(std::uint16_t method)
    {
        try {
            TCompressionRegistry::FindDecompressor(method);
            return true;
        } catch (const EZipException &) {
            return false;
        }
    }

    // Checks that the local header of entry index says what its central header says, that it carries the
    // same name and that its data end before the next entry; returns where the data begin.
    std::uint64_t CheckLocalHeader(std::size_t index, std::uint64_t until)
    {
        const TPlannedEntry &central = FPlan.Entries[index];
        TLittleEndianReader local(FReader.Bytes(central.Header, LOCAL_HEADER_SIZE, until), LOCAL_HEADER_SIZE,
                                  "Error reading zip file");
        if (local.U32() != SIGNATURE_LOCALHEADER)
            Fail(index, "Invalid zip file: damaged local header of ");
        local.Skip(2);
        const std::uint16_t flag = local.U16();
        const std::uint16_t method = local.U16();
        local.Skip(4);
        const std::uint32_t crc = local.U32();
        const std::uint32_t compressed = local.U32();
        const std::uint32_t uncompressed = local.U32();
        const std::uint16_t nameLength = local.U16();
        const std::uint16_t extraLength = local.U16();
        const auto differs = [&](const char *what) {
            Fail(index, std::string("Invalid zip file: local header differs from central directory (") +
                            what + "): ");
        };
        if (method != central.Method)
            differs("compression method");
        if ((flag & 1) != (central.Flag & 1))
            differs("encryption");
        // Sizes after the data (bit 3) and enhanced deflating (bit 4) decide how the data are read.
        if ((flag & 0x18) != (central.Flag & 0x18))
            differs("flags");
        // The low byte is the version of the format the entry needs; none above 6.3 exists.
        if ((central.RequiredVersion & 0xFF) > 63)
            Fail(index, "Invalid zip file: unknown version needed to extract (" +
                            std::to_string((central.RequiredVersion & 0xFF) / 10) + "." +
                            std::to_string((central.RequiredVersion & 0xFF) % 10) + "): ");
        const std::uint64_t nameStart = central.Header + LOCAL_HEADER_SIZE;
        const std::uint8_t *names = FReader.Bytes(nameStart, std::size_t{nameLength} + extraLength, until);
        // With flag bit 3 the CRC and sizes follow the data, and the local fields may hold zeros.
        if ((flag & 8) == 0) {
            if (crc != central.Crc)
                differs("CRC-32");
            std::uint64_t localUncompressed = uncompressed;
            std::uint64_t localCompressed = compressed;
            if (uncompressed == ZIP64_MARKER32 || compressed == ZIP64_MARKER32) {
                // A local ZIP64 item holds both sizes, uncompressed first.
                const TBytes extra(names + nameLength, names + nameLength + extraLength);
                TBytes zip64;
                if (!TZipExtraFields::FindData(extra, ZIP64_EXTRAFIELD_TAG, zip64) || zip64.size() < 16)
                    differs("sizes");
                TLittleEndianReader item(zip64.data(), zip64.size(), "Invalid Zip ExtraField");
                localUncompressed = item.U64();
                localCompressed = item.U64();
            }
            if (localUncompressed != central.Uncompressed || localCompressed != central.Compressed)
                differs("sizes");
        }
        // A local name other than the listed one would extract something else than was checked.
        if ((nameLength != central.NameLength ||
             !std::equal(names, names + nameLength,
                         FPlan.Names.begin() + static_cast<std::ptrdiff_t>(central.NameStart))) &&
            !FZip.IsLocalNameOf(static_cast<int>(index), TBytes(names, names + nameLength),
                                TBytes(names + nameLength, names + nameLength + extraLength), flag))
            Fail(index, "Invalid zip file: local name differs from central name: ");
        const std::uint64_t dataStart = nameStart + nameLength + extraLength;
        if (dataStart > central.DataLimit || central.Compressed > central.DataLimit - dataStart)
            Fail(index, "Invalid zip file: overlapping entries: ");
        return dataStart;
    }

    // Inflates a deflated entry with zlib, reading and inflating in pieces; returns the bytes produced
    // (one more than expected at the most) and their CRC-32.
    std::uint64_t InflatePieces(std::size_t index, std::uint64_t dataStart, std::uint32_t &crc)
    {
        const TPlannedEntry &entry = FPlan.Entries[index];
        if (!FZStream) {
            auto stream = std::make_unique<z_stream>();
            // windowBits -15: raw deflate data as ZIP entries hold it.
            if (inflateInit2(stream.get(), -15) != Z_OK)
                throw EZipException("Cannot start inflate");
            FZStream.reset(stream.release());
        } else if (inflateReset(FZStream.get()) != Z_OK) {
            throw EZipException("Cannot start inflate");
        }
        z_stream &stream = *FZStream;
        stream.avail_in = 0;
        std::uint64_t position = dataStart;
        std::uint64_t remainingInput = entry.Compressed;
        std::uint64_t produced = 0;
        crc = 0;
        // One byte more than expected is enough to see that the entry is too long.
        while (produced <= entry.Uncompressed) {
            if (stream.avail_in == 0 && remainingInput > 0) {
                const auto [data, length] = FReader.Piece(position, remainingInput);
                stream.next_in = const_cast<Bytef *>(data);
                stream.avail_in = static_cast<uInt>(length);
                position += length;
                remainingInput -= length;
            }
            stream.next_out = Output();
            stream.avail_out = static_cast<uInt>(
                std::min<std::uint64_t>(entry.Uncompressed - produced + 1, WHOLE_ENTRY_LIMIT));
            const uInt asked = stream.avail_out;
            const int result = inflate(&stream, Z_NO_FLUSH);
            const uInt done = asked - stream.avail_out;
            crc = static_cast<std::uint32_t>(libdeflate_crc32(crc, Output(), done));
            produced += done;
            if (result == Z_STREAM_END)
                break;
            if (result == Z_BUF_ERROR && stream.avail_in == 0 && remainingInput == 0)
                Fail(index, "Compressed data ends early: ");
            if (result != Z_OK && result != Z_BUF_ERROR)
                Fail(index, "Compressed data is damaged: ");
        }
        return produced;
    }

    std::uint8_t *Output()
    {
        if (!FOutput)
            FOutput = std::make_unique_for_overwrite<std::uint8_t[]>(WHOLE_ENTRY_LIMIT);
        return FOutput.get();
    }

    const std::string &FFileName;
    const TZipFile &FZip;
    const TPlan &FPlan;
    TWindowReader FReader;
    std::unique_ptr<std::uint8_t[]> FOutput;
    std::unique_ptr<z_stream, TZStreamDeleter> FZStream;
    std::unique_ptr<TZipFile> FFallback;
};

// The state the checking threads share.
struct TShared
{
    explicit TShared(const TPlan &plan) : Plan(plan) {}

    const TPlan &Plan;
    std::atomic<bool> Interrupted{false};
    // The lowest entry found faulty; entries after it need no check.
    std::atomic<std::size_t> FaultIndex{std::numeric_limits<std::size_t>::max()};
    std::mutex Lock;
    std::size_t NextLarge = 0; // the first of Plan.Large no thread has taken
    std::size_t Next = 0;      // the first entry no thread has taken in order
    std::string Fault;
    TZipFault FaultReason;
    // The lowest entry that could not be checked, and why.
    std::size_t UncheckedIndex = std::numeric_limits<std::size_t>::max();
    std::string Unchecked;
    std::uint64_t UncheckedEntries = 0;
    std::uint64_t CheckedEntries = 0;
    std::uint64_t UncompressedBytes = 0;
    std::uint64_t DoneBytes = 0;

    // Takes the next work [first, last): a large entry alone while any is left, then runs of consecutive
    // entries that lie one after the other in the file within one window; until is where the work ends
    // in the file. Whatever comes after a fault is left.
    bool Take(std::size_t &first, std::size_t &last, std::uint64_t &until)
    {
        const std::lock_guard<std::mutex> guard(Lock);
        if (Interrupted)
            return false;
        const std::vector<TPlannedEntry> &entries = Plan.Entries;
        while (NextLarge < Plan.Large.size()) {
            first = Plan.Large[NextLarge++];
            if (first < FaultIndex) {
                last = first + 1;
                until = entries[first].DataLimit;
                return true;
            }
        }
        while (Next < entries.size() && entries[Next].Large)
            ++Next;
        if (Next >= entries.size() || Next >= FaultIndex)
            return false;
        first = Next;
        last = first + 1;
        const std::uint64_t start = entries[first].Header;
        while (last < entries.size() && last - first < RUN_ENTRIES && !entries[last].Large &&
               entries[last].Header == entries[last - 1].DataLimit &&
               entries[last].DataLimit - start <= WINDOW_SIZE)
            ++last;
        until = entries[last - 1].DataLimit;
        Next = last;
        return true;
    }

    void Report(std::size_t index, const std::exception &failure)
    {
        const std::lock_guard<std::mutex> guard(Lock);
        // Every entry before a faulty one is still checked: the lowest index reported is the archive's
        // first fault.
        if (index < FaultIndex) {
            FaultIndex = index;
            Fault = failure.what();
            FaultReason = TZipFault::Of(failure);
        }
    }
};

// One checking thread: takes runs of entries until none is left, a fault lies before them, or the
// stop test says so.
void CheckEntries(const std::string &fileName, const TZipFile &zip, TShared &shared,
                  const TZipVerifier::TProgress &progress, const TZipVerifier::TStopTest &stopTest)
{
    std::size_t index = 0;
    try {
        TEntryChecker checker(fileName, zip, shared.Plan);
        std::size_t first = 0;
        std::size_t last = 0;
        std::uint64_t until = 0;
        while (shared.Take(first, last, until)) {
            for (index = first; index < last && index < shared.FaultIndex; ++index) {
                if (stopTest && stopTest()) {
                    shared.Interrupted = true;
                    return;
                }
                if (shared.Interrupted)
                    return;
                const std::string unchecked = checker.Check(index, until);
                const TPlannedEntry &entry = shared.Plan.Entries[index];
                const std::lock_guard<std::mutex> guard(shared.Lock);
                if (unchecked.empty()) {
                    ++shared.CheckedEntries;
                    shared.UncompressedBytes += entry.Uncompressed;
                } else {
                    ++shared.UncheckedEntries;
                    if (index < shared.UncheckedIndex) {
                        shared.UncheckedIndex = index;
                        shared.Unchecked = unchecked;
                    }
                }
                shared.DoneBytes += entry.Compressed;
                if (progress)
                    progress(shared.DoneBytes, shared.Plan.CompressedBytes);
            }
        }
    } catch (const std::exception &failure) {
        shared.Report(index, failure);
    }
}

} // namespace

TZipVerification TZipVerifier::Verify(const std::string &zipFileName, unsigned threads,
                                      const TProgress &progress, const TStopTest &stopTest)
{
    TZipVerification result;
    DropCachedPages(zipFileName);
    // The end records and the central directory, read and checked once; the threads share them.
    TZipFile zip;
    TPlan plan;
    try {
        zip.Open(zipFileName, zmRead);
        plan = PlanOf(zip);
    } catch (const std::exception &failure) {
        result.Fault = failure.what();
        result.FaultReason = TZipFault::Of(failure);
        return result;
    }
    result.Entries = plan.Entries.size();

    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads =
        static_cast<unsigned>(std::min<std::uint64_t>(threads, std::max<std::uint64_t>(1, result.Entries)));
    TShared shared(plan);
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        workers.emplace_back(CheckEntries, std::cref(zipFileName), std::cref(zip), std::ref(shared),
                             std::cref(progress), std::cref(stopTest));
    for (std::thread &worker : workers)
        worker.join();

    result.CheckedEntries = shared.CheckedEntries;
    result.UncompressedBytes = shared.UncompressedBytes;
    result.Fault = shared.Fault;
    result.FaultReason = shared.FaultReason;
    result.Sound = shared.Fault.empty() && shared.CheckedEntries == result.Entries;
    result.Interrupted = shared.Interrupted && shared.Fault.empty() && !result.Sound;
    if (shared.Fault.empty()) {
        result.UncheckedEntries = shared.UncheckedEntries;
        result.Unchecked = shared.Unchecked;
        result.UncheckedReason = TZipFault::FromText(shared.Unchecked);
    }
    return result;
}
