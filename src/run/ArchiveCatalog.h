#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// One archive the restore window offers.
struct ArchiveCatalogEntry
{
    QString path;
    QDateTime modified;
    qint64 size = 0;
    qint64 entries = -1; // -1 when the archive's end record cannot be read
};

// The archives of a configuration: the ZIP files of its archive folder and the last manual archive,
// newest first. Each entry count comes from the archive's end record alone, so a folder of large
// archives is listed without reading their directories.
QList<ArchiveCatalogEntry> ListArchives(const QString &archiveFolder, const QString &lastManualArchive);

// The number of entries an archive's end record (or its ZIP64 end record) declares; -1 when it has none.
qint64 ArchiveEntryCount(const QString &path);
