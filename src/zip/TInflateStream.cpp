#include "zip/TInflateStream.h"

#include "zip/EStreamError.h"
#include "zip/EZipException.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace {

constexpr std::size_t INPUT_BUFFER_SIZE = 1 << 16;

} // namespace

void TInflateStream::TZStreamDeleter::operator()(z_stream_s *stream) const
{
    inflateEnd(stream);
    delete stream;
}

TInflateStream::TInflateStream(TStream &source, std::uint64_t compressedSize)
    : FSource(source), FRemainingInput(compressedSize),
      FInput(std::make_unique_for_overwrite<std::uint8_t[]>(INPUT_BUFFER_SIZE))
{
    auto stream = std::make_unique<z_stream>();
    // windowBits -15: raw deflate data as ZIP entries hold it.
    if (inflateInit2(stream.get(), -15) != Z_OK)
        throw EZipException("Cannot start inflate");
    FZStream.reset(stream.release());
}

TInflateStream::~TInflateStream() = default;

std::int64_t TInflateStream::Read(void *buffer, std::int64_t count)
{
    if (FFinished || count <= 0)
        return 0;
    FZStream->next_out = static_cast<Bytef *>(buffer);
    FZStream->avail_out = static_cast<uInt>(std::min<std::int64_t>(count, std::numeric_limits<uInt>::max()));
    const uInt asked = FZStream->avail_out;
    while (FZStream->avail_out > 0 && !FFinished) {
        if (FZStream->avail_in == 0 && FRemainingInput > 0) {
            const auto piece =
                static_cast<std::int64_t>(std::min<std::uint64_t>(FRemainingInput, INPUT_BUFFER_SIZE));
            FSource.ReadBuffer(FInput.get(), piece);
            FRemainingInput -= static_cast<std::uint64_t>(piece);
            FZStream->next_in = FInput.get();
            FZStream->avail_in = static_cast<uInt>(piece);
        }
        const int result = inflate(FZStream.get(), Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            FFinished = true;
        } else if (result == Z_BUF_ERROR && FZStream->avail_in == 0 && FRemainingInput == 0) {
            throw EZipException("Compressed data ends early");
        } else if (result != Z_OK && result != Z_BUF_ERROR) {
            throw EZipException("Compressed data is damaged");
        }
    }
    return static_cast<std::int64_t>(asked - FZStream->avail_out);
}

std::int64_t TInflateStream::Write(const void *, std::int64_t)
{
    throw EStreamError("Invalid stream operation");
}

std::int64_t TInflateStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    if (offset != 0 || origin != soCurrent)
        throw EStreamError("Invalid stream operation");
    return static_cast<std::int64_t>(FZStream->total_out);
}
