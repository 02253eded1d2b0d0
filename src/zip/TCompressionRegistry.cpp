#include "zip/TCompressionRegistry.h"

#include "zip/EZipException.h"
#include "zip/TBzip2DecompressStream.h"
#include "zip/TDeflateStream.h"
#include "zip/TInflateStream.h"
#include "zip/TLzmaDecompressStream.h"
#include "zip/TStoredStream.h"

#include <map>
#include <utility>

namespace {

std::unique_ptr<TStream> NewStoredStream(TStream &archive, TZipFile &, const TZipHeader &)
{
    return std::make_unique<TStoredStream>(archive);
}

std::unique_ptr<TStream> NewDeflateStream(TStream &archive, TZipFile &, const TZipHeader &)
{
    return std::make_unique<TDeflateStream>(archive);
}

std::unique_ptr<TStream> NewInflateStream(TStream &archive, TZipFile &, const TZipHeader &header)
{
    return std::make_unique<TInflateStream>(archive, header.GetZIP64_CompressedSize());
}

std::unique_ptr<TStream> NewBzip2DecompressStream(TStream &archive, TZipFile &, const TZipHeader &header)
{
    return std::make_unique<TBzip2DecompressStream>(archive, header.GetZIP64_CompressedSize());
}

std::unique_ptr<TStream> NewLzmaDecompressStream(TStream &archive, TZipFile &, const TZipHeader &header)
{
    return std::make_unique<TLzmaDecompressStream>(archive, header.GetZIP64_CompressedSize(),
                                                   header.GetZIP64_UncompressedSize());
}

std::map<std::uint16_t, TCompressionRegistry::THandler> &Handlers()
{
    // bzip2 and LZMA are only read: other archivers write them, this one does not.
    static std::map<std::uint16_t, TCompressionRegistry::THandler> handlers = {
        {zcStored, {NewStoredStream, NewStoredStream}},
        {zcDeflate, {NewDeflateStream, NewInflateStream}},
        {zcBZIP2, {{}, NewBzip2DecompressStream}},
        {zcLZMA, {{}, NewLzmaDecompressStream}},
    };
    return handlers;
}

} // namespace

void TCompressionRegistry::Register(std::uint16_t method, THandler handler)
{
    Handlers()[method] = std::move(handler);
}

void TCompressionRegistry::Unregister(std::uint16_t method)
{
    Handlers().erase(method);
}

const TCompressionRegistry::THandler &TCompressionRegistry::Find(std::uint16_t method)
{
    const auto found = Handlers().find(method);
    if (found == Handlers().end())
        throw EZipException("Support for compression method not registered: " +
                            TZipCompressionToString(static_cast<TZipCompression>(method)));
    return found->second;
}

const TStreamConstructor &TCompressionRegistry::FindCompressor(std::uint16_t method)
{
    const TStreamConstructor &compressor = Find(method).Compress;
    if (!compressor)
        throw EZipException("Support for compression method not registered: " +
                            TZipCompressionToString(static_cast<TZipCompression>(method)));
    return compressor;
}

const TStreamConstructor &TCompressionRegistry::FindDecompressor(std::uint16_t method)
{
    const TStreamConstructor &decompressor = Find(method).Decompress;
    if (!decompressor)
        throw EZipException("Support for compression method not registered: " +
                            TZipCompressionToString(static_cast<TZipCompression>(method)));
    return decompressor;
}
