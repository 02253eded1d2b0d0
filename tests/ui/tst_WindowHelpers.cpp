#include "ui/WindowHelpers.h"

#include "platform/FileManager.h"

#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

class TestWindowHelpers : public QObject
{
    Q_OBJECT

  private slots:
    void aGreyedCloseCommandRefusesEveryCloseRequest()
    {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(CloseButtonEnabled(&window));

        CloseButtonDisable(&window);
        CloseButtonDisable(&window);
        QVERIFY(!CloseButtonEnabled(&window));
        QVERIFY(!window.windowHandle()->flags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());

        CloseButtonEnable(&window);
        QVERIFY(CloseButtonEnabled(&window));
        QVERIFY(window.windowHandle()->flags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
    }

    void formExistsOnlyForLiveWindows()
    {
        auto window = std::make_unique<QWidget>();
        const QWidget *const address = window.get();
        QVERIFY(FormExists(address));
        window.reset();
        QVERIFY(!FormExists(address));
        QVERIFY(!FormExists(nullptr));
    }

    void selectFileGoesToTheFileManager()
    {
        struct Recording : FileManager
        {
            bool ShowItem(const QString &path) override
            {
                shown << path;
                return true;
            }
            QStringList shown;
        } files;
        SelectFileInExplorer(files, QStringLiteral("/tmp/a.zip"));
        QCOMPARE(files.shown, QStringList{QStringLiteral("/tmp/a.zip")});
    }

    // A run may start from inside the modal loop of a window it must take away: the window is closed,
    // its loop returns, and the code that showed it destroys it.
    void aModalWindowIsClosedNotDestroyedUnderItsLoop()
    {
        QWidget owner;
        auto dialog = std::make_unique<QDialog>(&owner);
        QPointer<QWidget> held = dialog.get();
        bool aliveAfterClose = false;
        QTimer::singleShot(50, [&] {
            CloseWindowSafely(held);
            aliveAfterClose = FormExists(dialog.get()) && !dialog->isVisible();
        });
        dialog->exec();
        QVERIFY(aliveAfterClose);
        QVERIFY(held.isNull());
        dialog.reset();
    }

    void aWindowNotShownModallyIsDestroyed()
    {
        QWidget owner;
        QPointer<QWidget> window = new QWidget(&owner, Qt::Window);
        QPointer<QWidget> watch = window;
        window->show();
        CloseWindowSafely(window);
        QVERIFY(window.isNull());
        QTRY_VERIFY(watch.isNull());
    }
};

QTEST_MAIN(TestWindowHelpers)
#include "tst_WindowHelpers.moc"
