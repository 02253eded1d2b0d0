#include "run/ArchiveCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 END_RECORD_SIZE = 22;
constexpr qint64 MAX_COMMENT = 65535;
constexpr qint64 ZIP64_LOCATOR_SIZE = 20;
constexpr qint64 ZIP64_END_RECORD_SIZE = 56;

ArchiveCatalogEntry describe(const QFileInfo &info)
{
    return {info.absoluteFilePath(), info.lastModified(), info.size(),
            ArchiveEntryCount(info.absoluteFilePath())};
}

} // namespace

qint64 ArchiveEntryCount(const QString &path)
{
    // Opened without waiting, and only a regular file is read: a pipe at the name would hold the
    // window's list forever.
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return -1;
    struct stat status
    {
    };
    QFile file;
    if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return -1;
    }
    if (file.size() < END_RECORD_SIZE)
        return -1;
    // The end record stands in the last 22 bytes plus the longest comment.
    const qint64 tailSize = std::min(file.size(), END_RECORD_SIZE + MAX_COMMENT);
    const qint64 tailStart = file.size() - tailSize;
    if (!file.seek(tailStart))
        return -1;
    const QByteArray tail = file.read(tailSize);
    if (tail.size() != tailSize)
        return -1;
    const auto *bytes = reinterpret_cast<const uchar *>(tail.constData());
    for (qint64 at = tailSize - END_RECORD_SIZE; at >= 0; --at) {
        if (qFromLittleEndian<quint32>(bytes + at) != 0x06054B50)
            continue;
        const quint16 total = qFromLittleEndian<quint16>(bytes + at + 10);
        if (total != 0xFFFF)
            return total;
        // ZIP64: the locator just before the end record points at the ZIP64 end record.
        const qint64 locator = tailStart + at - ZIP64_LOCATOR_SIZE;
        uchar record[ZIP64_END_RECORD_SIZE];
        if (locator < 0 || !file.seek(locator) ||
            file.read(reinterpret_cast<char *>(record), ZIP64_LOCATOR_SIZE) != ZIP64_LOCATOR_SIZE ||
            qFromLittleEndian<quint32>(record) != 0x07064B50)
            return total;
        const auto offset = qint64(qFromLittleEndian<quint64>(record + 8));
        if (offset < 0 || !file.seek(offset) ||
            file.read(reinterpret_cast<char *>(record), ZIP64_END_RECORD_SIZE) != ZIP64_END_RECORD_SIZE ||
            qFromLittleEndian<quint32>(record) != 0x06064B50)
            return total;
        return qint64(qFromLittleEndian<quint64>(record + 32));
    }
    return -1;
}

QList<ArchiveCatalogEntry> ListArchives(const QString &archiveFolder, const QString &lastManualArchive)
{
    QList<ArchiveCatalogEntry> archives;
    if (!archiveFolder.isEmpty()) {
        const QDir folder(archiveFolder);
        const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.zip"), QStringLiteral("*.ZIP")},
                                                         QDir::Files | QDir::Hidden);
        for (const QFileInfo &info : files)
            archives << describe(info);
    }
    const QFileInfo manual(lastManualArchive);
    if (!lastManualArchive.isEmpty() && lastManualArchive != QStringLiteral("-") && manual.isFile() &&
        std::none_of(archives.begin(), archives.end(),
                     [&](const ArchiveCatalogEntry &a) { return a.path == manual.absoluteFilePath(); }))
        archives << describe(manual);
    std::stable_sort(
        archives.begin(), archives.end(),
        [](const ArchiveCatalogEntry &a, const ArchiveCatalogEntry &b) { return a.modified > b.modified; });
    return archives;
}
