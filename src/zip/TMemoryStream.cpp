#include "zip/TMemoryStream.h"

#include "zip/EStreamError.h"

#include <algorithm>
#include <cstring>
#include <utility>

TMemoryStream::TMemoryStream(TBytes bytes) : FBytes(std::move(bytes)) {}

std::int64_t TMemoryStream::Read(void *buffer, std::int64_t count)
{
    const std::int64_t available = std::max<std::int64_t>(0, Size() - FPosition);
    const std::int64_t done = std::clamp<std::int64_t>(count, 0, available);
    if (done > 0)
        std::memcpy(buffer, FBytes.data() + FPosition, static_cast<std::size_t>(done));
    FPosition += done;
    return done;
}

std::int64_t TMemoryStream::Write(const void *buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    if (FPosition + count > Size())
        FBytes.resize(static_cast<std::size_t>(FPosition + count));
    std::memcpy(FBytes.data() + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    FPosition = SeekTarget(offset, origin, FPosition);
    return FPosition;
}

void TMemoryStream::SetSize(std::int64_t size)
{
    FBytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
}
