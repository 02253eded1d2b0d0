#pragma once

#include <QString>
#include <QStringList>

// The state of the current or last backup run. Owned by the interface thread; the worker changes it
// only through its hand-overs, which run there. The worker reads the request flags from its hand-over
// channel's mirrors; RunController writes each flag and its mirror in one place.
struct RunState
{
    bool GLOBAL_ArhiviranjeUTijeku = false; // a run attempt is in progress
    bool PrekidArhiviranja = false;         // stop requested
    bool NasilniPrekidArhiviranja = false;  // forced stop requested
    bool Pauza = false;                     // pause requested
    bool fKill = false;                     // the forced stop has been carried out
    QString arhiva_file;                    // full path of the current or last archive
    bool archiveNamed = false;              // the complete archive has been given that name
    bool archiveClosed = false;             // the archive was written whole under its ".part" name
    qint64 file_size = 0;                   // size of the file being archived
    qint64 file_size_ukupno = 0;            // total size of all files to archive
    qint64 file_size_progress = 0;          // bytes of the files added completely
    qint64 file_count_ukupno = 0;           // number of files to archive
    qint64 file_count_progress = 0;         // number of files whose archiving began
    qint32 proteklo_vrijeme = 0;            // elapsed archiving time in seconds
    QString proteklo_vrijeme_prikaz;        // the elapsed time as "hh:nn:ss"
    qint32 file_missing = 0;                // number of sources missing or unreadable
    QStringList file_missing_list;          // those sources in the order met
    bool archiveFailed = false;             // the archive could not be created or written
    QString archiveFailure;                 // that failure, worded in the interface's language
    QString archiveFailureReason;           // the system's reason for it alone, worded likewise,
                                            // or empty when the failure was not the system's
    QStringList leftoverParts;              // ".part" files of earlier runs found at the start
    qint64 leftOutFiles = 0;                // files the exclusions and the archive folder left out
    qint64 leftOutFolders = 0;              // folders they left out, each with everything below it

    // The reading back of the named archive.
    enum class Verification {
        NotRequested, // off in the settings, or the run named no archive
        Sound,        // every check passed
        Faulty,       // the archive is damaged: verificationFault says where first
        Interrupted,  // a stop ended the verification before it was done
    };
    Verification verification = Verification::NotRequested;
    QString verificationFault;
    qint64 verificationMs = 0; // how long the verification took
};
