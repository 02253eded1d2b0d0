#include "zip/TStream.h"

#include "zip/EStreamError.h"

std::int64_t TStream::Size()
{
    const std::int64_t position = Seek(0, soCurrent);
    const std::int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetSize(std::int64_t)
{
    throw EStreamError("Stream does not support resizing");
}

void TStream::ReadBuffer(void *buffer, std::int64_t count)
{
    auto *target = static_cast<char *>(buffer);
    while (count > 0) {
        const std::int64_t done = Read(target, count);
        if (done <= 0)
            throw EStreamError("Stream read error");
        target += done;
        count -= done;
    }
}

void TStream::WriteBuffer(const void *buffer, std::int64_t count)
{
    const auto *source = static_cast<const char *>(buffer);
    while (count > 0) {
        const std::int64_t done = Write(source, count);
        if (done <= 0)
            throw EStreamError("Stream write error");
        source += done;
        count -= done;
    }
}

std::int64_t TStream::SeekTarget(std::int64_t offset, TSeekOrigin origin, std::int64_t current)
{
    const std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? current : Size();
    if (base + offset < 0)
        throw EStreamError("Invalid stream position");
    return base + offset;
}
