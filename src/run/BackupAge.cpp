#include "run/BackupAge.h"

#include "config/MessageTable.h"

namespace {

constexpr qint64 overdueSeconds = 2 * 24 * 60 * 60;

QString ago(const QDateTime &lastGood, const QDateTime &now)
{
    if (!lastGood.isValid())
        return MessageTable::text(Msg::BackupAgeNone);
    const qint64 days = std::max<qint64>(0, lastGood.date().daysTo(now.date()));
    if (days == 0)
        return MessageTable::text(Msg::BackupAgeToday);
    if (days == 1)
        return MessageTable::text(Msg::BackupAgeYesterday);
    // Croatian says "prije 21 dan", but "prije 3 dana" and "prije 11 dana".
    const bool singular = days % 10 == 1 && days % 100 != 11;
    return MessageTable::fill(MessageTable::text(singular ? Msg::BackupAgeDaysSingular : Msg::BackupAgeDays),
                              {QString::number(days)});
}

} // namespace

QString BackupAge::text(const QDateTime &lastGood, const QDateTime &now)
{
    return MessageTable::fill(MessageTable::text(Msg::BackupAgeLine), {ago(lastGood, now)});
}

bool BackupAge::overdue(const QDateTime &lastGood, const QDateTime &now)
{
    return lastGood.isValid() && lastGood.secsTo(now) >= overdueSeconds;
}
