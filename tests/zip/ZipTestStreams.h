#pragma once

// Streams for tests of archives larger than a test should put on disk: a generated source of any
// size, and an archive sink that drops bulk data but keeps every small write (headers, records).

#include "zip/TStream.h"
#include "zip/ZipTypes.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

namespace ziptest {

// A read-only source of a fixed size whose bytes are made on demand; subclasses fill Read.
class GeneratedSource : public TStream
{
  public:
    explicit GeneratedSource(std::int64_t size) : FSize(size) {}

    std::int64_t Write(const void *, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        FPosition = (origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FSize) + offset;
        return FPosition;
    }
    std::int64_t Size() override { return FSize; }

  protected:
    // How many of count bytes are left to read from the position.
    std::int64_t Available(std::int64_t count) const
    {
        return std::max<std::int64_t>(0, std::min(count, FSize - FPosition));
    }

    const std::int64_t FSize;
    std::int64_t FPosition = 0;
};

// size bytes of zeros, or of a fixed pseudo-random pattern that deflate cannot shrink.
class GeneratedStream : public GeneratedSource
{
  public:
    // Thrown by Read once stopAt bytes have been read (never when stopAt is negative).
    struct Stopped
    {
    };

    GeneratedStream(std::int64_t size, bool random, std::int64_t stopAt = -1)
        : GeneratedSource(size), FRandom(random), FStopAt(stopAt)
    {
    }

    std::int64_t Read(void *buffer, std::int64_t count) override
    {
        if (FStopAt >= 0 && FPosition >= FStopAt)
            throw Stopped{};
        const std::int64_t done = Available(count);
        auto *bytes = static_cast<std::uint8_t *>(buffer);
        if (!FRandom) {
            std::memset(bytes, 0, static_cast<std::size_t>(done));
        } else {
            for (std::int64_t i = 0; i < done; i += 8) {
                FState ^= FState << 13;
                FState ^= FState >> 7;
                FState ^= FState << 17;
                std::memcpy(bytes + i, &FState,
                            static_cast<std::size_t>(std::min<std::int64_t>(8, done - i)));
            }
        }
        FPosition += done;
        return done;
    }

  private:
    bool FRandom;
    std::int64_t FStopAt;
    std::uint64_t FState = 0x9E3779B97F4A7C15ULL;
};

// An archive target that keeps writes shorter than 64 KiB (headers, directory, end records) in the
// order they came and only counts longer ones; seeking back and patching work as on a file.
class SparseSink : public TStream
{
  public:
    struct Write_
    {
        std::int64_t Offset;
        TBytes Bytes;
    };

    std::int64_t Read(void *, std::int64_t) override { throw std::logic_error("sink is write-only"); }
    std::int64_t Write(const void *buffer, std::int64_t count) override
    {
        if (count < 65536) {
            const auto *bytes = static_cast<const std::uint8_t *>(buffer);
            FWrites.push_back({FPosition, TBytes(bytes, bytes + count)});
        }
        FPosition += count;
        FSize = std::max(FSize, FPosition);
        return count;
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        FPosition = (origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FSize) + offset;
        return FPosition;
    }
    std::int64_t Size() override { return FSize; }
    void SetSize(std::int64_t size) override { FSize = size; }

    const std::vector<Write_> &Writes() const { return FWrites; }

    // The bytes at [offset, offset + count) as the kept writes left them (zeros elsewhere).
    TBytes Image(std::int64_t offset, std::size_t count) const
    {
        TBytes image(count, 0);
        for (const Write_ &write : FWrites) {
            for (std::size_t i = 0; i < write.Bytes.size(); ++i) {
                const std::int64_t at = write.Offset + static_cast<std::int64_t>(i) - offset;
                if (at >= 0 && at < static_cast<std::int64_t>(count))
                    image[static_cast<std::size_t>(at)] = write.Bytes[i];
            }
        }
        return image;
    }
    // The whole tail from offset to the end (the directory and end records).
    TBytes Tail(std::int64_t offset) const { return Image(offset, static_cast<std::size_t>(FSize - offset)); }

  private:
    std::vector<Write_> FWrites;
    std::int64_t FPosition = 0;
    std::int64_t FSize = 0;
};

} // namespace ziptest
