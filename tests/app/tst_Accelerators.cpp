#include "app/TGlavni.h"

#include "BilingualWindowFixture.h"
#include "ModalDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

// Texts that share an Alt key within one group, each pair named by its texts: Alt with that letter
// would reach only one of them.
QStringList clashes(const QString &group, const QStringList &texts)
{
    QStringList found;
    QHash<QKeySequence, QString> owners;
    for (const QString &text : texts) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (key.isEmpty())
            continue;
        if (owners.contains(key))
            found << QStringLiteral("%1: %2 in \"%3\" and \"%4\"")
                         .arg(group, key.toString(QKeySequence::NativeText), owners.value(key), text);
        else
            owners.insert(key, text);
    }
    return found;
}

QStringList actionTexts(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *action : actions)
        if (!action->isSeparator())
            texts << action->text();
    return texts;
}

// The Alt keys a window answers to at once: its menu bar's titles, its buttons and the captions that
// lead to a field. Each menu's items, its context menus' too, make a group of their own.
QStringList windowClashes(const QString &name, QWidget *window)
{
    QStringList texts;
    QStringList found;
    for (const QMenuBar *bar : window->findChildren<QMenuBar *>())
        texts << actionTexts(bar->actions());
    for (const QMenu *menu : window->findChildren<QMenu *>())
        found << clashes(name + QStringLiteral(" menu ") + menu->objectName(), actionTexts(menu->actions()));
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
        texts << button->text();
    for (const QLabel *label : window->findChildren<QLabel *>())
        if (label->buddy())
            texts << label->text();
    return clashes(name, texts) + found;
}

} // namespace

// Alt with a letter reaches one control or menu: no two of a window's, nor two items of one menu,
// share the letter, in either language.
class TestAccelerators : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Arkivoda")); }

    void noTwoShareAnAltKey_data()
    {
        QTest::addColumn<QString>("jezik");
        QTest::newRow("Croatian") << QStringLiteral("HR");
        QTest::newRow("English") << QStringLiteral("EN");
    }

    void noTwoShareAnAltKey()
    {
        QFETCH(QString, jezik);
        BilingualWindowFixture fixture(jezik);
        TGlavni &window = *fixture.window;
        QStringList found = windowClashes(QStringLiteral("main window"), &window);
        found << clashes(QStringLiteral("tray menu"), actionTexts(window.trayPopup().actions()));

        const ModalDriver settings([&found](QWidget *settingsWindow) {
            found << windowClashes(QStringLiteral("settings window"), settingsWindow);
            settingsWindow->close();
        });
        window.MM_ListaClick();
        QVERIFY(settings.acted());
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }
};

QTEST_MAIN(TestAccelerators)
#include "tst_Accelerators.moc"
