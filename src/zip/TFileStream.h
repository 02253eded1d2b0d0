#pragma once

#include "zip/TStream.h"

#include <memory>
#include <string>

// How a file stream opens its file.
enum TFileStreamMode {
    fmOpenRead,      // an existing file, read only
    fmOpenReadWrite, // an existing file, read and write
    fmCreate,        // created, or truncated when it exists; read and write
    fmCreateNew      // created only when the name is free, and locked (flock) against other writers until
                     // closed; read and write. Closing fails when the file lost its name meanwhile, and
                     // returns only once the file's content is on the disk (fsync)
};

// A file on disk; a file it creates gets mode 0600 (the umask can only narrow it). Small writes are gathered
// in a 1 MiB buffer (a patch before the buffered range goes straight to the file), so headers and short
// entries do not each cost a system call.
class TFileStream : public TStream
{
  public:
    // Opens or creates the file; failure raises std::system_error naming the file.
    TFileStream(const std::string &fileName, TFileStreamMode mode);
    // Writes buffered bytes (a failure there can no longer be reported: call Close first) and closes.
    ~TFileStream() override;

    std::int64_t Read(void *buffer, std::int64_t count) override;
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;
    void SetSize(std::int64_t size) override;
    void Flush() override;

    // Writes buffered bytes and closes the file, raising std::system_error when either fails.
    void Close();
    // Closes the file without writing anything more: bytes still buffered are dropped.
    void Abandon() noexcept;
    // True when the open file is a pipe, socket or device: neither a regular file nor a folder.
    bool IsSpecialFile() const;
    // The name the stream was opened with.
    const std::string &FileName() const { return FFileName; }

  private:
    void WriteAt(std::int64_t position, const std::uint8_t *data, std::int64_t count);
    void CheckStillNamed() const;
    [[noreturn]] void Fail(const std::string &what) const;

    static constexpr std::int64_t BUFFER_CAPACITY = 1 << 20;

    std::string FFileName;
    TFileStreamMode FMode;
    int FHandle = -1;
    std::int64_t FPosition = 0;
    std::unique_ptr<std::uint8_t[]> FBuffer;
    std::int64_t FBufferStart = 0;
    std::int64_t FBufferLength = 0;
};
