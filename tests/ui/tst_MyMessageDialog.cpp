#include "config/MessageTable.h"
#include "ui/ApplicationError.h"
#include "ui/MessageDialog.h"
#include "ui/MyMessageDialog.h"

#include "ModalDriver.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

Q_DECLARE_METATYPE(TMsgDlgButtons)

namespace {

enum class Act { Enter, Escape, CloseBox, FirstButton, HelpThenEnter };

// Gives a shown window an outer (frame) rectangle of the given size and position.
void setOuterGeometry(QWidget &window, const QRect &outer)
{
    const QSize margins = window.frameGeometry().size() - window.size();
    window.setFixedSize(outer.size() - margins);
    window.move(outer.topLeft());
}

QList<QPushButton *> buttonsInRow(QWidget *dialog)
{
    QList<QPushButton *> buttons = dialog->findChildren<QPushButton *>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton *a, QPushButton *b) { return a->x() < b->x(); });
    return buttons;
}

} // namespace

class TestMyMessageDialog : public QObject
{
    Q_OBJECT

  private slots:
    void resultsOfKeysButtonsAndCloseBox_data()
    {
        QTest::addColumn<TMsgDlgButtons>("buttons");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("act");
        QTest::addColumn<int>("result");
        const TMsgDlgButtons yesNo = mbYes | mbNo;
        const QStringList daNe = {QStringLiteral("DA"), QStringLiteral("NE")};
        QTest::newRow("yes/no Enter") << yesNo << daNe << int(Act::Enter) << 6;
        QTest::newRow("yes/no Escape") << yesNo << daNe << int(Act::Escape) << 7;
        QTest::newRow("yes/no close box") << yesNo << daNe << int(Act::CloseBox) << 2;
        QTest::newRow("delete question, left button")
            << yesNo << QStringList{QStringLiteral("Izbriši"), QStringLiteral("Odustani")}
            << int(Act::FirstButton) << 6;
        const QStringList uRedu = {QStringLiteral("U redu")};
        QTest::newRow("OK Enter") << TMsgDlgButtons(mbOK) << uRedu << int(Act::Enter) << 1;
        QTest::newRow("OK Escape") << TMsgDlgButtons(mbOK) << uRedu << int(Act::Escape) << 1;
        QTest::newRow("OK button") << TMsgDlgButtons(mbOK) << uRedu << int(Act::FirstButton) << 1;
        QTest::newRow("OK close box") << TMsgDlgButtons(mbOK) << uRedu << int(Act::CloseBox) << 2;
        QTest::newRow("OK and Cancel: Escape is Cancel")
            << (mbOK | mbCancel) << QStringList() << int(Act::Escape) << 2;
        QTest::newRow("Retry is the default without OK and Yes")
            << (mbAbort | mbRetry | mbIgnore) << QStringList() << int(Act::Enter) << 4;
        QTest::newRow("Help does not close")
            << (mbOK | mbHelp) << QStringList() << int(Act::HelpThenEnter) << 1;
    }

    void resultsOfKeysButtonsAndCloseBox()
    {
        QFETCH(TMsgDlgButtons, buttons);
        QFETCH(QStringList, captions);
        QFETCH(int, act);
        QWidget owner;
        owner.setGeometry(100, 100, 400, 300);
        owner.show();
        QStringList seenCaptions;
        const ModalDriver driver([act, &seenCaptions](QWidget *dialog) {
            const QList<QPushButton *> row = buttonsInRow(dialog);
            for (QPushButton *button : row)
                seenCaptions << button->text();
            switch (Act(act)) {
            case Act::Enter:
                QTest::keyClick(dialog, Qt::Key_Return);
                break;
            case Act::Escape:
                QTest::keyClick(dialog, Qt::Key_Escape);
                break;
            case Act::CloseBox:
                dialog->close();
                break;
            case Act::FirstButton:
                row.first()->click();
                break;
            case Act::HelpThenEnter:
                row.last()->click();
                QVERIFY(dialog->isVisible());
                QTest::keyClick(dialog, Qt::Key_Return);
                break;
            }
        });
        const int result = MyMessageDialog(&owner, QStringLiteral("Odluka"), QStringLiteral("Pitanje?"),
                                           TMsgDlgType::mtConfirmation, buttons, captions);
        QTEST(result, "result");
        QCOMPARE(seenCaptions.mid(0, captions.size()), captions);
    }

