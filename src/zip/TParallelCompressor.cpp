#include "zip/TParallelCompressor.h"

#include "zip/ESourceError.h"
#include "zip/EZipException.h"
#include "zip/TChunkDeflater.h"

#include <zlib.h>

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
    bool Released = false;               // the writer has moved past this file
    bool Reading = true;                 // the reader thread still works on this file
    std::size_t JobsPending = 0;         // pieces queued or being compressed
    std::deque<TPieceSlot> Pieces;
    std::size_t Consumed = 0;
};

struct TParallelCompressor::TJob
{
    TFile *File = nullptr;
    std::size_t Sequence = 0;
    // Source bytes as read: never zero-filled first, since reading overwrites them all.
    std::unique_ptr<std::uint8_t[]> Data;
    std::size_t Size = 0;
    bool Last = false;
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
        FOwner.FWriter.wait(lock, [this] { return FFile.Opened || FFile.OpenFailed || FOwner.FStopping; });
        if (FFile.Opened)
            return true;
        if (!FFile.OpenFailed)
            throw EZipException(STOPPED);
        error = FFile.Error;
        return false;
    }

    // Written before Opened was set under the lock that WaitOpened took: read without it.
    const struct stat &SourceStatus() const override { return FFile.Status; }

    std::uint64_t SourceSize() const override { return static_cast<std::uint64_t>(FFile.Status.st_size); }

    bool NextPiece(TCompressedPiece &piece) override
    {
        std::unique_lock lock(FOwner.FMutex);
        const std::size_t wanted = FFile.Consumed;
        FOwner.FWriter.wait(lock, [this, wanted] {
            return FOwner.FStopping || (wanted < FFile.Pieces.size() && FFile.Pieces[wanted].Ready) ||
                   (FFile.PiecesTotal != NOT_KNOWN && wanted >= FFile.PiecesTotal);
        });
        if (FFile.PiecesTotal != NOT_KNOWN && wanted >= FFile.PiecesTotal) {
            if (FFile.ReadFailed)
                throw ESourceError("Stream read error: " + SourceName() + ": " + FFile.ReadError);
            return false;
        }
        if (FOwner.FStopping)
            throw EZipException(STOPPED);
        TPieceSlot &slot = FFile.Pieces[wanted];
        if (!slot.Error.empty())
            throw EZipException(slot.Error);
        piece = std::move(slot.Piece);
        slot.Piece = {};
        ++FFile.Consumed;
        FOwner.FBytesAhead -= piece.SourceBytes;
        FOwner.FReader.notify_one();
        return true;
    }

  private:
  public:
    TFile &File() { return FFile; }

  private:
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
        FReader.notify_one();
    }
    if (FNextFile >= FFileNames.size())
        throw std::out_of_range("TParallelCompressor::Next: no more files");
    const std::size_t index = FNextFile++;
    FWriter.wait(lock,
                 [this, index] { return FStopping || (!FFiles.empty() && FFiles.back()->Index >= index); });
    // Released files whose last jobs were still running sit in front of the one wanted.
    for (const std::unique_ptr<TFile> &file : FFiles) {
        if (file->Index == index) {
            FCurrent = std::make_unique<TEntryView>(*this, *file);
            return *FCurrent;
        }
    }
    throw EZipException(STOPPED);
}

bool TParallelCompressor::WaitForBudget(std::size_t files, std::size_t bytes)
{
    std::unique_lock lock(FMutex);
    FReader.wait(lock, [this, files, bytes] {
        if (FStopping)
            return true;
        // A piece larger than the whole budget still goes when nothing else is ahead.
        return FUnreleasedFiles + files <= FOptions.MaxFilesAhead &&
               (FBytesAhead + bytes <= FOptions.MaxBytesAhead || FBytesAhead == 0);
    });
    return !FStopping;
}

void TParallelCompressor::ReadFiles()
{
    for (std::size_t index = 0; index < FFileNames.size(); ++index) {
        if (!WaitForBudget(1, 0))
            return;
        TFile *file = nullptr;
        {
            std::lock_guard lock(FMutex);
            FFiles.push_back(std::make_unique<TFile>());
            file = FFiles.back().get();
            file->Index = index;
            ++FUnreleasedFiles;
        }
        FWriter.notify_one();
        ReadFile(*file);
        std::lock_guard lock(FMutex);
        file->Reading = false;
        DropReleasedFiles();
    }
}

