#pragma once

#include <QString>

// What the status line says during a run, as values: the front end words it (the desktop window
// in the interface language, the command line in its own layout), so nothing has to parse it back.
struct RunStatus
{
    enum class Kind {
        Empty,         // nothing said yet
        Collecting,    // the sources are being collected and checked
        ArchivingFile, // file fileNumber of fileCount is being archived
        Stopping,      // the stop was requested: the archive is being finished
        ForcedStop,    // the forced stop was confirmed
        LeftoverParts, // fileCount ".part" files of earlier runs are in the archive folder
        Verifying,     // the archive is read back and checked, fileNumber percent done
    };

    Kind kind = Kind::Empty;
    qint64 fileNumber = 0;
    qint64 fileCount = 0;
    QString path;

    static RunStatus plain(Kind kind) { return {kind, 0, 0, QString()}; }
    static RunStatus archivingFile(qint64 number, qint64 count, const QString &path)
    {
        return {Kind::ArchivingFile, number, count, path};
    }

    static RunStatus leftoverParts(qint64 count) { return {Kind::LeftoverParts, 0, count, QString()}; }
    static RunStatus verifying(int percent) { return {Kind::Verifying, percent, 0, QString()}; }

    // The status line as the desktop shows it, in the current interface language.
    QString text() const;

    bool operator==(const RunStatus &other) const = default;
};
