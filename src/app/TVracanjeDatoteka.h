#pragma once

#include "run/RestoreJob.h"
#include "run/RestoreRunner.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class TVracanjeDatoteka;
}
struct ArchiveCatalogEntry;
class ArchiveListing;
class ArchiveTreeModel;
class LauncherProgress;

// The restore window: on the left the archives of the configuration (its archive folder and the last
// manual archive, newest first), on the right the chosen archive's folder tree with a filter; restores
// the selection below a folder the user picks or to where it was archived from. The restore runs in a
// RestoreRunner, which this window starts and shows; a file in the way is asked about once per run at most,
// when the answer is for all. The list follows the archive folder while the window is open, so that a run's
// new archive appears and one that retention removed goes.
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
    bool restoring() const { return m_runner && m_runner->isRunning(); }

    // The buttons.
    void BTN_OtvoriArhivuClick();
    void BTN_VratiOdabranoClick();
    void BTN_VratiIzvornoClick();
    void BTN_ZaustaviClick();

  public slots:
    // Lists the archives again, after a run or a change of the configuration: the chosen archive stays
    // chosen while it exists, and is opened again when it was replaced.
    void refreshArchives(const QString &archiveFolder, const QString &lastManualArchive);

  signals:
    // A restore has ended and its summary was shown.
    void restoreFinished(const RestoreJob::Result &result);

  protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void fillArchiveList();
    void addArchiveItem(const ArchiveCatalogEntry &archive);
    // Lists the archives again and lets go of a chosen one that is gone; after a restore when one runs.
    void relistArchives();
    void watchArchiveFolder();
    // Sizes the archive list's columns to what they hold and gives its pane the width they take.
    void fitArchiveColumns();
    // Widens the size and date columns of the contents to the longest text they can show.
    void fitContentColumns();
    // Reads the archive's contents into the tree; the reason when it cannot be read.
    std::optional<QString> loadArchive(const QString &path);
    void closeArchive();
    void LV_ArhiveSelectionChanged();
    void applyFilter();
    // Opens the folders that hold nothing but one folder, so an archive of absolute paths opens at its
    // content.
    void expandSingleFolders();
    QList<int> selectedEntries(QString *commonParent) const;
    void startRestore(QList<RestoreItem> items);
    RestoreJob::Answer questionBox(const QString &path);
    void showProgress(const RestoreJob::Progress &progress);
    void finishRestore(const RestoreJob::Result &result);
    void setRunning(bool running);
    // Marks the bar red after a restore in which entries failed; normal otherwise.
    void showBarFailed(bool failed);
    // A counted message (count 0 or more) takes the form for its count.
    void setStatus(quint16 message, const QStringList &values = {}, qint64 count = -1);

    std::unique_ptr<Ui::TVracanjeDatoteka> ui;
    ArchiveTreeModel *m_model;
    LauncherProgress *m_launcher;
    QString m_archiveFolder;
    QString m_lastManualArchive;
    // Archives opened from elsewhere with the open button, most recent first.
    QStringList m_openedArchives;
    QString m_archivePath;
    // The chosen archive as it was read, to notice it replaced under the same name.
    QDateTime m_archiveModified;
    qint64 m_archiveSize = -1;
    QFileSystemWatcher m_folderWatcher;
    // Gathers the burst of changes a run makes in the folder into one new listing.
    QTimer m_relistTimer;
    bool m_relistAfterRestore = false;
    QTimer m_filterTimer;
    // The running or the last restore; a finished one is kept until the next starts.
    std::unique_ptr<RestoreRunner> m_runner;
    quint16 m_statusMessage = 0;
    QStringList m_statusValues;
    qint64 m_statusCount = -1;
};
