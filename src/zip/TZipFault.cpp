#include "zip/TZipFault.h"

#include "zip/EStreamError.h"
#include "zip/EZipException.h"

#include <array>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace {

using TCode = TZipFault::TCode;

// How a fixed text carries its values after the part every instance shares.
enum class TShape {
    Exact,          // nothing follows
    Named,          // the entry follows at once
    MaybeNamed,     // nothing, or ": " and the entry
    DetailThenName, // the detail up to the closing mark, then the entry
};

struct TFixedText
{
    const char *Start;
    TCode Code;
    TShape Shape;
    const char *Closing = ""; // ends the detail of DetailThenName
};

// Longer texts before the shorter ones they begin with.
constexpr std::array FIXED_TEXTS{
    TFixedText{"Invalid zip file: end of central directory not found", TCode::NoEndRecord, TShape::Exact},
    TFixedText{"Invalid zip file: damaged central directory", TCode::DamagedDirectory, TShape::Exact},
    TFixedText{"Invalid zip file: damaged ZIP64 end of central directory", TCode::DamagedZip64,
               TShape::Exact},
    TFixedText{"Invalid zip file: overlapping entries", TCode::OverlappingEntries, TShape::MaybeNamed},
    TFixedText{"Invalid zip file: damaged local header of ", TCode::DamagedLocalHeader, TShape::Named},
    TFixedText{"Invalid zip file: local name differs from central name: ", TCode::LocalNameDiffers,
               TShape::Named},
    TFixedText{"Invalid zip file: local header differs from central directory (", TCode::LocalHeaderDiffers,
               TShape::DetailThenName, "): "},
    TFixedText{"Invalid zip file: unknown version needed to extract (", TCode::UnknownVersion,
               TShape::DetailThenName, "): "},
    TFixedText{"Invalid Zip ExtraField", TCode::InvalidExtraField, TShape::MaybeNamed},
    TFixedText{"CRC-32 mismatch in zip entry: ", TCode::CrcMismatch, TShape::Named},
    TFixedText{"Size mismatch in zip entry: ", TCode::SizeMismatch, TShape::Named},
    TFixedText{"Compressed data ends early", TCode::DataEndsEarly, TShape::MaybeNamed},
    TFixedText{"Compressed data is damaged", TCode::DataDamaged, TShape::MaybeNamed},
    TFixedText{"Zip entry without a file name holds data: ", TCode::NamelessWithData, TShape::Named},
    TFixedText{"Encrypted zip entries are not supported", TCode::EncryptedUnsupported, TShape::MaybeNamed},
    TFixedText{"Encrypted: cannot be checked without the password: ", TCode::EncryptedUnchecked,
               TShape::Named},
    TFixedText{"Support for compression method not registered: ", TCode::MethodUnsupported,
               TShape::DetailThenName, ": "},
    TFixedText{"Cannot be checked: method ", TCode::MethodUnchecked, TShape::DetailThenName, ": "},
    TFixedText{"Cannot be checked: LZMA dictionary of ", TCode::DictionaryTooLarge, TShape::DetailThenName,
               " MiB"},
    TFixedText{"Zip entry too large to read into memory: ", TCode::EntryTooLarge, TShape::Named},
    TFixedText{"File not found in zip file: ", TCode::EntryNotFound, TShape::Named},
    TFixedText{"Unsafe file name in zip file", TCode::UnsafeName, TShape::MaybeNamed},
    TFixedText{"Links are not extracted", TCode::LinkNotExtracted, TShape::MaybeNamed},
    TFixedText{"Special files are not extracted", TCode::SpecialNotExtracted, TShape::MaybeNamed},
    TFixedText{"Not a regular file: ", TCode::NotRegularFile, TShape::Named},
    TFixedText{"Error reading zip file", TCode::ReadError, TShape::MaybeNamed},
    TFixedText{"Stream read error", TCode::ReadError, TShape::MaybeNamed},
    TFixedText{"Error writing zip file", TCode::WriteError, TShape::MaybeNamed},
    TFixedText{"Stream write error", TCode::WriteError, TShape::MaybeNamed},
    TFixedText{"Out of memory", TCode::OutOfMemory, TShape::MaybeNamed},
    TFixedText{"Out of memory for deflate", TCode::OutOfMemory, TShape::MaybeNamed},
    TFixedText{"Compression failed: out of memory", TCode::OutOfMemory, TShape::MaybeNamed},
    TFixedText{"Compression failed", TCode::CompressionFailed, TShape::MaybeNamed},
    TFixedText{"Compression stopped", TCode::Stopped, TShape::Exact},
    TFixedText{"File name must not be longer than 65535 bytes", TCode::NameTooLong, TShape::Exact},
};

