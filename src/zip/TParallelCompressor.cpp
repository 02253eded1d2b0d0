#include "zip/TParallelCompressor.h"

#include "zip/ESourceError.h"
#include "zip/EZipException.h"
#include "zip/LongPath.h"
#include "zip/TChunkDeflater.h"
#include "zip/TZlibDeflater.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr std::size_t NOT_KNOWN = static_cast<std::size_t>(-1);
// How many files past the one it waits for the reader gets before it wakes the writer.
constexpr std::size_t WRITER_WAKE_AHEAD = 32;
// Only destroying the compressor wakes a waiting writer without its file being ready.
constexpr const char *STOPPED = "Compression stopped";

// The outcome of one piece's compression: empty until a compressor thread has filled it.
struct TPieceSlot
{
    bool Ready = false;
    std::string Error; // "Compression failed: <reason>" when compressing the piece failed
    TCompressedPiece Piece;
};

// Reads up to count bytes at the file's position, retrying interrupted and partial reads; the number
// read is smaller than count only at the end of the file; -1 on a read error.
std::int64_t ReadFully(int handle, std::uint8_t *buffer, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t result = ::read(handle, buffer + done, count - done);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (result == 0)
            break;
        done += static_cast<std::size_t>(result);
    }
    return static_cast<std::int64_t>(done);
}

// The system's text for an error number, as strerror gives it, but safe in any thread.
std::string SystemReason(int error)
{
    return std::generic_category().message(error);
}

// Closes a file descriptor when it goes out of scope.
class TFileHandle
{
  public:
    explicit TFileHandle(int handle) : FHandle(handle) {}
    ~TFileHandle()
    {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    TFileHandle(const TFileHandle &) = delete;
    TFileHandle &operator=(const TFileHandle &) = delete;
    int Get() const { return FHandle; }

  private:
    int FHandle;
};

// The deflaters of one compressor thread, each made on first use, inside the handling of a piece: one
// that cannot be made fails the pieces, never the thread.
struct TDeflaters
{
    int Level = 6;
    std::size_t ZlibUpTo = 0;
    std::optional<TZlibDeflater> SmallFiles;
    std::optional<TChunkDeflater> Pieces;

    TChunkDeflater &Libdeflate()
    {
        if (!Pieces)
            Pieces.emplace(Level);
        return *Pieces;
    }
    TZlibDeflater &Zlib()
    {
        if (!SmallFiles)
            SmallFiles.emplace();
        return *SmallFiles;
    }
};

// Compresses one piece into result, which holds the failure's text when compressing fails. Every piece
// and every file is deflated once, by libdeflate; only a whole file of at most ZlibUpTo bytes gets
// zlib's very stream instead, where that costs next to nothing and keeps small entries byte for byte
// what the one-thread writer makes.
void CompressPiece(const std::uint8_t *data, std::size_t size, bool wholeFile, bool last,
                   TDeflaters &deflaters, TPieceSlot &result)
{
    result.Ready = true;
    try {
        result.Piece.SourceBytes = size;
        result.Piece.CRC32 = static_cast<std::uint32_t>(crc32_z(crc32(0, nullptr, 0), data, size));
        if (wholeFile && size <= deflaters.ZlibUpTo)
            deflaters.Zlib().Compress(data, size, result.Piece.Data);
        else
            deflaters.Libdeflate().Compress(data, size, last, result.Piece.Data);
    } catch (const EZipException &error) {
        result.Error = error.what();
    } catch (const std::bad_alloc &) {
        result.Error = "Compression failed: out of memory";
    } catch (const std::exception &error) {
        result.Error = std::string("Compression failed: ") + error.what();
    }
}

} // namespace

struct TParallelCompressor::TFile
{
    std::size_t Index = 0;
    bool Opened = false;
    bool OpenFailed = false;
    std::string Error;
    struct stat Status = {};             // of the open file; set before Opened, never changed after
    std::size_t PiecesTotal = NOT_KNOWN; // known when the whole file has been read
    bool ReadFailed = false;             // reading stopped early; PiecesTotal pieces are good
    std::string ReadError;               // why reading stopped early
    int ErrorNumber = 0;                 // errno of a failed open or read; 0 when not the system's
    bool Released = false;               // the writer has moved past this file
    bool Reading = true;                 // the reader thread still works on this file
    std::size_t JobsPending = 0;         // pieces read or being read, not yet compressed
    std::deque<TPieceSlot> Pieces;
    std::size_t Consumed = 0;
};

