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
