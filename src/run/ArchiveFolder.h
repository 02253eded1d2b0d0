#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>

// The archives one configuration's automatic runs leave in its archive folder: names made of the
// prefix, "_", the stamp "yyyy.mm.dd__hh.nn.ss" and ".zip", nothing more and nothing less, and their
// ".part" files. Only regular files count: a folder or a link of such a name is never one of them.
class ArchiveFolder
{
  public:
    // The archives of prefix in folder (with or without its trailing "/").
    ArchiveFolder(const QString &folder, const QString &prefix);

    // Whether a file name (without its folder) is exactly an archive name of the prefix.
    bool isArchiveName(const QString &name) const;
    // Whether a file name is exactly such an archive name followed by ".part".
    bool isPartName(const QString &name) const;

    // The ".part" files in the folder, full paths sorted by name.
    QStringList partFiles() const;
    // The archives in the folder, full paths sorted by name, which is oldest first.
    QStringList archives() const;

    struct Pruning
    {
        QStringList deleted; // full paths of the archives deleted, oldest first
        QStringList failed;  // "path: reason" of those that could not be deleted
        QStringList future;  // full paths of archives dated after current and the clock: kept, not counted
    };
    // Deletes the oldest archives until keep remain, current (the archive just written) always among
    // them, by RetentionPlan's rule: only archives isAutomatic names (given a file name) count or go.
    // nowStamp is the clock as an archive stamp. Nothing is deleted when keep is 0 or less.
    Pruning prune(int keep, const QString &current, const std::function<bool(const QString &)> &isAutomatic,
                  const QString &nowStamp) const;

  private:
    QStringList matching(bool parts) const;

    QString m_folder; // ends in "/"
    QString m_prefix;
    QRegularExpression m_archive;
    QRegularExpression m_part;
};
