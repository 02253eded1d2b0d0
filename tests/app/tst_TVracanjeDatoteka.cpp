#include "ModuleFiles.h"
#include "RequireControl.h"
#include "TempTree.h"
#include "app/ArchiveTreeModel.h"
#include "app/TVracanjeDatoteka.h"
#include "config/MessageTable.h"
#include "config/ResourceModules.h"
#include "ui/MyMessageDialog.h"
#include "ui/OpenFileDialog.h"
#include "zip/TZipFile.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void makeArchive(const QString &path, const QList<std::pair<std::string, std::string>> &entries,
                 TZipCompression compression = zcDeflate)
{
    TZipFile zip;
    zip.Open(QFile::encodeName(path).toStdString(), zmWrite);
    for (const auto &[name, content] : entries)
        zip.Add(TBytes(content.begin(), content.end()), name, compression);
    zip.Close();
}

// Changes one byte of each stored text, so that its entry fails its CRC-32 check.
void damageStoredTexts(const QString &path, const QList<QByteArray> &texts)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    for (const QByteArray &text : texts) {
        const qsizetype at = bytes.indexOf(text);
        QVERIFY(at >= 0);
        bytes[at] = '#';
    }
    QVERIFY(file.seek(0));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The archive names of the window's list, top to bottom.
QStringList listedArchives(TVracanjeDatoteka &window)
{
    auto *archives = requireControl<QTreeWidget>(window, "LV_Arhive");
    QStringList names;
    for (int i = 0; i < archives->topLevelItemCount(); ++i)
        names << archives->topLevelItem(i)->text(0);
    return names;
}

QString statusText(quint16 number, const QStringList &values = {})
{
    return MessageTable::fill(MessageTable::text(number), values);
}

} // namespace

class tst_TVracanjeDatoteka : public QObject
{
    Q_OBJECT

  private slots:
    void cleanup();
    void restoresTheFilteredSelection();
    void failedEntriesAreNotReportedAsFinished();
    void archiveListFollowsTheFolder();
    void theChosenArchiveIsReadAgainOrLetGo();
    void escapeClosesOrStops();
    void sizesReadInTheLanguage_data();
    void sizesReadInTheLanguage();
    void treeOfAnArchiveWithoutFolderEntries();
    void unreadableArchiveIsRefused();
};

void tst_TVracanjeDatoteka::cleanup()
{
    SetMessageDialogHook({});
    OpenFileDialog::setHook({});
}

