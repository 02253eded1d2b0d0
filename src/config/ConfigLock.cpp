#include "config/ConfigLock.h"

#include "config/EConfigError.h"
#include "config/MessageTable.h"
#include "config/SystemReason.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

namespace {
constexpr std::chrono::milliseconds kDefaultWait{10000};
constexpr std::chrono::milliseconds kPollInterval{20};

std::atomic<std::chrono::milliseconds::rep> g_maximumWait{kDefaultWait.count()};

[[noreturn]] void throwOpenError(const QString &lockFileName, const QString &fileName, int error)
{
    throw EConfigError(EConfigError::Operation::Write, fileName,
                       QStringLiteral("Unable to write to %1").arg(fileName),
                       lockFileName + QStringLiteral(": ") + SystemReason::text(error));
}

// A lock file that root creates in a user's data folder goes to the folder's owner, so the user's own
// processes can still open it whatever root's umask was.
void giveToFolderOwner(int fd, const QString &lockFileName)
{
    struct stat folder = {};
    struct stat created = {};
    const QByteArray folderName = QFile::encodeName(QFileInfo(lockFileName).absolutePath());
    if (::stat(folderName.constData(), &folder) != 0 || ::fstat(fd, &created) != 0)
        return;
    if (created.st_uid != folder.st_uid || created.st_gid != folder.st_gid) {
        // Where that is not allowed the file stays the creator's; it is readable by the umask's rules.
        [[maybe_unused]] const int ignored = ::fchown(fd, folder.st_uid, folder.st_gid);
    }
}

// Opens the lock file, creating it when missing. Reading is enough for flock, so a lock file another user
// created serves as long as it can be read. It is never followed as a link nor waited on as a FIFO.
int openLockFile(const QString &lockFileName, const QString &fileName)
{
    const QByteArray name = QFile::encodeName(lockFileName);
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = ::open(name.constData(), flags | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            giveToFolderOwner(fd, lockFileName);
            return fd;
        }
        if (errno != EEXIST)
            throwOpenError(lockFileName, fileName, errno);
        fd = ::open(name.constData(), flags);
        if (fd >= 0) {
            struct stat opened = {};
            if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode))
                return fd;
            ::close(fd);
            throwOpenError(lockFileName, fileName, EINVAL);
        }
        // Removed between the two opens: create it again.
        if (errno != ENOENT)
            throwOpenError(lockFileName, fileName, errno);
    }
    throwOpenError(lockFileName, fileName, ENOENT);
}
} // namespace

ConfigLock::ConfigLock(const QString &lockFileName, const QString &fileName)
    : m_fd(openLockFile(lockFileName, fileName))
{
    const std::chrono::milliseconds wait = maximumWait();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(m_fd);
            if (error != EWOULDBLOCK)
                throwOpenError(lockFileName, fileName, error);
            throw EConfigError(EConfigError::Operation::Wait, fileName,
                               MessageTable::fill(MessageTable::text(Msg::ErrorConfigurationBusy),
                                                  {fileName, QString::number(wait.count() / 1000.0)}));
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

ConfigLock::~ConfigLock()
{
    // Closing the only descriptor of the open file releases the lock.
    ::close(m_fd);
}

std::chrono::milliseconds ConfigLock::maximumWait()
{
    return std::chrono::milliseconds(g_maximumWait.load());
}

void ConfigLock::setMaximumWait(std::chrono::milliseconds wait)
{
    g_maximumWait.store(wait.count());
}
