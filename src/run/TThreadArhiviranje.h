#pragma once

#include "run/RunEvents.h"
#include "run/RunRequest.h"
#include "run/SourceCollectionSink.h"

#include <QString>
#include <QThread>

#include <functional>
#include <memory>
#include <string>

class HandOverChannel;
class SortedPathList;
class TCompressedEntry;
class TParallelCompressor;
class TZipFile;

// The archiving worker: one backup run from the list file to the closed archive. Everything it
// changes on the interface side goes through its hand-overs on the run's channel: posted in order,
// and waited for only where the worker needs the answer.
class TThreadArhiviranje : public QThread, private SourceCollectionSink
{
    Q_OBJECT

  public:
    // The worker of one run, given the run's request when it is made; it reports to events through
    // channel.
    TThreadArhiviranje(RunEvents &events, std::shared_ptr<HandOverChannel> channel, RunRequest request);

  protected:
    // The thread body: Execute at a lower priority, with every failure reported, never raised.
    void run() override;

  private:
    using HandOver = RunEvents::HandOver;

    // Thrown out of the archive writer's progress event to end the worker after a forced stop.
    struct ForcedStop
    {
    };

    void Execute();
    // The source collection's reports, each handed over as it comes.
    void missingEntry(const QString &entry) override;
    void unreadable(const QString &path, int error) override;
    void entryNameTooLong(const QString &path) override;
    void fileSize(qint64 bytes) override;
    void fileCount(qint64 count) override;
    void leftOut(qint64 files, qint64 folders) override;
    bool readEntries(QStringList &entries);
    void archive(const SortedPathList &folders, const SortedPathList &files, TParallelCompressor &compressor);
    void addFolders(TZipFile &zip, const SortedPathList &folders);
    void addFiles(TZipFile &zip, const SortedPathList &files, TParallelCompressor &compressor);
    void addFile(TZipFile &zip, const QByteArray &fileSource, const QString &text, TCompressedEntry &data);
    void OnProgress(TZipFile &zip, qint64 position);
    [[noreturn]] void carryOutForcedStop();
    // The archive failed: its cause, and the system's reason alone when the system refused, both worded
    // in the interface's language.
    void reportArchiveError(const std::exception &failure);
    void reportArchiveError(const QString &text, const QString &reason = QString());
    bool giveFinalName(const QString &partFile);
    void verifyArchive();

    // The procedure of a hand-over, preceded by the events' notice of which hand-over it is.
    std::function<void()> announced(HandOver which, std::function<void()> procedure);
    void post(HandOver which, std::function<void()> procedure, bool urgent = false);
    bool call(HandOver which, std::function<void()> procedure);

    RunEvents &m_events;
    const std::shared_ptr<HandOverChannel> m_channel;
    // The worker's own copy: the interface's may change while the run goes on.
    const RunRequest m_request;
    TParallelCompressor *m_compressor = nullptr;
};

// Adds an empty folder's entry (a trailing "/", no leading "/") with the folder's attributes and
// modification time. Errors propagate.
void AddEmptyFolderToZip(TZipFile &zip, const QByteArray &folder);
// The entry name of a file: its full path's bytes without the leading "/".
std::string EntryNameOfFile(const QByteArray &path);
// The entry name of a folder: its path's bytes with a trailing "/" and without the leading "/".
std::string EntryNameOfFolder(const QByteArray &path);
