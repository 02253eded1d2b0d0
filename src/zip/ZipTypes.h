#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bytes as they stand in an archive: names, comments, extra fields, record images.
using TBytes = std::vector<std::uint8_t>;

// Compression method numbers of the ZIP format, as stored in the 16-bit method fields.
enum TZipCompression : std::uint16_t {
    zcStored = 0,
    zcShrunk = 1,
    zcReduce1 = 2,
    zcReduce2 = 3,
    zcReduce3 = 4,
    zcReduce4 = 5,
    zcImplode = 6,
    zcTokenize = 7,
    zcDeflate = 8,
    zcDeflate64 = 9,
    zcPKImplode = 10,
    zcBZIP2 = 12,
    zcLZMA = 14,
    zcTERSE = 18,
    zcLZ77 = 19,
    zcWavePack = 97,
    zcPPMdI1 = 98
};

// What an archive object is open for.
enum TZipMode { zmClosed = 0, zmRead = 1, zmReadWrite = 2, zmWrite = 3 };

// Record signatures and extra-field tags.
inline constexpr std::uint32_t SIGNATURE_LOCALHEADER = 0x04034B50;
inline constexpr std::uint32_t SIGNATURE_CENTRALHEADER = 0x02014B50;
inline constexpr std::uint32_t SIGNATURE_ZIPENDOFHEADER = 0x06054B50;
inline constexpr std::uint32_t SIGNATURE_ZIP64ENDOFHEADER = 0x06064B50;
inline constexpr std::uint32_t SIGNATURE_ZIP64LOCATOR = 0x07064B50;
inline constexpr std::uint16_t ZIP64_EXTRAFIELD_TAG = 0x0001;
inline constexpr std::uint16_t NTFS_EXTRAFIELD_TAG = 0x000A;
// Info-ZIP Unicode Path: lets readers that ignore the UTF-8 flag restore a non-ASCII name.
inline constexpr std::uint16_t UNICODEPATH_EXTRAFIELD_TAG = 0x7075;
// Info-ZIP's "ASi Unix" item: a file's Unix mode, owner and link target.
inline constexpr std::uint16_t ASIUNIX_EXTRAFIELD_TAG = 0x756E;

// General purpose flag bit 11: name and comment are UTF-8.
inline constexpr std::uint16_t ZIP_FLAG_UTF8 = 0x0800;

// The marker that sends a reader to the ZIP64 records for the real value.
inline constexpr std::uint32_t ZIP64_MARKER32 = 0xFFFFFFFF;
inline constexpr std::uint16_t ZIP64_MARKER16 = 0xFFFF;

// Display text of a compression method ("Deflated", "BZIP2", "Unknown" for numbers outside the list).
std::string TZipCompressionToString(TZipCompression compression);
