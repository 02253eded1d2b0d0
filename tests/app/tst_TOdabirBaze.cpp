#include "app/BackupListGrid.h"
#include "app/TOdabirBaze.h"
#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "ui/ApplicationError.h"
#include "ui/MyMessageDialog.h"
#include "ui/OpenFileDialog.h"

#include "FakeDesktop.h"
#include "ModuleFiles.h"
#include "TempTree.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>
#include <QTranslator>
#include <QUrl>

namespace {

// An rclone configuration with one remote, "nas", in use while the object lives.
class RcloneWithRemote
{
  public:
    explicit RcloneWithRemote(const TempTree &tree)
        : m_hadConfig(qEnvironmentVariableIsSet("RCLONE_CONFIG")), m_previous(qgetenv("RCLONE_CONFIG"))
    {
        qputenv("RCLONE_CONFIG",
                QFile::encodeName(tree.writeFile(QStringLiteral("rclone.conf"), "[nas]\ntype = local\n")));
    }
    ~RcloneWithRemote()
    {
        if (m_hadConfig)
            qputenv("RCLONE_CONFIG", m_previous);
        else
            qunsetenv("RCLONE_CONFIG");
    }

  private:
    bool m_hadConfig;
    QByteArray m_previous;
};

// Translates every text of the settings window to a marked copy, as a language module would.
class MarkingTranslator : public QTranslator
{
  public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "TOdabirBaze") != 0)
            return QString();
        return QStringLiteral("EN:") + QString::fromUtf8(sourceText);
    }
    bool isEmpty() const override { return false; }
};

QStringList paths(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << QString::fromUtf8(text);
    return list;
}

} // namespace

class TestTOdabirBaze : public QObject
{
    Q_OBJECT

    // A data folder with (optionally) a backup list, an archive folder, a few sources, the settings
    // as the start-up sequence leaves them, and the window; every dialog is recorded and answered.
    struct Fixture
    {
        explicit Fixture(const std::optional<QStringList> &list = QStringList{})
        {
            // The autostart entry goes to this configuration folder.
            qputenv("XDG_CONFIG_HOME", tree.path(QStringLiteral("config")).toUtf8());
            dataFolder = tree.makeDir(QStringLiteral("config/Arkivoda")) + QLatin1Char('/');
            archiveFolder = tree.makeDir(QStringLiteral("arhiva")) + QLatin1Char('/');
            file = tree.writeFile(QStringLiteral("izvor/a.txt"), "a");
            folder = tree.makeDir(QStringLiteral("izvor/mapa"));
            settings.userfolder = dataFolder;
            settings.BackupLokacijaAuto = archiveFolder;
            if (list)
                writeList(*list);
            SetMessageDialogHook([this](const MessageDialogRequest &request) -> std::optional<int> {
                dialogs << request;
                return answer;
            });
            OpenFileDialog::setHook([this](const OpenFileRequest &request) -> std::optional<QStringList> {
                openRequests << request;
                if (openAnswers.isEmpty())
                    return std::nullopt;
                return openAnswers.takeFirst();
            });
            SetApplicationErrorHook([this](const QString &text) { errors << text; });
        }

        ~Fixture()
        {
            SetMessageDialogHook({});
            OpenFileDialog::setHook({});
            SetApplicationErrorHook({});
        }

        QString listFile() const { return settings.listFileName(); }
        QString settingsFile() const { return settings.settingsFileName(); }
        void writeList(const QStringList &entries) const
        {
            QFile out(listFile());
            QVERIFY(out.open(QIODevice::WriteOnly));
            for (const QString &entry : entries)
                out.write((entry + QStringLiteral("\r\n")).toUtf8());
        }
        QByteArray fileBytes(const QString &name) const
        {
            QFile in(name);
            return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
        }

        TOdabirBaze &open()
        {
            window = std::make_unique<TOdabirBaze>(settings, desktop.files, nullptr);
            endRequests = std::make_unique<QSignalSpy>(window.get(), &TOdabirBaze::programEndRequested);
            timerChoices = std::make_unique<QSignalSpy>(window.get(), &TOdabirBaze::dailyTimerChosen);
            statusChoices = std::make_unique<QSignalSpy>(window.get(), &TOdabirBaze::mainStatusChosen);
            window->show();
            return *window;
        }

        template <typename T = QWidget> T *control(const char *name) const
        {
            return requireControl<T>(*window, name);
        }
        BackupListGrid *grid() const { return control<BackupListGrid>("Grid"); }
        QAction *action(const char *name) const { return control<QAction>(name); }
        void click(const char *name) const { control<QAbstractButton>(name)->click(); }
        void select(int row) const { grid()->setCurrentCell(row, 0); }
        // Whether each control that acts on the selected entry is enabled: all of them, or none.
        QList<bool> selectionControls() const
        {
            return {control("Button8")->isEnabled(), control("SB_Up")->isEnabled(),
                    control("SB_Down")->isEnabled(), action("Uklanjanje1")->isEnabled(),
                    action("Otvorimapuukojojsenalazidatoteka1")->isEnabled()};
        }
        static QList<bool> allSelectionControls(bool enabled) { return QList<bool>(5, enabled); }

        TempTree tree;
        QString dataFolder;
        QString archiveFolder;
        QString file;
        QString folder;
        ProgramSettings settings;
        FakeDesktop desktop;
        std::unique_ptr<TOdabirBaze> window;
        std::unique_ptr<QSignalSpy> endRequests;
        std::unique_ptr<QSignalSpy> timerChoices;
        std::unique_ptr<QSignalSpy> statusChoices;
        QList<MessageDialogRequest> dialogs;
        std::optional<int> answer = mrOk;
        QList<OpenFileRequest> openRequests;
        QList<QStringList> openAnswers;
        QStringList errors;
    };

    static QString text(quint16 number) { return MessageTable::text(number); }

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Arkivoda")); }

    void creation_data()
    {
        QTest::addColumn<std::optional<QStringList>>("list");
        QTest::addColumn<QString>("lista");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("caption");
        const QStringList two = {QStringLiteral("/a/b.txt"), QStringLiteral("/c/d")};
        QTest::newRow("normal") << std::optional<QStringList>(two) << QString() << two
                                << QStringLiteral("Arkivoda - postavke programa");
        // An empty list shows no rows, and nothing is selected to remove, move or show.
        QTest::newRow("first run") << std::optional<QStringList>() << QString() << QStringList{}
                                   << QStringLiteral("Arkivoda - postavke programa");
        QTest::newRow("empty list file") << std::optional<QStringList>(QStringList{}) << QString()
                                         << QStringList{} << QStringLiteral("Arkivoda - postavke programa");
        QTest::newRow("named list") << std::optional<QStringList>(two) << QStringLiteral("Posao") << two
                                    << QStringLiteral("Arkivoda - postavke programa - aktualna lista: Posao");
    }

