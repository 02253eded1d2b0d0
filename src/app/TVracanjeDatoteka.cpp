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

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLocale>
#include <QStyle>

#include <algorithm>
#include <exception>

namespace {

QString message(quint16 number)
{
    return MessageTable::text(number);
}

// A filter that leaves at most this many items shown opens every folder at once.
constexpr int EXPAND_ALL_LIMIT = 2000;
// A run writes, renames and removes archives in a few steps; the list is read once they are done.
constexpr int RELIST_DELAY_MS = 300;
// The red of the main window's bar after a failed run.
const QColor FAILED_BAR_COLOUR(0xD4, 0x24, 0x24);

} // namespace

TVracanjeDatoteka::TVracanjeDatoteka(const QString &archiveFolder, const QString &lastManualArchive,
                                     LauncherProgress *launcher, QWidget *parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TVracanjeDatoteka>()),
      m_model(new ArchiveTreeModel(this)), m_launcher(launcher), m_archiveFolder(archiveFolder),
      m_lastManualArchive(lastManualArchive)
{
    ui->setupUi(this);
    ui->TV_Sadrzaj->setModel(m_model);
    ui->TV_Sadrzaj->header()->setStretchLastSection(false);
    ui->TV_Sadrzaj->header()->setSectionResizeMode(ArchiveTreeModel::NameColumn, QHeaderView::Stretch);
    // Width the window gains goes to the contents; the archive list keeps what its columns take.
    ui->Splitter->setStretchFactor(0, 0);
    ui->Splitter->setStretchFactor(1, 1);
    fitContentColumns();
    m_relistTimer.setSingleShot(true);
    m_relistTimer.setInterval(RELIST_DELAY_MS);
    m_filterTimer.setSingleShot(true);
    m_filterTimer.setInterval(250);

    connect(ui->BTN_OtvoriArhivu, &QPushButton::clicked, this, &TVracanjeDatoteka::BTN_OtvoriArhivuClick);
    connect(ui->BTN_VratiOdabrano, &QPushButton::clicked, this, &TVracanjeDatoteka::BTN_VratiOdabranoClick);
    connect(ui->BTN_VratiIzvorno, &QPushButton::clicked, this, &TVracanjeDatoteka::BTN_VratiIzvornoClick);
    connect(ui->BTN_Zaustavi, &QPushButton::clicked, this, &TVracanjeDatoteka::BTN_ZaustaviClick);
    connect(ui->BTN_Zatvori, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->LV_Arhive, &QTreeWidget::itemSelectionChanged, this,
            &TVracanjeDatoteka::LV_ArhiveSelectionChanged);
    connect(ui->ED_Trazi, &QLineEdit::textChanged, &m_filterTimer, qOverload<>(&QTimer::start));
    connect(&m_filterTimer, &QTimer::timeout, this, &TVracanjeDatoteka::applyFilter);
    connect(&m_folderWatcher, &QFileSystemWatcher::directoryChanged, &m_relistTimer,
            qOverload<>(&QTimer::start));
    connect(&m_relistTimer, &QTimer::timeout, this, &TVracanjeDatoteka::relistArchives);

    watchArchiveFolder();
    fillArchiveList();
    setRunning(false);
    showBarFailed(false);
}

TVracanjeDatoteka::~TVracanjeDatoteka()
{
    // A restore still running is stopped before the window's parts go: its file in progress is dropped,
    // a question pending is answered with a stop.
    m_runner.reset();
}

void TVracanjeDatoteka::fillArchiveList()
{
    QList<ArchiveCatalogEntry> archives = ListArchives(m_archiveFolder, m_lastManualArchive);
    // Archives opened from elsewhere stay on top while they exist, so that they can be chosen again.
    QList<ArchiveCatalogEntry> opened;
    for (const QString &path : std::as_const(m_openedArchives)) {
        const QFileInfo info(path);
        const bool listed =
            std::any_of(archives.cbegin(), archives.cend(),
                        [&path](const ArchiveCatalogEntry &archive) { return archive.path == path; });
        if (!listed && info.isFile())
            opened.append({path, info.lastModified(), info.size(), ArchiveEntryCount(path)});
    }
    archives = opened + archives;

    const QSignalBlocker quiet(ui->LV_Arhive);
    ui->LV_Arhive->clear();
    for (const ArchiveCatalogEntry &archive : std::as_const(archives))
        addArchiveItem(archive);
    fitArchiveColumns();
}

void TVracanjeDatoteka::addArchiveItem(const ArchiveCatalogEntry &archive)
{
    const QLocale locale;
    auto *item = new QTreeWidgetItem(ui->LV_Arhive);
    item->setText(0, QFileInfo(archive.path).fileName());
    item->setToolTip(0, archive.path);
    item->setData(0, Qt::UserRole, archive.path);
    item->setText(1, locale.toString(archive.modified, QLocale::ShortFormat));
    item->setText(2, ArchiveTreeModel::sizeText(archive.size));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(3, archive.entries < 0 ? QStringLiteral("?") : locale.toString(archive.entries));
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    if (archive.path == m_archivePath)
        ui->LV_Arhive->setCurrentItem(item);
}

