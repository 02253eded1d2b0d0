#include "run/WipeFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

// A dangling symbolic link is a name that exists too, so test without following links.
bool nameExists(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.exists() || info.isSymLink();
}

} // namespace

bool WipeFile(const QString &fileName, std::chrono::milliseconds limit)
{
    // A folder is never deleted in an archive's place, and no waiting turns it into a file. A link to
    // a folder is only a name, and goes like any other.
    const QFileInfo info(fileName);
    if (info.isDir() && !info.isSymLink())
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
