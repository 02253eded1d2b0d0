#pragma once

#include "zip/TStream.h"

#include <cstdint>
#include <functional>

// A compressing layer over an archive stream: written source bytes go out compressed.
// Finish() completes the output and is called only when an entry ends normally; destroying an
// unfinished layer frees its state and writes nothing more, so an aborted entry stays where it stopped.
class TCompressionStream : public TStream
{
  public:
    // Receives the number of source bytes consumed so far.
    using TProgressHandler = std::function<void(std::int64_t position)>;

    // Writes every byte still held back and ends the compressed data; no progress is reported.
    virtual void Finish() = 0;
    // Sets the handler raised each time a full output block has reached the archive stream.
    void SetOnProgress(TProgressHandler handler) { FOnProgress = std::move(handler); }

    // Compression layers are written only.
    std::int64_t Read(void *buffer, std::int64_t count) override;

  protected:
    // Raises the progress handler, if one is set.
    void DoProgress(std::int64_t position);

  private:
    TProgressHandler FOnProgress;
};
