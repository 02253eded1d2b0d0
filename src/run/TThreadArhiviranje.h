#pragma once

#include <QString>
#include <QThread>

class RunController;
class SortedPathList;
class TCompressedEntry;
class TParallelCompressor;
class TZipFile;

// The archiving worker: one backup run from the list file to the closed archive. Everything it
// changes on the interface side goes through its controller's synchronous hand-overs.
class TThreadArhiviranje : public QThread
{
    Q_OBJECT

  public:
    explicit TThreadArhiviranje(RunController &controller);

  protected:
    // The thread body (the design's Execute).
    void run() override;

  private:
    void Execute();
    bool readEntries(QStringList &entries);
    void archive(const SortedPathList &folders, const SortedPathList &files, TParallelCompressor &compressor);
    bool addFolders(TZipFile &zip, const SortedPathList &folders);
    void addFiles(TZipFile &zip, const SortedPathList &files, TParallelCompressor &compressor);
    void addFile(TZipFile &zip, const QString &fileSource, TCompressedEntry &data);
    void reportArchiveError();

    RunController &m_controller;
    // The worker's own copies, taken in the hand-overs so that the settings, the stop flag and the
    // status line are read only at those points.
    QString m_userfolder;
    QString m_GLOBAL_lista;
    QString m_arhiva_file;
    bool m_PrekidArhiviranja = false;
    QString m_LBL_Status;
};

// Adds an empty folder's entry ("/" separators, a trailing "/", no leading "/") with the folder's
// attributes and modification time. Errors propagate.
void AddEmptyFolderToZip(TZipFile &zip, const QString &folder);
// The entry name of a file: its full path without the leading "/".
QString EntryNameOfFile(const QString &path);
// The entry name of a folder: its path with a trailing "/" and without the leading "/".
QString EntryNameOfFolder(const QString &path);
