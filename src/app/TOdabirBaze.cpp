#include "app/TOdabirBaze.h"
#include "app/RemoteCopyGroup.h"
#include "run/ArchiveName.h"

#include "config/AutostartEntry.h"
#include "config/EConfigError.h"
#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "config/ResourceModules.h"
#include "config/StringGrid.h"
#include "platform/FileManager.h"
#include "run/FileSystem.h"
#include "ui/ApplicationError.h"
#include "ui/MyMessageDialog.h"
#include "ui/OpenFileDialog.h"
#include "ui/WindowHelpers.h"
#include "ui_TOdabirBaze.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QTime>
#include <QUrl>

#include <array>
#include <limits>

namespace {

constexpr int msecsPerDay = 24 * 60 * 60 * 1000;

QString message(quint16 number)
{
    return MessageTable::text(number);
}

QTime timeOfDay(double dayFraction)
{
    const int msecs = static_cast<int>(std::llround(dayFraction * msecsPerDay));
    return QTime::fromMSecsSinceStartOfDay(std::clamp(msecs, 0, msecsPerDay - 1000));
}

double dayFractionOf(const QTime &time)
{
    return static_cast<double>(time.msecsSinceStartOfDay()) / msecsPerDay;
}

// The local paths among dropped items, in the order the file manager gives them.
QStringList droppedPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data)
        return paths;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    return paths;
}

} // namespace

TOdabirBaze::TOdabirBaze(ProgramSettings &settings, FileManager &fileManager, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TOdabirBaze>()), m_settings(settings), m_fileManager(fileManager),
      PopupActionBar1(this)
{
    RequireWindowDescription(staticMetaObject.className());
    ui->setupUi(this);
    m_formSize = size();
    m_formListHeight = ui->Grid->height();
    // Everything below the list moves up by what the list gives up on a low screen.
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (child->y() >= ui->Grid->geometry().bottom())
            m_belowList.emplace_back(child, child->y());
    setFixedSize(m_formSize);
    MakeModalTo(this, parent);

    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    QFont boldFont = windowFont;
    boldFont.setBold(true);
    ui->Putanja->setFont(boldFont);
    QFont pickerFont = windowFont;
    pickerFont.setPixelSize(13);
    ui->Vrijeme->setFont(pickerFont);
    QPalette maroon = ui->Label4->palette();
    maroon.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
    ui->Label4->setPalette(maroon);

    PopupActionBar1.setObjectName(QStringLiteral("PopupActionBar1"));
    PopupActionBar1.addAction(ui->Dodajdatoteku1);
    PopupActionBar1.addAction(ui->Dodajmapu1);
    PopupActionBar1.addAction(ui->Uklanjanje1);
    PopupActionBar1.addSeparator();
    PopupActionBar1.addAction(ui->Otvorimapuukojojsenalazidatoteka1);

    for (QWidget *widget : std::initializer_list<QWidget *>{
             ui->Label1, ui->Button5, ui->Label5, ui->Button7, ui->Label6, ui->Button8, ui->Label4,
             ui->Label3, ui->BckNameLabel, ui->CB_StartToTray, ui->CB_CloseToTray, ui->CB_StartMinimized,
             ui->CB_Report})
        m_formGeometry.emplace_back(widget, widget->geometry());
    fitToFont();

    m_remoteCopy = new RemoteCopyGroup(ui->ED_Cilj, ui->SE_Zadrzi, ui->BTN_ProvjeriVezu, ui->LBL_Veza, this);
    setUpKeyboard();
    connectControls();
    FormCreate();
    fitToScreen();
    placeOverOwner();
}

