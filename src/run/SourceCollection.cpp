#include "run/SourceCollection.h"

#include "run/DirectoryTree.h"
#include "run/FileSystem.h"
#include "run/SourceCollectionSink.h"

void SourceCollection::resolveEntries(const QStringList &entries, SourceCollectionSink &sink)
{
    SortedPathList walkFiles;
    SortedPathList walkFolders;

    for (const QString &fileSource : entries) {
        if (FileExists(fileSource)) {
            m_files.add(fileSource);
        } else if (DirectoryExists(fileSource)) {
            walkFiles.clear();
            walkFolders.clear();
            const QString folder =
                fileSource.endsWith(QLatin1Char('/')) ? fileSource : fileSource + QLatin1Char('/');
            DirectoryTree(folder + QLatin1Char('*'), walkFiles, walkFolders);
            m_files.add(walkFiles);
            m_folders.add(walkFolders);
        } else {
            sink.missingEntry(fileSource);
        }
    }
}

void SourceCollection::reportTotals(SourceCollectionSink &sink) const
{
    for (const QString &path : m_files) {
        const qint64 size = GetFileSize(path);
        sink.fileSize(size < 0 ? 0 : size);
    }
    sink.fileCount(m_files.size());
}
