#include "zip/TFileStream.h"

#include "zip/EStreamError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

TFileStream::TFileStream(const std::string &fileName, TFileStreamMode mode) : FFileName(fileName), FMode(mode)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case fmOpenRead:
        flags |= O_RDONLY | O_NONBLOCK;
        break;
    case fmOpenReadWrite:
        flags |= O_RDWR | O_NONBLOCK;
        break;
    case fmCreate:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    case fmCreateNew:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    // A created file is an archive of someone's files: its owner's alone, however wide the umask.
    do {
        FHandle = ::open(fileName.c_str(), flags, 0600);
    } while (FHandle < 0 && errno == EINTR);
    if (FHandle < 0)
        Fail(mode == fmCreate || mode == fmCreateNew ? "Cannot create file" : "Cannot open file");
    if (mode == fmOpenRead || mode == fmOpenReadWrite) {
        // Opened without waiting, so that a pipe with no writer at the name cannot hang the open;
        // reads and writes wait again as usual.
        ::fcntl(FHandle, F_SETFL, ::fcntl(FHandle, F_GETFL) & ~O_NONBLOCK);
    }
    if (mode == fmCreateNew) {
        // Another writer that finds the file locked leaves it alone (a run never deletes the archive that
        // another run is writing). Nobody else can hold this new file for longer than a glance.
        int locked;
        do {
            locked = ::flock(FHandle, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const int error = errno;
            ::close(FHandle);
            FHandle = -1;
            errno = error;
            Fail("Cannot lock file");
        }
    }
    if (mode == fmOpenRead)
        ::posix_fadvise(FHandle, 0, 0, POSIX_FADV_SEQUENTIAL);
}

TFileStream::~TFileStream()
{
    if (FHandle < 0)
        return;
    try {
        Flush();
    } catch (const std::exception &) {
        // Destructors cannot report; owners that care about the last bytes call Close() first.
    }
    ::close(FHandle);
}

void TFileStream::Fail(const std::string &what) const
{
    throw std::system_error(errno, std::generic_category(), what + " \"" + FFileName + "\"");
}

void TFileStream::WriteAt(std::int64_t position, const std::uint8_t *data, std::int64_t count)
{
    while (count > 0) {
        const ssize_t done = ::pwrite(FHandle, data, static_cast<std::size_t>(count), position);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = ENOSPC;
            Fail("Cannot write file");
        }
        data += done;
        position += done;
        count -= done;
    }
}

void TFileStream::Flush()
{
    if (FBufferLength == 0)
        return;
    // Forget the buffer first: after a failed write its bytes must not be written again later.
    const std::int64_t length = FBufferLength;
    FBufferLength = 0;
    WriteAt(FBufferStart, FBuffer.get(), length);
}

std::int64_t TFileStream::Read(void *buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    Flush();
    for (;;) {
        const ssize_t done = ::pread(FHandle, buffer, static_cast<std::size_t>(count), FPosition);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            Fail("Cannot read file");
        FPosition += done;
        return done;
    }
}

std::int64_t TFileStream::Write(const void *buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    const auto *data = static_cast<const std::uint8_t *>(buffer);
    const std::int64_t end = FPosition + count;
    if (FBufferLength > 0) {
        const std::int64_t bufferEnd = FBufferStart + FBufferLength;
        if (FPosition >= FBufferStart && FPosition <= bufferEnd && end - FBufferStart <= BUFFER_CAPACITY) {
            std::memcpy(FBuffer.get() + (FPosition - FBufferStart), data, static_cast<std::size_t>(count));
            FBufferLength = std::max(FBufferLength, end - FBufferStart);
            FPosition = end;
            return count;
        }
        // A patch of bytes before the buffered range (a local header completed after its data).
        if (end <= FBufferStart) {
            WriteAt(FPosition, data, count);
            FPosition = end;
            return count;
        }
        Flush();
    }
    if (count >= BUFFER_CAPACITY) {
        WriteAt(FPosition, data, count);
    } else {
        if (!FBuffer)
            FBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(BUFFER_CAPACITY);
        std::memcpy(FBuffer.get(), data, static_cast<std::size_t>(count));
        FBufferStart = FPosition;
        FBufferLength = count;
    }
    FPosition = end;
    return count;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    FPosition = SeekTarget(offset, origin, FPosition);
    return FPosition;
}

std::int64_t TFileStream::Size()
{
    struct stat status
    {
    };
    if (::fstat(FHandle, &status) != 0)
        Fail("Cannot read the size of file");
    const std::int64_t onDisk = status.st_size;
    return FBufferLength > 0 ? std::max(onDisk, FBufferStart + FBufferLength) : onDisk;
}

bool TFileStream::IsSpecialFile() const
{
    struct stat status
    {
    };
    return ::fstat(FHandle, &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

void TFileStream::SetSize(std::int64_t size)
{
    Flush();
    if (::ftruncate(FHandle, size) != 0)
        Fail("Cannot set the size of file");
}

void TFileStream::Close()
{
    if (FHandle < 0)
        return;
    const int handle = FHandle;
    try {
        Flush();
        if (FMode == fmCreateNew) {
            CheckStillNamed();
            // A file that is renamed into place after closing must not reach its name before its bytes.
            if (::fsync(handle) != 0)
                Fail("Cannot write file");
        }
    } catch (...) {
        FHandle = -1;
        ::close(handle);
        throw;
    }
    FHandle = -1;
    if (::close(handle) != 0 && errno != EINTR)
        Fail("Cannot close file");
}

void TFileStream::CheckStillNamed() const
{
    // A file deleted or replaced while it was written is complete in vain: nobody will ever find it.
    struct stat own = {};
    struct stat named = {};
    if (::fstat(FHandle, &own) != 0)
        Fail("Cannot read the status of file");
    if (own.st_nlink == 0 || ::stat(FFileName.c_str(), &named) != 0 || named.st_dev != own.st_dev ||
        named.st_ino != own.st_ino) {
        errno = ENOENT;
        Fail("File was deleted or replaced while it was written");
    }
}

void TFileStream::Abandon() noexcept
{
    FBufferLength = 0;
    if (FHandle < 0)
        return;
    // The file is given up as incomplete: a failure to close it changes nothing.
    ::close(FHandle);
    FHandle = -1;
}
