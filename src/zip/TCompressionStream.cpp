#include "zip/TCompressionStream.h"

#include "zip/EStreamError.h"

std::int64_t TCompressionStream::Read(void *, std::int64_t)
{
    throw EStreamError("Invalid stream operation");
}

void TCompressionStream::DoProgress(std::int64_t position)
{
    if (FOnProgress)
        FOnProgress(position);
}
