#pragma once

#include <QString>
#include <QStringList>

struct ProgramSettings;

// Everything one backup run needs to know, taken as one value when the run starts.
struct RunRequest
{
    QString userfolder;              // the data folder, holding the list file
    QString GLOBAL_lista;            // the configuration's prefix of the list file's name
    QString arhiva_file;             // the archive to write
    QString GLOBAL_ApplicationTitle; // the title's first words while the run reports progress
    QString GLOBAL_lista_caption;    // the configuration's name in the title
    int startDelayMs = 2000;         // the worker's wait before it reads the list
    bool replaceExisting = false;    // a file of the archive's name may be replaced (manual overwrite)
    bool verify = true;              // read the named archive back and check it
    QString archiveFolder;           // the automatic runs' archive folder, whose archives are never sources
    QString archivePrefix;           // the prefix of their names
    QString exclusions;              // patterns of what the collection leaves out, separated by ";"
    QStringList leftoverParts;       // ".part" files of earlier runs, reported as the run starts

    // The name the archive is written under until it is complete: the archive's name with ".part".
    static QString partFileOf(const QString &archiveFile);

    // The request for a run of the loaded settings into the given archive. The environment variable
    // ARKIVODA_START_DELAY_MS, when set to a number of 0 or more, shortens the worker's wait (tests and
    // benchmarks use it).
    static RunRequest fromSettings(const ProgramSettings &settings, const QString &archiveFile);
};
