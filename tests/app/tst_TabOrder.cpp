#include "app/TForm_FilesMissing.h"

#include "GlavniFixture.h"
#include "ModalDriver.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QTest>

namespace {

// The control that has the focus, as the window knows it: a spin box's inner line edit stands for the
// spin box.
QWidget *focusedControl()
{
    QWidget *focused = QApplication::focusWidget();
    if (focused && qobject_cast<QAbstractSpinBox *>(focused->parentWidget()))
        return focused->parentWidget();
    return focused;
}

struct Step
{
    QString name;
    QString accessibleName;
};

// Presses Tab from the first control until the focus comes back to it, and records each control met
// (once, however many Tabs it takes: a time field takes one for each of its parts) with the name a
// screen reader would read for it.
QList<Step> walkTabChain(QWidget *first)
{
    first->setFocus(Qt::TabFocusReason);
    QList<Step> steps;
    for (int presses = 0; presses < 60; ++presses) {
        QWidget *control = focusedControl();
        if (!control || (presses > 0 && control == first))
            break;
        if (steps.isEmpty() || steps.last().name != control->objectName()) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
            steps << Step{control->objectName(),
                          accessible ? accessible->text(QAccessible::Name) : QString()};
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return steps;
}

QStringList namesOf(const QList<Step> &steps)
{
    QStringList names;
    for (const Step &step : steps)
        names << step.name;
    return names;
}

QStringList unnamed(const QList<Step> &steps)
{
    QStringList names;
    for (const Step &step : steps)
        if (step.accessibleName.trimmed().isEmpty())
            names << step.name;
    return names;
}

} // namespace

// Tab goes through every window's controls in the order the window shows them, and a screen reader has
// a name for each.
class TestTabOrder : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Arkivoda")); }

    void everyWindowsTabChain()
    {
        GlavniFixture fixture("[Timer]\r\nEnabled=1\r\n");
        TGlavni &window = fixture.create();
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QList<Step> mainWindow = walkTabChain(fixture.control("AutoZ"));
        QCOMPARE(namesOf(mainWindow),
                 (QStringList{QStringLiteral("AutoZ"), QStringLiteral("RucnaZ"), QStringLiteral("LokacijaA"),
                              QStringLiteral("LokacijaR"), QStringLiteral("Kraj")}));
        QCOMPARE(unnamed(mainWindow).join(u','), QString());

        QList<Step> settings;
        const ModalDriver settingsDriver([&settings](QWidget *modal) {
            QApplication::setActiveWindow(modal);
            settings = walkTabChain(modal->findChild<QWidget *>(QStringLiteral("Button5")));
            modal->close();
        });
        window.MM_ListaClick();
        QCOMPARE(namesOf(settings), (QStringList{QStringLiteral("Button5"),
                                                 QStringLiteral("Button7"),
                                                 QStringLiteral("Button8"),
                                                 QStringLiteral("Button6"),
                                                 QStringLiteral("SB_Up"),
                                                 QStringLiteral("SB_Down"),
                                                 QStringLiteral("Grid"),
                                                 QStringLiteral("Button3"),
                                                 QStringLiteral("BckNameLabel"),
                                                 QStringLiteral("CB_StartToTray"),
                                                 QStringLiteral("CB_CloseToTray"),
                                                 QStringLiteral("CB_StartMinimized"),
                                                 QStringLiteral("CB_Report"),
                                                 QStringLiteral("CB_Provjera"),
                                                 QStringLiteral("VrijemeUkljuceno"),
                                                 QStringLiteral("Vrijeme"),
                                                 QStringLiteral("CB_Nadoknadi"),
                                                 QStringLiteral("CB_Prijava"),
                                                 QStringLiteral("Zadrzi"),
                                                 QStringLiteral("Izuzeci"),
                                                 QStringLiteral("ED_Cilj"),
                                                 QStringLiteral("SE_Zadrzi"),
                                                 QStringLiteral("Button1"),
                                                 QStringLiteral("Button2")}));
        QCOMPARE(unnamed(settings).join(u','), QString());

        QList<Step> about;
        const ModalDriver aboutDriver([&about](QWidget *modal) {
            QApplication::setActiveWindow(modal);
            about = walkTabChain(modal->findChild<QWidget *>(QStringLiteral("CheckUpdateButton")));
            modal->close();
        });
        window.MM_OprogramuClick();
        QCOMPARE(namesOf(about),
                 (QStringList{QStringLiteral("CheckUpdateButton"), QStringLiteral("OKButton")}));
        QCOMPARE(unnamed(about).join(u','), QString());

        TForm_FilesMissing missing(QStringLiteral("Arkivoda"), &window);
        missing.setLines({QStringLiteral("/nema/a.txt")});
        missing.show();
        QApplication::setActiveWindow(&missing);
        QVERIFY(QTest::qWaitForWindowActive(&missing));
        const QList<Step> missingFiles = walkTabChain(missing.findChild<QWidget *>(QStringLiteral("Lista")));
        QCOMPARE(namesOf(missingFiles), (QStringList{QStringLiteral("Lista"), QStringLiteral("OKButton")}));
        QCOMPARE(unnamed(missingFiles).join(u','), QString());
    }

    // During a run the run's controls join the chain where they stand: after the run buttons, before
    // the last archives.
    void theRunsControlsDuringARun()
    {
        GlavniFixture fixture;
        TGlavni &window = fixture.create();
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QList<Step> chain;
        window.runController().setHandOverObserver([&](RunController::HandOver which) {
            if (which == RunController::HandOver::FileCount && chain.isEmpty())
                chain = walkTabChain(fixture.control("BTN_Pause"));
        });
        window.AutoZClick();

        QCOMPARE(namesOf(chain), (QStringList{QStringLiteral("BTN_Pause"), QStringLiteral("BTN_Cancel"),
                                              QStringLiteral("CB_Close"), QStringLiteral("CB_Shutdown"),
                                              QStringLiteral("CB_Logoff"), QStringLiteral("LokacijaA"),
                                              QStringLiteral("LokacijaR")}));
        QCOMPARE(unnamed(chain).join(u','), QString());
    }
};

QTEST_MAIN(TestTabOrder)
#include "tst_TabOrder.moc"
