#pragma once

#include <cstdint>

// Where a seek offset counts from.
enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// A sequence of bytes with a position: files, memory, and the compression layers stacked on them.
class TStream
{
  public:
    TStream() = default;
    TStream(const TStream &) = delete;
    TStream &operator=(const TStream &) = delete;
    virtual ~TStream() = default;

    // Reads up to count bytes at the position; returns how many were read (0 at the end).
    virtual std::int64_t Read(void *buffer, std::int64_t count) = 0;
    // Writes up to count bytes at the position; returns how many were written.
    virtual std::int64_t Write(const void *buffer, std::int64_t count) = 0;
    // Moves the position and returns the new one; Seek(0, soCurrent) only asks for it.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    // The number of bytes in the stream.
    virtual std::int64_t Size();
    // Cuts or extends the stream to size bytes; the position is not changed.
    virtual void SetSize(std::int64_t size);
    // Passes bytes held back by this layer on to where they belong; a no-op for unbuffered streams.
    virtual void Flush() {}

    // The current position.
    std::int64_t Position() { return Seek(0, soCurrent); }
    // Moves to an absolute position.
    void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
    // Reads exactly count bytes or raises EStreamError "Stream read error".
    void ReadBuffer(void *buffer, std::int64_t count);
    // Writes exactly count bytes or raises EStreamError "Stream write error".
    void WriteBuffer(const void *buffer, std::int64_t count);

  protected:
    // The absolute position a seek asks for, from the current position; raises EStreamError
    // "Invalid stream position" for a position before the start.
    std::int64_t SeekTarget(std::int64_t offset, TSeekOrigin origin, std::int64_t current);
};
