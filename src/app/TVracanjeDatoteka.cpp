#include "app/TVracanjeDatoteka.h"

#include "app/ArchiveTreeModel.h"
#include "config/MessageTable.h"
#include "platform/LauncherProgress.h"
#include "run/ArchiveCatalog.h"
#include "run/ArchiveListing.h"
#include "run/ZipReason.h"
#include "ui/MyMessageDialog.h"
#include "ui/OpenFileDialog.h"
#include "ui_TVracanjeDatoteka.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>

#include <chrono>
#include <exception>
#include <future>

namespace {

QString message(quint16 number)
{
    return MessageTable::text(number);
}

// Restoring many small files must not repaint the window for each of them.
constexpr int PROGRESS_INTERVAL_MS = 100;
// A filter that leaves at most this many items shown opens every folder at once.
constexpr int EXPAND_ALL_LIMIT = 2000;

} // namespace

TVracanjeDatoteka::TVracanjeDatoteka(const QString &archiveFolder, const QString &lastManualArchive,
                                     LauncherProgress *launcher, QWidget *parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TVracanjeDatoteka>()),
      m_model(new ArchiveTreeModel(this)), m_launcher(launcher)
{
    ui->setupUi(this);
    ui->TV_Sadrzaj->setModel(m_model);
    ui->TV_Sadrzaj->header()->setStretchLastSection(false);
    ui->TV_Sadrzaj->header()->setSectionResizeMode(ArchiveTreeModel::NameColumn, QHeaderView::Stretch);
    ui->TV_Sadrzaj->setColumnWidth(ArchiveTreeModel::SizeColumn, 80);
    ui->TV_Sadrzaj->setColumnWidth(ArchiveTreeModel::DateColumn, 150);
    ui->Splitter->setSizes({440, 520});
    m_filterTimer.setSingleShot(true);
    m_filterTimer.setInterval(250);
    m_progressTimer.setInterval(PROGRESS_INTERVAL_MS);

    connect(ui->BTN_OtvoriArhivu, &QPushButton::clicked, this, &TVracanjeDatoteka::BTN_OtvoriArhivuClick);
    connect(ui->BTN_VratiOdabrano, &QPushButton::clicked, this, &TVracanjeDatoteka::BTN_VratiOdabranoClick);
    connect(ui->BTN_VratiIzvorno, &QPushButton::clicked, this, &TVracanjeDatoteka::BTN_VratiIzvornoClick);
    connect(ui->BTN_Zaustavi, &QPushButton::clicked, this, &TVracanjeDatoteka::BTN_ZaustaviClick);
    connect(ui->BTN_Zatvori, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->LV_Arhive, &QTreeWidget::itemSelectionChanged, this,
            &TVracanjeDatoteka::LV_ArhiveSelectionChanged);
    connect(ui->ED_Trazi, &QLineEdit::textChanged, &m_filterTimer, qOverload<>(&QTimer::start));
    connect(&m_filterTimer, &QTimer::timeout, this, &TVracanjeDatoteka::applyFilter);
    connect(&m_progressTimer, &QTimer::timeout, this, &TVracanjeDatoteka::showProgress);

    fillArchiveList(archiveFolder, lastManualArchive);
    setRunning(false);
}

TVracanjeDatoteka::~TVracanjeDatoteka()
{
    // A restore still running is stopped: its file in progress is dropped, a question pending is
    // answered with a stop.
    m_closing = true;
    if (m_job)
        m_job->requestStop();
    if (m_thread.joinable())
        m_thread.join();
}

void TVracanjeDatoteka::fillArchiveList(const QString &archiveFolder, const QString &lastManualArchive)
{
    const QLocale locale;
    for (const ArchiveCatalogEntry &archive : ListArchives(archiveFolder, lastManualArchive)) {
        auto *item = new QTreeWidgetItem(ui->LV_Arhive);
        item->setText(0, QFileInfo(archive.path).fileName());
        item->setToolTip(0, archive.path);
        item->setData(0, Qt::UserRole, archive.path);
        item->setText(1, locale.toString(archive.modified, QLocale::ShortFormat));
        item->setText(2, locale.formattedDataSize(archive.size, 1, QLocale::DataSizeTraditionalFormat));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(3, archive.entries < 0 ? QStringLiteral("?") : locale.toString(archive.entries));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int column = 0; column < ui->LV_Arhive->columnCount(); ++column)
        ui->LV_Arhive->resizeColumnToContents(column);
}