// One compressor's task: a piece of a large file, or a batch of whole small files.
struct TParallelCompressor::TJob
{
    struct TItem
    {
        TFile *File = nullptr; // null once the writer gave up on the file before it was compressed
        std::size_t Sequence = 0;
        std::size_t Offset = 0; // where the piece's bytes start in Data
        std::size_t Size = 0;
        bool Last = false;
    };

    std::vector<TItem> Items;
    // The items' source bytes one after another, as read: never zero-filled first, since reading
    // overwrites them all.
    std::unique_ptr<std::uint8_t[]> Data;
    std::size_t Size = 0;
};

// The writer's view of the file it is archiving.
class TParallelCompressor::TEntryView : public TCompressedEntry
{
  public:
    TEntryView(TParallelCompressor &owner, TFile &file) : FOwner(owner), FFile(file) {}

    const std::string &SourceName() const override { return FOwner.FFileNames[FFile.Index]; }

    bool WaitOpened(std::string &error) override
    {
        std::unique_lock lock(FOwner.FMutex);
        Wait(lock, [this] { return FFile.Opened || FFile.OpenFailed; });
        if (FFile.Opened)
            return true;
        if (!FFile.OpenFailed)
            FOwner.ThrowHalted();
        error = FFile.Error;
        return false;
    }

    // Written before Opened was set under the lock that WaitOpened took: read without it.
    const struct stat &SourceStatus() const override { return FFile.Status; }

    int ErrorNumber() const override
    {
        std::lock_guard lock(FOwner.FMutex);
        return FFile.ErrorNumber;
    }

    std::uint64_t SourceSize() const override { return static_cast<std::uint64_t>(FFile.Status.st_size); }

    bool NextPiece(TCompressedPiece &piece) override
    {
        std::unique_lock lock(FOwner.FMutex);
        const std::size_t wanted = FFile.Consumed;
        const auto ended = [this, wanted] {
            return FFile.PiecesTotal != NOT_KNOWN && wanted >= FFile.PiecesTotal;
        };
        Wait(lock, [this, wanted, &ended] {
            return (wanted < FFile.Pieces.size() && FFile.Pieces[wanted].Ready) || ended();
        });
        if (ended()) {
            if (FFile.ReadFailed)
                throw ESourceError("Stream read error: " + SourceName() + ": " + FFile.ReadError);
            return false;
        }
        // A piece compressed before a thread failed is still delivered.
        if (FOwner.FStopping || !(wanted < FFile.Pieces.size() && FFile.Pieces[wanted].Ready))
            FOwner.ThrowHalted();
        TPieceSlot &slot = FFile.Pieces[wanted];
        if (!slot.Error.empty())
            throw EZipException(slot.Error);
        piece = std::move(slot.Piece);
        slot.Piece = {};
        ++FFile.Consumed;
        FOwner.FBytesAhead -= piece.SourceBytes;
        FOwner.BudgetFreed();
        return true;
    }

    TFile &File() { return FFile; }

  private:
    // Waits until ready() or the compressor stops; only a change to this file wakes the writer.
    template <typename TReady> void Wait(std::unique_lock<std::mutex> &lock, TReady ready)
    {
        if (ready() || FOwner.Halted())
            return;
        FOwner.FWriterWaitsOn = &FFile;
        FOwner.FWriter.wait(lock, [this, &ready] { return FOwner.Halted() || ready(); });
        FOwner.FWriterWaitsOn = nullptr;
    }

    TParallelCompressor &FOwner;
    TFile &FFile;
};

void TParallelCompressor::DropReleasedFiles()
{
    // Files leave in list order, once the writer is past them and no compressor holds a piece of theirs.
    while (!FFiles.empty() && FFiles.front()->Released && !FFiles.front()->Reading &&
           FFiles.front()->JobsPending == 0)
        FFiles.pop_front();
}

void TParallelCompressor::WakeWaitingWriter()
{
    if (FWriterWantsIndex != NOT_KNOWN)
        FWriter.notify_one();
}

void TParallelCompressor::WakeWriterFor(const TFile &file)
{
    if (FWriterWaitsOn == &file)
        FWriter.notify_one();
}

bool TParallelCompressor::BudgetAllows(std::size_t files, std::size_t bytes, std::size_t quarters) const
{
    // A piece larger than the whole budget still goes when nothing else is ahead.
    const std::size_t fileLimit = std::max<std::size_t>(1, FOptions.MaxFilesAhead * quarters / 4);
    const std::size_t byteLimit = FOptions.MaxBytesAhead * quarters / 4;
    return FUnreleasedFiles + files <= fileLimit && (FBytesAhead + bytes <= byteLimit || FBytesAhead == 0);
}

