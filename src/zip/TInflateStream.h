#pragma once

#include "zip/TStream.h"

#include <cstdint>
#include <memory>

struct z_stream_s;

// Raw inflate (window bits -15) of the next compressedSize bytes of a source stream (not owned).
// Damaged data, or data that ends before the deflate stream does, raises EZipException.
class TInflateStream : public TStream
{
  public:
    // Starts inflating at the source's position.
    TInflateStream(TStream &source, std::uint64_t compressedSize);
    ~TInflateStream() override;

    // Inflates up to count bytes; 0 once the deflate stream has ended.
    std::int64_t Read(void *buffer, std::int64_t count) override;
    // Decompression layers are read only.
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    // Only reports the position: the number of bytes produced.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // True once the end of the deflate stream has been reached.
    bool Finished() const { return FFinished; }

  private:
    struct TZStreamDeleter
    {
        void operator()(z_stream_s *stream) const;
    };

    TStream &FSource;
    std::uint64_t FRemainingInput;
    std::unique_ptr<z_stream_s, TZStreamDeleter> FZStream;
    std::unique_ptr<std::uint8_t[]> FInput;
    bool FFinished = false;
};
