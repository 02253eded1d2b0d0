#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// Archive names of the runs: the user's prefix, the date and the time, as in Arhiva_2024.03.15__14.05.09.zip.
namespace ArchiveName {

// "yyyy.mm.dd__hh.nn.ss" from the two clock readings, independent of the user's locale.
QString stamp(const QDate &date, const QTime &time);
// The stamp of the current local date and time; the date is read first, the time second.
QString stampNow();

// Whether a prefix can start an archive's name in the archive folder: it names no other folder ("/"),
// holds no NUL and is not only dots ("." and ".." are folders). An empty prefix is the settings' own
// check.
bool prefixIsValid(const QString &prefix);
// prefix + "_" + stamp + ".zip", without a folder (the name a manual run proposes).
QString fileName(const QString &prefix, const QString &stamp);
// The automatic run's full path: the archive folder (ending in "/"), then fileName().
QString automaticPath(const QString &folder, const QString &prefix, const QString &stamp);

} // namespace ArchiveName
