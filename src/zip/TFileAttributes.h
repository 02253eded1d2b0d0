#pragma once

#include <cstdint>
#include <initializer_list>

// The named attribute flags of a source file.
enum TFileAttribute {
    faReadOnly,
    faHidden,
    faSystem,
    faDirectory,
    faArchive,
    faDevice,
    faNormal,
    faTemporary,
    faSparseFile,
    faReparsePoint,
    faCompressed,
    faOffline,
    faNotContentIndexed,
    faEncrypted,
    faSymLink
};

// A set of TFileAttribute flags, converted to and from the Windows attribute bits stored in entries.
class TFileAttributes
{
  public:
    TFileAttributes() = default;
    // The set holding exactly the given flags.
    TFileAttributes(std::initializer_list<TFileAttribute> attributes);

    // Adds a flag.
    void Include(TFileAttribute attribute) { FMembers |= Bit(attribute); }
    // Removes a flag.
    void Exclude(TFileAttribute attribute) { FMembers &= ~Bit(attribute); }
    // True when the flag is in the set.
    bool Contains(TFileAttribute attribute) const { return (FMembers & Bit(attribute)) != 0; }
    // True when no flag is in the set.
    bool Empty() const { return FMembers == 0; }

    // The Windows attribute bits of the set (faDevice and faSymLink both give 0x0040).
    std::uint32_t ToWinAttributes() const;
    // The set of a Windows attribute value; bits without a flag (0x0400 among them) are dropped.
    static TFileAttributes FromWinAttributes(std::uint32_t winAttributes);

    // The source's Unix mode (type and permission bits), 0 when unknown; entries carry it beside the
    // MS-DOS bits.
    std::uint32_t UnixMode() const { return FUnixMode; }
    // Sets the Unix mode.
    void SetUnixMode(std::uint32_t mode) { FUnixMode = mode; }

    bool operator==(const TFileAttributes &other) const = default;

  private:
    static std::uint32_t Bit(TFileAttribute attribute) { return 1u << attribute; }

    std::uint32_t FMembers = 0;
    std::uint32_t FUnixMode = 0;
};
