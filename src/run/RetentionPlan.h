#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Which of a configuration's automatic archives go when only the newest ones are kept: one rule for the
// archive folder and the remote target alike. Only archives newer than none of the current one may go:
// the archive just written or sent stays, and so does everything dated after it. An archive dated after
// the clock as well (a clock that was once wrong) is never counted among those kept, so that it cannot
// push a real archive out, and is named so that someone looks at it.
class RetentionPlan
{
  public:
    QStringList deleted; // names to delete, oldest first
    QStringList future;  // names dated after the current archive and after now, oldest first

    // The plan for names, the file names (without a folder) in the archive folder or at the target;
    // current, the archive just written or sent, may be among them. Only names isAutomatic knows as the
    // configuration's automatic archives count or go; any archive name of the prefix dated in the future
    // is named. nowStamp is the clock as an archive stamp. keep 0 or less keeps everything.
    static RetentionPlan make(const QString &prefix, const QStringList &names, const QString &current,
                              int keep, const QString &nowStamp,
                              const std::function<bool(const QString &)> &isAutomatic);
    // The stamp "yyyy.mm.dd__hh.nn.ss" of a name that is exactly prefix_stamp.zip; empty for any
    // other name (a ".part", a ".bak", another prefix).
    static QString stampOf(const QString &prefix, const QString &name);
};
