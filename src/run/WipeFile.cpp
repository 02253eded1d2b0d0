#include "run/WipeFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// A dangling symbolic link is a name that exists too, so test without following links.
bool nameExists(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.exists() || info.isSymLink();
}

// Whether another archiving run holds the file: a run keeps its archive locked from creation to close.
bool heldByAnotherRun(const QString &fileName)
{
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

} // namespace

bool WipeFile(const QString &fileName, std::chrono::milliseconds limit)
{
    // A folder is never deleted in an archive's place, and no waiting turns it into a file. A link to
    // a folder is only a name, and goes like any other.
    const QFileInfo info(fileName);
    if (info.isDir() && !info.isSymLink())
        return false;
    // The archive another run is writing right now is never deleted under it.
    if (heldByAnotherRun(fileName))
        return false;
    if (nameExists(fileName))
        QFile::remove(fileName);
    const QDeadlineTimer deadline(limit);
    while (nameExists(fileName)) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
        QFile::remove(fileName);
    }
    return true;
}
