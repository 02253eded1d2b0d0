#include "config/IniFile.h"

#include "config/EConfigError.h"
#include "config/StoredText.h"

#include <QFileInfo>
#include <QLocale>
#include <QTime>

#include <cmath>
#include <utility>
#include <vector>

namespace {
constexpr qint64 kMsecsPerDay = 24 * 60 * 60 * 1000;

// One line of the file with the line end that followed it ("" for a last line without one) and its
// bytes, so lines the accessor does not change are written back exactly as they were read.
using StoredText::Line;

enum class LineKind { Other, Section, Key };

struct ParsedLine
{
    LineKind kind = LineKind::Other;
    QString name;            // section or key name, trimmed
    QString value;           // key value, trimmed
    qsizetype equalsAt = -1; // position of the key's "=" in the line
};

ParsedLine parseLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        if (close > 0)
            return {LineKind::Section, trimmed.mid(1, close - 1).trimmed(), {}, -1};
        return {};
    }
    if (trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
        return {};
    const qsizetype equalsAt = line.indexOf(u'=');
    if (equalsAt < 0)
        return {};
    const QString key = line.left(equalsAt).trimmed();
    if (key.isEmpty())
        return {};
    return {LineKind::Key, key, line.mid(equalsAt + 1).trimmed(), equalsAt};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key is, or would go. Only the first section of a name counts, as with the Windows
// profile functions: a later section of the same name is never read or written.
struct Location
{
    std::optional<size_t> section;
    std::optional<size_t> key;
    size_t lastContentLine = 0; // last non-blank line of the section (its header when it is empty)
};

Location locate(const std::vector<Line> &lines, const QString &section, const QString &key)
{
    Location location;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parseLine(lines[i].text);
        if (!location.section) {
            if (parsed.kind == LineKind::Section && sameName(parsed.name, section)) {
                location.section = i;
                location.lastContentLine = i;
            }
            continue;
        }
        if (parsed.kind == LineKind::Section)
            break;
        if (!lines[i].text.trimmed().isEmpty())
            location.lastContentLine = i;
        if (!location.key && parsed.kind == LineKind::Key && sameName(parsed.name, key))
            location.key = i;
    }
    return location;
}

std::optional<std::vector<Line>> readLines(const QString &fileName)
{
    const std::optional<QByteArray> bytes = StoredText::readFile(fileName);
    if (!bytes)
        return std::nullopt;
    return StoredText::decodeLines(*bytes);
}

QString lineEndOf(const std::vector<Line> &lines)
{
    for (const Line &line : lines) {
        if (!line.eol.isEmpty())
            return line.eol;
    }
    return QStringLiteral("\r\n");
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Digits of one base into a value no larger than limit; nothing on any other character or overflow.
std::optional<qint64> parseDigits(QStringView digits, int base, qint64 limit)
{
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

QTime parseTimeOfDay(const QString &text)
{
    for (const QString &format : {QStringLiteral("H:mm:ss"), QStringLiteral("H:mm")}) {
        const QTime time = QTime::fromString(text, format);
        if (time.isValid())
            return time;
    }
    for (const QLocale &locale : {QLocale(), QLocale::system()}) {
        for (const auto type : {QLocale::LongFormat, QLocale::ShortFormat}) {
            const QTime time = locale.toTime(text, type);
            if (time.isValid())
                return time;
        }
    }
    return {};
}
} // namespace

IniFile::IniFile(QString fileName) : m_fileName(std::move(fileName)) {}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    return ReadValue(section, key).value_or(defaultValue);
}

std::optional<QString> IniFile::ReadValue(const QString &section, const QString &key) const
{
    const std::optional<std::vector<Line>> lines = readLines(m_fileName);
    if (!lines)
        return std::nullopt;
    const Location location = locate(*lines, section, key);
    if (!location.key)
        return std::nullopt;
    QString value = parseLine((*lines)[*location.key].text).value;
    // A value quoted by hand reads without its quotes, as the Windows profile functions read it.
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    // Never cut: a shortened folder or exclusion list would send a run somewhere else or archive
    // something else than the settings window saved.
    return value;
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return parseBool(ReadString(section, key, QString())).value_or(defaultValue);
}

double IniFile::ReadTime(const QString &section, const QString &key, double defaultValue) const
{
    return parseTime(ReadString(section, key, QString())).value_or(defaultValue);
}

void IniFile::WriteString(const QString &section, const QString &key, const QString &value) const
{
    // A line break would split the value into a broken line and a stray one.
    if (value.contains(u'\r') || value.contains(u'\n'))
        throwWriteError();

    std::vector<Line> lines;
    if (QFileInfo::exists(m_fileName)) {
        // Rewriting a file that could not be read would drop everything else in it.
        std::optional<std::vector<Line>> existing = readLines(m_fileName);
        if (!existing)
            throwWriteError();
        lines = std::move(*existing);
    }

    const QString eol = lineEndOf(lines);
    const Location location = locate(lines, section, key);
    if (location.key) {
        Line &line = lines[*location.key];
        line.text = line.text.left(parseLine(line.text).equalsAt) + u'=' + value;
    } else {
        const size_t at = location.section ? location.lastContentLine + 1 : lines.size();
        if (at > 0 && lines[at - 1].eol.isEmpty())
            lines[at - 1].eol = eol;
        std::vector<Line> added;
        if (!location.section)
            added.push_back({u'[' + section + u']', eol, {}});
        added.push_back({key + u'=' + value, eol, {}});
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
    }

    if (const std::optional<QString> error =
            StoredText::writeFileAtomically(m_fileName, StoredText::encodeLines(lines)))
        throwWriteError(*error);
}

void IniFile::WriteBool(const QString &section, const QString &key, bool value) const
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::WriteTime(const QString &section, const QString &key, double value) const
{
    WriteString(section, key, formatTime(value));
}

std::optional<bool> IniFile::parseBool(const QString &text)
{
    // The range of a 32-bit integer: decimal with an optional sign, hexadecimal up to 0xFFFFFFFF.
    const QStringView view(text);
    if (view.size() > 2 && view[0] == u'0' && (view[1] == u'x' || view[1] == u'X')) {
        const std::optional<qint64> value = parseDigits(view.sliced(2), 16, 0xFFFFFFFFLL);
        return value ? std::optional<bool>(*value != 0) : std::nullopt;
    }
    const bool negative = view.startsWith(u'-');
    const QStringView digits = negative || view.startsWith(u'+') ? view.sliced(1) : view;
    const std::optional<qint64> value = parseDigits(digits, 10, negative ? 0x80000000LL : 0x7FFFFFFFLL);
    return value ? std::optional<bool>(*value != 0) : std::nullopt;
}

std::optional<double> IniFile::parseTime(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QTime time = parseTimeOfDay(text);
    if (!time.isValid())
        return std::nullopt;
    return double(time.msecsSinceStartOfDay()) / double(kMsecsPerDay);
}

QString IniFile::formatTime(double dayFraction)
{
    const double fraction = std::isfinite(dayFraction) ? dayFraction - std::floor(dayFraction) : 0.0;
    // Rounded to the millisecond first, so 0.5 minus a rounding error still shows 12:00:00.
    const qint64 msecs = std::llround(fraction * double(kMsecsPerDay)) % kMsecsPerDay;
    return QTime::fromMSecsSinceStartOfDay(int(msecs)).toString(QStringLiteral("HH:mm:ss"));
}

void IniFile::throwWriteError(const QString &reason) const
{
    throw EConfigError(EConfigError::Operation::Write, m_fileName,
                       QStringLiteral("Unable to write to %1").arg(m_fileName), reason);
}