void TParallelCompressor::ReadFile(TFile &file)
{
    // O_NONBLOCK: a FIFO or device put in a file's place must not block the open; the one status of
    // the open descriptor then refuses it before anything is read. Regular files ignore the flag.
    const TFileHandle handle(::open(FFileNames[file.Index].c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status = {};
    const bool opened = handle.Get() >= 0 && ::fstat(handle.Get(), &status) == 0;
    if (!opened || !S_ISREG(status.st_mode)) {
        const std::string reason = opened ? "Not a regular file" : SystemReason(errno);
        std::lock_guard lock(FMutex);
        file.OpenFailed = true;
        file.Error = reason;
        file.PiecesTotal = 0;
        FWriter.notify_one();
        return;
    }
    ::posix_fadvise(handle.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const std::uint64_t size = static_cast<std::uint64_t>(status.st_size);
    {
        std::lock_guard lock(FMutex);
        file.Opened = true;
        file.Status = status;
    }
    FWriter.notify_one();

    // Exactly the size found at opening is archived: a file that grows meanwhile is cut there,
    // one that shrinks cannot be read to its size and fails.
    std::uint64_t remaining = size;
    std::size_t sequence = 0;
    do {
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>(remaining, FOptions.PieceSize));
        if (!WaitForBudget(0, length))
            return;
        TJob job;
        job.File = &file;
        job.Sequence = sequence;
        job.Data = std::make_unique_for_overwrite<std::uint8_t[]>(length);
        job.Size = length;
        const std::int64_t read = ReadFully(handle.Get(), job.Data.get(), length);
        const std::string reason = read < 0 ? SystemReason(errno) : "shrank while it was read";
        std::lock_guard lock(FMutex);
        if (read != static_cast<std::int64_t>(length) || file.Released) {
            file.ReadFailed = read != static_cast<std::int64_t>(length);
            if (file.ReadFailed)
                file.ReadError = reason;
            file.PiecesTotal = sequence;
            FWriter.notify_one();
            return;
        }
        remaining -= length;
        job.Last = remaining == 0;
        FBytesAhead += length;
        file.Pieces.emplace_back();
        ++file.JobsPending;
        FJobs.push_back(std::move(job));
        ++sequence;
        FWork.notify_one();
    } while (remaining > 0);
    std::lock_guard lock(FMutex);
    file.PiecesTotal = sequence;
    FWriter.notify_one();
}

void TParallelCompressor::Compress()
{
    // Made on the first piece, inside the handling below: a compressor that cannot be made fails the
    // pieces, never the thread.
    std::optional<TChunkDeflater> deflater;
    for (;;) {
        TJob job;
        {
            std::unique_lock lock(FMutex);
            FWork.wait(lock, [this] { return FStopping || (!FPaused && !FJobs.empty()); });
            if (FStopping)
                return;
            job = std::move(FJobs.front());
            FJobs.pop_front();
            if (job.File->Released) {
                // The writer gave up on this file: drop the piece unread.
                FBytesAhead -= job.Size;
                --job.File->JobsPending;
                DropReleasedFiles();
                FReader.notify_one();
                continue;
            }
        }

        TPieceSlot result;
        try {
            result.Piece.SourceBytes = job.Size;
            result.Piece.CRC32 =
                static_cast<std::uint32_t>(crc32_z(crc32(0, nullptr, 0), job.Data.get(), job.Size));
            if (TChunkDeflater::LooksIncompressible(job.Data.get(), job.Size)) {
                TChunkDeflater::Store(job.Data.get(), job.Size, job.Last, result.Piece.Data);
            } else {
                if (!deflater)
                    deflater.emplace(FOptions.Level);
                deflater->Compress(job.Data.get(), job.Size, job.Last, result.Piece.Data);
            }
        } catch (const EZipException &error) {
            result.Error = error.what();
        } catch (const std::bad_alloc &) {
            result.Error = "Compression failed: out of memory";
        } catch (const std::exception &error) {
            result.Error = std::string("Compression failed: ") + error.what();
        }
        result.Ready = true;

        std::lock_guard lock(FMutex);
        TFile &file = *job.File;
        --file.JobsPending;
        if (file.Released) {
            FBytesAhead -= job.Size;
            DropReleasedFiles();
            FReader.notify_one();
        } else {
            file.Pieces[job.Sequence] = std::move(result);
            FWriter.notify_one();
        }
    }
}
