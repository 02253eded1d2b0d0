#pragma once

#include <QDateTime>
#include <QString>

// How long ago the last good backup (BackupAttempt::isGoodBackup: complete, every source read, its
// reading back not cut short) was made, in words, and whether backups are overdue.
class BackupAge
{
  public:
    // "Zadnje uspješno arhiviranje: prije 3 dana", in the current language. Days go by the calendar:
    // today, yesterday, then the number of days; "none yet" without a good backup on record.
    static QString text(const QDateTime &lastGood, const QDateTime &now);
    // Whether the last good backup is two days old or more. Without one on record nothing is known to
    // be overdue, and a clock set back before it makes nothing overdue either.
    static bool overdue(const QDateTime &lastGood, const QDateTime &now);
};
