#include "zip/ZipEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace {

// Bytes 0x00-0x7F of code page 437 are ASCII; these are the characters of 0x80-0xFF.
constexpr std::array<char32_t, 128> CP437_HIGH = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0, // F8
};

constexpr std::uint8_t DEFAULT_CHARACTER = '?';
// What a malformed UTF-8 sequence decodes to: outside Unicode, so never in the table.
constexpr char32_t MALFORMED = 0x110000;

// (character, byte) pairs of the upper half, sorted by character for the encoder's binary search.
std::array<std::pair<char32_t, std::uint8_t>, 128> MakeEncoderTable()
{
    std::array<std::pair<char32_t, std::uint8_t>, 128> table{};
    for (std::size_t i = 0; i < CP437_HIGH.size(); ++i)
        table[i] = {CP437_HIGH[i], static_cast<std::uint8_t>(0x80 + i)};
    std::sort(table.begin(), table.end());
    return table;
}

std::uint8_t EncodeCharacter(char32_t character)
{
    if (character < 0x80)
        return static_cast<std::uint8_t>(character);
    static const auto TABLE = MakeEncoderTable();
    const auto found =
        std::lower_bound(TABLE.begin(), TABLE.end(), std::pair<char32_t, std::uint8_t>{character, 0});
    return found != TABLE.end() && found->first == character ? found->second : DEFAULT_CHARACTER;
}

// Decodes one UTF-8 sequence at text[position]; MALFORMED for anything but well-formed UTF-8.
char32_t NextCodePoint(const std::string &text, std::size_t &position)
{
    const auto lead = static_cast<unsigned char>(text[position++]);
    if (lead < 0x80)
        return lead;
    int continuation = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        continuation = 1;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        continuation = 2;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        continuation = 3;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return MALFORMED;
    }
    for (int i = 0; i < continuation; ++i) {
        if (position >= text.size() || (static_cast<unsigned char>(text[position]) & 0xC0) != 0x80)
            return MALFORMED;
        value = (value << 6) | (static_cast<unsigned char>(text[position++]) & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? MALFORMED : value;
}

void AppendUtf8(std::string &target, char32_t character)
{
    if (character < 0x80) {
        target.push_back(static_cast<char>(character));
    } else if (character < 0x800) {
        target.push_back(static_cast<char>(0xC0 | (character >> 6)));
        target.push_back(static_cast<char>(0x80 | (character & 0x3F)));
    } else {
        target.push_back(static_cast<char>(0xE0 | (character >> 12)));
        target.push_back(static_cast<char>(0x80 | ((character >> 6) & 0x3F)));
        target.push_back(static_cast<char>(0x80 | (character & 0x3F)));
    }
}

} // namespace

TBytes Utf8ToCodePage437(const std::string &text)
{
    TBytes bytes;
    bytes.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size())
        bytes.push_back(EncodeCharacter(NextCodePoint(text, position)));
    return bytes;
}

std::string CodePage437ToUtf8(const TBytes &bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const std::uint8_t byte : bytes)
        AppendUtf8(text, byte < 0x80 ? byte : CP437_HIGH[byte - 0x80]);
    return text;
}

bool IsValidUtf8(const std::string &text)
{
    std::size_t position = 0;
    while (position < text.size()) {
        if (NextCodePoint(text, position) == MALFORMED)
            return false;
    }
    return true;
}

bool IsAscii(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
