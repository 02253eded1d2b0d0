#pragma once

#include <QString>

// Receives what the source collection reports, one call at a time and in the order of the run:
// the missing entries while the list is resolved, then one size per collected file, then the count.
// The backup worker passes each call on to the interface thread.
class SourceCollectionSink
{
  public:
    virtual ~SourceCollectionSink() = default;

    // An entry that names neither a file nor a folder, with its text exactly as read from the list.
    virtual void missingEntry(const QString &entry) = 0;
    // An entry, or a folder below a listed one, that exists or may exist but could not be read, with the
    // system's error number: nothing of its content is collected.
    virtual void unreadable(const QString &path, int error)
    {
        Q_UNUSED(error);
        missingEntry(path);
    }
    // A file or folder that exists but whose name in the archive would pass the 65,535 bytes a ZIP
    // entry name can hold; reported once for the shortest such path, not for what lies below it.
    virtual void entryNameTooLong(const QString &path) { missingEntry(path); }
    // Bytes that one collected file adds to the total size: its size, or 0 when that cannot be read.
    virtual void fileSize(qint64 bytes) = 0;
    // The number of collected files, reported once after every size.
    virtual void fileCount(qint64 count) = 0;
    // What the exclusions left out below the listed folders, reported once after the entries are
    // resolved when anything was left out.
    virtual void leftOut(qint64 files, qint64 folders)
    {
        Q_UNUSED(files);
        Q_UNUSED(folders);
    }
};
