#include "zip/TDeflateStream.h"

#include "zip/EStreamError.h"
#include "zip/EZipException.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace {

// windowBits -15: raw deflate, 32 KiB window, no zlib header and no Adler-32 trailer.
constexpr int WINDOW_BITS = -15;
constexpr int MEMORY_LEVEL = 8;

// What these settings make of empty input: one final fixed-Huffman block holding only its end code.
constexpr std::uint8_t EMPTY_DEFLATE_STREAM[] = {0x03, 0x00};

std::unique_ptr<z_stream> NewDeflater()
{
    auto stream = std::make_unique<z_stream>();
    const int result = deflateInit2(stream.get(), Z_DEFAULT_COMPRESSION, Z_DEFLATED, WINDOW_BITS,
                                    MEMORY_LEVEL, Z_DEFAULT_STRATEGY);
    if (result != Z_OK)
        throw EZipException(result == Z_MEM_ERROR ? "Out of memory for deflate" : "Cannot start deflate");
    return stream;
}

} // namespace

void TDeflateStream::TZStreamDeleter::operator()(z_stream_s *stream) const
{
    deflateEnd(stream);
    delete stream;
}

TDeflateStream::TDeflateStream(TStream &target) : FTarget(target) {}

TDeflateStream::~TDeflateStream() = default;

void TDeflateStream::Start()
{
    // zlib's state and the output buffer are made on the first byte: empty entries, the most common
    // kind in a backup of many small files, need neither.
    FZStream.reset(NewDeflater().release());
    FOutput = std::make_unique_for_overwrite<std::uint8_t[]>(OUTPUT_BUFFER_SIZE);
    FZStream->next_out = FOutput.get();
    FZStream->avail_out = OUTPUT_BUFFER_SIZE;
}

void TDeflateStream::WriteOutputBlock()
{
    FTarget.WriteBuffer(FOutput.get(), static_cast<std::int64_t>(OUTPUT_BUFFER_SIZE - FZStream->avail_out));
    FZStream->next_out = FOutput.get();
    FZStream->avail_out = OUTPUT_BUFFER_SIZE;
}

std::int64_t TDeflateStream::Write(const void *buffer, std::int64_t count)
{
    if (FFinished)
        throw EStreamError("Invalid stream operation");
    if (count <= 0)
        return 0;
    if (!FZStream)
        Start();
    const auto *input = static_cast<const Bytef *>(buffer);
    std::int64_t remaining = count;
    while (remaining > 0) {
        // avail_in is 32 bits wide; feed larger writes in slices.
        const auto slice =
            static_cast<uInt>(std::min<std::int64_t>(remaining, std::numeric_limits<uInt>::max()));
        FZStream->next_in = const_cast<Bytef *>(input);
        FZStream->avail_in = slice;
        while (FZStream->avail_in > 0) {
            const int result = deflate(FZStream.get(), Z_NO_FLUSH);
            if (result != Z_OK && result != Z_BUF_ERROR)
                throw EZipException("Deflate failed");
            if (FZStream->avail_out == 0) {
                WriteOutputBlock();
                DoProgress(static_cast<std::int64_t>(FZStream->total_in));
            }
        }
        input += slice;
        remaining -= slice;
    }
    return count;
}

void TDeflateStream::Finish()
{
    if (FFinished)
        return;
    if (!FZStream) {
        FTarget.WriteBuffer(EMPTY_DEFLATE_STREAM, sizeof EMPTY_DEFLATE_STREAM);
        FFinished = true;
        return;
    }
    FZStream->next_in = nullptr;
    FZStream->avail_in = 0;
    for (;;) {
        const int result = deflate(FZStream.get(), Z_FINISH);
        if (result == Z_STREAM_END) {
            WriteOutputBlock();
            break;
        }
        if ((result != Z_OK && result != Z_BUF_ERROR) || FZStream->avail_out != 0)
            throw EZipException("Deflate failed");
        WriteOutputBlock();
    }
    FFinished = true;
}

std::int64_t TDeflateStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    if (offset != 0 || origin != soCurrent)
        throw EStreamError("Invalid stream operation");
    return Size();
}

std::int64_t TDeflateStream::Size()
{
    return FZStream ? static_cast<std::int64_t>(FZStream->total_in) : 0;
}

std::uint64_t TDeflateStream::CompressedSizeBound(std::uint64_t sourceSize)
{
    // zlib's bound for these exact settings needs a stream made with them; below this size even
    // its most cautious bound stays far inside 32 bits, so only large sources pay for one.
    if (sourceSize < 0xE0000000u)
        return sourceSize + (sourceSize >> 3) + (sourceSize >> 8) + (sourceSize >> 9) + 4 + 6;
    const std::unique_ptr<z_stream_s, TZStreamDeleter> probe(NewDeflater().release());
    return deflateBound(probe.get(), static_cast<uLong>(sourceSize));
}
