#include "zip/ZipFileParts.h"

std::uint32_t Clamp32(std::uint64_t value)
{
    return value > ZIP64_MARKER32 ? ZIP64_MARKER32 : static_cast<std::uint32_t>(value);
}

TBytes CutComment(TBytes bytes)
{
    if (bytes.size() > MAX_COMMENT)
        bytes.resize(MAX_COMMENT);
    return bytes;
}
