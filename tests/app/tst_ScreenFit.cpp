#include "app/TGlavni.h"

#include "BilingualWindowFixture.h"
#include "ModalDriver.h"
#include "RequireControl.h"

#include <QScreen>
#include <QTest>

// Run on a screen of 1024x768 less a panel of 28 pixels, once at the normal scale and once at twice
// the scale on a screen twice as large (the CTest entries give the offscreen platform that screen): the
// windows, with their closing buttons, lie in the screen's free area in both languages.
class TestScreenFit : public QObject
{
    Q_OBJECT

    using Fixture = BilingualWindowFixture;

    // What of a window or its controls lies outside the free area of the window's screen.
    static QStringList outsideTheScreen(QWidget *window, const QList<QWidget *> &controls)
    {
        const QRect available = window->screen()->availableGeometry();
        QStringList outside;
        const auto check = [&](const QString &name, const QRect &shown) {
            if (!available.contains(shown))
                outside << QStringLiteral("%1 at %2,%3 %4x%5")
                               .arg(name)
                               .arg(shown.x())
                               .arg(shown.y())
                               .arg(shown.width())
                               .arg(shown.height());
        };
        check(window->objectName(), window->frameGeometry());
        for (const QWidget *control : controls)
            check(control->objectName(), QRect(control->mapToGlobal(QPoint(0, 0)), control->size()));
        return outside;
    }

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Arkivoda")); }

    void windowsLieInTheFreeArea_data()
    {
        QTest::addColumn<QString>("jezik");
        QTest::newRow("Croatian") << QStringLiteral("HR");
        QTest::newRow("English") << QStringLiteral("EN");
    }

    void windowsLieInTheFreeArea()
    {
        QFETCH(QString, jezik);
        Fixture fixture(jezik);
        TGlavni &main = *fixture.window;
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QStringList outside = outsideTheScreen(&main, {requireControl<QWidget>(main, "Kraj")});

        int listHeight = 0;
        bool listAboveTheControls = false;
        const ModalDriver settings([&](QWidget *window) {
            outside << outsideTheScreen(window, {requireControl<QWidget>(*window, "Button1"),
                                                 requireControl<QWidget>(*window, "Button2"),
                                                 requireControl<QWidget>(*window, "Button4")});
            const QWidget *list = requireControl<QWidget>(*window, "Grid");
            listHeight = list->height();
            listAboveTheControls =
                list->geometry().bottom() < requireControl<QWidget>(*window, "Label2")->y();
            window->close();
        });
        // The main window stands at the screen's top: the settings window, centred over it, would
        // reach above the screen.
        main.move(main.screen()->availableGeometry().topLeft());
        main.MM_ListaClick();
        QVERIFY(settings.acted());
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u'\n')));
        // The list that gave up height still shows several rows.
        QVERIFY2(listHeight >= 100, qPrintable(QString::number(listHeight)));
        QVERIFY(listAboveTheControls);
    }
};

QTEST_MAIN(TestScreenFit)
#include "tst_ScreenFit.moc"
