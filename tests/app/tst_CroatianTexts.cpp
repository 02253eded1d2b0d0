#include "app/TForm_FilesMissing.h"
#include "app/TGlavni.h"
#include "config/ResourceModules.h"

#include "BilingualWindowFixture.h"
#include "FakeDesktop.h"
#include "ModalDriver.h"
#include "ModuleFiles.h"
#include "TempTree.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCommandLinkButton>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>

namespace {

// The texts a user reads in a window: its title, labels, buttons (with a command link's note), group
// titles, the shown entry of each combo box, field hints, the headers of lists, and the main menu with
// its items. Mnemonic marks are dropped; hidden controls do not count.
QStringList visibleTexts(QWidget *window)
{
    QStringList texts{window->windowTitle()};
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window))
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            texts << label->text();
        } else if (auto *link = qobject_cast<QCommandLinkButton *>(widget)) {
            texts << link->text() << link->description();
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            texts << button->text();
        } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
            texts << group->title();
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            texts << combo->currentText();
        } else if (auto *field = qobject_cast<QLineEdit *>(widget)) {
            texts << field->placeholderText();
        } else if (auto *header = qobject_cast<QHeaderView *>(widget)) {
            for (int section = 0; header->model() && section < header->count(); ++section)
                if (!header->isSectionHidden(section))
                    texts << header->model()->headerData(section, header->orientation()).toString();
        } else if (auto *menuBar = qobject_cast<QMenuBar *>(widget)) {
            for (const QAction *menu : menuBar->actions()) {
                texts << menu->text();
                if (menu->menu())
                    for (const QAction *item : menu->menu()->actions())
                        texts << item->text();
            }
        }
    }
    QStringList shown;
    for (QString text : texts) {
        text.remove(QRegularExpression(QStringLiteral("&(?=\\S)")));
        text = text.trimmed();
        if (!text.isEmpty())
            shown << text;
    }
    return shown;
}

} // namespace

class TestCroatianTexts : public QObject
{
    Q_OBJECT

    using Fixture = BilingualWindowFixture;

    // Opens every window and dialog in turn, as a user would, and reads what each shows.
    static QMap<QString, QStringList> textsOfEveryWindow(const QString &jezik)
    {
        Fixture fixture(jezik);
        TGlavni &window = *fixture.window;
        QMap<QString, QStringList> texts;
        texts[QStringLiteral("main window")] = visibleTexts(&window);

        // The settings window, and from it the three dialogs that add files and folders and choose the
        // archive folder.
        const ModalDriver settings([&texts](QWidget *settingsWindow) {
            texts[QStringLiteral("settings window")] = visibleTexts(settingsWindow);
            const QList<QPair<QString, const char *>> dialogs = {
                {QStringLiteral("add files"), "Button5"},
                {QStringLiteral("add folders"), "Button7"},
                {QStringLiteral("archive folder"), "Button3"}};
            for (const auto &[name, button] : dialogs) {
                const ModalDriver dialog([&texts, name = name](QWidget *modal) {
                    QVERIFY(qobject_cast<QFileDialog *>(modal));
                    texts[name] = visibleTexts(modal);
                    static_cast<QDialog *>(modal)->reject();
                });
                settingsWindow->findChild<QAbstractButton *>(QLatin1String(button))->click();
                QVERIFY(dialog.acted());
            }
            static_cast<QDialog *>(settingsWindow)->reject();
        });
        window.MM_ListaClick();
        if (!settings.acted())
            return {};

        const ModalDriver save([&texts](QWidget *modal) {
            QVERIFY(qobject_cast<QFileDialog *>(modal));
            texts[QStringLiteral("save dialog")] = visibleTexts(modal);
            static_cast<QDialog *>(modal)->reject();
        });
        window.RucnaZClick();

        const ModalDriver about([&texts](QWidget *modal) {
            texts[QStringLiteral("About box")] = visibleTexts(modal);
            modal->close();
        });
        window.MM_OprogramuClick();

        TForm_FilesMissing missing(QStringLiteral("Arkivoda"), &window);
        missing.setLines({QStringLiteral("/nema/a.txt")});
        missing.show();
        texts[QStringLiteral("missing files")] = visibleTexts(&missing);
        return texts;
    }

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Arkivoda")); }

    // With the Croatian module, no text that a window or dialog shows is one that the same window shows
    // in English: Qt's own texts (the file dialogs' labels and buttons, standard buttons) come in
    // Croatian too. Names, numbers and paths read the same in both languages.
    void noEnglishInTheCroatianInterface()
    {
        const QMap<QString, QStringList> croatian = textsOfEveryWindow(QStringLiteral("HR"));
        const QMap<QString, QStringList> english = textsOfEveryWindow(QStringLiteral("EN"));
        const QStringList windows = {QStringLiteral("main window"),    QStringLiteral("settings window"),
                                     QStringLiteral("missing files"),  QStringLiteral("About box"),
                                     QStringLiteral("add files"),      QStringLiteral("add folders"),
                                     QStringLiteral("archive folder"), QStringLiteral("save dialog")};
        QCOMPARE(croatian.keys().size(), windows.size());
        QCOMPARE(english.keys().size(), windows.size());
        // Both modules were there: the two languages differ.
        QVERIFY(croatian[QStringLiteral("main window")] != english[QStringLiteral("main window")]);

        // The same in both languages: the program's name and version, words both languages share
        // ("Status", "Program", "Info"), the list's signs, paths, numbers, addresses, file patterns.
        static const QRegularExpression neutral(
            QStringLiteral("^(Arkivoda.*|Status:?|Program|Info|[-+]|/"
                           ".*|[^\\p{L}]*|.*@.*|www\\..*|.*\\.(hr|com|org)/?.*|\\S*[*;]\\S*)$"));
        QStringList englishSeen;
        for (const QString &name : windows) {
            QVERIFY2(!croatian[name].isEmpty(), qPrintable(name));
            const QSet<QString> englishTexts(english[name].cbegin(), english[name].cend());
            for (const QString &text : croatian[name])
                if (englishTexts.contains(text) && !neutral.match(text).hasMatch())
                    englishSeen << name + QStringLiteral(": ") + text;
        }
        QVERIFY2(englishSeen.isEmpty(), qPrintable(englishSeen.join(u'\n')));
    }
};

QTEST_MAIN(TestCroatianTexts)
#include "tst_CroatianTexts.moc"
