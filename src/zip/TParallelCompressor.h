#pragma once

#include "zip/ZipTypes.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct stat;

// One piece of an entry's deflated data, ready to be written: a part of the raw deflate stream that
// joins with the pieces before and after it, with the CRC-32 and length of the source bytes it holds.
struct TCompressedPiece
{
    TBytes Data;
    std::uint64_t SourceBytes = 0;
    std::uint32_t CRC32 = 0;
};

// The deflated data of one file, delivered piece by piece in order as the compressor threads finish.
class TCompressedEntry
{
  public:
    virtual ~TCompressedEntry() = default;
    // The file's name as it was given to the compressor.
    virtual const std::string &SourceName() const = 0;
    // Waits until the file has been opened; false, with the system's reason, when it could not be.
    virtual bool WaitOpened(std::string &error) = 0;
    // The status (fstat) of the file as it was opened, valid once WaitOpened has returned true: its
    // size, time and attributes belong to the very file archived, even if the name is reused since.
    virtual const struct stat &SourceStatus() const = 0;
    // The system's error number (errno) of the failure WaitOpened or NextPiece reported; 0 when there
    // was none, or when it was not the system's (a file that shrank, or is no longer a regular file).
    virtual int ErrorNumber() const { return 0; }
    // The file's size when it was opened (SourceStatus's st_size): exactly this many bytes are archived.
    virtual std::uint64_t SourceSize() const = 0;
    // Waits for the next piece; false after the last one. Raises ESourceError "Stream read error:
    // <file>: <reason>" when the file could not be read to its size (it shrank, or the device
    // failed), and EZipException "Compression failed: <reason>" when compressing it failed.
    virtual bool NextPiece(TCompressedPiece &piece) = 0;
};

// Reads a list of files in order and deflates them on every core, ahead of the archive writer:
// large files in pieces compressed in parallel, small files several at a time, each piece and file
// deflated once (the smallest files by zlib, exactly as the one-thread writer does). The writer takes the
// files back in list order with Next(). Memory stays bounded: reading waits while too much data is ahead of
// the writer. Destroying the compressor stops all of its threads; nothing it holds is ever written anywhere
// but to the pieces it hands out.
class TParallelCompressor
{
  public:
    // Where a test makes a thread fail as an allocation would.
    enum class TFaultPoint { None, Reader, Compressor };

    struct TOptions
    {
        unsigned Threads = 0; // compressor threads; 0 = one per core
        // Source bytes per piece of a large file: each piece starts without history, so larger pieces
        // compress better; 4 MiB loses about 0.1% against one stream.
        std::size_t PieceSize = 4u << 20;
        std::size_t MaxBytesAhead = 32u << 20; // source bytes read but not yet taken by the writer
        std::size_t MaxFilesAhead = 8192;      // files opened but not yet taken by the writer
        // libdeflate's level for every piece and every file above ZlibUpTo. On the benchmark corpus on
        // two cores, level 6 keeps the archive and every kind of file in it smaller than Info-ZIP's
        // zip -6 makes them, at under half its processor time; level 7 saves another 0.2% for 15% more
        // time, which misses that. Text of only a few words repeated at random is its worst case: about
        // 10% larger than zlib's longer match search makes it.
        int Level = 6;
        // A file of at most this many bytes is deflated by zlib with the archive's settings instead:
        // exactly the bytes the one-thread writer makes (the empty file's 03 00, "hello"), where zlib
        // costs next to nothing and libdeflate makes tiny files about 2% larger.
        std::size_t ZlibUpTo = 256;
        // Small files go to a compressor thread together, up to this many files or source bytes at a
        // time, so that threads are woken per batch rather than per file.
        std::size_t BatchFiles = 64;
        std::size_t BatchBytes = 256u << 10;
        // For tests only: raises std::bad_alloc in that thread, at its start or its first job.
        TFaultPoint InjectFault = TFaultPoint::None;
    };

    // Starts reading and compressing the files, in the given order.
    explicit TParallelCompressor(std::vector<std::string> fileNames);
    TParallelCompressor(std::vector<std::string> fileNames, const TOptions &options);
    // Stops reading and compressing and waits for the threads.
    ~TParallelCompressor();
    TParallelCompressor(const TParallelCompressor &) = delete;
    TParallelCompressor &operator=(const TParallelCompressor &) = delete;

    // The next file of the list; each file is handed out once, in order. The entry stays valid
    // until the next call of Next() or the compressor's destruction.
    TCompressedEntry &Next();
    // While paused, no new piece is compressed (pieces already begun are finished); reading goes on
    // within its memory budget.
    void SetPaused(bool paused);

  private:
    struct TFile;
    struct TJob;
    class TEntryView;

    void ReadFiles();
    void ReadAllFiles();
    // Each returns false when the compressor stops.
    bool ReadFile(TFile &file, TJob &batch);
    bool ReadSmallFile(TFile &file, int handle, const struct stat &status, TJob &batch);
    bool ReadLargeFile(TFile &file, int handle, const struct stat &status, TJob &batch);
    bool WaitForBudget(std::unique_lock<std::mutex> &lock, std::size_t files, std::size_t bytes, TJob &batch);
    bool BudgetAllows(std::size_t files, std::size_t bytes, std::size_t quarters) const;
    void BudgetFreed();
    void Submit(TJob &job);
    void Compress();
    void CompressJobs();
    // Records a thread's failure (the first one counts) and wakes the writer to report it.
    void Fail(const std::exception &error) noexcept;
    // Whether the writer must stop waiting: the compressor stops, or one of its threads failed.
    bool Halted() const;
    // Raises EZipException with the failure's text, or "Compression stopped".
    [[noreturn]] void ThrowHalted() const;
    void DropReleasedFiles();
    void WakeWriterFor(const TFile &file);
    // Wakes a writer that waits for files to be pushed: the reader is about to stop pushing for a while.
    void WakeWaitingWriter();
    void WakeEveryone();

    const TOptions FOptions;
    std::vector<std::string> FFileNames;
    // Every member below is guarded by FMutex. Each condition wakes only the thread it names, and only
    // when what that thread waits for has come.
    std::mutex FMutex;
    std::condition_variable FWork;             // compressors: jobs queued, pause lifted, or stopping
    std::condition_variable FWriter;           // the writer: its file pushed, opened, or a piece done
    std::condition_variable FReader;           // the reader: budget freed
    std::deque<std::unique_ptr<TFile>> FFiles; // read or being read, not yet released by the writer
    std::deque<TJob> FJobs;
    std::size_t FNextFile = 0; // index of the file Next() hands out next
    std::size_t FBytesAhead = 0;
    std::size_t FUnreleasedFiles = 0;
    std::size_t FWriterWantsIndex = static_cast<std::size_t>(-1); // Next() waits to be woken at this file
    const TFile *FWriterWaitsOn = nullptr;                        // the entry waits for this file
    bool FReaderWaiting = false;
    std::size_t FReaderWantsFiles = 0;
    std::size_t FReaderWantsBytes = 0;
    bool FPaused = false;
    bool FStopping = false;
    std::string FFailure; // "Compression failed: <reason>" once a thread failed
    std::unique_ptr<TEntryView> FCurrent;
    std::vector<std::thread> FThreads;
};
