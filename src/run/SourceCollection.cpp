#include "run/SourceCollection.h"

#include "run/DirectoryTree.h"
#include "run/FileSystem.h"
#include "run/SourceCollectionSink.h"

#include <QDir>
#include <QFile>

void SourceCollection::resolveEntries(const QStringList &entries, SourceCollectionSink &sink)
{
    SortedPathList walkFiles;
    SortedPathList walkFolders;

    const auto reportUnavailable = [&sink](const QByteArray &folder) {
        sink.missingEntry(QFile::decodeName(folder));
    };
    for (const QString &entry : entries) {
        // "." and ".." are resolved first, so that no entry name holds ".." and no file is archived
        // under two names.
        const QByteArray fileSource = QFile::encodeName(QDir::cleanPath(entry));
        if (FileExists(fileSource)) {
            m_files.add(fileSource);
        } else if (DirectoryExists(fileSource)) {
            walkFiles.clear();
            walkFolders.clear();
            const QByteArray folder = fileSource.endsWith('/') ? fileSource : fileSource + '/';
            DirectoryTree(folder + '*', walkFiles, walkFolders, reportUnavailable);
            m_files.add(walkFiles);
            m_folders.add(walkFolders);
        } else {
            sink.missingEntry(entry);
        }
    }
}

void SourceCollection::reportTotals(SourceCollectionSink &sink) const
{
    for (const QByteArray &path : m_files.localPaths()) {
        const qint64 size = GetFileSize(path);
        sink.fileSize(size < 0 ? 0 : size);
    }
    sink.fileCount(m_files.size());
}
