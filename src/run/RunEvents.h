#pragma once

#include "run/RunState.h"

#include <QString>

// What the archiving worker reports of its run, to whoever serves the run on the interface thread
// (RunController). The worker never calls these itself: it queues each call on the run's hand-over
// channel, so every method runs on the interface thread, one at a time and in the worker's order, and
// none runs once the run is closed.
class RunEvents
{
  public:
    // The worker's hand-overs, numbered in the order a run makes them; ProgressDisplay is the
    // progress event's.
    enum class HandOver {
        ProgressDisplay = 0,
        CopySettings = 1, // the run's start, once the worker has its request
        StatusCollecting = 2,
        MissingEntry = 3,
        AddFileSize = 4,
        FileCount = 5,
        TimerRestart = 6,
        CopyStopFlag = 7,
        FileBarReset = 8,
        FileOpened = 9,
        FileStatus = 10,
        FileAdded = 11,
        FileFailed = 12,
        TimerStop = 13,
        ArchiveError = 14,
        Completion = 15,
        ArchiveNamed = 16,
        VerifyProgress = 17, // the named archive is being read back
        Verified = 18,
        LeftOut = 19, // what the exclusions left out, after the list is resolved
    };

    virtual ~RunEvents() = default;

    // Called as every hand-over begins, before its own event; also for the hand-overs that carry
    // nothing else (the run's start, the copy of the stop flag).
    virtual void onHandOver(HandOver which) = 0;

    // The list is read and its entries are being resolved into files and folders.
    virtual void onCollecting() = 0;
    // An entry that names neither a file nor a folder, with its text as read from the list.
    virtual void onMissingEntry(const QString &path) = 0;
    // A source, or a folder below a listed one, that could not be read, with the system's error number.
    virtual void onUnreadable(const QString &path, int error) = 0;
    // A source left out because its name in the archive would be too long.
    virtual void onEntryNameTooLong(const QString &path) = 0;
    // Bytes one collected file adds to the total size.
    virtual void onFileSize(qint64 bytes) = 0;
    // The number of collected files, once every size is reported: the archiving begins.
    virtual void onFileCount(qint64 count) = 0;
    // What the exclusions left out below the listed folders.
    virtual void onLeftOut(qint64 files, qint64 folders) = 0;
    // The archive is open: the elapsed time counts from now.
    virtual void onTimerRestart() = 0;
    // The next file is about to be archived: its bar starts empty.
    virtual void onFileBarReset() = 0;
    // The next file is open, with its size.
    virtual void onFileOpened(qint64 size) = 0;
    // A file's archiving begins.
    virtual void onFileStarted(const QString &path) = 0;
    // The file is in the archive completely.
    virtual void onFileAdded() = 0;
    // A file that could not be opened or read to its end, with the system's error number (0: it changed).
    virtual void onFileFailed(const QString &path, int error) = 0;
    // The archive writer's progress within the current file; pausing when a pause was requested, and
    // the worker waits until this returns.
    virtual void onProgress(qint64 position, bool pausing) = 0;
    // The archiving has ended: the elapsed time stops.
    virtual void onTimerStop() = 0;
    // The archive could not be created or written: the cause, and the system's own text of it.
    virtual void onArchiveError(const QString &cause, const QString &reason) = 0;
    // The archive is written whole under its ".part" name.
    virtual void onArchiveClosed() = 0;
    // The complete archive has taken its final name.
    virtual void onArchiveNamed() = 0;
    // The verification's progress in whole percent.
    virtual void onVerifyProgress(int percent) = 0;
    // The verification's result, where it first found a fault, and how long it took.
    virtual void onVerified(RunState::Verification result, const QString &fault, qint64 ms) = 0;
    // The run's end: after every other event, or at once when a forced stop was carried out.
    virtual void onCompletion(bool forced) = 0;
};
