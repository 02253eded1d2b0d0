#include "zip/TChunkDeflater.h"

#include "zip/EZipException.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <string>

namespace {

constexpr std::size_t STORED_BLOCK_MAX = 65535;
constexpr std::size_t NOISE_BLOCK = 65536;
// Bits per byte above which a 64 KiB block is taken for noise: random data measures about 7.997.
constexpr double NOISE_ENTROPY = 7.99;

double ByteEntropy(const std::uint8_t *data, std::size_t size)
{
    // Four interleaved histograms: consecutive equal bytes then do not wait on each other's counter.
    std::array<std::array<std::uint32_t, 256>, 4> partial{};
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        ++partial[0][data[i]];
        ++partial[1][data[i + 1]];
        ++partial[2][data[i + 2]];
        ++partial[3][data[i + 3]];
    }
    for (; i < size; ++i)
        ++partial[0][data[i]];
    double entropy = 0;
    for (std::size_t value = 0; value < 256; ++value) {
        const std::uint32_t count =
            partial[0][value] + partial[1][value] + partial[2][value] + partial[3][value];
        if (count == 0)
            continue;
        const double p = double(count) / double(size);
        entropy -= p * std::log2(p);
    }
    return entropy;
}

} // namespace

void TChunkDeflater::TCompressorDeleter::operator()(libdeflate_compressor *compressor) const
{
    libdeflate_free_compressor(compressor);
}

void TChunkDeflater::TScannerDeleter::operator()(z_stream_s *scanner) const
{
    inflateEnd(scanner);
    delete scanner;
}

TChunkDeflater::TChunkDeflater(int level) : FCompressor(libdeflate_alloc_compressor(level))
{
    // libdeflate gives no reason: the level is outside 0-12 or memory ran out.
    if (!FCompressor)
        throw EZipException("Compression failed: libdeflate cannot make a compressor at level " +
                            std::to_string(level));
    auto scanner = std::make_unique<z_stream>();
    // windowBits -15: raw deflate, as in the archive
    const int result = inflateInit2(scanner.get(), -15);
    if (result != Z_OK)
        throw EZipException(std::string("Compression failed: zlib: ") + zError(result));
    FScanner.reset(scanner.release());
}

TChunkDeflater::~TChunkDeflater() = default;

std::size_t TChunkDeflater::Deflate(libdeflate_compressor &compressor, const std::uint8_t *data,
                                    std::size_t size, TScratch &scratch)
{
    const std::size_t bound = libdeflate_deflate_compress_bound(&compressor, size);
    if (scratch.Size < bound) {
        scratch.Data = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
        scratch.Size = bound;
    }
    const std::size_t written =
        libdeflate_deflate_compress(&compressor, data, size, scratch.Data.get(), bound);
    if (written == 0)
        throw EZipException("Compression failed: libdeflate's output did not fit its own bound");
    return written;
}

void TChunkDeflater::Compress(const std::uint8_t *data, std::size_t size, bool last, TBytes &out)
{
    // libdeflate writes an empty stored block (5 bytes) for no data; zlib ends an empty stream in 2.
    if (size == 0) {
        Store(data, size, last, out);
        return;
    }
    const TScratch *best = &FScratch;
    std::size_t written = 0;
    if (LooksIncompressible(data, size)) {
        // The histogram cannot see repeats: a real attempt at the fastest level decides whether the
        // piece is worth the full effort or is stored as it is.
        if (!FFastCompressor) {
            FFastCompressor.reset(libdeflate_alloc_compressor(1));
            if (!FFastCompressor)
                throw EZipException("Compression failed: libdeflate cannot make a compressor at level 1");
        }
        const std::size_t fast = Deflate(*FFastCompressor, data, size, FFastScratch);
        if (fast >= size) {
            Store(data, size, last, out);
            return;
        }
        written = Deflate(*FCompressor, data, size, FScratch);
        if (fast < written) {
            best = &FFastScratch;
            written = fast;
        }
    } else {
        written = Deflate(*FCompressor, data, size, FScratch);
    }
    // Data that deflating does not shrink goes into stored blocks, never into a larger stream.
    if (written >= StoredSize(size)) {
        Store(data, size, last, out);
        return;
    }
    const std::size_t start = out.size();
    out.insert(out.end(), best->Data.get(), best->Data.get() + written);
    if (!last)
        MakeJoinable(out, start);
}

