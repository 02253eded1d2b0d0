#pragma once

#include "zip/EStreamError.h"
#include "zip/EZipException.h"
#include "zip/ZipTypes.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <system_error>

// What the parts of TZipFile (entry writing, the central directory, extraction) share.

// Bytes per step of copying a source, of decompressing an entry and of writing the directory.
inline constexpr std::int64_t COPY_PIECE = 1 << 20;
// The longest name, comment or extra field a 16-bit length can give.
inline constexpr std::size_t MAX_COMMENT = 0xFFFF;
// The fixed part of a local header, before its name and extra field.
inline constexpr std::size_t LOCAL_HEADER_SIZE = 30;

// The value of a 32-bit size or offset field: the value, or the ZIP64 marker when it does not fit.
std::uint32_t Clamp32(std::uint64_t value);
// The bytes cut to the longest comment.
TBytes CutComment(TBytes bytes);

// Runs a read-side operation so that its callers meet only the unit's own exception types: a failure
// of the system (also of std::filesystem) becomes EStreamError with the system's text and errno, running out
// of memory EZipException "Out of memory". Mistakes of the caller, such as an index out of range, pass.
template <typename TOperation> decltype(auto) WithUnitExceptions(TOperation &&operation)
{
    try {
        return operation();
    } catch (const std::system_error &error) {
        throw EStreamError(TZipFault::Of(error), error.what());
    } catch (const std::bad_alloc &) {
        throw EZipException("Out of memory");
    } catch (const std::length_error &) {
        throw EZipException("Out of memory");
    }
}
