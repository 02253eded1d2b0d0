#include "config/ReplacementFile.h"

#include "config/SystemReason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {
// Temporary files are "<file name>.tmp-" and eight letters or digits; nothing else is ever removed
// as a leftover.
const QString kTemporaryInfix = QStringLiteral(".tmp-");
constexpr int kTemporaryRandomLength = 8;

QString systemError(int error)
{
    return SystemReason::text(error);
}

QString randomSuffix()
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < kTemporaryRandomLength; ++i)
        suffix += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet) - 1)]);
    return suffix;
}

// Where writing the name ends up: a symbolic link is followed, so the link itself stays a link.
QString resolveLinks(const QString &fileName)
{
    QFileInfo info(fileName);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? fileName : info.filePath();
}
} // namespace

ReplacementFile::ReplacementFile(const QString &fileName) : m_target(resolveLinks(fileName)) {}

ReplacementFile::~ReplacementFile()
{
    // Failures here have no one left to report to; a temporary that stays behind is removed by the
    // next successful replacement.
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

std::optional<QString> ReplacementFile::replaceWith(const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(m_target);
    struct stat old = {};
    const bool oldExists = ::stat(target.constData(), &old) == 0;
    // A file the user made read-only is not replaced behind their back.
    if (oldExists && ::access(target.constData(), W_OK) != 0)
        return systemError(errno);

    if (std::optional<QString> error = createTemporary())
        return error;
    // The new file keeps the old one's owner, group and permissions; a new file gets the writer's and
    // the umask's.
    if (oldExists && S_ISREG(old.st_mode)) {
        if (std::optional<QString> error = keepOwnerAndMode(old))
            return error;
    }
    if (std::optional<QString> error = writeAll(bytes))
        return error;
    if (::fsync(m_fd) != 0)
        return systemError(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return systemError(errno);
    if (::rename(m_temporary.constData(), target.constData()) != 0)
        return systemError(errno);
    m_temporary.clear();

    // The rename is the commit point: the file is complete and in place. Syncing the folder only
    // hastens the rename's way to the disk, so a folder that cannot be synced is no failure.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_target).absolutePath());
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    removeStaleTemporaries();
    return std::nullopt;
}

std::optional<QString> ReplacementFile::createTemporary()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = QFile::encodeName(m_target + kTemporaryInfix + randomSuffix());
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return systemError(errno);
        }
        m_fd = fd;
        m_temporary = name;
        // The lock lives on a second descriptor, so it still holds between closing the written one
        // (whose close must be checked) and the rename; like the first, no started program inherits it.
        m_lockFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX) != 0)
            return systemError(errno);
        // Another writer may have taken the new file for a leftover and removed it before the lock.
        struct stat created = {};
        if (::fstat(fd, &created) != 0)
            return systemError(errno);
        if (created.st_nlink > 0)
            return std::nullopt;
        ::close(m_lockFd);
        ::close(m_fd);
        m_lockFd = m_fd = -1;
        m_temporary.clear();
    }
    return systemError(EEXIST);
}

std::optional<QString> ReplacementFile::keepOwnerAndMode(const struct stat &old)
{
    // Root writing a user's settings must leave them the user's, or the user's own runs can no longer
    // replace them. Where the owner cannot be kept (a user writing a file that is not theirs), the old
    // file stays rather than changing hands. The owner goes first: a change of owner clears set-id bits.
    struct stat created = {};
    if (::fstat(m_fd, &created) != 0)
        return systemError(errno);
    if ((created.st_uid != old.st_uid || created.st_gid != old.st_gid) &&
        ::fchown(m_fd, old.st_uid, old.st_gid) != 0)
        return systemError(errno);
    if (::fchmod(m_fd, old.st_mode & 07777) != 0)
        return systemError(errno);
    return std::nullopt;
}

std::optional<QString> ReplacementFile::writeAll(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return systemError(errno);
        }
        data += written;
        left -= written;
    }
    return std::nullopt;
}

void ReplacementFile::removeStaleTemporaries() const
{
    const QFileInfo target(m_target);
    const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(target.fileName() + kTemporaryInfix) +
                                            QStringLiteral("[A-Za-z0-9]{%1}").arg(kTemporaryRandomLength)));
    const QDir folder = target.absoluteDir();
    const QStringList candidates = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString &candidate : candidates) {
        if (!pattern.match(candidate).hasMatch())
            continue;
        // A temporary whose writer is alive is locked; the lock of a dead writer went with it.
        // Leftovers that cannot be removed now are tried again at the next write.
        const QByteArray name = QFile::encodeName(folder.filePath(candidate));
        const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat opened = {};
        struct stat named = {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::lstat(name.constData(), &named) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev)
            ::unlink(name.constData());
        ::close(fd);
    }
}