void TVracanjeDatoteka::fitArchiveColumns()
{
    QTreeWidget *list = ui->LV_Arhive;
    // Room for a vertical scroll bar too, so that a longer list does not push the last column out.
    int needed =
        2 * list->frameWidth() + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    for (int column = 0; column < list->columnCount(); ++column) {
        list->resizeColumnToContents(column);
        needed += list->columnWidth(column);
    }
    // A pane the user widened stays as it is.
    const QList<int> sizes = ui->Splitter->sizes();
    if (ui->Splitter->isVisible() && sizes.size() == 2 && sizes[0] >= needed)
        return;
    const QMargins margins = layout()->contentsMargins();
    const int available =
        (ui->Splitter->isVisible() ? ui->Splitter->width() : width() - margins.left() - margins.right()) -
        ui->Splitter->handleWidth();
    // The contents keep at least a third of the width.
    const int pane = std::min(needed, available * 2 / 3);
    ui->Splitter->setSizes({pane, available - pane});
}

void TVracanjeDatoteka::fitContentColumns()
{
    // Fixed widths from the longest texts a column can hold: measured over the shown rows instead, the
    // columns would jump while the user opens folders and scrolls.
    const QLocale locale;
    const QFontMetrics metrics = ui->TV_Sadrzaj->fontMetrics();
    const int margin =
        2 * (ui->TV_Sadrzaj->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ui->TV_Sadrzaj) +
             1) +
        metrics.averageCharWidth();
    int sizeWidth = 0;
    // Below 1024 the size is counted in bytes, in each plural form; above, the unit's number runs to 1023.9.
    for (qint64 bytes = 1000; bytes < 1024; ++bytes)
        sizeWidth = std::max(sizeWidth, metrics.horizontalAdvance(ArchiveTreeModel::sizeText(bytes)));
    for (qint64 unit = qint64(1) << 10; unit <= qint64(1) << 50; unit <<= 10)
        sizeWidth = std::max(sizeWidth,
                             metrics.horizontalAdvance(ArchiveTreeModel::sizeText(unit * 1024 - unit / 20)));
    const int dateWidth = metrics.horizontalAdvance(
        locale.toString(QDateTime(QDate(2088, 12, 28), QTime(23, 58, 58)), QLocale::ShortFormat));
    QHeaderView *header = ui->TV_Sadrzaj->header();
    header->resizeSection(
        ArchiveTreeModel::SizeColumn,
        std::max(sizeWidth + margin, header->sectionSizeHint(ArchiveTreeModel::SizeColumn)));
    header->resizeSection(
        ArchiveTreeModel::DateColumn,
        std::max(dateWidth + margin, header->sectionSizeHint(ArchiveTreeModel::DateColumn)));
}

void TVracanjeDatoteka::watchArchiveFolder()
{
    if (!m_folderWatcher.directories().isEmpty())
        m_folderWatcher.removePaths(m_folderWatcher.directories());
    // A folder that is not there (a drive not plugged in) is listed again when a run ends.
    if (!m_archiveFolder.isEmpty() && QFileInfo(m_archiveFolder).isDir())
        m_folderWatcher.addPath(m_archiveFolder);
}

void TVracanjeDatoteka::refreshArchives(const QString &archiveFolder, const QString &lastManualArchive)
{
    if (archiveFolder != m_archiveFolder) {
        m_archiveFolder = archiveFolder;
        watchArchiveFolder();
    }
    m_lastManualArchive = lastManualArchive;
    relistArchives();
}

void TVracanjeDatoteka::relistArchives()
{
    m_relistTimer.stop();
    // The list is not touched while a restore reads the chosen archive; it follows when that ends.
    if (restoring()) {
        m_relistAfterRestore = true;
        return;
    }
    m_relistAfterRestore = false;
    // A folder made again (emptied by hand, a drive plugged in again) is watched anew.
    if (m_folderWatcher.directories().isEmpty())
        watchArchiveFolder();
    fillArchiveList();
    if (m_archivePath.isEmpty())
        return;
    const QFileInfo shown(m_archivePath);
    if (shown.isFile() && shown.lastModified() == m_archiveModified && shown.size() == m_archiveSize)
        return;
    // Replaced under its name, the archive's entries are no longer those shown: a restore would take
    // other entries than the ones chosen. It is read again, or let go of when it cannot be.
    const QString path = m_archivePath;
    if (shown.isFile() && !loadArchive(path).has_value())
        return;
    closeArchive();
    setStatus(Msg::StatusArchiveGone, {QFileInfo(path).fileName()});
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
    if (const std::optional<QString> failure = loadArchive(path)) {
        MyMessageDialog(this, message(Msg::CaptionError),
                        MessageTable::fill(message(Msg::ErrorArchiveUnreadable),
                                           {QDir::toNativeSeparators(path), *failure}),
                        TMsgDlgType::mtError, mbOK, {message(Msg::ButtonOk)});
        return false;
    }
    return true;
}