const std::string NAME_MARK = ": ";

TZipFault Made(TCode code, std::string entry = {}, std::string detail = {}, int systemError = 0)
{
    TZipFault fault;
    fault.Code = code;
    fault.Entry = std::move(entry);
    fault.Detail = std::move(detail);
    fault.SystemError = systemError;
    return fault;
}

// The fault of a text of the given fixed start and shape; None when the text does not have that shape.
TZipFault Match(const TFixedText &fixed, const std::string &text)
{
    const std::string start = fixed.Start;
    if (text.compare(0, start.size(), start) != 0)
        return {};
    const std::string rest = text.substr(start.size());
    switch (fixed.Shape) {
    case TShape::Exact:
        if (rest.empty())
            return Made(fixed.Code);
        break;
    case TShape::Named:
        return Made(fixed.Code, rest);
    case TShape::MaybeNamed:
        if (rest.empty())
            return Made(fixed.Code);
        // "Compression failed: ..." and the like carry a library's words, not a name.
        if (rest.starts_with(NAME_MARK))
            return Made(fixed.Code, fixed.Code == TCode::CompressionFailed ? std::string() : rest.substr(2));
        break;
    case TShape::DetailThenName: {
        const std::size_t closing = rest.find(fixed.Closing);
        if (closing == std::string::npos)
            return Made(fixed.Code, std::string(), rest);
        std::string entry = rest.substr(closing + std::string(fixed.Closing).size());
        if (entry.starts_with(NAME_MARK))
            entry.erase(0, NAME_MARK.size());
        return Made(fixed.Code, entry, rest.substr(0, closing));
    }
    }
    return {};
}

// A system failure's text reads 'Cannot write file "path": reason': the path between the quotes.
std::string QuotedPath(const std::string &text)
{
    const std::size_t open = text.find(" \"");
    const std::size_t close = text.rfind("\": ");
    if (open == std::string::npos || close == std::string::npos || close <= open + 2)
        return {};
    return text.substr(open + 2, close - open - 2);
}

} // namespace

TZipFault TZipFault::FromText(const std::string &text)
{
    for (const TFixedText &fixed : FIXED_TEXTS) {
        TZipFault fault = Match(fixed, text);
        if (fault.Code != TCode::None)
            return fault;
    }
    return Made(TCode::Internal);
}

TZipFault TZipFault::Of(const std::exception &failure)
{
    if (const auto *own = dynamic_cast<const EZipException *>(&failure))
        return own->Fault();
    if (const auto *stream = dynamic_cast<const EStreamError *>(&failure))
        return stream->Fault();
    if (const auto *system = dynamic_cast<const std::system_error *>(&failure)) {
        if (system->code().category() == std::generic_category() ||
            system->code().category() == std::system_category())
            return Made(TCode::System, QuotedPath(system->what()), std::string(), system->code().value());
    }
    if (dynamic_cast<const std::bad_alloc *>(&failure) || dynamic_cast<const std::length_error *>(&failure))
        return Made(TCode::OutOfMemory);
    return Made(TCode::Internal);
}
