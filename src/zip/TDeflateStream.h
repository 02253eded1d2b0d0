#pragma once

#include "zip/TCompressionStream.h"

#include <cstdint>
#include <memory>

struct z_stream_s;

// Raw deflate (zlib level 6, window bits -15, memory level 8, default strategy) into a target
// stream (not owned), in 65536-byte output blocks; each full block raises the progress handler.
class TDeflateStream : public TCompressionStream
{
  public:
    // Starts a deflate stream writing into target; zlib failures raise EZipException.
    explicit TDeflateStream(TStream &target);
    // Frees the zlib state only: output not yet finished is dropped, never written.
    ~TDeflateStream() override;

    // Compresses count bytes (Z_NO_FLUSH), writing each block that fills up.
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    // Only reports the position: the number of source bytes consumed.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // The number of source bytes consumed.
    std::int64_t Size() override;
    void Finish() override;

    // The most compressed bytes deflate can make of sourceSize bytes with these settings.
    static std::uint64_t CompressedSizeBound(std::uint64_t sourceSize);

    static constexpr std::size_t OUTPUT_BUFFER_SIZE = 65536;

  private:
    struct TZStreamDeleter
    {
        void operator()(z_stream_s *stream) const;
    };

    void Start();
    void WriteOutputBlock();

    TStream &FTarget;
    std::unique_ptr<z_stream_s, TZStreamDeleter> FZStream;
    std::unique_ptr<std::uint8_t[]> FOutput;
    bool FFinished = false;
};
