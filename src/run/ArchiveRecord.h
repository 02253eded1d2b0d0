#pragma once

#include <QSet>
#include <QString>

struct ProgramSettings;

// Which archives a configuration's runs wrote, kept next to its settings: the names its automatic runs
// completed and the names its manual runs completed. Retention deletes only what this record knows as
// an automatic archive, so that a manual archive saved under the name an automatic run would give it is
// never taken for one. Archives from before the record began are judged by their name as before, unless
// a manual run is on record for them.
class ArchiveRecord
{
  public:
    // No record: nothing is known as an automatic archive.
    ArchiveRecord() = default;
    // A record begun at the stamp start ("yyyy.mm.dd__hh.nn.ss"), with what the runs wrote since.
    ArchiveRecord(const QString &start, const QSet<QString> &automatic, const QSet<QString> &manual);

    // The record's file: beside the settings file, "<list>Arkivoda_arhive.txt".
    static QString fileName(const ProgramSettings &settings);
    // The configuration's record; no record when the file is missing or cannot be read.
    static ArchiveRecord read(const ProgramSettings &settings);
    // Adds an archive name (without its folder) that an automatic or a manual run completed, beginning
    // the record at nowStamp when there is none. The file is replaced whole under the configuration's
    // lock; throws EConfigError when it cannot be read or written.
    static void add(const ProgramSettings &settings, bool automatic, const QString &name,
                    const QString &nowStamp);

    bool exists() const { return !m_start.isEmpty(); }
    // Whether name is an archive that an automatic run of prefix's configuration wrote: on record as one,
    // or an archive name of the prefix dated before the record began that no manual run is on record for.
    bool isAutomatic(const QString &prefix, const QString &name) const;

  private:
    QString m_start;
    QSet<QString> m_automatic;
    QSet<QString> m_manual;
};