void tst_TVracanjeDatoteka::restoresTheFilteredSelection()
{
    TempTree tree;
    const QString folder = tree.makeDir(u"arhive"_s) + u"/"_s;
    makeArchive(folder + u"Arhiva_2024.01.01__10.00.00.zip"_s, {{"home/ana/Dok/a.txt", "A"}});
    makeArchive(folder + u"Arhiva_2024.03.15__14.05.09.zip"_s, {{"home/ana/Dok/", ""},
                                                                {"home/ana/Dok/a.txt", "new A"},
                                                                {"home/ana/Dok/b.txt", "new B"},
                                                                {"home/ana/Dok/Stari/c.txt", "C"},
                                                                {"home/ana/Slike/d.png", "D"}});
    QFile older(folder + u"Arhiva_2024.01.01__10.00.00.zip"_s);
    QVERIFY(older.open(QIODevice::ReadWrite));
    QVERIFY(older.setFileTime(QDateTime(QDate(2024, 1, 1), QTime(10, 0)), QFileDevice::FileModificationTime));
    older.close();
    const QString target = tree.makeDir(u"vraceno"_s);
    tree.writeFile(u"vraceno/Dok/a.txt"_s, "mine");
    tree.writeFile(u"vraceno/Dok/b.txt"_s, "mine too");

    TVracanjeDatoteka window(folder, u"-"_s, nullptr);
    window.show();
    auto *archives = requireControl<QTreeWidget>(window, "LV_Arhive");
    QCOMPARE(archives->topLevelItemCount(), 2);
    QCOMPARE(archives->topLevelItem(0)->text(0), u"Arhiva_2024.03.15__14.05.09.zip"_s);
    QCOMPARE(archives->topLevelItem(0)->text(3), u"5"_s);

    // Choose the newest archive; the tree opens at the folder that holds more than one thing.
    archives->setCurrentItem(archives->topLevelItem(0));
    QCOMPARE(window.archivePath(), folder + u"Arhiva_2024.03.15__14.05.09.zip"_s);
    auto *view = requireControl<QTreeView>(window, "TV_Sadrzaj");
    ArchiveTreeModel &model = window.model();
    QVERIFY(view->isExpanded(model.indexOfPath(u"home/ana"_s)));

    // Filter, then select the folder the filter leaves: only what it shows is restored.
    requireControl<QLineEdit>(window, "ED_Trazi")->setText(u"txt"_s);
    QTRY_COMPARE(model.filter(), u"txt"_s);
    QVERIFY(!model.indexOfPath(u"home/ana/Slike"_s).isValid());
    const QModelIndex dok = model.indexOfPath(u"home/ana/Dok"_s);
    QVERIFY(dok.isValid());
    view->selectionModel()->select(dok, QItemSelectionModel::Select | QItemSelectionModel::Rows);

    QList<MessageDialogRequest> dialogs;
    SetMessageDialogHook([&](const MessageDialogRequest &request) -> std::optional<int> {
        dialogs << request;
        // The question: keep both, for all files in the way; then the summary.
        return dialogs.size() == 1 ? mrIgnore : mrOk;
    });
    QList<OpenFileRequest> folderRequests;
    OpenFileDialog::setHook([&](const OpenFileRequest &request) -> std::optional<QStringList> {
        folderRequests << request;
        return QStringList{target};
    });
    QSignalSpy finished(&window, &TVracanjeDatoteka::restoreFinished);
    requireControl<QPushButton>(window, "BTN_VratiOdabrano")->click();
    QVERIFY(finished.wait(10000));

    QCOMPARE(folderRequests.size(), 1);
    QCOMPARE(folderRequests[0].kind, OpenFileRequest::Kind::Folder);
    QCOMPARE(dialogs.size(), 2);
    QVERIFY2(dialogs[0].text.contains(target + u"/Dok/a.txt"_s), qPrintable(dialogs[0].text));
    QCOMPARE(dialogs[0].captions.size(), 6);
    QCOMPARE(dialogs[0].captions[2], u"Zadrži oboje"_s);
    QVERIFY2(dialogs[1].text.contains(u"Vraćeno datoteka: 3"_s), qPrintable(dialogs[1].text));

    // Below the common parent "home/ana/": Dok/... in the chosen folder.
    QCOMPARE(readAll(target + u"/Dok/a.txt"_s), QByteArray("mine"));
    QCOMPARE(readAll(target + u"/Dok/a (vraćeno).txt"_s), QByteArray("new A"));
    QCOMPARE(readAll(target + u"/Dok/b.txt"_s), QByteArray("mine too"));
    QCOMPARE(readAll(target + u"/Dok/b (vraćeno).txt"_s), QByteArray("new B"));
    QCOMPARE(readAll(target + u"/Dok/Stari/c.txt"_s), QByteArray("C"));
    QVERIFY(!QFile::exists(target + u"/Slike"_s));
    QVERIFY(requireControl<QPushButton>(window, "BTN_VratiOdabrano")->isEnabled());
    QVERIFY(!requireControl<QPushButton>(window, "BTN_Zaustavi")->isEnabled());
    QCOMPARE(requireControl<QLabel>(window, "LBL_Status")->text(), statusText(Msg::StatusRestoreComplete));
    auto *bar = requireControl<QProgressBar>(window, "PB_Vracanje");
    QCOMPARE(bar->value(), 100);
    QCOMPARE(bar->property("barState").toString(), u"normal"_s);
}

