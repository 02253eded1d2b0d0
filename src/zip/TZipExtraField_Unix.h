#pragma once

#include "zip/TZipExtraField.h"

#include <cstdint>
#include <optional>

struct TZipHeader;

// The "ASi Unix" item (tag 0x756E) as Info-ZIP defines it: CRC-32 of the rest, the Unix mode (2 bytes),
// the device number (4), user and group (2 each) and a link target. It carries a file's Unix mode in
// entries whose external attributes hold MS-DOS bits only.
struct TZipExtraField_Unix
{
    std::uint16_t Mode = 0;
    std::uint16_t Uid = 0;
    std::uint16_t Gid = 0;

    // The item with its CRC-32 (no device number, no link target).
    TZipExtraField ToExtraField() const;
    // The item of an extra field block, when there is one whose CRC-32 checks out.
    static std::optional<TZipExtraField_Unix> Find(const TBytes &extraField);
};

// The Unix mode (type and permission bits) an entry carries: from the external attributes of an entry
// made on Unix, else from its "ASi Unix" item; 0 when it carries none.
std::uint32_t EntryUnixMode(const TZipHeader &entry);
