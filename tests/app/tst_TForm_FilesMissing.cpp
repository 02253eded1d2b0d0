#include "app/TForm_FilesMissing.h"

#include "ModalDriver.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class TestTForm_FilesMissing : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Arkivoda")); }

    void aReadOnlyReportWithoutCaret()
    {
        TForm_FilesMissing window(QStringLiteral("Arkivoda"), nullptr);
        const QStringList lines = {QString(), QStringLiteral("Arhiva: /a/Arhiva_1.zip"), QString(),
                                   QStringLiteral("/dom/ana/Računi/nestalo.txt")};
        window.setLines(lines);
        window.show();

        QCOMPARE(window.size(), QSize(705, 544));
        QCOMPARE(window.windowTitle(),
                 QStringLiteral("Arkivoda - lista datoteka i mapa koje nisu nađene ili nisu "
                                "bile dostupne tijekom arhiviranja"));
        QVERIFY(!(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(window.lines(), lines);
        auto *list = window.findChild<QPlainTextEdit *>(QStringLiteral("Lista"));
        QCOMPARE(list->geometry(), QRect(0, 0, 705, 481));
        QVERIFY(list->isReadOnly());
        // Without keyboard interaction a read-only text area draws no caret.
        QVERIFY(!(list->textInteractionFlags() & Qt::TextSelectableByKeyboard));
        QCOMPARE(list->viewport()->cursor().shape(), Qt::ArrowCursor);
        auto *close = window.findChild<QPushButton *>(QStringLiteral("OKButton"));
        QCOMPARE(close->text(), QStringLiteral("&Zatvori"));
        QCOMPARE(close->geometry(), QRect(557, 500, 114, 27));
        QVERIFY(close->isDefault());
    }

    void enterCloses()
    {
        TForm_FilesMissing window(QStringLiteral("Arkivoda"), nullptr);
        window.setLines({QStringLiteral("/nema")});
        const ModalDriver driver([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Return); });
        QCOMPARE(window.exec(), int(QDialog::Accepted));
        QVERIFY(driver.acted());
    }
};

QTEST_MAIN(TestTForm_FilesMissing)
#include "tst_TForm_FilesMissing.moc"
