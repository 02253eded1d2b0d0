#include "run/RemoteRetention.h"

#include <QRegularExpression>

#include <algorithm>

bool RemoteRetention::matches(const QString &prefix, const QString &name)
{
    // The stamp's digits and separators as the automatic run writes them; its order is that of time,
    // so that name order is age order.
    static const QRegularExpression stamp(
        QStringLiteral("^_\\d{4}\\.\\d{2}\\.\\d{2}__\\d{2}\\.\\d{2}\\.\\d{2}\\.zip$"));
    return !prefix.isEmpty() && name.startsWith(prefix) &&
           stamp.match(QStringView(name).mid(prefix.size())).hasMatch();
}

QStringList RemoteRetention::toDelete(const QString &prefix, const QStringList &fileNames,
                                      const QString &sent, int keep)
{
    if (keep <= 0)
        return {};
    QStringList matching;
    for (const QString &name : fileNames)
        if (matches(prefix, name) && !matching.contains(name))
            matching.append(name);
    std::sort(matching.begin(), matching.end());
    QStringList deleted;
    qsizetype remaining = matching.size();
    for (const QString &name : std::as_const(matching)) {
        if (remaining <= keep)
            break;
        if (name == sent)
            continue;
        deleted.append(name);
        --remaining;
    }
    return deleted;
}
