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
    // One reading of the clock: read twice, a run started across midnight would get yesterday's date
    // with today's time.
    const QDateTime now = QDateTime::currentDateTime();
    return stamp(now.date(), now.time());
}

bool prefixIsValid(const QString &prefix)
{
    if (prefix.contains(QLatin1Char('/')) || prefix.contains(QChar(0)))
        return false;
    return prefix.isEmpty() || prefix.count(QLatin1Char('.')) != prefix.size();
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
