#include "zip/TBzip2DecompressStream.h"

#include "zip/EStreamError.h"
#include "zip/EZipException.h"

#include <bzlib.h>

#include <algorithm>
#include <limits>

namespace {

constexpr std::size_t INPUT_BUFFER_SIZE = 1 << 16;

} // namespace

struct TBzip2DecompressStream::TDecoder
{
    bz_stream Stream{};
    TDecoder() = default;
    ~TDecoder() { BZ2_bzDecompressEnd(&Stream); }
    TDecoder(const TDecoder &) = delete;
    TDecoder &operator=(const TDecoder &) = delete;
};

TBzip2DecompressStream::TBzip2DecompressStream(TStream &source, std::uint64_t compressedSize)
    : FSource(source), FRemainingInput(compressedSize),
      FInput(std::make_unique_for_overwrite<std::uint8_t[]>(INPUT_BUFFER_SIZE))
{
    auto decoder = std::make_unique<TDecoder>();
    if (BZ2_bzDecompressInit(&decoder->Stream, 0, 0) != BZ_OK)
        throw EZipException("Cannot start bzip2 decompression");
    FDecoder = std::move(decoder);
}

TBzip2DecompressStream::~TBzip2DecompressStream() = default;

std::int64_t TBzip2DecompressStream::Read(void *buffer, std::int64_t count)
{
    if (FFinished || count <= 0)
        return 0;
    bz_stream &stream = FDecoder->Stream;
    stream.next_out = static_cast<char *>(buffer);
    stream.avail_out =
        static_cast<unsigned>(std::min<std::int64_t>(count, std::numeric_limits<unsigned>::max()));
    const unsigned asked = stream.avail_out;
    while (stream.avail_out > 0 && !FFinished) {
        if (stream.avail_in == 0) {
            if (FRemainingInput == 0)
                throw EZipException("Compressed data ends early");
            const auto piece =
                static_cast<std::int64_t>(std::min<std::uint64_t>(FRemainingInput, INPUT_BUFFER_SIZE));
            FSource.ReadBuffer(FInput.get(), piece);
            FRemainingInput -= static_cast<std::uint64_t>(piece);
            stream.next_in = reinterpret_cast<char *>(FInput.get());
            stream.avail_in = static_cast<unsigned>(piece);
        }
        const int result = BZ2_bzDecompress(&stream);
        if (result == BZ_STREAM_END)
            FFinished = true;
        else if (result != BZ_OK)
            throw EZipException("Compressed data is damaged");
    }
    const unsigned done = asked - stream.avail_out;
    FProduced += done;
    return static_cast<std::int64_t>(done);
}

std::int64_t TBzip2DecompressStream::Write(const void *, std::int64_t)
{
    throw EStreamError("Invalid stream operation");
}

std::int64_t TBzip2DecompressStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    if (offset != 0 || origin != soCurrent)
        throw EStreamError("Invalid stream operation");
    return static_cast<std::int64_t>(FProduced);
}
