#pragma once

#include <QString>

// The program's version: the four numbers of the project's version, compiled into the program (a
// Linux program file carries no version resource of its own).

// The version of the named program file written with the pattern, whose "%d" placeholders take the
// major, minor, release and build number in turn. An empty name means the running program. Only the
// running program's own file has version information; for any other file the result is empty.
QString Verzija_programa(const QString &fileName, const QString &pattern);

// The running program's version as "major.minor.release.build", for example "1.0.0.0".
QString GetAppVersionStr();