void TOdabirBaze::setUpKeyboard()
{
    // Every control is reached with Tab, in the order the window shows them: the list's buttons along
    // the top, the list, the archive folder and prefix, the options, the daily run beside them, the
    // number of archives kept, the exclusions, the remote copy, the closing buttons.
    ui->Button6->setFocusPolicy(Qt::StrongFocus);
    ui->VrijemeUkljuceno->setFocusPolicy(Qt::StrongFocus);
    ui->Vrijeme->setFocusPolicy(Qt::StrongFocus);
    // Tab leaves the list; the arrow keys move in it.
    ui->Grid->setTabKeyNavigation(false);
    const QList<QWidget *> chain = {ui->Button5,
                                    ui->Button7,
                                    ui->Button8,
                                    ui->Button6,
                                    ui->SB_Up,
                                    ui->SB_Down,
                                    ui->Grid,
                                    ui->Button3,
                                    ui->BckNameLabel,
                                    ui->CB_StartToTray,
                                    ui->CB_CloseToTray,
                                    ui->CB_StartMinimized,
                                    ui->CB_Report,
                                    ui->CB_Provjera,
                                    ui->VrijemeUkljuceno,
                                    ui->Vrijeme,
                                    ui->CB_Nadoknadi,
                                    ui->CB_Prijava,
                                    ui->Zadrzi,
                                    ui->Izuzeci,
                                    ui->ED_Cilj,
                                    ui->BTN_ProvjeriVezu,
                                    ui->SE_Zadrzi,
                                    ui->Button1,
                                    ui->Button4,
                                    ui->Button2};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
    // Fields take their names from the captions beside them.
    ui->Label1->setBuddy(ui->Grid);
    ui->Label3->setBuddy(ui->BckNameLabel);
    ui->Label7->setBuddy(ui->Vrijeme);
    ui->LBL_Cilj->setBuddy(ui->ED_Cilj);
    ui->LBL_UdaljenoZadrzi->setBuddy(ui->SE_Zadrzi);
    setAccessibleNames();
}

void TOdabirBaze::setAccessibleNames()
{
    // Buttons that show only a sign or an arrow are read out by what they do.
    for (QAbstractButton *button :
         std::initializer_list<QAbstractButton *>{ui->Button5, ui->Button7, ui->Button8})
        button->setAccessibleName(button->toolTip());
    ui->SB_Up->setAccessibleName(tr("Pomakni označeni zapis gore"));
    ui->SB_Down->setAccessibleName(tr("Pomakni označeni zapis dolje"));
    ui->VrijemeUkljuceno->setAccessibleName(ui->Label7->text());
    // A list is not named by a caption beside it.
    ui->Grid->setAccessibleName(ui->Label1->text());
}

TOdabirBaze::~TOdabirBaze() = default;

