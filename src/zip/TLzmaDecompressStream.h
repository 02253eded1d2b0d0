#pragma once

#include "zip/TStream.h"

#include <cstdint>
#include <memory>

// LZMA decompression (method 14, as 7-Zip writes it) of the next compressedSize bytes of a source stream
// (not owned): a 4-byte header (LZMA version, length of the properties), the 5 properties bytes, then
// the raw LZMA data, with or without an end mark. Damaged data raises EZipException.
class TLzmaDecompressStream : public TStream
{
  public:
    // Reads the header and starts decompressing at the source's position.
    TLzmaDecompressStream(TStream &source, std::uint64_t compressedSize, std::uint64_t uncompressedSize);
    ~TLzmaDecompressStream() override;

    // Decompresses up to count bytes; 0 once the data or its end mark has been reached.
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
    bool FFinished = false;
};