void tst_TVracanjeDatoteka::failedEntriesAreNotReportedAsFinished()
{
    TempTree tree;
    const QString archive = tree.path(u"damaged.zip"_s);
    // Stored, so that the texts stand in the file as they are.
    makeArchive(archive, {{"bad1.txt", "DAMAGED-ONE"}, {"good.txt", "fine"}, {"bad2.txt", "DAMAGED-TWO"}},
                zcStored);
    damageStoredTexts(archive, {"DAMAGED-ONE", "DAMAGED-TWO"});
    if (QTest::currentTestFailed())
        return;
    const QString target = tree.makeDir(u"vraceno"_s);

    TVracanjeDatoteka window(QString(), u"-"_s, nullptr);
    window.show();
    QVERIFY(window.openArchive(archive));
    auto *view = requireControl<QTreeView>(window, "TV_Sadrzaj");
    view->selectAll();
    QList<MessageDialogRequest> dialogs;
    SetMessageDialogHook([&](const MessageDialogRequest &request) -> std::optional<int> {
        dialogs << request;
        return mrOk;
    });
    OpenFileDialog::setHook(
        [&](const OpenFileRequest &) { return std::optional<QStringList>(QStringList{target}); });
    QSignalSpy finished(&window, &TVracanjeDatoteka::restoreFinished);
    requireControl<QPushButton>(window, "BTN_VratiOdabrano")->click();
    QVERIFY(finished.wait(10000));

    QCOMPARE(finished[0][0].value<RestoreJob::Result>().failed.size(), 2);
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs[0].type, TMsgDlgType::mtWarning);
    QCOMPARE(readAll(target + u"/good.txt"_s), QByteArray("fine"));
    // The window goes on saying so after the summary is closed: its own words, and a bar in red.
    QCOMPARE(requireControl<QLabel>(window, "LBL_Status")->text(),
             statusText(Msg::StatusRestoreFailed, {u"2"_s}));
    QCOMPARE(requireControl<QProgressBar>(window, "PB_Vracanje")->property("barState").toString(),
             u"error"_s);
}

void tst_TVracanjeDatoteka::archiveListFollowsTheFolder()
{
    TempTree tree;
    const QString folder = tree.makeDir(u"arhive"_s) + u"/"_s;
    const QString oldest = folder + u"Arhiva_2024.01.01__10.00.00.zip"_s;
    const QString chosen = folder + u"Arhiva_2024.02.01__10.00.00.zip"_s;
    makeArchive(oldest, {{"a.txt", "A"}});
    makeArchive(chosen, {{"b.txt", "B"}});
    TVracanjeDatoteka window(folder, u"-"_s, nullptr);
    window.show();
    auto *archives = requireControl<QTreeWidget>(window, "LV_Arhive");
    const auto chosenItem = [&]() -> QTreeWidgetItem * {
        for (int i = 0; i < archives->topLevelItemCount(); ++i)
            if (archives->topLevelItem(i)->data(0, Qt::UserRole).toString() == chosen)
                return archives->topLevelItem(i);
        return nullptr;
    };
    archives->setCurrentItem(chosenItem());
    QCOMPARE(window.archivePath(), chosen);

    // A run with retention: the oldest archive goes, a new one comes. The choice stays where it was.
    QVERIFY(QFile::remove(oldest));
    makeArchive(folder + u"Arhiva_2024.03.01__10.00.00.zip"_s, {{"c.txt", "C"}});
    QTRY_VERIFY2(!listedArchives(window).contains(QFileInfo(oldest).fileName()),
                 qPrintable(listedArchives(window).join(u", "_s)));
    QTRY_VERIFY(listedArchives(window).contains(u"Arhiva_2024.03.01__10.00.00.zip"_s));
    QCOMPARE(window.archivePath(), chosen);
    QVERIFY(chosenItem());
    QVERIFY(chosenItem()->isSelected());
}

