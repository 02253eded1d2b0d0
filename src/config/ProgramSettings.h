#pragma once

#include <QString>

// The settings and derived values held for the life of the process. Written only on the
// interface thread and only while no run is in progress.
struct ProgramSettings
{
    QString userfolder;                 // data folder, always ends in "/"
    QString GLOBAL_lista;               // empty, or first argument + "_"
    QString GLOBAL_lista_caption;       // empty, or first argument
    QString GLOBAL_ApplicationTitle = QStringLiteral("Arkivoda");
    QString GLOBAL_build = QStringLiteral(" 64-bit");
    QString GLOBAL_Jezik = QStringLiteral("HR");
    QString BackupLokacijaAuto;         // archive folder of automatic runs, ends in "/"
    QString BckName;                    // archive-name prefix
    bool GLOBAL_StartToTray = false;
    bool GLOBAL_CloseToMinimize = false;
    bool GLOBAL_StartMinimized = false;
    bool GLOBAL_Report = true;
    bool GLOBAL_TimerEnabled = false;
    double GLOBAL_TimerTime = 0.0;      // time of day as a fraction of a day, 0 <= value < 1
    bool GLOBAL_CloseFromTray = false;
};
