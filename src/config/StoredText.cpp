#include "config/StoredText.h"

#include "config/ReplacementFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <array>

namespace {
// Windows-1250 bytes 0x80..0xFF. Kept as a table rather than asking ICU by name, so reading an old
// list never depends on which conversion data the Qt build carries. 0x81, 0x83, 0x88, 0x90 and 0x98
// are unassigned and map to the C1 control of the same number, as Windows itself does.
constexpr std::array<char16_t, 128> kWindows1250High = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

std::optional<QString> decodeStrictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

struct LineBounds
{
    qsizetype start; // first character of the line
    qsizetype end;   // first character of its line end
    qsizetype next;  // first character after its line end
};

// Where the lines of a text or of bytes start and end; the same rule for both, so a file splits
// into the same lines whether it is split before or after decoding.
template <typename View> std::vector<LineBounds> lineBounds(View text)
{
    std::vector<LineBounds> lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        qsizetype next = end;
        if (end < size) {
            next = end + 1;
            if (text[end] == u'\r' && next < size && text[next] == u'\n')
                ++next;
        }
        lines.push_back({start, end, next});
        start = next;
    }
    return lines;
}

std::vector<StoredText::Line> splitText(const QString &text)
{
    std::vector<StoredText::Line> lines;
    for (const LineBounds &line : lineBounds(QStringView(text)))
        lines.push_back(
            {text.mid(line.start, line.end - line.start), text.mid(line.end, line.next - line.end), {}});
    return lines;
}
} // namespace

namespace StoredText {
std::vector<Line> decodeLines(const QByteArray &bytes)
{
    const QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        return splitText(decodeWith(QStringConverter::Utf8, view.sliced(3)));
    if (view.startsWith("\xFF\xFE"))
        return splitText(decodeWith(QStringConverter::Utf16LE, view.sliced(2)));
    if (view.startsWith("\xFE\xFF"))
        return splitText(decodeWith(QStringConverter::Utf16BE, view.sliced(2)));
    std::vector<Line> lines;
    for (const LineBounds &line : lineBounds(view)) {
        const QByteArrayView stored = view.sliced(line.start, line.end - line.start);
        lines.push_back({decodeLine(stored), QString::fromLatin1(view.sliced(line.end, line.next - line.end)),
                         stored.toByteArray()});
    }
    return lines;
}

QString decodeLine(QByteArrayView bytes)
{
    if (std::optional<QString> utf8 = decodeStrictUtf8(bytes))
        return *utf8;
    return decodeWindows1250(bytes);
}

QString decodeWindows1250(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte < 0x80 ? char16_t(byte) : kWindows1250High[byte - 0x80]);
    }
    return text;
}

QByteArray encodeLines(const std::vector<Line> &lines)
{
    QByteArray bytes;
    for (const Line &line : lines) {
        if (decodeLine(line.stored) == line.text)
            bytes += line.stored;
        else
            bytes += encode(line.text);
        bytes += line.eol.toLatin1();
    }
    return bytes;
}

QByteArray encode(const QString &text)
{
    return text.toUtf8();
}

std::optional<QByteArray> readFile(const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

std::optional<QString> writeFileAtomically(const QString &fileName, const QByteArray &bytes)
{
    return ReplacementFile(fileName).replaceWith(bytes);
}
} // namespace StoredText
