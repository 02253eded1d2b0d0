#include "run/RetentionPlan.h"

#include <QRegularExpression>

#include <algorithm>

QString RetentionPlan::stampOf(const QString &prefix, const QString &name)
{
    // The stamp's digits and separators as the automatic run writes them; its order is that of time,
    // so that comparing stamps as text compares the moments.
    static const QRegularExpression stamp(
        QStringLiteral("^_(\\d{4}\\.\\d{2}\\.\\d{2}__\\d{2}\\.\\d{2}\\.\\d{2})\\.zip$"));
    if (prefix.isEmpty() || !name.startsWith(prefix))
        return QString();
    const QRegularExpressionMatch match = stamp.match(QStringView(name).mid(prefix.size()));
    return match.hasMatch() ? match.captured(1) : QString();
}

RetentionPlan RetentionPlan::make(const QString &prefix, const QStringList &names, const QString &current,
                                  int keep, const QString &nowStamp,
                                  const std::function<bool(const QString &)> &isAutomatic)
{
    RetentionPlan plan;
    if (keep <= 0)
        return plan;
    const QString currentStamp = stampOf(prefix, current);
    // A copy of a manual archive of another name is dated by the clock.
    const QString reference = currentStamp.isEmpty() ? nowStamp : currentStamp;
    QStringList sorted = names;
    sorted.removeAll(current);
    sorted.removeDuplicates();
    std::sort(sorted.begin(), sorted.end());
    QStringList older;
    qsizetype kept = currentStamp.isEmpty() ? 0 : 1;
    for (const QString &name : std::as_const(sorted)) {
        const QString stamp = stampOf(prefix, name);
        if (stamp.isEmpty())
            continue;
        if (stamp > reference && stamp > nowStamp)
            plan.future.append(name);
        else if (!isAutomatic(name))
            continue;
        else if (stamp < reference)
            older.append(name);
        else
            ++kept; // newer than the archive sent, and real: it stays and counts
    }
    const qsizetype olderKept = std::max<qsizetype>(0, keep - kept);
    plan.deleted = older.mid(0, std::max<qsizetype>(0, older.size() - olderKept));
    return plan;
}