void tst_TVracanjeDatoteka::theChosenArchiveIsReadAgainOrLetGo()
{
    TempTree tree;
    const QString folder = tree.makeDir(u"arhive"_s) + u"/"_s;
    const QString chosen = folder + u"Arhiva_2024.02.01__10.00.00.zip"_s;
    makeArchive(chosen, {{"b.txt", "B"}});
    TVracanjeDatoteka window(folder, u"-"_s, nullptr);
    window.show();
    QVERIFY(window.openArchive(chosen));

    // Written anew under its name (a manual run into the same file), it is read again: a restore takes
    // entries by their place in the archive, which must be the archive the user sees.
    makeArchive(chosen, {{"c.txt", "C"}, {"d.txt", "D"}});
    window.refreshArchives(folder, u"-"_s);
    QCOMPARE(window.archivePath(), chosen);
    QVERIFY(window.model().indexOfPath(u"d.txt"_s).isValid());
    QVERIFY(!window.model().indexOfPath(u"b.txt"_s).isValid());

    // Removed, it is let go of, and the window says so.
    QVERIFY(QFile::remove(chosen));
    QTRY_VERIFY(window.archivePath().isEmpty());
    QCOMPARE(window.model().rowCount(), 0);
    QVERIFY(listedArchives(window).isEmpty());
    QCOMPARE(requireControl<QLabel>(window, "LBL_Status")->text(),
             statusText(Msg::StatusArchiveGone, {QFileInfo(chosen).fileName()}));
    QVERIFY(!requireControl<QPushButton>(window, "BTN_VratiOdabrano")->isEnabled());
}

void tst_TVracanjeDatoteka::escapeClosesOrStops()
{
    TempTree tree;
    const QString archive = tree.path(u"a.zip"_s);
    makeArchive(archive, {{"a.txt", "new A"}, {"b.txt", "new B"}});
    const QString target = tree.makeDir(u"vraceno"_s);
    tree.writeFile(u"vraceno/a.txt"_s, "mine");
    tree.writeFile(u"vraceno/b.txt"_s, "mine too");
    TVracanjeDatoteka window(QString(), u"-"_s, nullptr);
    window.show();
    QVERIFY(window.openArchive(archive));
    auto *view = requireControl<QTreeView>(window, "TV_Sadrzaj");
    view->setFocus();
    view->selectAll();

    // While a restore runs (here: while it asks about the first file in the way), Escape stops it and the
    // window stays.
    bool visibleAfterEscape = false;
    SetMessageDialogHook([&](const MessageDialogRequest &request) -> std::optional<int> {
        if (request.type == TMsgDlgType::mtConfirmation) {
            QTest::keyClick(view, Qt::Key_Escape);
            visibleAfterEscape = window.isVisible();
            return mrNo;
        }
        return mrOk;
    });
    OpenFileDialog::setHook(
        [&](const OpenFileRequest &) { return std::optional<QStringList>(QStringList{target}); });
    QSignalSpy finished(&window, &TVracanjeDatoteka::restoreFinished);
    requireControl<QPushButton>(window, "BTN_VratiOdabrano")->click();
    QVERIFY(finished.wait(10000));
    QVERIFY(visibleAfterEscape);
    QVERIFY(window.isVisible());
    QVERIFY(finished[0][0].value<RestoreJob::Result>().stopped);
    QCOMPARE(readAll(target + u"/b.txt"_s), QByteArray("mine too"));
    QCOMPARE(requireControl<QLabel>(window, "LBL_Status")->text(), statusText(Msg::StatusRestoreStopped));

    // Idle, it closes the window.
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

void tst_TVracanjeDatoteka::sizesReadInTheLanguage_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("shown");
    // Croatian has three forms: 1, 21, 101 bajt; 2-4, 22-24 bajta; the rest, 11-14 among them, bajtova.
    // The built-in texts and the Croatian module read alike.
    const QList<std::pair<qint64, QString>> croatian{
        {0, u"0 bajtova"_s},     {1, u"1 bajt"_s},         {2, u"2 bajta"_s},
        {4, u"4 bajta"_s},       {5, u"5 bajtova"_s},      {11, u"11 bajtova"_s},
        {12, u"12 bajtova"_s},   {14, u"14 bajtova"_s},    {21, u"21 bajt"_s},
        {22, u"22 bajta"_s},     {111, u"111 bajtova"_s},  {1000, u"1.000 bajtova"_s},
        {1021, u"1.021 bajt"_s}, {1023, u"1.023 bajta"_s}, {1536, u"1,5 kB"_s},
        {5000000, u"4,8 MB"_s}};
    for (const QString &module : {QString(), u"HRV"_s})
        for (const auto &[bytes, shown] : croatian)
            QTest::addRow("%s %lld", module.isEmpty() ? "built-in" : qPrintable(module), bytes)
                << module << bytes << shown;
    const QList<std::pair<qint64, QString>> english{
        {0, u"0 bytes"_s},   {1, u"1 byte"_s},         {2, u"2 bytes"_s},  {11, u"11 bytes"_s},
        {21, u"21 bytes"_s}, {1000, u"1.000 bytes"_s}, {1536, u"1,5 kB"_s}};
    for (const auto &[bytes, shown] : english)
        QTest::addRow("ENU %lld", bytes) << u"ENU"_s << bytes << shown;
}