void TVracanjeDatoteka::LV_ArhiveSelectionChanged()
{
    const QList<QTreeWidgetItem *> chosen = ui->LV_Arhive->selectedItems();
    if (chosen.isEmpty())
        return;
    const QString path = chosen.first()->data(0, Qt::UserRole).toString();
    if (path != m_archivePath)
        openArchive(path);
}

bool TVracanjeDatoteka::openArchive(const QString &path)
{
    ArchiveListing listing;
    try {
        listing = ArchiveListing::read(path);
    } catch (const std::exception &failure) {
        MyMessageDialog(this, message(Msg::CaptionError),
                        MessageTable::fill(message(Msg::ErrorArchiveUnreadable),
                                           {QDir::toNativeSeparators(path), ZipReason::text(failure)}),
                        TMsgDlgType::mtError, mbOK, {message(Msg::ButtonOk)});
        return false;
    }
    m_archivePath = path;
    const int count = listing.count();
    m_model->setListing(std::move(listing));
    if (!ui->ED_Trazi->text().isEmpty())
        m_model->setFilter(ui->ED_Trazi->text());
    expandSingleFolders();
    setStatus(Msg::StatusArchiveOpened, {QFileInfo(path).fileName(), QLocale().toString(count)});
    setRunning(false);
    return true;
}

void TVracanjeDatoteka::expandSingleFolders()
{
    QModelIndex folder;
    while (m_model->rowCount(folder) == 1) {
        folder = m_model->index(0, 0, folder);
        if (m_model->rowCount(folder) == 0)
            break;
        ui->TV_Sadrzaj->expand(folder);
    }
}

void TVracanjeDatoteka::applyFilter()
{
    m_model->setFilter(ui->ED_Trazi->text());
    if (m_model->filter().isEmpty())
        expandSingleFolders();
    else if (m_model->shownCount() <= EXPAND_ALL_LIMIT)
        ui->TV_Sadrzaj->expandAll();
    else
        expandSingleFolders();
}

void TVracanjeDatoteka::BTN_OtvoriArhivuClick()
{
    OpenFileRequest request;
    request.kind = OpenFileRequest::Kind::Files;
    request.title = message(Msg::DialogOpenArchiveTitle);
    request.filter = message(Msg::FilterZipArchive);
    const std::optional<QStringList> names = OpenFileDialog::getNames(this, request);
    if (!names || names->isEmpty())
        return;
    const QString path = QFileInfo(names->first()).absoluteFilePath();
    if (!openArchive(path))
        return;
    // The archive joins the list, so that it can be chosen again in this window.
    for (int i = 0; i < ui->LV_Arhive->topLevelItemCount(); ++i)
        if (ui->LV_Arhive->topLevelItem(i)->data(0, Qt::UserRole).toString() == path) {
            const QSignalBlocker quiet(ui->LV_Arhive);
            ui->LV_Arhive->setCurrentItem(ui->LV_Arhive->topLevelItem(i));
            return;
        }
    const QFileInfo info(path);
    auto *item = new QTreeWidgetItem;
    item->setText(0, info.fileName());
    item->setToolTip(0, path);
    item->setData(0, Qt::UserRole, path);
    item->setText(1, QLocale().toString(info.lastModified(), QLocale::ShortFormat));
    item->setText(2, QLocale().formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat));
    item->setText(3, QLocale().toString(m_model->listing().count()));
    ui->LV_Arhive->insertTopLevelItem(0, item);
    const QSignalBlocker quiet(ui->LV_Arhive);
    ui->LV_Arhive->setCurrentItem(item);
}

QList<int> TVracanjeDatoteka::selectedEntries(QString *commonParent) const
{
    const QModelIndexList rows = ui->TV_Sadrzaj->selectionModel()->selectedRows(ArchiveTreeModel::NameColumn);
    QStringList paths;
    for (const QModelIndex &row : rows)
        paths << m_model->path(row);
    if (commonParent)
        *commonParent = RestoreJob::commonParent(paths);
    return m_model->entriesUnder(rows);
}