void TParallelCompressor::BudgetFreed()
{
    // A reader that ran out of budget resumes only once a quarter of it is free again, so that it is
    // not woken for every file the writer takes.
    if (FReaderWaiting && BudgetAllows(FReaderWantsFiles, FReaderWantsBytes, 3))
        FReader.notify_one();
}

TParallelCompressor::TParallelCompressor(std::vector<std::string> fileNames)
    : TParallelCompressor(std::move(fileNames), TOptions())
{
}

TParallelCompressor::TParallelCompressor(std::vector<std::string> fileNames, const TOptions &options)
    : FOptions(options), FFileNames(std::move(fileNames))
{
    unsigned threads = FOptions.Threads != 0 ? FOptions.Threads : std::thread::hardware_concurrency();
    if (threads == 0)
        threads = 1;
    try {
        FThreads.emplace_back(&TParallelCompressor::ReadFiles, this);
        for (unsigned i = 0; i < threads; ++i)
            FThreads.emplace_back(&TParallelCompressor::Compress, this);
    } catch (...) {
        {
            std::lock_guard lock(FMutex);
            FStopping = true;
        }
        WakeEveryone();
        for (std::thread &thread : FThreads)
            thread.join();
        throw;
    }
}

TParallelCompressor::~TParallelCompressor()
{
    {
        std::lock_guard lock(FMutex);
        FStopping = true;
    }
    WakeEveryone();
    for (std::thread &thread : FThreads)
        thread.join();
}

void TParallelCompressor::WakeEveryone()
{
    FWork.notify_all();
    FWriter.notify_all();
    FReader.notify_all();
}

void TParallelCompressor::SetPaused(bool paused)
{
    {
        std::lock_guard lock(FMutex);
        FPaused = paused;
    }
    FWork.notify_all();
}

TCompressedEntry &TParallelCompressor::Next()
{
    std::unique_lock lock(FMutex);
    if (FCurrent) {
        // Release the previous file: its pieces that were never taken give their budget back now,
        // or, while a compressor still works on them, when it finishes.
        TFile &previous = FCurrent->File();
        FCurrent.reset();
        previous.Released = true;
        --FUnreleasedFiles;
        for (std::size_t i = previous.Consumed; i < previous.Pieces.size(); ++i) {
            TPieceSlot &slot = previous.Pieces[i];
            if (slot.Ready) {
                FBytesAhead -= slot.Piece.SourceBytes;
                slot.Piece = {};
            }
        }
        DropReleasedFiles();
        BudgetFreed();
    }
    if (FNextFile >= FFileNames.size())
        throw std::out_of_range("TParallelCompressor::Next: no more files");
    const std::size_t index = FNextFile++;
    const auto pushed = [this, index] { return !FFiles.empty() && FFiles.back()->Index >= index; };
    if (!pushed()) {
        // Woken only once the reader is some files past the one wanted (or cannot get there), so that
        // a writer as fast as the reader does not sleep and wake for every small file.
        FWriterWantsIndex = std::min(index + WRITER_WAKE_AHEAD, FFileNames.size() - 1);
        FWriter.wait(lock, [this, &pushed] { return Halted() || pushed(); });
        FWriterWantsIndex = NOT_KNOWN;
    }
    // Released files whose last jobs were still running sit in front of the one wanted.
    for (const std::unique_ptr<TFile> &file : FFiles) {
        if (file->Index == index) {
            FCurrent = std::make_unique<TEntryView>(*this, *file);
            return *FCurrent;
        }
    }
    ThrowHalted();
}

bool TParallelCompressor::Halted() const
{
    return FStopping || !FFailure.empty();
}

void TParallelCompressor::ThrowHalted() const
{
    throw EZipException(FFailure.empty() ? std::string(STOPPED) : FFailure);
}

void TParallelCompressor::Fail(const std::exception &error) noexcept
{
    try {
        const bool outOfMemory = dynamic_cast<const std::bad_alloc *>(&error) != nullptr;
        std::string text = outOfMemory ? std::string("Compression failed: out of memory")
                                       : std::string("Compression failed: ") + error.what();
        std::lock_guard lock(FMutex);
        if (FFailure.empty())
            FFailure = std::move(text);
    } catch (...) {
        // Not even the text could be made: the failure still halts the writer, in fewer words.
        std::lock_guard lock(FMutex);
        if (FFailure.empty())
            FFailure.assign(STOPPED);
    }
    FWriter.notify_all();
}