    void captionsGoToTheButtonsPresentInOrder_data()
    {
        QTest::addColumn<TMsgDlgButtons>("buttons");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("one caption for yes and no")
            << (mbYes | mbNo) << QStringList{QStringLiteral("DA")}
            << QStringList{QStringLiteral("DA"), QStringLiteral("&No")};
        QTest::newRow("captions beyond the buttons are ignored")
            << TMsgDlgButtons(mbOK) << QStringList{QStringLiteral("U redu"), QStringLiteral("višak")}
            << QStringList{QStringLiteral("U redu")};
        QTest::newRow("table order, whatever the caller's")
            << (mbClose | mbHelp | mbYesToAll | mbNoToAll | mbAll | mbIgnore | mbRetry | mbAbort | mbCancel |
                mbOK | mbNo | mbYes)
            << QStringList{QStringLiteral("1"), QStringLiteral("2")}
            << QStringList{
                   QStringLiteral("1"),           QStringLiteral("2"),      QStringLiteral("OK"),
                   QStringLiteral("Cancel"),      QStringLiteral("&Abort"), QStringLiteral("&Retry"),
                   QStringLiteral("&Ignore"),     QStringLiteral("&All"),   QStringLiteral("N&o to All"),
                   QStringLiteral("Yes to &All"), QStringLiteral("&Help"),  QStringLiteral("&Close")};
    }

    void captionsGoToTheButtonsPresentInOrder()
    {
        QFETCH(TMsgDlgButtons, buttons);
        QFETCH(QStringList, captions);
        MessageDialogRequest request;
        request.caption = QStringLiteral("Info");
        request.buttons = buttons;
        request.captions = captions;
        MessageDialog dialog(request);
        dialog.show();
        QStringList shown;
        for (QPushButton *button : buttonsInRow(&dialog))
            shown << button->text();
        QTEST(shown, "shown");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Info"));
    }

    void centredOverTheOwnersFrame_data()
    {
        QTest::addColumn<QString>("ownerState");
        QTest::newRow("shown") << QStringLiteral("shown");
        QTest::newRow("hidden: where it was last shown") << QStringLiteral("hidden");
        QTest::newRow("minimised: its normal rectangle") << QStringLiteral("minimised");
    }

    void centredOverTheOwnersFrame()
    {
        QFETCH(QString, ownerState);
        QWidget owner;
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        setOuterGeometry(owner, QRect(100, 80, 705, 400));
        if (ownerState == QLatin1String("hidden"))
            owner.hide();
        else if (ownerState == QLatin1String("minimised"))
            owner.showMinimized();
        const QRect frame = owner.frameGeometry();
        QCOMPARE(frame, QRect(100, 80, 705, 400));

        MessageDialog dialog(MessageDialogRequest{
            &owner, QStringLiteral("Info"), QStringLiteral("Tekst"), TMsgDlgType::mtInformation, mbOK, {}});
        dialog.show();
        setOuterGeometry(dialog, QRect(0, 0, 300, 120));
        dialog.placeOver(&owner);
        QCOMPARE(dialog.frameGeometry().left(), 302);
        QCOMPARE(dialog.frameGeometry().top(), frame.top() + (frame.height() - 120) / 2);
    }

    void aRealDialogOpensCentredOverItsOwner()
    {
        QWidget owner;
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        setOuterGeometry(owner, QRect(100, 80, 705, 400));
        QRect placed;
        const ModalDriver driver([&placed](QWidget *dialog) {
            placed = dialog->frameGeometry();
            dialog->close();
        });
        MyMessageDialog(&owner, QStringLiteral("Greška"), QStringLiteral("Nešto nije u redu."),
                        TMsgDlgType::mtError, mbOK, {QStringLiteral("U redu")});
        QVERIFY(placed.isValid());
        QCOMPARE(placed.left(), 100 + (705 - placed.width()) / 2);
        QCOMPARE(placed.top(), 80 + (400 - placed.height()) / 2);
    }

    // Whatever the text, a message dialog (and the application's error dialog) wraps it, stays within
    // about 60% of the screen's width and keeps its buttons on the screen. A text too tall for that
    // scrolls; an overlong line is cut short, at once.
    void staysOnTheScreen_data()
    {
        QTest::addColumn<bool>("applicationError");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown"); // empty: the text, whole
        QTest::addColumn<bool>("scrolls");
        const QString line200KB(200 * 1024, QLatin1Char('9'));
        const QString line200KBShown = QString(4096, QLatin1Char('9')) + QChar(0x2026);
        const QString lines5000 = QStringLiteral("redak\r\n").repeated(5000);
        QTest::newRow("short text") << false << QStringLiteral("Tekst") << QString() << false;
        QTest::newRow("the forced-stop question")
            << false << MessageTable::text(Msg::QuestionForcedStop) << QString() << false;
        QTest::newRow("a path longer than a line")
            << false
            << QStringLiteral("Arhiva /home/korisnik/") + QString(300, QLatin1Char('a')) +
                   QStringLiteral(".zip")
            << QString() << false;
        QTest::newRow("a 200 KB line") << false << line200KB << line200KBShown << true;
        QTest::newRow("5,000 lines") << false << lines5000 << QString() << true;
        QTest::newRow("application error: a 200 KB line") << true << line200KB << line200KBShown << true;
        QTest::newRow("application error: 5,000 lines") << true << lines5000 << QString() << true;
    }