void tst_TVracanjeDatoteka::sizesReadInTheLanguage()
{
    QFETCH(QString, module);
    QFETCH(qint64, bytes);
    QFETCH(QString, shown);
    // Numbers as a Croatian desktop writes them, in either language of the program.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Croatian, QLocale::Croatia));
    const auto restore = qScopeGuard([&] {
        SetResourceHInstance(nullptr);
        QLocale::setDefault(before);
    });
    if (!module.isEmpty())
        QVERIFY(SetResourceHInstance(LanguageModule::open(ModuleFiles::builtModule(module))));

    TempTree tree;
    const QString archive = tree.path(u"a.zip"_s);
    makeArchive(archive, {{"file.bin", std::string(std::size_t(bytes), 'x')}});
    TVracanjeDatoteka window(QString(), u"-"_s, nullptr);
    QVERIFY(window.openArchive(archive));
    const QModelIndex file = window.model().indexOfPath(u"file.bin"_s);
    QCOMPARE(file.siblingAtColumn(ArchiveTreeModel::SizeColumn).data().toString(), shown);
}

void tst_TVracanjeDatoteka::treeOfAnArchiveWithoutFolderEntries()
{
    TempTree tree;
    const QString archive = tree.path(u"other.zip"_s);
    makeArchive(archive,
                {{"b/z.txt", "z"}, {"B/y.txt", "y"}, {"a.txt", "a"}, {"b/y.txt", ""}, {"b/X.txt", ""}});
    OpenFileDialog::setHook(
        [&](const OpenFileRequest &) { return std::optional<QStringList>(QStringList{archive}); });
    TVracanjeDatoteka window(QString(), u"-"_s, nullptr);
    requireControl<QPushButton>(window, "BTN_OtvoriArhivu")->click();
    QCOMPARE(window.archivePath(), archive);
    QCOMPARE(requireControl<QTreeWidget>(window, "LV_Arhive")->topLevelItemCount(), 1);

    // Folders first, then names without regard to case (exact order between equals).
    ArchiveTreeModel &model = window.model();
    QStringList top;
    for (int row = 0; row < model.rowCount(); ++row)
        top << model.index(row, 0).data().toString();
    QCOMPARE(top, (QStringList{u"B"_s, u"b"_s, u"a.txt"_s}));
    const QModelIndex b = model.indexOfPath(u"b"_s);
    QCOMPARE(b.row(), 1);
    QStringList inB;
    for (int row = 0; row < model.rowCount(b); ++row)
        inB << model.index(row, 0, b).data().toString();
    QCOMPARE(inB, (QStringList{u"X.txt"_s, u"y.txt"_s, u"z.txt"_s}));
    QCOMPARE(model.parent(model.index(1, 0, b)), b);
    QCOMPARE(model.path(model.index(2, 0, b)), u"b/z.txt"_s);
    QCOMPARE(model.entriesUnder({b}), (QList<int>{0, 3, 4}));
}

void tst_TVracanjeDatoteka::unreadableArchiveIsRefused()
{
    TempTree tree;
    const QString notZip = tree.writeFile(u"broken.zip"_s, "not a zip at all");
    QList<MessageDialogRequest> dialogs;
    SetMessageDialogHook([&](const MessageDialogRequest &request) -> std::optional<int> {
        dialogs << request;
        return mrOk;
    });
    TVracanjeDatoteka window(QString(), u"-"_s, nullptr);
    QVERIFY(!window.openArchive(notZip));
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs[0].type, TMsgDlgType::mtError);
    QVERIFY(window.archivePath().isEmpty());
    QVERIFY(!requireControl<QPushButton>(window, "BTN_VratiOdabrano")->isEnabled());
}

QTEST_MAIN(tst_TVracanjeDatoteka)
#include "tst_TVracanjeDatoteka.moc"