void TOdabirBaze::connectControls()
{
    connect(ui->Button1, &QAbstractButton::clicked, this, &TOdabirBaze::Button1Click);
    connect(ui->Button2, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(ui->Button4, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(ui->Button3, &QAbstractButton::clicked, this, &TOdabirBaze::Button3Click);
    connect(ui->Button5, &QAbstractButton::clicked, this, &TOdabirBaze::Button5Click);
    connect(ui->Dodajdatoteku1, &QAction::triggered, this, &TOdabirBaze::Button5Click);
    connect(ui->Button7, &QAbstractButton::clicked, this, &TOdabirBaze::Button7Click);
    connect(ui->Dodajmapu1, &QAction::triggered, this, &TOdabirBaze::Button7Click);
    connect(ui->Button8, &QAbstractButton::clicked, this, &TOdabirBaze::Button8Click);
    connect(ui->Uklanjanje1, &QAction::triggered, this, &TOdabirBaze::UklanjanjeClick);
    connect(ui->Grid, &BackupListGrid::deletePressed, this, &TOdabirBaze::UklanjanjeClick);
    connect(ui->Otvorimapuukojojsenalazidatoteka1, &QAction::triggered, this, &TOdabirBaze::OtvoriMapuClick);
    connect(ui->Button6, &QAbstractButton::clicked, this, &TOdabirBaze::Button6Click);
    connect(ui->SB_Up, &QAbstractButton::clicked, ui->Grid, &BackupListGrid::moveSelectedUp);
    connect(ui->SB_Down, &QAbstractButton::clicked, ui->Grid, &BackupListGrid::moveSelectedDown);
    connect(ui->Grid, &QWidget::customContextMenuRequested, this, &TOdabirBaze::PopupActionBar1Popup);
    // Removing the selected last row changes no current cell: the rows going count as well.
    connect(ui->Grid, &QTableWidget::currentCellChanged, this, &TOdabirBaze::updateSelectionControls);
    connect(ui->Grid->model(), &QAbstractItemModel::rowsRemoved, this, &TOdabirBaze::updateSelectionControls);
    connect(ui->Grid->model(), &QAbstractItemModel::rowsInserted, this,
            &TOdabirBaze::updateSelectionControls);
    // An unticked daily run shows its time greyed, as the picker's own check box does.
    connect(ui->VrijemeUkljuceno, &QCheckBox::toggled, ui->Vrijeme, &QWidget::setEnabled);
    connect(ui->VrijemeUkljuceno, &QCheckBox::toggled, ui->CB_Nadoknadi, &QWidget::setEnabled);
}

void TOdabirBaze::FormCreate()
{
    setCaption();
    const QString listFile = m_settings.listFileName();
    const bool listExists = FileExists(listFile);
    // A list that cannot be read refuses the window (EConfigError): opened with an empty list, a save
    // would replace the user's list with nothing.
    if (listExists)
        ui->Grid->setRows(LoadStringGrid(listFile));
    updateSelectionControls();
    ui->Button4->setEnabled(!listExists);
    ui->Button2->setEnabled(listExists);

    ui->BckNameLabel->setText(m_settings.BckName);
    ui->Putanja->setText(m_settings.BackupLokacijaAuto);
    ui->CB_StartToTray->setChecked(m_settings.GLOBAL_StartToTray);
    ui->CB_CloseToTray->setChecked(m_settings.GLOBAL_CloseToMinimize);
    ui->CB_StartMinimized->setChecked(m_settings.GLOBAL_StartMinimized);
    ui->CB_Report->setChecked(m_settings.GLOBAL_Report);
    ui->CB_Provjera->setChecked(m_settings.GLOBAL_Provjera);
    ui->Zadrzi->setValue(m_settings.GLOBAL_Zadrzi);
    // A line edit holds 32,767 characters unless told otherwise: a longer stored list would be cut,
    // and a save would store the cut list.
    ui->Izuzeci->setMaxLength(std::numeric_limits<int>::max());
    ui->Izuzeci->setText(m_settings.GLOBAL_Izuzeci);
    ui->Vrijeme->setTime(timeOfDay(m_settings.GLOBAL_TimerTime));
    ui->VrijemeUkljuceno->setChecked(m_settings.GLOBAL_TimerEnabled);
    ui->Vrijeme->setEnabled(m_settings.GLOBAL_TimerEnabled);
    ui->CB_Nadoknadi->setChecked(m_settings.GLOBAL_TimerCatchUp);
    ui->CB_Nadoknadi->setEnabled(m_settings.GLOBAL_TimerEnabled);
    ui->CB_Prijava->setChecked(AutostartEntry(m_settings.GLOBAL_lista_caption).exists());
    m_remoteCopy->load(m_settings);
}

void TOdabirBaze::setCaption()
{
    QString caption =
        m_settings.GLOBAL_ApplicationTitle + QStringLiteral(" - ") + message(Msg::TitleSettings);
    if (!m_settings.GLOBAL_lista_caption.isEmpty())
        caption = MessageTable::fill(message(Msg::TitleSettingsWithList),
                                     {caption, m_settings.GLOBAL_lista_caption});
    setWindowTitle(caption);
}

const QScreen *TOdabirBaze::screenShown() const
{
    const QWidget *owner = parentWidget();
    return owner ? owner->screen() : screen();
}

int TOdabirBaze::titleBarHeight() const
{
    // Before the window manager has framed the window its frame is not known; a title bar of this
    // height is kept free for it.
    constexpr int assumedTitleBarHeight = 30;
    const int frame = frameGeometry().height() - height();
    return frame > 0 ? frame : assumedTitleBarHeight;
}

void TOdabirBaze::fitToScreen()
{
    const QScreen *screen = screenShown();
    if (!screen)
        return;
    // The list gives up rows where the screen's free area (less the panels) is lower than the window
    // with its title bar, down to a few rows; the controls below it move up with it.
    const QHeaderView *header = ui->Grid->horizontalHeader();
    const int smallestListHeight = header->sizeHint().height() +
                                   4 * ui->Grid->verticalHeader()->defaultSectionSize() +
                                   2 * ui->Grid->frameWidth();
    const int room = screen->availableGeometry().height() - titleBarHeight();
    const int shrink =
        std::clamp(m_formSize.height() - room, 0, std::max(0, m_formListHeight - smallestListHeight));
    ui->Grid->resize(ui->Grid->width(), m_formListHeight - shrink);
    for (const auto &[widget, formY] : m_belowList)
        widget->move(widget->x(), formY - shrink);
    setFixedSize(m_formSize.width(), m_formSize.height() - shrink);
}

void TOdabirBaze::placeOverOwner()
{
    const QWidget *owner = parentWidget();
    const QScreen *screen = screenShown();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    QRect area;
    if (owner && owner->isVisible() && !owner->isMinimized())
        area = owner->frameGeometry();
    else
        area = available;
    if (!area.isValid())
        return;
    QPoint topLeft = area.center() - QPoint(width() / 2, height() / 2);
    // Centred over a window near a screen edge, the window would reach past it: it is kept on the
    // screen's free area, title bar and closing buttons included, as far as it fits. The position is
    // that of the frame.
    if (available.isValid()) {
        const int lowestTop = available.bottom() + 1 - titleBarHeight() - height();
        topLeft.setX(std::max(available.left(), std::min(topLeft.x(), available.right() + 1 - width())));
        topLeft.setY(std::max(available.top(), std::min(topLeft.y(), lowestTop)));
    }
    move(topLeft);
}

void TOdabirBaze::fitToFont()
{
    // Only across: how far down a control sits is fitToScreen's to decide.
    for (const auto &[widget, geometry] : m_formGeometry)
        widget->setGeometry(geometry.x(), widget->y(), geometry.width(), geometry.height());
    const auto fittedWidth = [](const QWidget *widget) {
        return std::max(widget->width(), widget->sizeHint().width());
    };
    // The top row keeps its places where the captions fit and moves right where one is wider, keeping
    // the form's gaps. It is the first seven of the controls recorded, and it must end before the
    // list-file button: where it would not, the gaps in front of the buttons give up width, down to a
    // small gap each.
    constexpr std::size_t rowLength = 7;
    constexpr int smallestGap = 6;
    std::array<int, rowLength> gaps{};
    for (std::size_t i = 1; i < rowLength; ++i) {
        const QRect &form = m_formGeometry[i].second;
        const QRect &previousForm = m_formGeometry[i - 1].second;
        gaps[i] = form.x() - (previousForm.x() + previousForm.width());
    }
    const auto layOutRow = [&](bool squeezed) {
        for (std::size_t i = 0; i < rowLength; ++i) {
            QWidget *widget = m_formGeometry[i].first;
            if (i > 0) {
                const QRect &form = m_formGeometry[i].second;
                const QWidget *previous = m_formGeometry[i - 1].first;
                const int after = previous->x() + previous->width() + gaps[i];
                widget->move(squeezed ? after : std::max(form.x(), after), form.y());
            }
            if (qobject_cast<QLabel *>(widget))
                widget->resize(fittedWidth(widget), widget->height());
        }
        const QWidget *last = m_formGeometry[rowLength - 1].first;
        return last->x() + last->width() + smallestGap - ui->Button6->x();
    };
    for (int overflow = layOutRow(false); overflow > 0;) {
        int *widest = nullptr;
        for (std::size_t i = 1; i < rowLength; ++i)
            if (qobject_cast<QPushButton *>(m_formGeometry[i].first) && gaps[i] > smallestGap &&
                (!widest || gaps[i] > *widest))
                widest = &gaps[i];
        if (!widest)
            break;
        --*widest;
        overflow = layOutRow(true);
    }
    // The prefix field gives up width to its caption, ending where it always ends.
    ui->Label3->resize(fittedWidth(ui->Label3), ui->Label3->height());
    const int fieldRight = ui->BckNameLabel->x() + ui->BckNameLabel->width();
    const int fieldLeft = std::max(ui->BckNameLabel->x(), ui->Label3->x() + ui->Label3->width() + 6);
    ui->BckNameLabel->setGeometry(fieldLeft, ui->BckNameLabel->y(), fieldRight - fieldLeft,
                                  ui->BckNameLabel->height());
    // The options may grow up to the daily-run caption's column.
    const int optionsRight = ui->Label7->x() - 4;
    for (QWidget *option : std::initializer_list<QWidget *>{ui->CB_StartToTray, ui->CB_CloseToTray,
                                                            ui->CB_StartMinimized, ui->CB_Report})
        option->resize(std::min(fittedWidth(option), optionsRight - option->x()), option->height());
    // The archive-safety controls: their captions fitted, the exclusions field ending where it ends.
    for (QWidget *caption :
         std::initializer_list<QWidget *>{ui->CB_Provjera, ui->LBL_Zadrzi, ui->LBL_Izuzeci})
        caption->resize(fittedWidth(caption), caption->height());
    const int exclusionsRight = ui->Izuzeci->x() + ui->Izuzeci->width();
    const int exclusionsLeft =
        std::max(ui->Izuzeci->x(), ui->LBL_Izuzeci->x() + ui->LBL_Izuzeci->width() + 4);
    ui->Izuzeci->setGeometry(exclusionsLeft, ui->Izuzeci->y(), exclusionsRight - exclusionsLeft,
                             ui->Izuzeci->height());
}

void TOdabirBaze::done(int result)
{
    // Tested as the window closes, not when it was opened: a save that wrote the list lets the window
    // close normally, whatever mode it was opened in.
    if (!FileExists(m_settings.listFileName()))
        emit programEndRequested();
    QDialog::done(result);
}

void TOdabirBaze::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    setAcceptDrops(true);
}

void TOdabirBaze::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        fitToFont();
        setCaption();
        setAccessibleNames();
    }
}

