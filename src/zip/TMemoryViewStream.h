#pragma once

#include "zip/TStream.h"

#include <cstddef>
#include <cstdint>

// A read-only stream over bytes that someone else owns and keeps alive; nothing is copied.
class TMemoryViewStream : public TStream
{
  public:
    // A stream over count bytes at data, positioned at the start.
    TMemoryViewStream(const std::uint8_t *data, std::size_t count) : FData(data), FCount(count) {}

    std::int64_t Read(void *buffer, std::int64_t count) override;
    // Views are read only.
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(FCount); }

  private:
    const std::uint8_t *FData;
    std::size_t FCount;
    std::int64_t FPosition = 0;
};