bool TParallelCompressor::WaitForBudget(std::unique_lock<std::mutex> &lock, std::size_t files,
                                        std::size_t bytes, TJob &batch)
{
    if (FStopping)
        return false;
    if (BudgetAllows(files, bytes, 4))
        return true;
    // The files gathered so far may be the very ones the writer needs to free the budget, and a writer
    // waiting for files further ahead gets the ones there are.
    Submit(batch);
    WakeWaitingWriter();
    FReaderWaiting = true;
    FReaderWantsFiles = files;
    FReaderWantsBytes = bytes;
    FReader.wait(lock, [this, files, bytes] { return FStopping || BudgetAllows(files, bytes, 3); });
    FReaderWaiting = false;
    return !FStopping;
}

void TParallelCompressor::Submit(TJob &batch)
{
    if (batch.Items.empty())
        return;
    FJobs.push_back(std::move(batch));
    batch = TJob();
    FWork.notify_one();
}

void TParallelCompressor::ReadFiles()
{
    // No exception leaves the thread: a failure here reaches the writer, and the run's report, as the
    // failure of the files not yet read.
    try {
        ReadAllFiles();
    } catch (const std::exception &error) {
        Fail(error);
    }
}

void TParallelCompressor::ReadAllFiles()
{
    if (FOptions.InjectFault == TFaultPoint::Reader)
        throw std::bad_alloc();
    // Small files are gathered here and go to a compressor together.
    TJob batch;
    for (std::size_t index = 0; index < FFileNames.size(); ++index) {
        TFile *file = nullptr;
        {
            std::unique_lock lock(FMutex);
            if (!WaitForBudget(lock, 1, 0, batch))
                return;
            FFiles.push_back(std::make_unique<TFile>());
            file = FFiles.back().get();
            file->Index = index;
            ++FUnreleasedFiles;
            if (FWriterWantsIndex != NOT_KNOWN && index >= FWriterWantsIndex)
                FWriter.notify_one();
        }
        if (!ReadFile(*file, batch))
            return;
    }
    std::lock_guard lock(FMutex);
    Submit(batch);
}

bool TParallelCompressor::ReadFile(TFile &file, TJob &batch)
{
    // O_NONBLOCK: a FIFO or device put in a file's place must not block the open; the one status of
    // the open descriptor then refuses it before anything is read. Regular files ignore the flag.
    const TFileHandle handle(OpenLongPath(FFileNames[file.Index], O_RDONLY | O_NONBLOCK));
    struct stat status = {};
    const bool opened = handle.Get() >= 0 && ::fstat(handle.Get(), &status) == 0;
    if (!opened || !S_ISREG(status.st_mode)) {
        const int error = opened ? 0 : errno;
        const std::string reason = opened ? "Not a regular file" : SystemReason(error);
        std::lock_guard lock(FMutex);
        file.OpenFailed = true;
        file.Error = reason;
        file.ErrorNumber = error;
        file.PiecesTotal = 0;
        file.Reading = false;
        WakeWriterFor(file);
        DropReleasedFiles();
        return true;
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size <= FOptions.PieceSize && size <= FOptions.BatchBytes)
        return ReadSmallFile(file, handle.Get(), status, batch);
    return ReadLargeFile(file, handle.Get(), status, batch);
}

bool TParallelCompressor::ReadSmallFile(TFile &file, int handle, const struct stat &status, TJob &batch)
{
    const auto size = static_cast<std::size_t>(status.st_size);
    {
        std::unique_lock lock(FMutex);
        if (batch.Items.size() >= FOptions.BatchFiles || batch.Size + size > FOptions.BatchBytes)
            Submit(batch);
        if (!WaitForBudget(lock, 0, size, batch))
            return false;
        // The file's place in the batch holds it until the batch is compressed.
        file.Opened = true;
        file.Status = status;
        file.PiecesTotal = 1;
        file.Pieces.emplace_back();
        ++file.JobsPending;
        file.Reading = false;
        FBytesAhead += size;
        WakeWriterFor(file);
    }
    if (!batch.Data)
        batch.Data = std::make_unique_for_overwrite<std::uint8_t[]>(FOptions.BatchBytes);
    // Exactly the size found at opening is archived: a file that grows meanwhile is cut there, one
    // that shrinks cannot be read to its size and fails.
    const std::int64_t read = ReadFully(handle, batch.Data.get() + batch.Size, size);
    if (read != static_cast<std::int64_t>(size)) {
        const int error = read < 0 ? errno : 0;
        const std::string reason = read < 0 ? SystemReason(error) : "shrank while it was read";
        std::lock_guard lock(FMutex);
        file.ReadFailed = true;
        file.ReadError = reason;
        file.ErrorNumber = error;
        file.PiecesTotal = 0;
        --file.JobsPending;
        FBytesAhead -= size;
        WakeWriterFor(file);
        DropReleasedFiles();
        return true;
    }
    batch.Items.push_back({&file, 0, batch.Size, size, true});
    batch.Size += size;
    return true;
}

