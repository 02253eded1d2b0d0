#pragma once

#include "zip/ZipTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>

struct libdeflate_compressor;
struct z_stream_s;

// Compresses one piece of an entry's data as raw deflate that joins with the pieces before and
// after it into one stream: every piece but the last ends byte-aligned with an empty stored block
// and without the final-block flag, so pieces can be compressed independently and in parallel.
// A piece is stored only when a real deflate attempt does not shrink it: the full level's, or, for
// data whose bytes look like noise, first a cheaper one at libdeflate's fastest level.
// One deflater serves one thread at a time.
class TChunkDeflater
{
  public:
    // A deflater at the given libdeflate level (6 matches zlib's default effort); raises EZipException
    // "Compression failed: <reason>" when it cannot be made, as Compress does when compressing fails.
    explicit TChunkDeflater(int level = 6);
    ~TChunkDeflater();
    TChunkDeflater(const TChunkDeflater &) = delete;
    TChunkDeflater &operator=(const TChunkDeflater &) = delete;

    // Appends the compressed piece to out; no data at all end as zlib ends an empty stream (03 00).
    void Compress(const std::uint8_t *data, std::size_t size, bool last, TBytes &out);
    // Appends the piece as stored deflate blocks: for data known not to shrink, at no effort.
    static void Store(const std::uint8_t *data, std::size_t size, bool last, TBytes &out);
    // The length of the data in stored blocks: 5 bytes of block header for every 65,535 bytes.
    static std::size_t StoredSize(std::size_t size);
    // True when every 64 KiB block of the data looks like noise (its byte histogram is nearly flat).
    // Only a hint: noise repeated within deflate's window still shrinks.
    static bool LooksIncompressible(const std::uint8_t *data, std::size_t size);

  private:
    struct TCompressorDeleter
    {
        void operator()(libdeflate_compressor *compressor) const;
    };
    using TCompressorPtr = std::unique_ptr<libdeflate_compressor, TCompressorDeleter>;
    struct TScannerDeleter
    {
        void operator()(z_stream_s *scanner) const;
    };

    // Output space of libdeflate's worst case for the input, kept for the next piece.
    struct TScratch
    {
        std::unique_ptr<std::uint8_t[]> Data;
        std::size_t Size = 0;
    };

    // Deflates the piece as one complete stream into scratch; returns its length.
    static std::size_t Deflate(libdeflate_compressor &compressor, const std::uint8_t *data, std::size_t size,
                               TScratch &scratch);
    // Makes the complete stream of a piece joinable: clears the final flag of its last block and
    // ends it with an empty stored block.
    void MakeJoinable(TBytes &out, std::size_t start);

    TCompressorPtr FCompressor;
    TCompressorPtr FFastCompressor; // made for the first piece that looks like noise
    TScratch FScratch;
    TScratch FFastScratch;
    std::unique_ptr<z_stream_s, TScannerDeleter> FScanner;
};