void TChunkDeflater::MakeJoinable(TBytes &out, std::size_t start)
{
    // Walk the piece block by block (zlib's Z_BLOCK stops at every block boundary) to find where its
    // last block begins and where that block's end-of-block code ends, to the bit.
    z_stream &scanner = *FScanner;
    inflateReset(&scanner);
    static thread_local std::array<std::uint8_t, 1 << 16> discard;
    scanner.next_in = out.data() + start;
    scanner.avail_in = static_cast<uInt>(out.size() - start);
    std::uint64_t lastBlockBit = 0;
    std::uint64_t endBit = 0;
    for (;;) {
        scanner.next_out = discard.data();
        scanner.avail_out = static_cast<uInt>(discard.size());
        const int result = inflate(&scanner, Z_BLOCK);
        if (result == Z_STREAM_END)
            break;
        if (result != Z_OK)
            throw EZipException(std::string("Compression failed: libdeflate's output does not inflate: ") +
                                (scanner.msg != nullptr ? scanner.msg : zError(result)));
        // data_type: unused bits of the last input byte, +64 inside the last block, +128 at a boundary.
        if (scanner.data_type & 128) {
            const std::uint64_t bit =
                std::uint64_t(scanner.total_in) * 8 - std::uint64_t(scanner.data_type & 63);
            if (scanner.data_type & 64)
                endBit = bit;
            else
                lastBlockBit = bit;
        }
    }
    std::uint8_t *piece = out.data() + start;
    piece[lastBlockBit / 8] &= static_cast<std::uint8_t>(~(1u << (lastBlockBit % 8)));

    // An empty stored block after the end-of-block code: three zero header bits, zero padding to the
    // byte boundary, then LEN 0000 and NLEN FFFF.
    const std::size_t headerEnd = static_cast<std::size_t>((endBit + 3 + 7) / 8);
    out.resize(start + headerEnd, 0);
    piece = out.data() + start;
    if (endBit % 8 != 0)
        piece[endBit / 8] &= static_cast<std::uint8_t>((1u << (endBit % 8)) - 1);
    std::fill(piece + (endBit + 7) / 8, piece + headerEnd, std::uint8_t(0));
    const std::uint8_t emptyStored[4] = {0x00, 0x00, 0xFF, 0xFF};
    out.insert(out.end(), emptyStored, emptyStored + 4);
}

void TChunkDeflater::Store(const std::uint8_t *data, std::size_t size, bool last, TBytes &out)
{
    if (size == 0) {
        if (last) {
            // An empty final block with fixed codes, as zlib ends an empty stream.
            out.push_back(0x03);
            out.push_back(0x00);
        }
        return;
    }
    out.reserve(out.size() + StoredSize(size));
    for (std::size_t done = 0; done < size;) {
        const std::size_t length = std::min(STORED_BLOCK_MAX, size - done);
        const bool final = last && done + length == size;
        // A stored block: header bits BFINAL and type 00, padded to the byte, then LEN and NLEN.
        out.push_back(final ? 0x01 : 0x00);
        out.push_back(static_cast<std::uint8_t>(length & 0xFF));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(~length & 0xFF));
        out.push_back(static_cast<std::uint8_t>((~length >> 8) & 0xFF));
        out.insert(out.end(), data + done, data + done + length);
        done += length;
    }
}

std::size_t TChunkDeflater::StoredSize(std::size_t size)
{
    return size + (size / STORED_BLOCK_MAX + 1) * 5;
}

bool TChunkDeflater::LooksIncompressible(const std::uint8_t *data, std::size_t size)
{
    if (size < NOISE_BLOCK)
        return false;
    for (std::size_t done = 0; done + NOISE_BLOCK <= size; done += NOISE_BLOCK) {
        if (ByteEntropy(data + done, NOISE_BLOCK) < NOISE_ENTROPY)
            return false;
    }
    return true;
}