void TVracanjeDatoteka::BTN_VratiOdabranoClick()
{
    QString parent;
    const QList<int> entries = selectedEntries(&parent);
    if (entries.isEmpty()) {
        MyMessageDialog(this, message(Msg::CaptionInfo), message(Msg::ErrorNothingSelected),
                        TMsgDlgType::mtInformation, mbOK, {message(Msg::ButtonOk)});
        return;
    }
    OpenFileRequest request;
    request.kind = OpenFileRequest::Kind::Folder;
    request.title = message(Msg::DialogRestoreFolderTitle);
    const std::optional<QStringList> folders = OpenFileDialog::getNames(this, request);
    if (!folders || folders->isEmpty())
        return;
    startRestore(RestoreJob::planBelow(m_model->listing(), entries, parent, folders->first()));
}

void TVracanjeDatoteka::BTN_VratiIzvornoClick()
{
    const QList<int> entries = selectedEntries(nullptr);
    if (entries.isEmpty()) {
        MyMessageDialog(this, message(Msg::CaptionInfo), message(Msg::ErrorNothingSelected),
                        TMsgDlgType::mtInformation, mbOK, {message(Msg::ButtonOk)});
        return;
    }
    startRestore(RestoreJob::planOriginal(m_model->listing(), entries));
}

void TVracanjeDatoteka::BTN_ZaustaviClick()
{
    if (!m_job)
        return;
    m_job->requestStop();
    ui->BTN_Zaustavi->setEnabled(false);
    setStatus(Msg::StatusRestoreStopping);
}

void TVracanjeDatoteka::startRestore(QList<RestoreItem> items)
{
    if (restoring() || items.isEmpty())
        return;
    m_job = std::make_unique<RestoreJob>(m_archivePath, std::move(items), RestoreJob::Existing::Ask);
    m_job->setQuestion([this](const QString &path) { return askExisting(path); });
    m_job->setProgress([this](const RestoreJob::Progress &progress) {
        const std::lock_guard lock(m_progressLock);
        m_progress = progress;
    });
    {
        const std::lock_guard lock(m_progressLock);
        m_progress = {};
    }
    setRunning(true);
    ui->PB_Vracanje->setValue(0);
    if (m_launcher) {
        m_launcher->SetProgressState(LauncherProgress::State::Normal);
        m_launcher->SetProgressValue(0, 100);
    }
    m_progressTimer.start();
    m_thread = std::thread([this, job = m_job.get()] {
        RestoreJob::Result result;
        try {
            result = job->run();
        } catch (const std::exception &failure) {
            result.failed << RestoreJob::Failure{QString(), ZipReason::text(failure)};
        }
        // Dropped unread when the window is gone by then.
        QMetaObject::invokeMethod(
            this, [this, result] { finishRestore(result); }, Qt::QueuedConnection);
    });
}

