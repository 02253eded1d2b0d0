#include "zip/TFileAttributes.h"

#include <utility>

namespace {

struct TAttributeBit
{
    TFileAttribute Attribute;
    std::uint32_t WinBit;
};

constexpr TAttributeBit SET_TO_BITS[] = {
    {faReadOnly, 0x0001},          {faHidden, 0x0002},       {faSystem, 0x0004},     {faDirectory, 0x0010},
    {faArchive, 0x0020},           {faDevice, 0x0040},       {faNormal, 0x0080},     {faTemporary, 0x0100},
    {faSparseFile, 0x0200},        {faReparsePoint, 0x0400}, {faCompressed, 0x0800}, {faOffline, 0x1000},
    {faNotContentIndexed, 0x2000}, {faEncrypted, 0x4000},    {faSymLink, 0x0040},
};

// 0x0040 reads back as faSymLink and 0x0400 as nothing: the reverse table is not the forward one.
constexpr TAttributeBit BITS_TO_SET[] = {
    {faReadOnly, 0x0001},   {faHidden, 0x0002},     {faSystem, 0x0004},  {faDirectory, 0x0010},
    {faArchive, 0x0020},    {faSymLink, 0x0040},    {faNormal, 0x0080},  {faTemporary, 0x0100},
    {faSparseFile, 0x0200}, {faCompressed, 0x0800}, {faOffline, 0x1000}, {faNotContentIndexed, 0x2000},
    {faEncrypted, 0x4000},
};

} // namespace

TFileAttributes::TFileAttributes(std::initializer_list<TFileAttribute> attributes)
{
    for (const TFileAttribute attribute : attributes)
        Include(attribute);
}

std::uint32_t TFileAttributes::ToWinAttributes() const
{
    std::uint32_t bits = 0;
    for (const TAttributeBit &entry : SET_TO_BITS) {
        if (Contains(entry.Attribute))
            bits |= entry.WinBit;
    }
    return bits;
}

TFileAttributes TFileAttributes::FromWinAttributes(std::uint32_t winAttributes)
{
    TFileAttributes attributes;
    for (const TAttributeBit &entry : BITS_TO_SET) {
        if ((winAttributes & entry.WinBit) != 0)
            attributes.Include(entry.Attribute);
    }
    return attributes;
}