void TOdabirBaze::keyPressEvent(QKeyEvent *event)
{
    // Escape goes on without saving, as Button2 does; on a first start (Button2 disabled) it does
    // nothing, so a stray key cannot end the program.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (ui->Button2->isEnabled())
            ui->Button2->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TOdabirBaze::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TOdabirBaze::dragMoveEvent(QDragMoveEvent *event)
{
    if (!droppedPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TOdabirBaze::dropEvent(QDropEvent *event)
{
    addEntries(droppedPaths(event->mimeData()));
    event->acceptProposedAction();
}

void TOdabirBaze::addEntries(const QStringList &paths)
{
    for (const QString &path : paths)
        ui->Grid->addEntry(path);
}

void TOdabirBaze::showError(const QString &text)
{
    MyMessageDialog(this, message(Msg::CaptionError), text, TMsgDlgType::mtError, mbOK,
                    {message(Msg::ButtonOk)});
}

void TOdabirBaze::Button5Click()
{
    OpenFileRequest request;
    request.kind = OpenFileRequest::Kind::Files;
    request.title = tr("Dodavanje datoteka za arhiviranje (moguć odabir više datoteka odjednom)");
    // "*" rather than "*.*": on Linux a file need not have an extension to be a file.
    request.filter = tr("Sve vrste datoteka (*)");
    request.initialFolder = QDir::homePath();
    if (const std::optional<QStringList> files = OpenFileDialog::getNames(this, request))
        addEntries(*files);
}

void TOdabirBaze::Button7Click()
{
    OpenFileRequest request;
    request.kind = OpenFileRequest::Kind::Folders;
    request.title = message(Msg::DialogAddFoldersMultiTitle);
    request.acceptLabel = message(Msg::DialogAddFoldersButton);
    // Folders are added as the dialog gives them, without a final "/".
    if (const std::optional<QStringList> folders = OpenFileDialog::getNames(this, request))
        addEntries(*folders);
}

void TOdabirBaze::Button3Click()
{
    OpenFileRequest request;
    request.kind = OpenFileRequest::Kind::Folder;
    request.title = message(Msg::DialogArchiveFolderTitle);
    request.acceptLabel = message(Msg::DialogArchiveFolderButton);
    const std::optional<QStringList> folders = OpenFileDialog::getNames(this, request);
    if (!folders || folders->isEmpty())
        return;
    // Archive names are appended to the folder; the root already ends in its separator.
    const QString &folder = folders->constFirst();
    ui->Putanja->setText(folder.endsWith(u'/') ? folder : folder + u'/');
}

void TOdabirBaze::Button8Click()
{
    if (ui->Grid->isListEmpty())
        return;
    const int answer = MyMessageDialog(
        this, message(Msg::CaptionDecision),
        MessageTable::fill(message(Msg::QuestionRemoveEntry), {ui->Grid->selectedEntry()}),
        TMsgDlgType::mtWarning, mbYes | mbNo, {message(Msg::ButtonDelete), message(Msg::ButtonCancel)});
    if (answer == mrYes)
        ui->Grid->RemoveRows(ui->Grid->selectedRow(), 1);
}

void TOdabirBaze::UklanjanjeClick()
{
    if (!ui->Grid->isListEmpty())
        ui->Grid->RemoveRows(ui->Grid->selectedRow(), 1);
}

void TOdabirBaze::OtvoriMapuClick()
{
    if (ui->Grid->isListEmpty())
        return;
    const QString entry = ui->Grid->selectedEntry();
    // A folder is shown selected in its parent folder, as a file is.
    if (FileExists(entry) || DirectoryExists(entry)) [[maybe_unused]]
        const bool shown = SelectFileInExplorer(m_fileManager, entry);
    else
        showError(message(Msg::ErrorEntryMissing));
}

void TOdabirBaze::Button6Click()
{
    const QString listFile = m_settings.listFileName();
    if (FileExists(listFile)) [[maybe_unused]]
        const bool shown = SelectFileInExplorer(m_fileManager, listFile);
    else
        showError(message(Msg::ErrorListFileMissing));
}

void TOdabirBaze::updateSelectionControls()
{
    // Removing, moving and showing act on the selected entry: the empty list has none.
    const bool selected = ui->Grid->selectedRow() >= 0;
    for (QWidget *control : std::initializer_list<QWidget *>{ui->Button8, ui->SB_Up, ui->SB_Down})
        control->setEnabled(selected);
    ui->Uklanjanje1->setEnabled(selected);
    ui->Otvorimapuukojojsenalazidatoteka1->setEnabled(selected);
}

void TOdabirBaze::PopupActionBar1Popup(const QPoint &position)
{
    PopupActionBar1.popup(ui->Grid->viewport()->mapToGlobal(position));
}

bool TOdabirBaze::validate()
{
    if (ui->Grid->isListEmpty()) {
        showError(message(Msg::ErrorEmptyList));
        return false;
    }
    if (!DirectoryExists(ui->Putanja->text())) {
        // The last saved folder comes back, so the label never shows a folder that will not be used.
        ui->Putanja->setText(m_settings.BackupLokacijaAuto);
        showError(message(Msg::ErrorSettingsFolderMissing));
        return false;
    }
    if (ui->BckNameLabel->text().isEmpty()) {
        showError(message(Msg::ErrorEmptyPrefix));
        return false;
    }
    // The prefix starts a file name in the archive folder: it must not lead out of it.
    if (!ArchiveName::prefixIsValid(ui->BckNameLabel->text())) {
        showError(message(Msg::ErrorBadPrefix));
        return false;
    }
    if (const QString problem = m_remoteCopy->targetProblem(); !problem.isEmpty()) {
        showError(problem);
        return false;
    }
    return true;
}

void TOdabirBaze::Button1Click()
{
    if (!validate())
        return;
    SettingsWindowValues values;
    values.Putanja = ui->Putanja->text();
    values.BckName = ui->BckNameLabel->text();
    values.StartToTray = ui->CB_StartToTray->isChecked();
    values.CloseToTray = ui->CB_CloseToTray->isChecked();
    values.StartMinimized = ui->CB_StartMinimized->isChecked();
    values.Report = ui->CB_Report->isChecked();
    values.Verify = ui->CB_Provjera->isChecked();
    values.Keep = ui->Zadrzi->value();
    values.Exclusions = ui->Izuzeci->text();
    values.TimerEnabled = ui->VrijemeUkljuceno->isChecked();
    values.TimerTime = dayFractionOf(ui->Vrijeme->time());
    values.CatchUp = ui->CB_Nadoknadi->isChecked();
    try {
        SaveSettingsWindow(m_settings, values);
        m_remoteCopy->save(m_settings);
        if (!values.TimerEnabled)
            emit mainStatusChosen(message(Msg::StatusSettingsIdle));
        emit dailyTimerChosen(values.TimerEnabled);
        SaveBackupList(m_settings, ui->Grid->rows());
        // Written again on every save, so that the entry names the program as it is installed now.
        const AutostartEntry autostart(m_settings.GLOBAL_lista_caption);
        if (ui->CB_Prijava->isChecked())
            autostart.write(AutostartEntry::programCommand(QCoreApplication::applicationFilePath()));
        else
            autostart.remove();
    } catch (const EConfigError &failure) {
        // The save ends here and the window stays open with every edit; what was written stays written.
        ShowApplicationError(this, ConfigErrorText(failure));
        return;
    }
    accept();
}
