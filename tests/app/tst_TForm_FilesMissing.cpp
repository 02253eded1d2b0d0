#include "app/TForm_FilesMissing.h"
#include "config/EResNotFound.h"
#include "config/ResourceModules.h"
#include "ui/ReinitializeForms.h"

#include "ModalDriver.h"
#include "ModuleFiles.h"
#include "TempTree.h"

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

    void followsTheLanguageOfTheModule_data()
    {
        QTest::addColumn<bool>("withDescription");
        QTest::newRow("module with the window") << true;
        QTest::newRow("module without it") << false;
    }

    // An open window takes the new language's texts and keeps its report; a module without the window's
    // description leaves its texts, and the window cannot be created while that module is in use.
    void followsTheLanguageOfTheModule()
    {
        QFETCH(bool, withDescription);
        TempTree tree;
        tree.makeDir(QStringLiteral("bin"));
        SetResourceProgramFile(tree.path(QStringLiteral("bin/arkivoda")));
        QString english = ModuleFiles::programSource(QStringLiteral("ENU"));
        if (!withDescription)
            english = ModuleFiles::withoutContext(english, QStringLiteral("TForm_FilesMissing"));
        QCOMPARE(ModuleFiles::compile(english, tree.path(QStringLiteral("bin/arkivoda.ENU"))), QString());
        TForm_FilesMissing window(QStringLiteral("Arkivoda"), nullptr);
        window.setLines({QStringLiteral("/nema/a.txt")});
        window.show();

        QVERIFY(LoadNewResourceModule(localeEnglish));
        ReinitializeForms();
        const QString title = window.windowTitle();
        const QString button = window.findChild<QPushButton *>(QStringLiteral("OKButton"))->text();
        bool created = true;
        QString refusal;
        try {
            TForm_FilesMissing another(QStringLiteral("Arkivoda"), nullptr);
        } catch (const EResNotFound &failure) {
            created = false;
            refusal = QString::fromUtf8(failure.what());
        }
        SetResourceHInstance(nullptr);
        SetResourceProgramFile(QString());

        QCOMPARE(window.lines(), QStringList{QStringLiteral("/nema/a.txt")});
        QCOMPARE(created, withDescription);
        if (withDescription) {
            QCOMPARE(title, QStringLiteral("Arkivoda - files and folders that were not found or were not "
                                           "available during the backup"));
            QCOMPARE(button, QStringLiteral("&Close"));
        } else {
            QVERIFY(title.endsWith(QStringLiteral("nisu bile dostupne tijekom arhiviranja")));
            QCOMPARE(button, QStringLiteral("&Zatvori"));
            QCOMPARE(refusal, QStringLiteral("Resource TForm_FilesMissing not found"));
        }
    }
};

QTEST_MAIN(TestTForm_FilesMissing)
#include "tst_TForm_FilesMissing.moc"
