#pragma once

#include "zip/TStream.h"

// The "no compression" layer: every call goes through to the wrapped stream (not owned) unchanged.
class TStoredStream : public TStream
{
  public:
    // Wraps stream and notes its position.
    explicit TStoredStream(TStream &stream);

    std::int64_t Read(void *buffer, std::int64_t count) override { return FStream.Read(buffer, count); }
    std::int64_t Write(const void *buffer, std::int64_t count) override
    {
        return FStream.Write(buffer, count);
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        return FStream.Seek(offset, origin);
    }
    std::int64_t Size() override { return FStream.Size(); }

    // The wrapped stream's position when this layer was made.
    std::int64_t StartPosition() const { return FStartPosition; }

  private:
    TStream &FStream;
    std::int64_t FStartPosition;
};
