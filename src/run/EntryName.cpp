#include "run/EntryName.h"

namespace {

constexpr char16_t HELD_BYTE_BASE = 0xDC00;

// The length of the well-formed UTF-8 sequence at position, or 0 when there is none.
std::size_t sequenceLength(const std::string &bytes, std::size_t position)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[position + i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        // No overlong forms and no surrogates (those are how held bytes are written).
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - position < length)
        return 0;
    if (at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    return length;
}

bool isHeldByte(QChar c)
{
    return c.unicode() >= HELD_BYTE_BASE + 0x80 && c.unicode() <= HELD_BYTE_BASE + 0xFF;
}

} // namespace

namespace EntryName {

QString fromBytes(const std::string &bytes)
{
    QString text;
    text.reserve(qsizetype(bytes.size()));
    std::size_t position = 0;
    while (position < bytes.size()) {
        const std::size_t length = sequenceLength(bytes, position);
        if (length == 0) {
            text += QChar(char16_t(HELD_BYTE_BASE + static_cast<unsigned char>(bytes[position])));
            ++position;
            continue;
        }
        text += QString::fromUtf8(bytes.data() + position, qsizetype(length));
        position += length;
    }
    return text;
}

std::string toBytes(const QString &text)
{
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        if (end > start) {
            const QByteArray piece = QStringView(text).mid(start, end - start).toUtf8();
            bytes.append(piece.constData(), std::size_t(piece.size()));
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isHeldByte(text.at(i)))
            continue;
        flush(i);
        bytes += static_cast<char>(text.at(i).unicode() - HELD_BYTE_BASE);
        start = i + 1;
    }
    flush(text.size());
    return bytes;
}

QString printable(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (isHeldByte(c)) {
            shown += QStringLiteral("\\x%1").arg(code - HELD_BYTE_BASE, 2, 16, QLatin1Char('0'));
        } else if (code == u'\n') {
            shown += QStringLiteral("\\n");
        } else if (code == u'\r') {
            shown += QStringLiteral("\\r");
        } else if (code == u'\t') {
            shown += QStringLiteral("\\t");
        } else if (code == 0x1B) {
            shown += QStringLiteral("\\e");
        } else if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0)) {
            shown += QStringLiteral("\\x%1").arg(int(code), 2, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace EntryName
