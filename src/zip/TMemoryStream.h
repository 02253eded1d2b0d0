#pragma once

#include "zip/TStream.h"
#include "zip/ZipTypes.h"

// A stream over a byte array it owns; writing past the end grows it.
class TMemoryStream : public TStream
{
  public:
    TMemoryStream() = default;
    // A stream holding the given bytes, positioned at the start.
    explicit TMemoryStream(TBytes bytes);

    std::int64_t Read(void *buffer, std::int64_t count) override;
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(FBytes.size()); }
    void SetSize(std::int64_t size) override;

    // The stream's bytes.
    const TBytes &Bytes() const { return FBytes; }

  private:
    TBytes FBytes;
    std::int64_t FPosition = 0;
};
