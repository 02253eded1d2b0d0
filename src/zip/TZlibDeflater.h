#pragma once

#include "zip/ZipTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>

struct z_stream_s;

// Deflates whole files, one call each, with the settings of the archive's zlib stream (level 6, window
// bits -15, memory level 8, default strategy): the very bytes the one-thread writer makes, so a file
// is never larger than zlib makes it. One z_stream is reset for every file instead of made anew. One
// deflater serves one thread at a time.
class TZlibDeflater
{
  public:
    // Raises EZipException "Compression failed: <reason>" when zlib cannot start.
    TZlibDeflater();
    ~TZlibDeflater();
    TZlibDeflater(const TZlibDeflater &) = delete;
    TZlibDeflater &operator=(const TZlibDeflater &) = delete;

    // Appends the complete raw deflate stream of the data to out; failures raise EZipException
    // "Compression failed: <reason>".
    void Compress(const std::uint8_t *data, std::size_t size, TBytes &out);

  private:
    struct TZStreamDeleter
    {
        void operator()(z_stream_s *stream) const;
    };

    std::unique_ptr<z_stream_s, TZStreamDeleter> FStream;
    std::unique_ptr<std::uint8_t[]> FScratch;
    std::size_t FScratchSize = 0;
};
