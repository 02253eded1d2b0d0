#include "ui/MessageDialog.h"
#include "ui/MyMessageDialog.h"

#include "ModalDriver.h"

#include <QPushButton>
#include <QTest>

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
