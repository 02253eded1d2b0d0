#pragma once

#include "run/SortedPathList.h"
#include "run/SourceExclusions.h"

#include <QSet>
#include <QStringList>

class SourceCollectionSink;

// Turns the entries of a backup list into the files to archive and the subfolders to record.
// A file entry is taken as it stands, a folder entry contributes everything below it (not itself),
// and any other entry is reported as missing, as is a file or folder whose name in the archive would be
// too long (with nothing below it collected). An entry that cannot be looked at, and a folder at any
// depth that cannot be listed, is reported as unreadable with the system's reason. Paths
// are kept as the file system's bytes. Belongs to the thread that uses it.
class SourceCollection
{
  public:
    // What the walks of the listed folders leave out (nothing unless set). A listed entry itself is
    // always taken: the user named it.
    void setExclusions(const SourceExclusions &exclusions) { m_exclusions = exclusions; }
    // Resolves the entries in list order, adding to the two lists and reporting each missing entry, then
    // what the exclusions left out.
    void resolveEntries(const QStringList &entries, SourceCollectionSink &sink);
    // Reports the size of every collected file in list order, then their number.
    void reportTotals(SourceCollectionSink &sink) const;
    // The size of each file, in the order given; -1 for one that cannot be read.
    static QList<qint64> fileSizes(const QList<QByteArray> &paths);

    // Full paths of the files to archive, sorted.
    const SortedPathList &lista_fileova_finalna() const { return m_files; }
    // Full paths of the subfolders below the listed folders, at every depth, without trailing "/".
    const SortedPathList &lista_mapa_finalna() const { return m_folders; }

    // The longest name an archive entry can have, in bytes.
    static constexpr qsizetype ENTRY_NAME_MAX = 0xFFFF;
    // Whether the archive's name for a path (without its leading "/", a folder's with a trailing "/")
    // fits in an entry name.
    static bool entryNameFits(const QByteArray &path, bool folder);

  private:
    // Adds the paths whose archive names fit and reports the shortest over-long part of the others.
    void addFitting(SortedPathList &target, const SortedPathList &paths, bool folders,
                    SourceCollectionSink &sink);

    SortedPathList m_files;
    SortedPathList m_folders;
    SourceExclusions m_exclusions;
    // The over-long paths already reported.
    QSet<QByteArray> m_tooLong;
};