    void staysOnTheScreen()
    {
        QFETCH(bool, applicationError);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(bool, scrolls);
        QRect screen;
        QRect frame;
        QList<QRect> buttons;
        QString shownText;
        bool scrolled = false;
        bool scrolledSideways = true;
        int scrollRange = -1;
        const ModalDriver driver([&](QWidget *dialog) {
            screen = dialog->screen()->availableGeometry();
            frame = dialog->frameGeometry();
            for (QPushButton *button : buttonsInRow(dialog))
                buttons << QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
            auto *textView = dialog->findChild<QTextEdit *>(QStringLiteral("text"));
            shownText = textView->toPlainText();
            scrolled = textView->verticalScrollBar()->isVisible();
            scrollRange = textView->verticalScrollBar()->maximum();
            scrolledSideways = textView->horizontalScrollBar()->isVisible();
            dialog->close();
        });
        QElapsedTimer clock;
        clock.start();
        if (applicationError)
            ShowApplicationError(nullptr, text);
        else
            MyMessageDialog(nullptr, QStringLiteral("Odluka"), text, TMsgDlgType::mtWarning, mbYes | mbNo,
                            {QStringLiteral("DA"), QStringLiteral("NE")});
        QVERIFY(driver.acted());
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));

        QVERIFY2(frame.width() <= screen.width() * 6 / 10,
                 qPrintable(QStringLiteral("%1 px of %2").arg(frame.width()).arg(screen.width())));
        QVERIFY(screen.contains(frame));
        QCOMPARE(buttons.size(), applicationError ? 1 : 2);
        for (const QRect &button : buttons)
            QVERIFY(screen.contains(button));
        QCOMPARE(shownText, shown.isEmpty()
                                ? QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                : shown);
        QCOMPARE(scrolled, scrolls);
        QVERIFY(!scrolledSideways);
        // A text that fits is shown whole: its wrapped lines fill the text's height, no more.
        if (!scrolls)
            QCOMPARE(scrollRange, 0);
    }

    // However wide the row of buttons makes the dialog, the text stands at a fixed distance beside
    // the icon.
    void textStandsBesideItsIcon_data()
    {
        QTest::addColumn<TMsgDlgButtons>("buttons");
        QTest::newRow("one button") << TMsgDlgButtons(mbOK);
        QTest::newRow("six buttons, as in the restore question")
            << (mbYes | mbNo | mbOK | mbAbort | mbRetry | mbIgnore);
    }

    void textStandsBesideItsIcon()
    {
        QFETCH(TMsgDlgButtons, buttons);
        MessageDialogRequest request;
        request.caption = QStringLiteral("Odluka");
        request.text = QStringLiteral("Datoteka /tmp/a.txt već postoji.");
        request.type = TMsgDlgType::mtConfirmation;
        request.buttons = buttons;
        request.captions = {QStringLiteral("Zamijeni"),        QStringLiteral("Preskoči"),
                            QStringLiteral("Zadrži oboje"),    QStringLiteral("Zamijeni za sve"),
                            QStringLiteral("Preskoči za sve"), QStringLiteral("Zadrži oboje za sve")};
        MessageDialog dialog(request);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto *icon = dialog.findChild<QLabel *>();
        const auto *text = dialog.findChild<QTextEdit *>(QStringLiteral("text"));
        QVERIFY(icon && text);
        const QPixmap pixmap = icon->pixmap();
        const int iconRight = icon->x() + int(pixmap.width() / pixmap.devicePixelRatio());
        QCOMPARE(text->x() - iconRight, 16);
        QVERIFY(text->y() >= icon->y());
    }

    void aHookAnswersWithoutADialog()
    {
        QList<MessageDialogRequest> asked;
        SetMessageDialogHook([&asked](const MessageDialogRequest &request) -> std::optional<int> {
            asked << request;
            return mrNo;
        });
        const int result = MyMessageDialog(nullptr, QStringLiteral("Odluka"), QStringLiteral("Da?"),
                                           TMsgDlgType::mtConfirmation, mbYes | mbNo,
                                           {QStringLiteral("DA"), QStringLiteral("NE")});
        SetMessageDialogHook({});
        QCOMPARE(result, int(mrNo));
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().text, QStringLiteral("Da?"));
        QCOMPARE(asked.first().captions, (QStringList{QStringLiteral("DA"), QStringLiteral("NE")}));
    }
};

QTEST_MAIN(TestMyMessageDialog)
#include "tst_MyMessageDialog.moc"
