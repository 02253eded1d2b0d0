#pragma once

#include "run/RestoreJob.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace Ui {
class TVracanjeDatoteka;
}
class ArchiveTreeModel;
class LauncherProgress;
class QTreeWidgetItem;

// The restore window: on the left the archives of the configuration (its archive folder and the last
// manual archive, newest first), on the right the chosen archive's folder tree with a filter; restores
// the selection below a folder the user picks or to where it was archived from. The restore runs on a
// thread of its own; a file in the way is asked about once per run at most, when the answer is for all.
class TVracanjeDatoteka : public QWidget
{
    Q_OBJECT

  public:
    // archiveFolder: the configuration's archive folder; lastManualArchive: the last manual archive or
    // "-". The launcher may be absent.
    TVracanjeDatoteka(const QString &archiveFolder, const QString &lastManualArchive,
                      LauncherProgress *launcher, QWidget *parent = nullptr);
    ~TVracanjeDatoteka() override;

    // Shows an archive's contents; false (after telling the user) when it cannot be read.
    bool openArchive(const QString &path);
    QString archivePath() const { return m_archivePath; }
    ArchiveTreeModel &model() { return *m_model; }
    bool restoring() const { return m_thread.joinable(); }

    // The buttons.
    void BTN_OtvoriArhivuClick();
    void BTN_VratiOdabranoClick();
    void BTN_VratiIzvornoClick();
    void BTN_ZaustaviClick();

  signals:
    // A restore has ended and its summary was shown.
    void restoreFinished(const RestoreJob::Result &result);

  protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    void fillArchiveList(const QString &archiveFolder, const QString &lastManualArchive);
    void LV_ArhiveSelectionChanged();
    void applyFilter();
    // Opens the folders that hold nothing but one folder, so an archive of absolute paths opens at its
    // content.
    void expandSingleFolders();
    QList<int> selectedEntries(QString *commonParent) const;
    void startRestore(QList<RestoreItem> items);
    // On the job's thread: asks on the window's thread and waits for the answer or a stop.
    RestoreJob::Answer askExisting(const QString &path);
    RestoreJob::Answer questionBox(const QString &path);
    void showProgress();
    void finishRestore(const RestoreJob::Result &result);
    void setRunning(bool running);
    // Marks the bar red after a restore in which entries failed; normal otherwise.
    void showBarFailed(bool failed);
    void setStatus(quint16 message, const QStringList &values = {});

    std::unique_ptr<Ui::TVracanjeDatoteka> ui;
    ArchiveTreeModel *m_model;
    LauncherProgress *m_launcher;
    QString m_archivePath;
    QTimer m_filterTimer;
    QTimer m_progressTimer;
    std::unique_ptr<RestoreJob> m_job;
    std::thread m_thread;
    std::atomic<bool> m_closing{false};
    std::mutex m_progressLock;
    RestoreJob::Progress m_progress; // under m_progressLock
    quint16 m_statusMessage = 0;
    QStringList m_statusValues;
};
