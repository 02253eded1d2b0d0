#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

// The state of the current or last backup run. Owned by the interface thread; the worker changes
// it only inside hand-overs. The four flags are also read by the worker at fixed points, hence atomic.
struct RunState
{
    bool GLOBAL_ArhiviranjeUTijeku = false;            // a run attempt is in progress
    std::atomic<bool> PrekidArhiviranja{false};        // stop requested
    std::atomic<bool> NasilniPrekidArhiviranja{false}; // forced stop requested
    std::atomic<bool> Pauza{false};                    // pause requested
    std::atomic<bool> fKill{false};                    // the forced stop has been carried out
    QString arhiva_file;                               // full path of the current or last archive
    qint64 file_size = 0;                              // size of the file being archived
    qint64 file_size_ukupno = 0;                       // total size of all files to archive
    qint64 file_size_progress = 0;                     // bytes of the files added completely
    qint64 file_count_ukupno = 0;                      // number of files to archive
    qint64 file_count_progress = 0;                    // number of files whose archiving began
    qint32 proteklo_vrijeme = 0;                       // elapsed archiving time in seconds
    QString proteklo_vrijeme_prikaz;                   // the elapsed time as "hh:nn:ss"
    qint32 file_missing = 0;                           // number of sources missing or unreadable
    QStringList file_missing_list;                     // those sources in the order met
    bool GLOBAL_ShutdownFlag = false;                  // an end-of-run action is pending
    QString GLOBAL_ShutdownEvent;                      // "CLOSE", "SHUTDOWN", "LOGOFF" or empty
    int GLOBAL_ShutdownCounter = 0;                    // countdown length in milliseconds
};
