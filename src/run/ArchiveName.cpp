#include "run/ArchiveName.h"

#include <QDateTime>

namespace ArchiveName {

QString stamp(const QDate &date, const QTime &time)
{
    return date.toString(QStringLiteral("yyyy.MM.dd")) + QStringLiteral("__") +
           time.toString(QStringLiteral("HH.mm.ss"));
}

QString stampNow()
{
    const QDate date = QDate::currentDate();
    const QTime time = QTime::currentTime();
    return stamp(date, time);
}

QString fileName(const QString &prefix, const QString &stamp)
{
    return prefix + QLatin1Char('_') + stamp + QStringLiteral(".zip");
}

QString automaticPath(const QString &folder, const QString &prefix, const QString &stamp)
{
    return folder + fileName(prefix, stamp);
}

} // namespace ArchiveName