    void creation()
    {
        QFETCH(std::optional<QStringList>, list);
        QFETCH(QString, lista);
        Fixture fixture(std::nullopt);
        if (!lista.isEmpty()) {
            fixture.settings.GLOBAL_lista = lista + QLatin1Char('_');
            fixture.settings.GLOBAL_lista_caption = lista;
        }
        if (list)
            fixture.writeList(*list);
        fixture.settings.BckName = QStringLiteral("Posao.v2");
        fixture.settings.GLOBAL_StartToTray = true;
        fixture.settings.GLOBAL_CloseToMinimize = false;
        fixture.settings.GLOBAL_StartMinimized = true;
        fixture.settings.GLOBAL_Report = false;
        fixture.settings.GLOBAL_Provjera = false;
        fixture.settings.GLOBAL_Zadrzi = 3;
        fixture.settings.GLOBAL_Izuzeci = QStringLiteral(".cache/");
        fixture.settings.GLOBAL_TimerEnabled = true;
        fixture.settings.GLOBAL_TimerTime = (13 * 3600 + 45 * 60 + 30) / 86400.0;
        TOdabirBaze &window = fixture.open();

        QTEST(window.windowTitle(), "caption");
        QFETCH(QStringList, rows);
        QCOMPARE(fixture.grid()->rows(), rows);
        QCOMPARE(fixture.grid()->rowCount(), rows.size());
        QCOMPARE(fixture.grid()->currentRow(), rows.isEmpty() ? -1 : 0);
        QCOMPARE(fixture.selectionControls(), Fixture::allSelectionControls(!rows.isEmpty()));
        QCOMPARE(fixture.control("Button2")->isEnabled(), list.has_value());
        QCOMPARE(fixture.control("Button4")->isEnabled(), !list.has_value());
        QCOMPARE(fixture.control<QLineEdit>("BckNameLabel")->text(), QStringLiteral("Posao.v2"));
        QCOMPARE(fixture.control<QLabel>("Putanja")->text(), fixture.archiveFolder);
        QVERIFY(fixture.control<QCheckBox>("CB_StartToTray")->isChecked());
        QVERIFY(!fixture.control<QCheckBox>("CB_CloseToTray")->isChecked());
        QVERIFY(fixture.control<QCheckBox>("CB_StartMinimized")->isChecked());
        QVERIFY(!fixture.control<QCheckBox>("CB_Report")->isChecked());
        QVERIFY(!fixture.control<QCheckBox>("CB_Provjera")->isChecked());
        QCOMPARE(fixture.control<QSpinBox>("Zadrzi")->value(), 3);
        QCOMPARE(fixture.control<QLineEdit>("Izuzeci")->text(), QStringLiteral(".cache/"));
        QVERIFY(fixture.control<QCheckBox>("VrijemeUkljuceno")->isChecked());
        QCOMPARE(fixture.control<QTimeEdit>("Vrijeme")->time(), QTime(13, 45, 30));
        QVERIFY(fixture.errors.isEmpty());
    }

    void layout()
    {
        Fixture fixture;
        TOdabirBaze &window = fixture.open();
        QCOMPARE(window.size(), QSize(671, 750));
        QVERIFY(!(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(window.acceptDrops());

        // The controls reached by Tab, in the order the window shows them.
        QStringList order;
        QWidget *widget = fixture.control("Button5");
        do {
            if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&window) &&
                window.isAncestorOf(widget) && !widget->objectName().startsWith(QLatin1String("qt_")))
                order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != fixture.control("Button5"));
        QCOMPARE(order, (paths({"Button5",
                                "Button7",
                                "Button8",
                                "Button6",
                                "SB_Up",
                                "SB_Down",
                                "Grid",
                                "Button3",
                                "BckNameLabel",
                                "CB_StartToTray",
                                "CB_CloseToTray",
                                "CB_StartMinimized",
                                "CB_Report",
                                "CB_Provjera",
                                "VrijemeUkljuceno",
                                "Vrijeme",
                                "CB_Nadoknadi",
                                "CB_Prijava",
                                "Zadrzi",
                                "Izuzeci",
                                "ED_Cilj",
                                "BTN_ProvjeriVezu",
                                "SE_Zadrzi",
                                "Button1",
                                "Button4",
                                "Button2"})));
        // Whatever font the desktop gives, no caption is cut off and the top row does not overlap.
        for (const QWidget *caption : window.findChildren<QWidget *>()) {
            const auto *label = qobject_cast<const QLabel *>(caption);
            if ((label && !label->wordWrap() && !label->text().isEmpty()) ||
                qobject_cast<const QCheckBox *>(caption))
                QVERIFY2(caption->width() >= caption->sizeHint().width(), qPrintable(caption->objectName()));
        }
        int right = 0;
        for (const char *name :
             {"Label1", "Button5", "Label5", "Button7", "Label6", "Button8", "Label4", "Button6"}) {
            QVERIFY2(fixture.control(name)->x() >= right, name);
            right = fixture.control(name)->geometry().right() + 1;
        }
        QVERIFY(fixture.control("Label3")->geometry().right() < fixture.control("BckNameLabel")->x());
        QVERIFY(qobject_cast<QPushButton *>(fixture.control("Button1"))->isDefault());
        QCOMPARE(fixture.control("Button6")->cursor().shape(), Qt::ArrowCursor);
        for (const char *name : {"Button1", "Button2", "Button3", "Button4", "Button5", "Button7", "Button8"})
            QCOMPARE(fixture.control(name)->cursor().shape(), Qt::PointingHandCursor);
        // The hint carries one double quote of its own and is advice only.
        QCOMPARE(fixture.control("BckNameLabel")->toolTip(),
                 QStringLiteral("Upozorenje: u nazivu prefiksa nemojte koristiti sljedeće znakove: . (točka) "
                                "\" (navodnici) \\ (kosa crta lijevo) / (kosa crta desno)"));
        const QList<QAction *> popup = fixture.control<QMenu>("PopupActionBar1")->actions();
        QCOMPARE(popup.size(), 5);
        QCOMPARE(popup.at(0), fixture.action("Dodajdatoteku1"));
        QCOMPARE(popup.at(1), fixture.action("Dodajmapu1"));
        QCOMPARE(popup.at(2), fixture.action("Uklanjanje1"));
        QVERIFY(popup.at(3)->isSeparator());
        QCOMPARE(popup.at(4), fixture.action("Otvorimapuukojojsenalazidatoteka1"));
    }

