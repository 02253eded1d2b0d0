#include "run/RunRequest.h"

#include "config/ProgramSettings.h"

#include <QtGlobal>

RunRequest RunRequest::fromSettings(const ProgramSettings &settings, const QString &archiveFile)
{
    RunRequest request;
    request.userfolder = settings.userfolder;
    request.GLOBAL_lista = settings.GLOBAL_lista;
    request.arhiva_file = archiveFile;
    request.GLOBAL_ApplicationTitle = settings.GLOBAL_ApplicationTitle;
    request.GLOBAL_lista_caption = settings.GLOBAL_lista_caption;
    request.verify = settings.GLOBAL_Provjera;
    request.archiveFolder = settings.BackupLokacijaAuto;
    request.archivePrefix = settings.BckName;
    request.exclusions = settings.GLOBAL_Izuzeci;
    bool ok = false;
    const int delay = qEnvironmentVariableIntValue("ARKIVODA_START_DELAY_MS", &ok);
    if (ok && delay >= 0)
        request.startDelayMs = delay;
    return request;
}

QString RunRequest::partFileOf(const QString &archiveFile)
{
    return archiveFile + QStringLiteral(".part");
}