std::optional<QString> TVracanjeDatoteka::loadArchive(const QString &path)
{
    // Taken before the reading, so that a change while it reads shows as a change later.
    const QFileInfo info(path);
    ArchiveListing listing;
    try {
        listing = ArchiveListing::read(path);
    } catch (const std::exception &failure) {
        return ZipReason::text(failure);
    }
    m_archivePath = path;
    m_archiveModified = info.lastModified();
    m_archiveSize = info.size();
    const int count = listing.count();
    m_model->setListing(std::move(listing));
    if (!ui->ED_Trazi->text().isEmpty())
        m_model->setFilter(ui->ED_Trazi->text());
    expandSingleFolders();
    setStatus(Msg::StatusArchiveOpened, {QFileInfo(path).fileName(), QLocale().toString(count)}, count);
    setRunning(false);
    return std::nullopt;
}

void TVracanjeDatoteka::closeArchive()
{
    m_archivePath.clear();
    m_archiveModified = {};
    m_archiveSize = -1;
    m_model->setListing(ArchiveListing());
    ui->LV_Arhive->clearSelection();
    setRunning(false);
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
    m_openedArchives.removeAll(path);
    m_openedArchives.prepend(path);
    fillArchiveList();
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
    if (!restoring())
        return;
    m_runner->requestStop();
    ui->BTN_Zaustavi->setEnabled(false);
    setStatus(Msg::StatusRestoreStopping);
}

void TVracanjeDatoteka::startRestore(QList<RestoreItem> items)
{
    if (restoring() || items.isEmpty())
        return;
    m_runner = std::make_unique<RestoreRunner>(m_archivePath, std::move(items), RestoreJob::Existing::Ask);
    m_runner->setQuestion([this](const QString &path) { return questionBox(path); });
    connect(m_runner.get(), &RestoreRunner::progressChanged, this, &TVracanjeDatoteka::showProgress);
    connect(m_runner.get(), &RestoreRunner::finished, this, &TVracanjeDatoteka::finishRestore);
    setRunning(true);
    showBarFailed(false);
    ui->PB_Vracanje->setValue(0);
    if (m_launcher) {
        m_launcher->SetProgressState(LauncherProgress::State::Normal);
        m_launcher->SetProgressValue(0, 100);
    }
    m_runner->start();
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

void TVracanjeDatoteka::showProgress(const RestoreJob::Progress &progress)
{
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
    if (!result.stopped)
        ui->PB_Vracanje->setValue(100);
    // A full bar in its normal colour would read as a clean restore after the summary is closed.
    showBarFailed(!result.failed.isEmpty());
    if (m_launcher)
        m_launcher->SetProgressState(LauncherProgress::State::NoProgress);
    setRunning(false);
    if (result.stopped)
        setStatus(Msg::StatusRestoreStopped);
    else if (!result.failed.isEmpty())
        setStatus(Msg::StatusRestoreFailed, {QLocale().toString(result.failed.size())});
    else
        setStatus(Msg::StatusRestoreComplete);

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
    if (m_relistAfterRestore)
        relistArchives();
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

void TVracanjeDatoteka::showBarFailed(bool failed)
{
    QPalette palette = QApplication::palette(ui->PB_Vracanje);
    if (failed)
        palette.setColor(QPalette::Highlight, FAILED_BAR_COLOUR);
    ui->PB_Vracanje->setPalette(palette);
    // Named as the main window names the state of its bars, for tests and style sheets.
    ui->PB_Vracanje->setProperty("barState", failed ? QStringLiteral("error") : QStringLiteral("normal"));
}

void TVracanjeDatoteka::setStatus(quint16 number, const QStringList &values, qint64 count)
{
    m_statusMessage = number;
    m_statusValues = values;
    m_statusCount = count;
    const QString pattern = count >= 0 ? MessageTable::text(number, count) : message(number);
    ui->LBL_Status->setText(MessageTable::fill(pattern, values));
}

void TVracanjeDatoteka::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        if (m_statusMessage != 0)
            setStatus(m_statusMessage, m_statusValues, m_statusCount);
        emit m_model->headerDataChanged(Qt::Horizontal, 0, ArchiveTreeModel::ColumnCount - 1);
        // Sizes read in the new language's words and the columns fit them.
        fillArchiveList();
        fitContentColumns();
        ui->TV_Sadrzaj->viewport()->update();
    } else if (event->type() == QEvent::FontChange) {
        fitArchiveColumns();
        fitContentColumns();
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

void TVracanjeDatoteka::keyPressEvent(QKeyEvent *event)
{
    // Escape leaves the window as it leaves a dialog; during a restore it is the stop button, since the
    // window does not close before the restore has ended.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (restoring())
            BTN_ZaustaviClick();
        else
            close();
        return;
    }
    QWidget::keyPressEvent(event);
}
