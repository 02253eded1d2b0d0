#pragma once

#include "zip/TStream.h"

#include <cstdint>
#include <memory>

// bzip2 decompression (method 12, as 7-Zip and Info-ZIP zip write it) of the next compressedSize bytes
// of a source stream (not owned). Damaged data, or data that ends before the bzip2 stream does, raises
// EZipException.
class TBzip2DecompressStream : public TStream
{
  public:
    // Starts decompressing at the source's position.
    TBzip2DecompressStream(TStream &source, std::uint64_t compressedSize);
    ~TBzip2DecompressStream() override;

    // Decompresses up to count bytes; 0 once the bzip2 stream has ended.
    std::int64_t Read(void *buffer, std::int64_t count) override;
    // Decompression layers are read only.
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    // Only reports the position: the number of bytes produced.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

  private:
    // The library's stream state, which its header declares only as an unnamed struct.
    struct TDecoder;

    TStream &FSource;
    std::uint64_t FRemainingInput;
    std::unique_ptr<TDecoder> FDecoder;
    std::unique_ptr<std::uint8_t[]> FInput;
    std::uint64_t FProduced = 0;
    bool FFinished = false;
};
