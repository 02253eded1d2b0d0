#include "BilingualWindowFixture.h"
#include "FileSizeLimit.h"
#include "LanguageWords.h"
#include "ModalDriver.h"
#include "RequireControl.h"
#include "app/ArchiveTreeModel.h"
#include "app/TVracanjeDatoteka.h"
#include "run/RunController.h"
#include "ui/MyMessageDialog.h"
#include "ui/OpenFileDialog.h"
#include "zip/TZipFile.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {

// An archive of one stored entry, its data damaged ("flipped") or its end cut off ("cut").
QString makeDamagedArchive(const TempTree &tree, const QString &damage)
{
    const QString path = tree.path(u"r1-"_s + damage + u".zip"_s);
    TZipFile zip;
    zip.Open(QFile::encodeName(path).toStdString(), zmWrite);
    zip.Add(TBytes(65536, 's'), "s1.bin", zcStored);
    zip.Close();
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    QByteArray bytes = file.readAll();
    if (damage == u"cut"_s)
        bytes.chop(30);
    else
        bytes[bytes.indexOf(QByteArray(64, 's')) + 100] ^= 0x01;
    file.resize(0);
    file.seek(0);
    file.write(bytes);
    return path;
}

void addLanguageRows()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("Croatian") << false;
    QTest::newRow("English") << true;
}

QString jezikOf(bool english)
{
    return english ? u"EN"_s : u"HR"_s;
}

} // namespace

// What the windows show of a damaged archive and of a full disk is in the interface's language, the
// reasons of the archive unit and of the system included.
class tst_ReasonLanguage : public QObject
{
    Q_OBJECT

  private slots:
    void cleanup()
    {
        SetMessageDialogHook({});
        OpenFileDialog::setHook({});
    }

    void restoreWindowOnADamagedArchive_data() { addLanguageRows(); }

    // Opening an archive whose end is missing, and restoring an entry whose data are damaged.
    void restoreWindowOnADamagedArchive()
    {
        QFETCH(bool, english);
        BilingualWindowFixture fixture(jezikOf(english));
        QList<MessageDialogRequest> dialogs;
        SetMessageDialogHook([&dialogs](const MessageDialogRequest &request) -> std::optional<int> {
            dialogs << request;
            return mrOk;
        });
        TVracanjeDatoteka window(QString(), u"-"_s, nullptr);
        window.show();
        QVERIFY(!window.openArchive(makeDamagedArchive(fixture.tree, u"cut"_s)));
        QCOMPARE(dialogs.size(), 1);
        VERIFY_ONE_LANGUAGE(dialogs.takeFirst().text, english);

        QVERIFY(window.openArchive(makeDamagedArchive(fixture.tree, u"flipped"_s)));
        auto *view = requireControl<QTreeView>(window, "TV_Sadrzaj");
        view->selectAll();
        const QString target = fixture.tree.makeDir(u"natrag"_s);
        OpenFileDialog::setHook(
            [&target](const OpenFileRequest &) -> std::optional<QStringList> { return QStringList{target}; });
        QSignalSpy finished(&window, &TVracanjeDatoteka::restoreFinished);
        requireControl<QPushButton>(window, "BTN_VratiOdabrano")->click();
        QVERIFY(finished.wait(10000));
        QCOMPARE(dialogs.size(), 1);
        QVERIFY2(dialogs.first().text.contains(u"s1.bin"_s), qPrintable(dialogs.first().text));
        VERIFY_ONE_LANGUAGE(dialogs.first().text, english);
        VERIFY_ONE_LANGUAGE(requireControl<QLabel>(window, "LBL_Status")->text(), english);
    }

    void mainWindowOnAFullDisk_data() { addLanguageRows(); }

    // A run whose archive the disk cannot take: the archive error box and the end of the run.
    void mainWindowOnAFullDisk()
    {
        QFETCH(bool, english);
        BilingualWindowFixture fixture(jezikOf(english));
        QByteArray noise(300 << 10, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        for (int i = 0; i < 3; ++i)
            fixture.tree.writeFile(u"izvor/%1.bin"_s.arg(i), noise + QByteArray::number(i));
        QStringList shown;
        SetMessageDialogHook([&shown](const MessageDialogRequest &request) -> std::optional<int> {
            shown << request.text;
            return mrOk;
        });
        const ModalDriver readArchiveError(
            [&shown](QWidget *widget) {
                const auto *box = static_cast<QMessageBox *>(widget);
                shown << box->text() << box->informativeText();
                widget->close();
            },
            u"ArchiveErrorBox"_s);
        {
            const FileSizeLimit full{256 << 10};
            fixture.window->AutoZClick();
            fixture.window->runController().waitForWorker();
        }
        QTRY_VERIFY(readArchiveError.acted());
        QVERIFY2(shown.size() >= 2, qPrintable(shown.join(u"\n"_s)));
        for (const QString &text : std::as_const(shown))
            VERIFY_ONE_LANGUAGE(text, english);
        VERIFY_ONE_LANGUAGE(requireControl<QLabel>(*fixture.window, "LBL_Status")->text(), english);
    }
};

QTEST_MAIN(tst_ReasonLanguage)
#include "tst_ReasonLanguage.moc"
