#pragma once

#include "zip/TZipFile.h"

#include <cstdint>

// The stream constructors of every compression method, shared by all archive objects: stored and
// deflate from the start, bzip2 and LZMA for reading only, others registered before the first archive is
// opened and only read after.
class TCompressionRegistry
{
  public:
    struct THandler
    {
        TStreamConstructor Compress;
        TStreamConstructor Decompress;
    };

    // Registers a method's constructors, replacing earlier ones.
    static void Register(std::uint16_t method, THandler handler);
    // Removes a method's constructors.
    static void Unregister(std::uint16_t method);
    // A method's constructors; raises EZipException "Support for compression method not registered:
    // <method>" when it has none.
    static const THandler &Find(std::uint16_t method);
    // A method's compressing constructor; raises as Find does also when it has none (a method only read).
    static const TStreamConstructor &FindCompressor(std::uint16_t method);
    // A method's decompressing constructor; raises as Find does also when it has none.
    static const TStreamConstructor &FindDecompressor(std::uint16_t method);
};
