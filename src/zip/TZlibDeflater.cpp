#include "zip/TZlibDeflater.h"

#include "zip/EZipException.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string>

namespace {

// Output is gathered in scratch space of deflate's bound for the input, so that a file up to this
// size is deflated in one call; larger ones pass through it in slices.
constexpr std::size_t SCRATCH_LIMIT = std::size_t(8) << 20;

[[noreturn]] void Fail(const z_stream &stream, int result)
{
    throw EZipException(std::string("Compression failed: zlib: ") +
                        (stream.msg != nullptr ? stream.msg : zError(result)));
}

} // namespace

void TZlibDeflater::TZStreamDeleter::operator()(z_stream_s *stream) const
{
    deflateEnd(stream);
    delete stream;
}

TZlibDeflater::TZlibDeflater()
{
    auto stream = std::make_unique<z_stream>();
    // windowBits -15: raw deflate, no zlib header or trailer, as in the archive.
    const int result =
        deflateInit2(stream.get(), Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    if (result != Z_OK)
        Fail(*stream, result);
    FStream.reset(stream.release());
}

TZlibDeflater::~TZlibDeflater() = default;

void TZlibDeflater::Compress(const std::uint8_t *data, std::size_t size, TBytes &out)
{
    z_stream &stream = *FStream;
    deflateReset(&stream);
    const std::size_t wanted =
        std::min<std::size_t>(deflateBound(&stream, static_cast<uLong>(std::min(size, SCRATCH_LIMIT))),
                              std::numeric_limits<uInt>::max());
    if (FScratchSize < wanted) {
        FScratch = std::make_unique_for_overwrite<std::uint8_t[]>(wanted);
        FScratchSize = wanted;
    }
    stream.next_in = const_cast<Bytef *>(data);
    std::size_t remaining = size;
    for (;;) {
        // avail_in is 32 bits wide; feed larger input in slices.
        if (stream.avail_in == 0 && remaining > 0) {
            stream.avail_in =
                static_cast<uInt>(std::min<std::size_t>(remaining, std::numeric_limits<uInt>::max()));
            remaining -= stream.avail_in;
        }
        stream.next_out = FScratch.get();
        stream.avail_out = static_cast<uInt>(FScratchSize);
        const int result = deflate(&stream, remaining == 0 ? Z_FINISH : Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            Fail(stream, result);
        out.insert(out.end(), FScratch.get(), FScratch.get() + (FScratchSize - stream.avail_out));
        if (result == Z_STREAM_END)
            return;
    }
}