    void addingEntries_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("selected");
        const QString a = QStringLiteral("/dok/a.txt");
        const QString b = QStringLiteral("/dok/mapa");
        for (const char *route : {"files button", "files menu", "folders button", "folders menu", "drop"}) {
            const auto row = [route](const char *name) -> QTestData & {
                return QTest::addRow("%s, %s", route, name) << QString::fromLatin1(route);
            };
            row("empty list fills row 0") << QStringList{} << QStringList{a} << QStringList{a} << 0;
            row("appended and selected") << QStringList{a} << QStringList{b} << QStringList{a, b} << 1;
            row("several at once") << QStringList{} << QStringList{a, b} << QStringList{a, b} << 1;
            row("exact duplicate skipped") << QStringList{a, b} << QStringList{a} << QStringList{a, b} << 0;
            row("duplicate within one batch") << QStringList{} << QStringList{a, a} << QStringList{a} << 0;
            row("case differs: a second entry") << QStringList{a} << QStringList{QStringLiteral("/DOK/A.TXT")}
                                                << QStringList{a, QStringLiteral("/DOK/A.TXT")} << 1;
        }
    }

    void addingEntries()
    {
        QFETCH(QString, route);
        QFETCH(QStringList, before);
        QFETCH(QStringList, added);
        Fixture fixture(before);
        fixture.open();
        fixture.select(0);
        if (route == QLatin1String("drop")) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString &path : added)
                urls << QUrl::fromLocalFile(path);
            // Only local files and folders can be backed up: anything else dropped is passed over.
            urls.insert(1, QUrl(QStringLiteral("https://example.org/x.txt")));
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(fixture.window.get(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(fixture.window.get(), &drop);
        } else {
            fixture.openAnswers << added;
            const bool files = route.startsWith(QLatin1String("files"));
            if (route.endsWith(QLatin1String("menu")))
                fixture.action(files ? "Dodajdatoteku1" : "Dodajmapu1")->trigger();
            else
                fixture.click(files ? "Button5" : "Button7");
            QCOMPARE(fixture.openRequests.size(), 1);
            QCOMPARE(fixture.openRequests.first().kind,
                     files ? OpenFileRequest::Kind::Files : OpenFileRequest::Kind::Folders);
        }
        QTEST(fixture.grid()->rows(), "after");
        QTEST(fixture.grid()->currentRow(), "selected");
        QCOMPARE(fixture.selectionControls(), Fixture::allSelectionControls(true));
    }

    void openDialogs()
    {
        Fixture fixture(QStringList{QStringLiteral("/x")});
        fixture.open();
        fixture.click("Button5");
        fixture.click("Button7");
        fixture.click("Button3");
        QCOMPARE(fixture.openRequests.size(), 3);
        const OpenFileRequest &files = fixture.openRequests.at(0);
        QCOMPARE(files.title,
                 QStringLiteral("Dodavanje datoteka za arhiviranje (moguć odabir više datoteka odjednom)"));
        QCOMPARE(files.filter, QStringLiteral("Sve vrste datoteka (*)"));
        QCOMPARE(files.initialFolder, QDir::homePath());
        const OpenFileRequest &folders = fixture.openRequests.at(1);
        QCOMPARE(folders.kind, OpenFileRequest::Kind::Folders);
        QCOMPARE(folders.title,
                 QStringLiteral("Dodavanje mapa za arhiviranje (moguć odabir više mapa odjednom)"));
        QCOMPARE(folders.acceptLabel, QStringLiteral("Dodaj..."));
        QVERIFY(folders.initialFolder.isEmpty());
        const OpenFileRequest &archive = fixture.openRequests.at(2);
        QCOMPARE(archive.kind, OpenFileRequest::Kind::Folder);
        QCOMPARE(archive.title, QStringLiteral("Odabir mape arhiva"));
        QCOMPARE(archive.acceptLabel, QStringLiteral("Odabir"));
        // Cancelled dialogs change nothing.
        QCOMPARE(fixture.grid()->rows(), QStringList{QStringLiteral("/x")});
        QCOMPARE(fixture.control<QLabel>("Putanja")->text(), fixture.archiveFolder);
    }

    void removal_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<int>("questions");
        const QStringList abc = {QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")};
        for (const char *route : {"button, Izbriši", "Delete key", "menu"}) {
            const int asked = QByteArray(route).startsWith("button") ? 1 : 0;
            const auto row = [route](const char *name) -> QTestData & {
                return QTest::addRow("%s, %s", route, name) << QString::fromLatin1(route);
            };
            row("middle row") << abc << 1 << paths({"/a", "/c"}) << 1 << asked;
            row("last row: the new last is selected") << abc << 2 << paths({"/a", "/b"}) << 1 << asked;
            row("first row") << abc << 0 << paths({"/b", "/c"}) << 0 << asked;
            row("only entry leaves the empty list") << paths({"/a"}) << 0 << QStringList{} << -1 << asked;
            row("empty list: nothing, not even a question") << QStringList{} << 0 << QStringList{} << -1 << 0;
        }
        QTest::newRow("button, Odustani") << QStringLiteral("button, Odustani") << abc << 1 << abc << 1 << 1;
        QTest::newRow("button, close box")
            << QStringLiteral("button, close box") << abc << 1 << abc << 1 << 1;
    }

    void removal()
    {
        QFETCH(QString, route);
        QFETCH(QStringList, before);
        QFETCH(int, selected);
        Fixture fixture(before);
        fixture.open();
        fixture.select(selected);
        if (route.startsWith(QLatin1String("button"))) {
            fixture.answer = route.endsWith(QLatin1String("Izbriši"))    ? mrYes
                             : route.endsWith(QLatin1String("Odustani")) ? mrNo
                                                                         : mrCancel;
            fixture.click("Button8");
        } else if (route == QLatin1String("Delete key")) {
            fixture.grid()->setFocus();
            QTest::keyClick(fixture.grid(), Qt::Key_Delete);
        } else {
            fixture.action("Uklanjanje1")->trigger();
        }
        QFETCH(QStringList, after);
        QCOMPARE(fixture.grid()->rows(), after);
        QTEST(fixture.grid()->currentRow(), "selectedAfter");
        QCOMPARE(fixture.selectionControls(), Fixture::allSelectionControls(!after.isEmpty()));
        QTEST(int(fixture.dialogs.size()), "questions");
        if (!fixture.dialogs.isEmpty()) {
            const MessageDialogRequest &question = fixture.dialogs.first();
            QCOMPARE(question.owner, fixture.window.get());
            QCOMPARE(question.caption, QStringLiteral("Odluka"));
            QCOMPARE(question.text, QStringLiteral("Potvrdite brisanje zapisa\r\n\r\n") +
                                        before.at(selected) +
                                        QStringLiteral("\r\n\r\ns liste datoteka i mapa za arhiviranje..."));
            QCOMPARE(question.type, TMsgDlgType::mtWarning);
            QCOMPARE(question.buttons, mbYes | mbNo);
            QCOMPARE(question.captions, (QStringList{QStringLiteral("Izbriši"), QStringLiteral("Odustani")}));
        }
    }

    void moves_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("selectedAfter");
        QTest::newRow("up from the middle") << 1 << true << paths({"/b", "/a", "/c"}) << 0;
        QTest::newRow("up at row 0") << 0 << true << paths({"/a", "/b", "/c"}) << 0;
        QTest::newRow("down from row 0") << 0 << false << paths({"/b", "/a", "/c"}) << 1;
        QTest::newRow("down at the last row") << 2 << false << paths({"/a", "/b", "/c"}) << 2;
    }

    void moves()
    {
        QFETCH(int, selected);
        QFETCH(bool, up);
        Fixture fixture(QStringList{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")});
        fixture.open();
        fixture.select(selected);
        fixture.click(up ? "SB_Up" : "SB_Down");
        QTEST(fixture.grid()->rows(), "after");
        QTEST(fixture.grid()->currentRow(), "selectedAfter");
    }

    void rightClickSelectsTheRowUnderThePointer()
    {
        Fixture fixture(QStringList{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")});
        fixture.open();
        BackupListGrid *grid = fixture.grid();
        const QPoint thirdRow = grid->visualRect(grid->model()->index(2, 0)).center();
        QTest::mousePress(grid->viewport(), Qt::RightButton, {}, thirdRow);
        QCOMPARE(grid->currentRow(), 2);
        // Below the last row there is no cell: the selection stays.
        QTest::mousePress(grid->viewport(), Qt::RightButton, {}, QPoint(20, grid->viewport()->height() - 5));
        QCOMPARE(grid->currentRow(), 2);
    }

    void showingInTheFileManager_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("error");
        const QString missing =
            QStringLiteral("Datoteka ili mapa ne postoji!\r\n\r\nProvjerite da li je dostupan "
                           "uređaj na kojem se datoteka ili mapa nalazi.");
        QTest::newRow("file") << QStringLiteral("file") << true << QString();
        QTest::newRow("folder") << QStringLiteral("folder") << true << QString();
        QTest::newRow("missing") << QStringLiteral("missing") << false << missing;
        QTest::newRow("empty list") << QString() << false << QString();
    }

    void showingInTheFileManager()
    {
        QFETCH(QString, entry);
        QFETCH(bool, shown);
        QFETCH(QString, error);
        Fixture fixture;
        const QString path = entry == QLatin1String("file")     ? fixture.file
                             : entry == QLatin1String("folder") ? fixture.folder
                             : entry.isEmpty()                  ? QString()
                                                                : fixture.tree.path(QStringLiteral("nema"));
        fixture.writeList(path.isEmpty() ? QStringList{} : QStringList{path});
        fixture.open();
        fixture.action("Otvorimapuukojojsenalazidatoteka1")->trigger();
        QCOMPARE(fixture.desktop.files.shown, shown ? QStringList{path} : QStringList{});
        QCOMPARE(fixture.dialogs.size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty()) {
            QCOMPARE(fixture.dialogs.first().caption, QStringLiteral("Greška"));
            QCOMPARE(fixture.dialogs.first().text, error);
            QCOMPARE(fixture.dialogs.first().type, TMsgDlgType::mtError);
            QCOMPARE(fixture.dialogs.first().captions, QStringList{QStringLiteral("U redu")});
        }
    }

    void showingTheListFile()
    {
        Fixture fixture(QStringList{QStringLiteral("/a")});
        fixture.open();
        fixture.click("Button6");
        QCOMPARE(fixture.desktop.files.shown, QStringList{fixture.listFile()});
        QFile::remove(fixture.listFile());
        fixture.click("Button6");
        QCOMPARE(fixture.desktop.files.shown.size(), 1);
        QCOMPARE(fixture.dialogs.size(), 1);
        QCOMPARE(fixture.dialogs.first().text,
                 QStringLiteral("Datoteka s popisom datoteka i mapa za arhiviranje ne postoji!"));
        QCOMPARE(fixture.dialogs.first().caption, QStringLiteral("Greška"));
    }

    void archiveFolderChoice_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/");
        QTest::newRow("a folder gets its separator")
            << QStringLiteral("<tree>/arhiva") << QStringLiteral("<tree>/arhiva/");
    }

    void archiveFolderChoice()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, shown);
        Fixture fixture(QStringList{QStringLiteral("/a")});
        fixture.settings.BackupLokacijaAuto.clear();
        chosen.replace(QStringLiteral("<tree>"), fixture.tree.root());
        shown.replace(QStringLiteral("<tree>"), fixture.tree.root());
        fixture.open();
        fixture.openAnswers << QStringList{chosen};
        fixture.click("Button3");
        QCOMPARE(fixture.control<QLabel>("Putanja")->text(), shown);
        // Only the label changes until a save.
        QVERIFY(!QFile::exists(fixture.settingsFile()));
        fixture.click("Button1");
        QVERIFY(fixture.window->isHidden());
        QVERIFY(QString::fromUtf8(fixture.fileBytes(fixture.settingsFile()))
                    .contains(QStringLiteral("Putanja=") + shown + QStringLiteral("\r\n")));
        QCOMPARE(fixture.settings.BackupLokacijaAuto, shown);
    }

    void saveValidations_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("putanja");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<quint16>("refusal");
        QTest::addColumn<QString>("putanjaAfter");
        const QString saved = QStringLiteral("<saved>");
        const QString archive = QStringLiteral("<archive>");
        const QString gone = QStringLiteral("<tree>/nema/");
        const QStringList one = {QStringLiteral("/a")};
        QTest::newRow("empty list") << QStringList{} << archive << QStringLiteral("Arhiva")
                                    << quint16(Msg::ErrorEmptyList) << archive;
        QTest::newRow("empty list comes first")
            << QStringList{} << QString() << QString() << quint16(Msg::ErrorEmptyList) << QString();
        QTest::newRow("no archive folder yet") << one << QString() << QStringLiteral("Arhiva")
                                               << quint16(Msg::ErrorSettingsFolderMissing) << saved;
        QTest::newRow("archive folder gone: the saved one comes back")
            << one << gone << QString() << quint16(Msg::ErrorSettingsFolderMissing) << saved;
        QTest::newRow("empty prefix")
            << one << archive << QString() << quint16(Msg::ErrorEmptyPrefix) << archive;
        QTest::newRow("prefix with a slash")
            << one << archive << QStringLiteral("Kopija/y") << quint16(Msg::ErrorBadPrefix) << archive;
        QTest::newRow("prefix of dots")
            << one << archive << QStringLiteral("..") << quint16(Msg::ErrorBadPrefix) << archive;
        QTest::newRow("prefix with a NUL")
            << one << archive << QStringLiteral("a") + QChar(0) + QStringLiteral("b")
            << quint16(Msg::ErrorBadPrefix) << archive;
    }

    void saveValidations()
    {
        QFETCH(QStringList, list);
        QFETCH(QString, putanja);
        QFETCH(QString, prefix);
        QFETCH(quint16, refusal);
        QFETCH(QString, putanjaAfter);
        Fixture fixture(list);
        const QString savedFolder = fixture.tree.makeDir(QStringLiteral("spremljena")) + QLatin1Char('/');
        fixture.settings.BackupLokacijaAuto = savedFolder;
        const auto resolve = [&](QString value) {
            value.replace(QStringLiteral("<saved>"), savedFolder);
            value.replace(QStringLiteral("<archive>"), fixture.archiveFolder);
            return value.replace(QStringLiteral("<tree>"), fixture.tree.root());
        };
        const QByteArray listBefore = fixture.fileBytes(fixture.listFile());
        fixture.open();
        fixture.control<QLabel>("Putanja")->setText(resolve(putanja));
        fixture.control<QLineEdit>("BckNameLabel")->setText(prefix);
        fixture.click("Button1");

        QCOMPARE(fixture.dialogs.size(), 1);
        QCOMPARE(fixture.dialogs.first().caption, QStringLiteral("Greška"));
        QCOMPARE(fixture.dialogs.first().text, text(refusal));
        QCOMPARE(fixture.dialogs.first().type, TMsgDlgType::mtError);
        QCOMPARE(fixture.dialogs.first().buttons, TMsgDlgButtons(mbOK));
        QCOMPARE(fixture.control<QLabel>("Putanja")->text(), resolve(putanjaAfter));
        QVERIFY(fixture.window->isVisible());
        QVERIFY(!QFile::exists(fixture.settingsFile()));
        QCOMPARE(fixture.fileBytes(fixture.listFile()), listBefore);
        QCOMPARE(fixture.settings.BackupLokacijaAuto, savedFolder);
        QCOMPARE(fixture.timerChoices->count(), 0);
    }

    void saveWritesAndApplies_data()
    {
        QTest::addColumn<bool>("dailyRun");
        QTest::newRow("daily run ticked") << true;
        QTest::newRow("daily run unticked: the stored time stays") << false;
    }

    void saveWritesAndApplies()
    {
        QFETCH(bool, dailyRun);
        Fixture fixture(std::nullopt);
        {
            QFile ini(fixture.settingsFile());
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("; kept\r\n[Timer]\r\nTime=06:30:00\r\nEnabled=1\r\n");
        }
        fixture.settings.GLOBAL_TimerEnabled = true;
        fixture.settings.GLOBAL_TimerTime = 6.5 / 24;
        fixture.open();
        fixture.openAnswers << QStringList{fixture.file, fixture.folder} << QStringList{fixture.folder}
                            << QStringList{fixture.archiveFolder + QStringLiteral("dnevno")};
        QDir(fixture.archiveFolder).mkdir(QStringLiteral("dnevno"));
        fixture.click("Button5");
        fixture.click("Button7");
        fixture.click("Button3");
        // The hint is advice only: the prefix is stored as typed (only a "/" or dots alone are refused).
        fixture.control<QLineEdit>("BckNameLabel")->setText(QStringLiteral("Kopija.\"x\"y"));
        fixture.control<QCheckBox>("CB_StartToTray")->setChecked(true);
        fixture.control<QCheckBox>("CB_CloseToTray")->setChecked(true);
        fixture.control<QCheckBox>("CB_Report")->setChecked(false);
        fixture.control<QCheckBox>("CB_Provjera")->setChecked(false);
        fixture.control<QSpinBox>("Zadrzi")->setValue(4);
        fixture.control<QLineEdit>("Izuzeci")->setText(QStringLiteral("*.tmp;node_modules/"));
        fixture.control<QCheckBox>("VrijemeUkljuceno")->setChecked(dailyRun);
        fixture.control<QTimeEdit>("Vrijeme")->setTime(QTime(21, 5, 9));
        // The catch-up belongs to the daily run: greyed with it.
        QCOMPARE(fixture.control<QCheckBox>("CB_Nadoknadi")->isEnabled(), dailyRun);
        fixture.control<QCheckBox>("CB_Nadoknadi")->setChecked(dailyRun);
        fixture.click("Button1");

        QVERIFY(fixture.dialogs.isEmpty());
        QVERIFY(fixture.errors.isEmpty());
        QVERIFY(fixture.window->isHidden());
        QCOMPARE(fixture.window->result(), int(QDialog::Accepted));
        QCOMPARE(fixture.endRequests->count(), 0);
        const QString dnevno = fixture.archiveFolder + QStringLiteral("dnevno/");
        const QString time = dailyRun ? QStringLiteral("21:05:09") : QStringLiteral("06:30:00");
        QCOMPARE(QString::fromUtf8(fixture.fileBytes(fixture.settingsFile())),
                 QStringLiteral("; kept\r\n[Timer]\r\nTime=") + time + QStringLiteral("\r\nEnabled=") +
                     (dailyRun ? QStringLiteral("1") : QStringLiteral("0")) +
                     QStringLiteral("\r\nNadoknadi=") +
                     (dailyRun ? QStringLiteral("1") : QStringLiteral("0")) +
                     QStringLiteral("\r\n[LokacijaAuto]\r\nPutanja=") + dnevno +
                     QStringLiteral("\r\nZadrzi=4\r\n[Last]\r\nDatoteka=Kopija.\"x\"y\r\n[Program]\r\n"
                                    "StartToTray=1\r\nCloseToTray=1\r\nStartMinimized=0\r\nReport=0\r\n"
                                    "Provjera=0\r\nIzuzeci=*.tmp;node_modules/\r\n"));
        QCOMPARE(fixture.fileBytes(fixture.listFile()),
                 (fixture.file + QStringLiteral("\r\n") + fixture.folder + QStringLiteral("\r\n")).toUtf8());

        const ProgramSettings &settings = fixture.settings;
        QCOMPARE(settings.BackupLokacijaAuto, dnevno);
        QCOMPARE(settings.BckName, QStringLiteral("Kopija.\"x\"y"));
        QVERIFY(settings.GLOBAL_StartToTray);
        QVERIFY(settings.GLOBAL_CloseToMinimize);
        QVERIFY(!settings.GLOBAL_StartMinimized);
        QVERIFY(!settings.GLOBAL_Report);
        QVERIFY(!settings.GLOBAL_Provjera);
        QCOMPARE(settings.GLOBAL_Zadrzi, 4);
        QCOMPARE(settings.GLOBAL_Izuzeci, QStringLiteral("*.tmp;node_modules/"));
        QCOMPARE(settings.GLOBAL_TimerEnabled, dailyRun);
        QCOMPARE(settings.GLOBAL_TimerCatchUp, dailyRun);
        QCOMPARE(qRound(settings.GLOBAL_TimerTime * 86400),
                 dailyRun ? 21 * 3600 + 5 * 60 + 9 : 6 * 3600 + 30 * 60);
        QCOMPARE(fixture.timerChoices->count(), 1);
        QCOMPARE(fixture.timerChoices->first().first().toBool(), dailyRun);
        QCOMPARE(fixture.statusChoices->count(), dailyRun ? 0 : 1);
        if (!dailyRun)
            QCOMPARE(fixture.statusChoices->first().first().toString(), QStringLiteral("čekam..."));
    }

    // Exclusions longer than a line edit holds by default are shown and saved whole.
    void longExclusionsAreSavedWhole()
    {
        Fixture fixture(QStringList{QStringLiteral("/a")});
        fixture.settings.GLOBAL_Izuzeci = QString(40000, u'x') + QStringLiteral(";*.tmp");
        fixture.open();
        fixture.click("Button1");

        QVERIFY(fixture.errors.isEmpty());
        QCOMPARE(fixture.window->result(), int(QDialog::Accepted));
        const QByteArray stored = "\r\nIzuzeci=" + QByteArray(40000, 'x') + ";*.tmp\r\n";
        QVERIFY(fixture.fileBytes(fixture.settingsFile()).contains(stored));
    }

    void startAtLogin()
    {
        Fixture fixture(QStringList{QStringLiteral("/a")});
        fixture.settings.GLOBAL_lista = QStringLiteral("Posao_");
        fixture.settings.GLOBAL_lista_caption = QStringLiteral("Posao");
        fixture.writeList({QStringLiteral("/a")});
        const QString entry = fixture.tree.path(QStringLiteral("config/autostart/arkivoda-Posao.desktop"));
        fixture.open();
        QVERIFY(!fixture.control<QCheckBox>("CB_Prijava")->isChecked());
        fixture.control<QCheckBox>("CB_Prijava")->setChecked(true);
        fixture.click("Button1");
        QVERIFY(fixture.errors.isEmpty());
        const QByteArray exec = "\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + " Posao\n";
        QVERIFY(fixture.fileBytes(entry).contains(exec));

        fixture.open();
        QVERIFY(fixture.control<QCheckBox>("CB_Prijava")->isChecked());
        fixture.control<QCheckBox>("CB_Prijava")->setChecked(false);
        fixture.click("Button1");
        QVERIFY(fixture.errors.isEmpty());
        QVERIFY(!QFile::exists(entry));
    }

    void failedWritesKeepTheWindowOpen_data()
    {
        QTest::addColumn<bool>("settingsFail");
        QTest::newRow("settings file") << true;
        QTest::newRow("list file") << false;
    }

    void failedWritesKeepTheWindowOpen()
    {
        QFETCH(bool, settingsFail);
        Fixture fixture(QStringList{QStringLiteral("/a")});
        const QByteArray listBefore = fixture.fileBytes(fixture.listFile());
        if (settingsFail)
            QDir().mkpath(fixture.settingsFile() + QStringLiteral("/zauzeto"));
        fixture.open();
        if (!settingsFail) {
            // A folder in the list file's place: the settings are written, the list cannot be.
            QFile::remove(fixture.listFile());
            QDir().mkpath(fixture.listFile() + QStringLiteral("/zauzeto"));
        }
        fixture.grid()->addEntry(QStringLiteral("/b"));
        fixture.click("Button1");

        QCOMPARE(fixture.errors.size(), 1);
        QVERIFY2(fixture.errors.first().contains(settingsFail ? fixture.settingsFile() : fixture.listFile()),
                 qPrintable(fixture.errors.first()));
        QVERIFY(fixture.window->isVisible());
        QCOMPARE(fixture.grid()->rows(), (paths({"/a", "/b"})));
        if (settingsFail)
            QCOMPARE(fixture.fileBytes(fixture.listFile()), listBefore);
        else
            QVERIFY(fixture.fileBytes(fixture.settingsFile()).contains("Report=1"));
    }

    void closeRule_data()
    {
        QTest::addColumn<bool>("listExists");
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("endsProgram");
        for (const bool exists : {true, false}) {
            const char *mode = exists ? "list file" : "no list file";
            QTest::addRow("%s, close box", mode) << exists << QStringLiteral("close box") << true << !exists;
            // Escape goes on without saving where Button2 does; on a first start it does nothing.
            QTest::addRow("%s, Escape", mode) << exists << QStringLiteral("Escape") << exists << false;
        }
        QTest::newRow("list file, Button2") << true << QStringLiteral("Button2") << true << false;
        QTest::newRow("no list file, Button4") << false << QStringLiteral("Button4") << true << true;
        // The test is made as the window closes: a list file that came or went meanwhile counts.
        QTest::newRow("list file deleted meanwhile, close box")
            << true << QStringLiteral("delete, close box") << true << true;
        QTest::newRow("no list file, then saved") << false << QStringLiteral("save") << true << false;
    }

    void closeRule()
    {
        QFETCH(bool, listExists);
        QFETCH(QString, way);
        Fixture fixture(listExists ? std::optional<QStringList>(paths({"/a"})) : std::nullopt);
        TOdabirBaze &window = fixture.open();
        if (way == QLatin1String("close box")) {
            window.close();
        } else if (way == QLatin1String("Escape")) {
            QTest::keyClick(&window, Qt::Key_Escape);
        } else if (way == QLatin1String("delete, close box")) {
            QFile::remove(fixture.listFile());
            window.close();
        } else if (way == QLatin1String("save")) {
            fixture.grid()->addEntry(fixture.file);
            fixture.click("Button1");
        } else {
            fixture.click(qPrintable(way));
        }
        QTEST(window.isHidden(), "closes");
        QTEST(fixture.endRequests->count() == 1, "endsProgram");
    }

    void escapeDropsTheEdits()
    {
        Fixture fixture(QStringList{QStringLiteral("/a")});
        const QByteArray listBefore = fixture.fileBytes(fixture.listFile());
        TOdabirBaze &window = fixture.open();
        fixture.grid()->addEntry(QStringLiteral("/b"));
        fixture.control<QLineEdit>("BckNameLabel")->setText(QStringLiteral("Moje"));
        QTest::keyClick(fixture.control("BckNameLabel"), Qt::Key_Escape);

        QVERIFY(window.isHidden());
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QCOMPARE(fixture.fileBytes(fixture.listFile()), listBefore);
        QVERIFY(!QFile::exists(fixture.settingsFile()));
    }

    void typingOrPastingTheDailyTime_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QTime>("expected");
        QTest::newRow("typed over the whole field")
            << QStringLiteral("type, all") << QStringLiteral("07:30:00") << QTime(7, 30);
        QTest::newRow("typed over the whole field, evening")
            << QStringLiteral("type, all") << QStringLiteral("19:08:11") << QTime(19, 8, 11);
        QTest::newRow("typed into the hour")
            << QStringLiteral("type, hour") << QStringLiteral("19:08:11") << QTime(19, 8, 11);
        QTest::newRow("typed without separators")
            << QStringLiteral("type, all") << QStringLiteral("073000") << QTime(7, 30);
        QTest::newRow("typed with dots")
            << QStringLiteral("type, all") << QStringLiteral("23.59.58") << QTime(23, 59, 58);
        QTest::newRow("pasted over the whole field")
            << QStringLiteral("paste, all") << QStringLiteral("07:30:00") << QTime(7, 30);
        QTest::newRow("pasted over the minutes")
            << QStringLiteral("paste, minutes") << QStringLiteral("19:08:11") << QTime(19, 8, 11);
        QTest::newRow("pasted, short form")
            << QStringLiteral("paste, minutes") << QStringLiteral(" 7:05 ") << QTime(7, 5);
        // Text that is no time leaves the field as it was.
        QTest::newRow("pasted, not a time")
            << QStringLiteral("paste, all") << QStringLiteral("sutra") << QTime(12, 0);
        QTest::newRow("pasted, 25 o'clock")
            << QStringLiteral("paste, all") << QStringLiteral("25:00:00") << QTime(12, 0);
    }

    void typingOrPastingTheDailyTime()
    {
        QFETCH(QString, way);
        QFETCH(QString, input);
        QFETCH(QTime, expected);
        Fixture fixture(QStringList{QStringLiteral("/a")});
        fixture.settings.GLOBAL_TimerEnabled = true;
        fixture.settings.GLOBAL_TimerTime = 0.5;
        TOdabirBaze &window = fixture.open();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *field = fixture.control<QTimeEdit>("Vrijeme");
        field->setFocus(Qt::MouseFocusReason);
        if (way.endsWith(QLatin1String("all")))
            field->selectAll();
        else if (way.endsWith(QLatin1String("hour")))
            field->setSelectedSection(QDateTimeEdit::HourSection);
        else
            field->setSelectedSection(QDateTimeEdit::MinuteSection);
        if (way.startsWith(QLatin1String("type"))) {
            QTest::keyClicks(field, input);
        } else {
            QGuiApplication::clipboard()->setText(input);
            QTest::keySequence(field, QKeySequence::Paste);
        }
        // As leaving the field does: what is in it counts.
        field->interpretText();
        QCOMPARE(field->time(), expected);
    }

    // Typed as on a real keyboard: ':' comes with Shift held (pressed alone first, as a keyboard sends
    // it), "." without; "click" is a mouse click into a section, "paste" the clipboard with Ctrl+V.
    // The window then saves, and the stored time is the one typed.
    void typingTheDailyTimeWithRealKeys_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QTime>("expected");
        const auto row = [](const char *name, const char *way, const char *input, QTime expected) {
            QTest::newRow(name) << QString::fromLatin1(way) << QString::fromLatin1(input) << expected;
        };
        row("colons", "select all", "07:30:45", QTime(7, 30, 45));
        row("colons, round hour", "select all", "08:00:00", QTime(8, 0));
        row("colons, short hour", "select all", "7:30", QTime(7, 30));
        row("colons, hour that could go on", "select all", "1:05:9", QTime(1, 5, 9));
        row("dots", "select all", "07.30.45", QTime(7, 30, 45));
        row("dots, short", "select all", "1.5.9", QTime(1, 5, 9));
        row("click into the hour", "click hour", "08", QTime(8, 0));
        row("click into the minutes", "click minutes", "45", QTime(12, 45));
        row("click into the seconds", "click seconds", "3", QTime(12, 0, 3));
        row("click, then a whole time", "click hour", "07:30:45", QTime(7, 30, 45));
        row("pasted over the field", "paste", "07:30:45", QTime(7, 30, 45));
        row("pasted, short form", "paste", "7:30", QTime(7, 30));
    }

    void typingTheDailyTimeWithRealKeys()
    {
        QFETCH(QString, way);
        QFETCH(QString, input);
        QFETCH(QTime, expected);
        Fixture fixture(std::nullopt);
        fixture.writeList({fixture.file});
        fixture.settings.GLOBAL_TimerEnabled = true;
        fixture.settings.GLOBAL_TimerTime = 0.5;
        TOdabirBaze &window = fixture.open();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *field = fixture.control<QTimeEdit>("Vrijeme");
        auto *text = field->findChild<QLineEdit *>();
        if (way.startsWith(QLatin1String("click"))) {
            // The middle of the section's two digits.
            const int section = way.endsWith(QLatin1String("hour"))      ? 0
                                : way.endsWith(QLatin1String("minutes")) ? 1
                                                                         : 2;
            const int cursor = section * 3 + 1;
            const QString shown = text->text();
            text->setCursorPosition(cursor);
            const QPoint at(text->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(),
                            text->height() / 2);
            text->setCursorPosition(0);
            QTest::mouseClick(text, Qt::LeftButton, {}, at);
            QCOMPARE(text->text(), shown);
            QCOMPARE(field->currentSection(), field->sectionAt(section));
        } else {
            field->setFocus(Qt::TabFocusReason);
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        }
        if (way == QLatin1String("paste")) {
            QGuiApplication::clipboard()->setText(input);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        } else {
            for (const QChar c : input) {
                if (c == u':') {
                    QTest::keyPress(field, Qt::Key_Shift, Qt::ShiftModifier);
                    QTest::keyClick(field, ':', Qt::ShiftModifier);
                    QTest::keyRelease(field, Qt::Key_Shift);
                } else {
                    QTest::keyClick(field, c.toLatin1());
                }
            }
        }
        // Saved with the mouse, as a user does: the field loses the focus and takes what it shows.
        auto *save = fixture.control<QAbstractButton>("Button1");
        QTest::mouseClick(save, Qt::LeftButton, {}, save->rect().center());
        QCOMPARE(field->time(), expected);
        QVERIFY(fixture.errors.isEmpty());
        QCOMPARE(fixture.window->result(), int(QDialog::Accepted));
        QVERIFY(QString::fromUtf8(fixture.fileBytes(fixture.settingsFile()))
                    .contains(QStringLiteral("Time=") + expected.toString(QStringLiteral("HH:mm:ss")) +
                              QStringLiteral("\r\n")));
    }

    // The remote copy's group: the check says what rclone found (a local folder is a target rclone
    // reaches without a server), a target without rclone gets a note, and a save stores both values.
    void remoteCopyGroup_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("withRclone");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("found");
        QTest::newRow("folder with two folders") << QStringLiteral("arhiva") << true << QString()
                                                 << QStringLiteral("Veza radi: %1 sadrži mapa: 2.");
        QTest::newRow("folder not made yet") << QStringLiteral("nema") << true << QString()
                                             << QStringLiteral("Veza radi, ali mapa %1 još ne postoji");
        QTest::newRow("unknown remote") << QStringLiteral("nepoznato:x") << true << QString()
                                        << QStringLiteral("Veza s %1 nije uspjela: ");
        QTest::newRow("no rclone") << QStringLiteral("nas:backup") << false
                                   << text(Msg::SettingsRcloneMissing)
                                   << QStringLiteral("Veza s %1 nije uspjela: rclone nije instaliran");
    }

    void remoteCopyGroup()
    {
        QFETCH(QString, target);
        QFETCH(bool, withRclone);
        QFETCH(QString, note);
        QFETCH(QString, found);
        Fixture fixture(QStringList{QStringLiteral("/a")});
        QDir(fixture.archiveFolder).mkpath(QStringLiteral("x"));
        QDir(fixture.archiveFolder).mkpath(QStringLiteral("y"));
        if (target == QStringLiteral("arhiva") || target == QStringLiteral("nema"))
            target = fixture.tree.path(target);
        const QByteArray path = qgetenv("PATH");
        if (!withRclone)
            qputenv("PATH", QFile::encodeName(fixture.tree.makeDir(QStringLiteral("prazno"))));
        fixture.settings.GLOBAL_UdaljenoCilj = target;
        const RcloneWithRemote rclone(fixture.tree);
        fixture.open();
        const QString shownNote = fixture.control<QLabel>("LBL_Veza")->text();
        fixture.click("BTN_ProvjeriVezu");
        const QString answer = fixture.control<QLabel>("LBL_Veza")->text();
        qputenv("PATH", path);
        QCOMPARE(shownNote, note);
        QVERIFY2(answer.startsWith(found.arg(target)), qPrintable(answer));

        fixture.control<QLineEdit>("ED_Cilj")->setText(QStringLiteral(" nas:kopije "));
        fixture.control<QSpinBox>("SE_Zadrzi")->setValue(7);
        fixture.click("Button1");
        QVERIFY(fixture.errors.isEmpty());
        QCOMPARE(fixture.settings.GLOBAL_UdaljenoCilj, QStringLiteral("nas:kopije"));
        QCOMPARE(fixture.settings.GLOBAL_UdaljenoZadrzi, 7);
        ProgramSettings loaded;
        loaded.userfolder = fixture.settings.userfolder;
        LoadProgramSettings(loaded);
        QCOMPARE(loaded.GLOBAL_UdaljenoCilj, QStringLiteral("nas:kopije"));
        QCOMPARE(loaded.GLOBAL_UdaljenoZadrzi, 7);
    }

    // Both numbers of archives kept say "all" alike for 0, the local one in the archive folder and the
    // one at the copy target, in each language; a save stores 0 for it.
    void keepingAllReadsAlikeInBothFields_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("all");
        QTest::newRow("Croatian") << QString() << QStringLiteral("sve");
        QTest::newRow("English") << QStringLiteral("ENU") << QStringLiteral("all");
    }

    void keepingAllReadsAlikeInBothFields()
    {
        QFETCH(QString, module);
        Fixture fixture(QStringList{QStringLiteral("/a")});
        QTranslator translator;
        if (!module.isEmpty()) {
            QVERIFY(translator.load(ModuleFiles::builtModule(module)));
            QCoreApplication::installTranslator(&translator);
        }
        fixture.settings.GLOBAL_Zadrzi = 0;
        fixture.settings.GLOBAL_UdaljenoZadrzi = 0;
        fixture.open();
        const QString local = fixture.control<QSpinBox>("Zadrzi")->text();
        const QString remote = fixture.control<QSpinBox>("SE_Zadrzi")->text();
        fixture.click("Button1");
        QCoreApplication::removeTranslator(&translator);

        QTEST(local, "all");
        QTEST(remote, "all");
        QVERIFY(fixture.errors.isEmpty());
        QCOMPARE(fixture.settings.GLOBAL_UdaljenoZadrzi, 0);
    }

    // A copy target is a remote rclone knows or an absolute folder: the check and the save refuse
    // anything else, as a bare name would copy into a folder below the working folder.
    void aCopyTargetThatCannotTakeCopiesIsRefused_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("problem");
        const QString form = QStringLiteral(
            "odredište nije ni udaljeni cilj oblika udaljeni:putanja ni apsolutna putanja mape");
        QTest::newRow("a bare name") << QStringLiteral("nas") << form;
        QTest::newRow("a relative folder") << QStringLiteral("kopije/nas:x") << form;
        QTest::newRow("an unknown remote")
            << QStringLiteral("nepoznato:x")
            << QStringLiteral("rclone ne poznaje udaljeni cilj nepoznato (rclone listremotes)");
        QTest::newRow("a known remote") << QStringLiteral("nas:kopije") << QString();
        QTest::newRow("an absolute folder") << QStringLiteral("/mnt/kopije") << QString();
    }

    void aCopyTargetThatCannotTakeCopiesIsRefused()
    {
        QFETCH(QString, target);
        QFETCH(QString, problem);
        Fixture fixture(QStringList{QStringLiteral("/a")});
        const RcloneWithRemote rclone(fixture.tree);
        fixture.open();
        fixture.control<QLineEdit>("ED_Cilj")->setText(target);
        fixture.click("BTN_ProvjeriVezu");
        const QString answer = fixture.control<QLabel>("LBL_Veza")->text();
        fixture.click("Button1");

        if (problem.isEmpty()) {
            QVERIFY(fixture.dialogs.isEmpty());
            QCOMPARE(fixture.settings.GLOBAL_UdaljenoCilj, target);
            return;
        }
        QVERIFY2(answer.startsWith(QStringLiteral("Veza s %1 nije uspjela: ").arg(target) + problem),
                 qPrintable(answer));
        QCOMPARE(fixture.dialogs.size(), 1);
        QCOMPARE(fixture.dialogs.first().caption, QStringLiteral("Greška"));
        QCOMPARE(fixture.dialogs.first().text,
                 QStringLiteral("Odredište kopije %1 nije prihvatljivo: ").arg(target) + problem);
        QCOMPARE(fixture.settings.GLOBAL_UdaljenoCilj, QString());
    }

    void languageChangeKeepsTheEdits()
    {
        Fixture fixture(QStringList{QStringLiteral("/a")});
        fixture.settings.GLOBAL_lista_caption = QStringLiteral("Posao");
        TOdabirBaze &window = fixture.open();
        fixture.grid()->addEntry(QStringLiteral("/b"));
        fixture.control<QLineEdit>("BckNameLabel")->setText(QStringLiteral("Moje"));
        fixture.control<QCheckBox>("CB_Report")->setChecked(false);
        fixture.control<QLabel>("Putanja")->setText(QStringLiteral("/"));
        const QString caption = window.windowTitle();

        MarkingTranslator translator;
        QCoreApplication::installTranslator(&translator);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        const QString label = fixture.control<QLabel>("Label2")->text();
        QCoreApplication::removeTranslator(&translator);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);

        QCOMPARE(label, QStringLiteral("EN:Putanja na koju će se izvoditi automatsko arhiviranje:"));
        QCOMPARE(fixture.action("Uklanjanje1")->text(),
                 QStringLiteral("&Uklanjanje označenog zapisa s liste"));
        QCOMPARE(window.windowTitle(), caption);
        QCOMPARE(fixture.grid()->rows(), (paths({"/a", "/b"})));
        QCOMPARE(fixture.control<QLineEdit>("BckNameLabel")->text(), QStringLiteral("Moje"));
        QVERIFY(!fixture.control<QCheckBox>("CB_Report")->isChecked());
        QCOMPARE(fixture.control<QLabel>("Putanja")->text(), QStringLiteral("/"));
    }
};

QTEST_MAIN(TestTOdabirBaze)
#include "RequireControl.h"
#include "tst_TOdabirBaze.moc"
