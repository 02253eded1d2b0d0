#include "run/RunSummary.h"

#include "config/MessageTable.h"
#include "run/RunState.h"

#include <cmath>

namespace {

constexpr double bytesPerMegabyte = 1048576.0;

// "#,##0.0": locale separators, one decimal, and a plain hyphen for negatives (some locales,
// Croatian among them, would otherwise give U+2212, which the rest of the texts never use).
QString decimal(double value, const QLocale &locale)
{
    const QString magnitude = locale.toString(std::abs(value), 'f', 1);
    return value < 0 && magnitude != locale.toString(0.0, 'f', 1) ? QLatin1Char('-') + magnitude : magnitude;
}

} // namespace

RunSummary::RunSummary(const RunState &state, qint64 archiveSize, const QLocale &locale)
{
    // A run without some of its sources did not back up everything either: the headline says so.
    if (state.PrekidArhiviranja)
        m_headline = MessageTable::text(Msg::HeadlinePartial);
    else if (state.file_missing > 0)
        m_headline = MessageTable::fill(MessageTable::text(Msg::HeadlineMissing, state.file_missing),
                                        {count(state.file_missing, locale)});
    else
        m_headline = MessageTable::text(Msg::HeadlineComplete);
    const qsizetype lastSeparator = state.arhiva_file.lastIndexOf(QLatin1Char('/'));
    m_folder = state.arhiva_file.left(lastSeparator + 1);
    m_name = state.arhiva_file.mid(lastSeparator + 1);
    m_count = count(state.file_count_progress, locale);
    m_dataSize = megabytes(state.file_size_progress, locale);
    // An archive that cannot be measured counts as empty, here and in the compression.
    const qint64 archiveBytes = archiveSize < 0 ? 0 : archiveSize;
    m_archiveSize = megabytes(archiveBytes, locale);
    if (state.file_size_progress > 0) {
        const double ratio = 100.0 - double(archiveBytes) / double(state.file_size_progress) * 100.0;
        m_compression = decimal(ratio, locale) + QLatin1Char('%');
    } else {
        m_compression = QStringLiteral("-");
    }
    m_duration = state.proteklo_vrijeme_prikaz;
}

QString RunSummary::text() const
{
    return MessageTable::fill(MessageTable::text(Msg::RunSummary),
                              {m_headline, m_folder, m_name, m_count, m_dataSize, m_archiveSize,
                               m_compression, m_duration}) +
           QStringLiteral("\r\n");
}

QString RunSummary::megabytes(qint64 bytes, const QLocale &locale)
{
    return decimal(double(bytes) / bytesPerMegabyte, locale);
}

QString RunSummary::count(qint64 value, const QLocale &locale)
{
    return locale.toString(value);
}

QString RunSummary::elapsedText(qint64 seconds)
{
    const qint64 timeOfDay = ((seconds % 86400) + 86400) % 86400;
    const auto twoDigits = [](qint64 value) {
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    };
    return twoDigits(timeOfDay / 3600) + QLatin1Char(':') + twoDigits(timeOfDay / 60 % 60) +
           QLatin1Char(':') + twoDigits(timeOfDay % 60);
}

QString RunSummary::missingWarning(qint32 missing)
{
    return MessageTable::fill(MessageTable::text(Msg::WarningSourcesMissing, missing),
                              {QString::number(missing)});
}

QStringList RunSummary::missingReport(const RunState &state, bool automaticRun)
{
    QStringList lines;
    if (automaticRun)
        lines << QString()
              << MessageTable::text(Msg::ReportArchiveLine) + QLatin1Char(' ') + state.arhiva_file
              << QString();
    lines << state.file_missing_list;
    return lines;
}
