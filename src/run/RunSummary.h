#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

struct RunState;

// The values a finished run reports: what the summary dialog, the command line and the
// missing-files report show, computed from the run state and the archive's size on disk.
class RunSummary
{
  public:
    // Computes the values; archiveSize is the archive file's size, or -1 when it cannot be read.
    RunSummary(const RunState &state, qint64 archiveSize, const QLocale &locale = QLocale());

    QString headline() const { return m_headline; }
    QString folder() const { return m_folder; }
    QString name() const { return m_name; }
    QString count() const { return m_count; }
    QString dataSize() const { return m_dataSize; }
    QString archiveSize() const { return m_archiveSize; }
    QString compression() const { return m_compression; }
    QString duration() const { return m_duration; }

    // The summary text: the run-summary message filled with the eight values, then CR LF.
    QString text() const;

    // A number of megabytes (1 MB = 1048576 bytes) as "#,##0.0" with the locale's separators.
    static QString megabytes(qint64 bytes, const QLocale &locale = QLocale());
    // A whole number with the locale's thousands separators and no decimals.
    static QString count(qint64 value, const QLocale &locale = QLocale());
    // Elapsed seconds as a time of day "hh:nn:ss"; a run longer than a day wraps at 24 hours.
    static QString elapsedText(qint64 seconds);
    // The warning shown when sources were missing, with their number in plain decimal.
    static QString missingWarning(qint32 missing);
    // The lines of the missing-files report; an automatic run gets an empty line, the archive's
    // path and another empty line in front of the entries.
    static QStringList missingReport(const RunState &state, bool automaticRun);

  private:
    QString m_headline;
    QString m_folder;
    QString m_name;
    QString m_count;
    QString m_dataSize;
    QString m_archiveSize;
    QString m_compression;
    QString m_duration;
};