bool TParallelCompressor::ReadLargeFile(TFile &file, int handle, const struct stat &status, TJob &batch)
{
    {
        std::lock_guard lock(FMutex);
        // The small files before this one go first; reading this one takes a while.
        Submit(batch);
        WakeWaitingWriter();
        file.Opened = true;
        file.Status = status;
        WakeWriterFor(file);
    }
    ::posix_fadvise(handle, 0, 0, POSIX_FADV_SEQUENTIAL);

    // Exactly the size found at opening is archived: a file that grows meanwhile is cut there,
    // one that shrinks cannot be read to its size and fails.
    auto remaining = static_cast<std::uint64_t>(status.st_size);
    std::size_t sequence = 0;
    std::int64_t read = 0;
    std::size_t length = 0;
    do {
        length = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, FOptions.PieceSize));
        {
            std::unique_lock lock(FMutex);
            if (!WaitForBudget(lock, 0, length, batch))
                return false;
            if (file.Released)
                break;
            FBytesAhead += length;
        }
        TJob job;
        job.Data = std::make_unique_for_overwrite<std::uint8_t[]>(length);
        job.Size = length;
        read = ReadFully(handle, job.Data.get(), length);
        const int error = read < 0 ? errno : 0;
        const std::string reason = read < 0 ? SystemReason(error) : "shrank while it was read";
        std::lock_guard lock(FMutex);
        if (read != static_cast<std::int64_t>(length) || file.Released) {
            FBytesAhead -= length;
            file.ReadFailed = read != static_cast<std::int64_t>(length);
            if (file.ReadFailed) {
                file.ReadError = reason;
                file.ErrorNumber = error;
            }
            break;
        }
        remaining -= length;
        job.Items.push_back({&file, sequence, 0, length, remaining == 0});
        file.Pieces.emplace_back();
        ++file.JobsPending;
        ++sequence;
        Submit(job);
    } while (remaining > 0);
    std::lock_guard lock(FMutex);
    file.PiecesTotal = sequence;
    file.Reading = false;
    WakeWriterFor(file);
    DropReleasedFiles();
    return true;
}

void TParallelCompressor::Compress()
{
    // No exception leaves the thread: a failure outside the compression of a piece (which fails only
    // that piece) halts the writer with its text.
    try {
        CompressJobs();
    } catch (const std::exception &error) {
        Fail(error);
    }
}

void TParallelCompressor::CompressJobs()
{
    TDeflaters deflaters;
    deflaters.Level = FOptions.Level;
    deflaters.ZlibUpTo = FOptions.ZlibUpTo;
    std::vector<TPieceSlot> results;
    for (;;) {
        TJob job;
        {
            std::unique_lock lock(FMutex);
            FWork.wait(lock, [this] { return FStopping || (!FPaused && !FJobs.empty()); });
            if (FStopping)
                return;
            job = std::move(FJobs.front());
            FJobs.pop_front();
            // Files the writer gave up on are dropped unread.
            bool freed = false;
            for (TJob::TItem &item : job.Items) {
                if (item.File->Released) {
                    FBytesAhead -= item.Size;
                    --item.File->JobsPending;
                    item.File = nullptr;
                    freed = true;
                }
            }
            if (freed) {
                DropReleasedFiles();
                BudgetFreed();
            }
        }

        if (FOptions.InjectFault == TFaultPoint::Compressor)
            throw std::bad_alloc();
        results.clear();
        results.resize(job.Items.size());
        for (std::size_t i = 0; i < job.Items.size(); ++i) {
            const TJob::TItem &item = job.Items[i];
            if (item.File != nullptr)
                CompressPiece(job.Data.get() + item.Offset, item.Size, item.Sequence == 0 && item.Last,
                              item.Last, deflaters, results[i]);
        }

        // One wake for the writer per job, however many files it held.
        std::lock_guard lock(FMutex);
        bool freed = false;
        for (std::size_t i = 0; i < job.Items.size(); ++i) {
            const TJob::TItem &item = job.Items[i];
            if (item.File == nullptr)
                continue;
            TFile &file = *item.File;
            --file.JobsPending;
            if (file.Released) {
                FBytesAhead -= item.Size;
                freed = true;
            } else {
                file.Pieces[item.Sequence] = std::move(results[i]);
                WakeWriterFor(file);
            }
        }
        if (freed) {
            DropReleasedFiles();
            BudgetFreed();
        }
    }
}
