#include "zip/TLzmaDecompressStream.h"

#include "zip/EStreamError.h"
#include "zip/EZipException.h"
#include "zip/EZipUncheckable.h"

#include <lzma.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::size_t INPUT_BUFFER_SIZE = 1 << 16;
// Two version bytes and the length of the properties, which are 5 bytes for LZMA.
constexpr std::size_t HEADER_SIZE = 4;
constexpr std::size_t PROPERTIES_SIZE = 5;
// The decoder allocates its whole dictionary at once, as large as the header declares. No match
// reaches further back than the entry's own beginning, so a dictionary the size of the entry always
// suffices; beyond this size (7-Zip's default for its higher levels is 32 MiB) the entry is left
// unchecked rather than let a header claim gigabytes of memory.
constexpr std::uint32_t MIN_DICTIONARY = 4096;
constexpr std::uint32_t MAX_DICTIONARY = 48u << 20;

} // namespace

struct TLzmaDecompressStream::TDecoder
{
    lzma_stream Stream = LZMA_STREAM_INIT;
    TDecoder() = default;
    ~TDecoder() { lzma_end(&Stream); }
    TDecoder(const TDecoder &) = delete;
    TDecoder &operator=(const TDecoder &) = delete;
};

TLzmaDecompressStream::TLzmaDecompressStream(TStream &source, std::uint64_t compressedSize,
                                             std::uint64_t uncompressedSize)
    : FSource(source), FRemainingInput(compressedSize),
      FInput(std::make_unique_for_overwrite<std::uint8_t[]>(INPUT_BUFFER_SIZE))
{
    std::uint8_t header[HEADER_SIZE + PROPERTIES_SIZE];
    if (FRemainingInput < sizeof header)
        throw EZipException("Compressed data ends early");
    FSource.ReadBuffer(header, sizeof header);
    FRemainingInput -= sizeof header;
    if ((header[2] | (header[3] << 8)) != PROPERTIES_SIZE)
        throw EZipException("Compressed data is damaged");

    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, header + HEADER_SIZE, PROPERTIES_SIZE) != LZMA_OK)
        throw EZipException("Compressed data is damaged");
    auto *options = static_cast<lzma_options_lzma *>(filters[0].options);
    const std::uint64_t needed = std::max<std::uint64_t>(uncompressedSize, MIN_DICTIONARY);
    options->dict_size = static_cast<std::uint32_t>(std::min<std::uint64_t>(options->dict_size, needed));
    if (options->dict_size > MAX_DICTIONARY) {
        std::free(filters[0].options);
        throw EZipUncheckable("Cannot be checked: LZMA dictionary of " +
                              std::to_string(options->dict_size >> 20) + " MiB");
    }
    auto decoder = std::make_unique<TDecoder>();
    const lzma_ret started = lzma_raw_decoder(&decoder->Stream, filters);
    // lzma_properties_decode allocated the options with malloc.
    std::free(filters[0].options);
    if (started != LZMA_OK)
        throw EZipException(started == LZMA_MEM_ERROR ? "Out of memory" : "Cannot start LZMA decompression");
    FDecoder = std::move(decoder);
}

TLzmaDecompressStream::~TLzmaDecompressStream() = default;

std::int64_t TLzmaDecompressStream::Read(void *buffer, std::int64_t count)
{
    if (FFinished || count <= 0)
        return 0;
    lzma_stream &stream = FDecoder->Stream;
    stream.next_out = static_cast<std::uint8_t *>(buffer);
    stream.avail_out = static_cast<std::size_t>(count);
    while (stream.avail_out > 0 && !FFinished) {
        if (stream.avail_in == 0 && FRemainingInput > 0) {
            const auto piece =
                static_cast<std::int64_t>(std::min<std::uint64_t>(FRemainingInput, INPUT_BUFFER_SIZE));
            FSource.ReadBuffer(FInput.get(), piece);
            FRemainingInput -= static_cast<std::uint64_t>(piece);
            stream.next_in = FInput.get();
            stream.avail_in = static_cast<std::size_t>(piece);
        }
        const std::size_t before = stream.avail_out;
        const lzma_ret result = lzma_code(&stream, stream.avail_in == 0 ? LZMA_FINISH : LZMA_RUN);
        if (result == LZMA_STREAM_END) {
            FFinished = true;
        } else if (result == LZMA_MEM_ERROR) {
            throw EZipException("Out of memory");
        } else if (result != LZMA_OK && result != LZMA_BUF_ERROR) {
            throw EZipException("Compressed data is damaged");
        } else if (stream.avail_in == 0 && FRemainingInput == 0 && stream.avail_out == before) {
            // Without an end mark the data end with the entry's bytes; whether they held all of it
            // the size and CRC-32 tell.
            FFinished = true;
        }
    }
    return count - static_cast<std::int64_t>(stream.avail_out);
}

std::int64_t TLzmaDecompressStream::Write(const void *, std::int64_t)
{
    throw EStreamError("Invalid stream operation");
}

std::int64_t TLzmaDecompressStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    if (offset != 0 || origin != soCurrent)
        throw EStreamError("Invalid stream operation");
    return static_cast<std::int64_t>(FDecoder->Stream.total_out);
}