RestoreJob::Answer TVracanjeDatoteka::askExisting(const QString &path)
{
    auto answer = std::make_shared<std::promise<RestoreJob::Answer>>();
    std::future<RestoreJob::Answer> future = answer->get_future();
    QMetaObject::invokeMethod(
        this, [this, path, answer] { answer->set_value(questionBox(path)); }, Qt::QueuedConnection);
    // The window may close while the question waits: its destructor sets m_closing and joins.
    while (future.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        if (m_closing)
            return RestoreJob::Answer{RestoreJob::Existing::Skip, false, true};
    return future.get();
}

RestoreJob::Answer TVracanjeDatoteka::questionBox(const QString &path)
{
    using Existing = RestoreJob::Existing;
    // The buttons stand in the dialog's fixed order: yes, no, OK, abort, retry, ignore.
    const int result = MyMessageDialog(
        this, message(Msg::CaptionDecision),
        MessageTable::fill(message(Msg::QuestionRestoreExisting), {QDir::toNativeSeparators(path)}),
        TMsgDlgType::mtConfirmation, mbYes | mbNo | mbOK | mbAbort | mbRetry | mbIgnore,
        {message(Msg::ButtonReplace), message(Msg::ButtonSkip), message(Msg::ButtonKeepBoth),
         message(Msg::ButtonReplaceAll), message(Msg::ButtonSkipAll), message(Msg::ButtonKeepBothAll)});
    switch (result) {
    case mrYes:
        return {Existing::Replace, false, false};
    case mrNo:
        return {Existing::Skip, false, false};
    case mrOk:
        return {Existing::KeepBoth, false, false};
    case mrAbort:
        return {Existing::Replace, true, false};
    case mrRetry:
        return {Existing::Skip, true, false};
    case mrIgnore:
        return {Existing::KeepBoth, true, false};
    default:
        // Closed without an answer: the restore stops, as with the stop button.
        ui->BTN_Zaustavi->setEnabled(false);
        return {Existing::Skip, false, true};
    }
}

void TVracanjeDatoteka::showProgress()
{
    RestoreJob::Progress progress;
    {
        const std::lock_guard lock(m_progressLock);
        progress = m_progress;
    }
    const int percent =
        progress.bytesTotal > 0
            ? int(progress.bytesDone * 100 / progress.bytesTotal)
            : (progress.entriesTotal > 0 ? progress.entriesDone * 100 / progress.entriesTotal : 0);
    ui->PB_Vracanje->setValue(percent);
    if (m_launcher)
        m_launcher->SetProgressValue(percent, 100);
    if (!progress.current.isEmpty() && ui->BTN_Zaustavi->isEnabled())
        setStatus(Msg::StatusRestoringFile, {progress.current});
}

void TVracanjeDatoteka::finishRestore(const RestoreJob::Result &result)
{
    if (m_thread.joinable())
        m_thread.join();
    m_job.reset();
    m_progressTimer.stop();
    showProgress();
    if (!result.stopped)
        ui->PB_Vracanje->setValue(100);
    if (m_launcher)
        m_launcher->SetProgressState(LauncherProgress::State::NoProgress);
    setRunning(false);
    setStatus(result.stopped ? Msg::StatusRestoreStopped : Msg::StatusRestoreComplete);

    QString summary =
        MessageTable::fill(message(Msg::RestoreSummary),
                           {QString::number(result.restored), QString::number(result.skipped.size()),
                            QString::number(result.failed.size())});
    if (!result.failed.isEmpty()) {
        summary += QStringLiteral("\r\n\r\n") + message(Msg::RestoreFailedHeader);
        constexpr int shownFailures = 20;
        for (qsizetype i = 0; i < std::min<qsizetype>(result.failed.size(), shownFailures); ++i)
            summary += QStringLiteral("\r\n") + result.failed[i].name + QStringLiteral(": ") +
                       result.failed[i].reason;
        if (result.failed.size() > shownFailures)
            summary += QStringLiteral("\r\n…");
    }
    if (!result.leftovers.isEmpty())
        summary += QStringLiteral("\r\n\r\n") + message(Msg::RestoreLeftoversHeader) +
                   QStringLiteral("\r\n") + result.leftovers.join(QStringLiteral("\r\n"));
    MyMessageDialog(this, message(result.complete() ? Msg::CaptionInfo : Msg::CaptionWarning), summary,
                    result.complete() ? TMsgDlgType::mtInformation : TMsgDlgType::mtWarning, mbOK,
                    {message(Msg::ButtonOk)});
    emit restoreFinished(result);
}

void TVracanjeDatoteka::setRunning(bool running)
{
    const bool haveArchive = !m_archivePath.isEmpty();
    ui->LV_Arhive->setEnabled(!running);
    ui->BTN_OtvoriArhivu->setEnabled(!running);
    ui->BTN_VratiOdabrano->setEnabled(!running && haveArchive);
    ui->BTN_VratiIzvorno->setEnabled(!running && haveArchive);
    ui->BTN_Zatvori->setEnabled(!running);
    ui->BTN_Zaustavi->setEnabled(running);
}

void TVracanjeDatoteka::setStatus(quint16 number, const QStringList &values)
{
    m_statusMessage = number;
    m_statusValues = values;
    ui->LBL_Status->setText(MessageTable::fill(message(number), values));
}

void TVracanjeDatoteka::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        if (m_statusMessage != 0)
            setStatus(m_statusMessage, m_statusValues);
        emit m_model->headerDataChanged(Qt::Horizontal, 0, ArchiveTreeModel::ColumnCount - 1);
    }
    QWidget::changeEvent(event);
}

void TVracanjeDatoteka::closeEvent(QCloseEvent *event)
{
    // A restore is stopped with its own button first, so that no file is left half-decided.
    if (restoring()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
