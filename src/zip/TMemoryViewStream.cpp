#include "zip/TMemoryViewStream.h"

#include "zip/EStreamError.h"

#include <algorithm>
#include <cstring>

std::int64_t TMemoryViewStream::Read(void *buffer, std::int64_t count)
{
    const std::int64_t available = std::max<std::int64_t>(0, Size() - FPosition);
    const std::int64_t done = std::clamp<std::int64_t>(count, 0, available);
    if (done > 0)
        std::memcpy(buffer, FData + FPosition, static_cast<std::size_t>(done));
    FPosition += done;
    return done;
}

std::int64_t TMemoryViewStream::Write(const void *, std::int64_t)
{
    throw EStreamError("Stream write error");
}

std::int64_t TMemoryViewStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    FPosition = SeekTarget(offset, origin, FPosition);
    return FPosition;
}
