#include "TempTree.h"
#include "config/MessageTable.h"
#include "run/ArchiveCatalog.h"
#include "run/ArchiveListing.h"
#include "run/EntryName.h"
#include "run/RestoreJob.h"
#include "zip/TMemoryViewStream.h"
#include "zip/TZipFile.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Existing = RestoreJob::Existing;
using Files = QMap<QString, QString>;
using RawFiles = QMap<QByteArray, QByteArray>;
using namespace Qt::StringLiterals;
Q_DECLARE_METATYPE(RestoreJob::Existing)

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every file and folder below root: relative path -> content ("<dir>" for folders), size and time.
QMap<QString, QString> describeTree(const QString &root)
{
    QMap<QString, QString> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString relative = path.mid(root.size() + 1);
        if (info.isDir())
            tree.insert(relative, QStringLiteral("<dir>"));
        else
            tree.insert(relative,
                        QStringLiteral("%1 bytes, %2, md5 %3")
                            .arg(info.size())
                            .arg(info.lastModified().toSecsSinceEpoch())
                            .arg(QString::fromLatin1(
                                QCryptographicHash::hash(readAll(path), QCryptographicHash::Md5).toHex())));
    }
    return tree;
}

void setTime(const QString &path, qint64 seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0);
}

void run(const QString &program, const QStringList &arguments, const QString &folder = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    QVERIFY2(process.waitForFinished(60000), qPrintable(program));
    QVERIFY2(
        process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
        qPrintable(program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError())));
}

// An archive of the given names and contents, written by the archive unit.
QString makeArchive(const TempTree &tree, const QString &name,
                    const QList<std::pair<QString, QString>> &entries)
{
    const QString path = tree.path(name);
    QDir().mkpath(QFileInfo(path).path());
    TZipFile zip;
    zip.Open(QFile::encodeName(path).toStdString(), zmWrite);
    for (const auto &[entryName, text] : entries) {
        const QByteArray content = text.toUtf8();
        zip.Add(TBytes(content.begin(), content.end()), entryName.toStdString());
    }
    zip.Close();
    return path;
}

QByteArray readRaw(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(file), {}));
}

// Every file and folder below root by its name's bytes: content, "<dir>" for a folder, "<link>" for a
// link.
RawFiles rawTree(const QString &root)
{
    RawFiles found;
    const std::filesystem::path base(QFile::encodeName(root).toStdString());
    for (const auto &item : std::filesystem::recursive_directory_iterator(base)) {
        const QByteArray name = QByteArray::fromStdString(item.path().lexically_relative(base).native());
        if (item.is_symlink())
            found.insert(name, "<link>");
        else if (item.is_directory())
            found.insert(name, "<dir>");
        else
            found.insert(name, readRaw(item.path()));
    }
    return found;
}

// Removes the folder's content as bytes: QTemporaryDir cannot remove a name that is not UTF-8.
void removeRaw(const QString &root)
{
    std::filesystem::remove_all(QFile::encodeName(root).toStdString());
}

mode_t modeOf(const QString &path)
{
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

RestoreJob::Result restoreAll(const QString &archive, const QString &target, Existing existing,
                              std::function<RestoreJob::Answer(const QString &)> question = {})
{
    const ArchiveListing listing = ArchiveListing::read(archive);
    RestoreJob job(archive, RestoreJob::planBelow(listing, listing.select({}), QString(), target), existing);
    job.setQuestion(std::move(question));
    return job.run();
}

} // namespace

class tst_RestoreJob : public QObject
{
    Q_OBJECT

  private slots:
    void restoresTreeByteForByte_data();
    void restoresTreeByteForByte();
    void existingFiles_data();
    void existingFiles();
    void hostileArchiveWritesNothingOutside();
    void failedEntryLeavesOldFileWhole();
    void stopDropsTheFileInProgress();
    void planning();
    void patterns_data();
    void patterns();
    void catalogListsNewestFirstWithCounts();
    void foreignArchives_data();
    void foreignArchives();
    void ownNamesComeBackByteForByte();
    void linkWhereAFolderGoes_data();
    void linkWhereAFolderGoes();
    void modesComeBackLessTheUmask();
    void existingFolderKeepsDateAndMode();
    void leftoverTemporariesAreNamed();
};

void tst_RestoreJob::restoresTreeByteForByte_data()
{
    QTest::addColumn<QString>("archiver");
    QTest::newRow("Arkivoda") << QStringLiteral("arkivoda");
    QTest::newRow("Info-ZIP zip") << QStringLiteral("zip");
}

void tst_RestoreJob::restoresTreeByteForByte()
{
    QFETCH(QString, archiver);
    TempTree tree;
    QByteArray random(300 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(22);
    for (char &byte : random)
        byte = char(generator.bounded(256));
    // Times on even seconds: ZIP dates have a 2-second step.
    const qint64 when = QDateTime(QDate(2023, 6, 14), QTime(10, 20, 30)).toSecsSinceEpoch();
    const QStringList files = {
        tree.writeFile(QStringLiteral("src/empty.txt")),
        tree.writeFile(QStringLiteral("src/binary.bin"), random),
        tree.writeFile(QStringLiteral("src/Dokumenti/Računi/čćžšđ ČĆŽŠĐ.txt"), "račun\n"),
        tree.writeFile(QStringLiteral("src/Dokumenti/.skriveno"), QByteArray(70000, 'x')),
        tree.writeFile(QStringLiteral("src/bin/skripta.sh"), "#!/bin/sh\necho ok\n"),
    };
    QFile::setPermissions(tree.path(QStringLiteral("src/bin/skripta.sh")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                              QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    for (const QString &file : files)
        setTime(file, when);

    const QString archive = tree.path(QStringLiteral("a.zip"));
    if (archiver == QStringLiteral("arkivoda"))
        TZipFile::ZipDirectoryContents(QFile::encodeName(archive).toStdString(),
                                       QFile::encodeName(tree.path(QStringLiteral("src"))).toStdString());
    else
        run(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), archive, QStringLiteral(".")},
            tree.path(QStringLiteral("src")));
    if (QTest::currentTestFailed())
        return;

    const RestoreJob::Result result = restoreAll(archive, tree.path(QStringLiteral("out")), Existing::Ask);
    QVERIFY(result.complete());
    QCOMPARE(result.restored, files.size());
    QMap<QString, QString> restored = describeTree(tree.path(QStringLiteral("out")));
    QMap<QString, QString> original = describeTree(tree.path(QStringLiteral("src")));
    QCOMPARE(restored, original);
    if (archiver == QStringLiteral("zip"))
        QCOMPARE(QFileInfo(tree.path(QStringLiteral("out/bin/skripta.sh"))).permissions() & 0x0FFF,
                 QFileInfo(tree.path(QStringLiteral("src/bin/skripta.sh"))).permissions() & 0x0FFF);
}

void tst_RestoreJob::existingFiles_data()
{
    QTest::addColumn<Existing>("existing");
    QTest::addColumn<QStringList>("answers"); // the question's answers in turn: choice, u"all"_s or u"one"_s
    QTest::addColumn<Files>("before");
    QTest::addColumn<Files>("after");
    QTest::addColumn<int>("restored");
    QTest::addColumn<int>("skipped");

    const QMap<QString, QString> both = {{u"a.txt"_s, u"old a"_s}, {u"d/b.txt"_s, u"old b"_s}};
    QTest::newRow("replace") << Existing::Replace << QStringList() << both
                             << QMap<QString, QString>{{u"a.txt"_s, u"new a"_s}, {u"d/b.txt"_s, u"new b"_s}}
                             << 2 << 0;
    QTest::newRow("skip") << Existing::Skip << QStringList() << both << both << 0 << 2;
    QTest::newRow("keep both") << Existing::KeepBoth << QStringList() << both
                               << QMap<QString, QString>{{u"a.txt"_s, u"old a"_s},
                                                         {u"a (vraćeno).txt"_s, u"new a"_s},
                                                         {u"d/b.txt"_s, u"old b"_s},
                                                         {u"d/b (vraćeno).txt"_s, u"new b"_s}}
                               << 2 << 0;
    QTest::newRow("keep both, name taken")
        << Existing::KeepBoth << QStringList()
        << QMap<QString, QString>{{u"a.txt"_s, u"old a"_s}, {u"a (vraćeno).txt"_s, u"older"_s}}
        << QMap<QString, QString>{{u"a.txt"_s, u"old a"_s},
                                  {u"a (vraćeno).txt"_s, u"older"_s},
                                  {u"a (vraćeno 2).txt"_s, u"new a"_s},
                                  {u"d/b.txt"_s, u"new b"_s}}
        << 2 << 0;
    QTest::newRow("only missing files restored without a question")
        << Existing::Ask << QStringList() << QMap<QString, QString>{{u"d/b.txt"_s, u"old b"_s}}
        << QMap<QString, QString>{{u"a.txt"_s, u"new a"_s}, {u"d/b.txt"_s, u"old b"_s}} << 1 << 1;
    QTest::newRow("ask each") << Existing::Ask << QStringList{u"replace one"_s, u"skip one"_s} << both
                              << QMap<QString, QString>{{u"a.txt"_s, u"new a"_s}, {u"d/b.txt"_s, u"old b"_s}}
                              << 1 << 1;
    QTest::newRow("ask once for all") << Existing::Ask << QStringList{u"keep all"_s} << both
                                      << QMap<QString, QString>{{u"a.txt"_s, u"old a"_s},
                                                                {u"a (vraćeno).txt"_s, u"new a"_s},
                                                                {u"d/b.txt"_s, u"old b"_s},
                                                                {u"d/b (vraćeno).txt"_s, u"new b"_s}}
                                      << 2 << 0;
    QTest::newRow("ask, stop") << Existing::Ask << QStringList{u"stop"_s} << both << both << 0 << 0;
}

void tst_RestoreJob::existingFiles()
{
    QFETCH(Existing, existing);
    QFETCH(QStringList, answers);
    QFETCH(Files, before);
    QFETCH(Files, after);
    QFETCH(int, restored);
    QFETCH(int, skipped);

    TempTree tree;
    const QString archive =
        makeArchive(tree, QStringLiteral("a.zip"), {{u"a.txt"_s, u"new a"_s}, {u"d/b.txt"_s, u"new b"_s}});
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        tree.writeFile(QStringLiteral("out/") + it.key(), it.value().toUtf8());
    QStringList asked;
    // Without a question (the table's u"skip"_s rows with Ask) an existing file is kept.
    const auto question = [&](const QString &path) {
        asked << path.mid(tree.path(QStringLiteral("out/")).size());
        if (asked.size() > answers.size())
            return RestoreJob::Answer{Existing::Skip, false, false};
        const QString answer = answers.at(asked.size() - 1);
        if (answer == QStringLiteral("stop"))
            return RestoreJob::Answer{Existing::Skip, false, true};
        const Existing choice = answer.startsWith(QStringLiteral("replace")) ? Existing::Replace
                                : answer.startsWith(QStringLiteral("skip"))  ? Existing::Skip
                                                                             : Existing::KeepBoth;
        return RestoreJob::Answer{choice, answer.endsWith(QStringLiteral("all")), false};
    };
    const RestoreJob::Result result =
        restoreAll(archive, tree.path(QStringLiteral("out")), existing, question);

    QMap<QString, QString> found;
    QDirIterator it(tree.path(QStringLiteral("out")), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        found.insert(path.mid(tree.path(QStringLiteral("out/")).size()), QString::fromUtf8(readAll(path)));
    }
    QCOMPARE(found, after);
    QCOMPARE(result.restored, restored);
    QCOMPARE(result.skipped.size(), skipped);
    QVERIFY(result.failed.isEmpty());
    QCOMPARE(result.stopped, answers == QStringList{QStringLiteral("stop")});
    // One question per file in the way, until an answer is for all of them.
    if (existing == Existing::Ask && !answers.isEmpty())
        QCOMPARE(asked.size(), answers.size());
    if (existing != Existing::Ask)
        QVERIFY(asked.isEmpty());
}

void tst_RestoreJob::hostileArchiveWritesNothingOutside()
{
    TempTree tree;
    tree.makeDir(QStringLiteral("out"));
    const QString archive = tree.path(QStringLiteral("hostile.zip"));
    const QString absolute = tree.path(QStringLiteral("absolute.txt"));
    // Python's zipfile writes what the archive unit refuses to: escaping and absolute names, a link;
    // then bytes are changed for a CRC error, an encrypted flag and a method without a decompressor.
    const QString script = QStringLiteral(R"(
import sys, zipfile, struct
path, absolute = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(path, 'w') as z:
    z.writestr('../escape.txt', 'escape')
    z.writestr(absolute, 'absolute')
    z.writestr('sub/../../up.txt', 'up')
    link = zipfile.ZipInfo('link')
    link.create_system = 3
    link.external_attr = 0o120777 << 16
    z.writestr(link, '../../outside')
    z.writestr('link/through.txt', 'through the link')
    z.writestr('sub/ok.txt', 'ok')
    z.writestr('crc.txt', 'GOODDATA')
    z.writestr('encrypted.txt', 'secret')
    z.writestr('method.txt', 'method')
data = bytearray(open(path, 'rb').read())
data[data.index(b'GOODDATA')] = ord('B')
for name, offset, value in ((b'encrypted.txt', 6, 1), (b'method.txt', 8, 99)):
    at = 0
    while True:
        at = data.index(name, at + 1)
        if data[at - 30:at - 26] == b'PK\x03\x04':
            struct.pack_into('<H', data, at - 30 + offset, value)
        elif data[at - 46:at - 42] == b'PK\x01\x02':
            struct.pack_into('<H', data, at - 46 + offset + 2, value)
            break
open(path, 'wb').write(data)
)");
    run(QStringLiteral("python3"), {QStringLiteral("-c"), script, archive, absolute});
    if (QTest::currentTestFailed())
        return;
    QMap<QString, QString> around = describeTree(tree.root());
    around.remove(u"out"_s);

    const RestoreJob::Result result =
        restoreAll(archive, tree.path(QStringLiteral("out")), Existing::Replace);

    QMap<QString, QString> reasons;
    for (const RestoreJob::Failure &failure : result.failed)
        reasons.insert(failure.name, failure.reason);
    QStringList refused{absolute,  u"../escape.txt"_s, u"crc.txt"_s,         u"encrypted.txt"_s,
                        u"link"_s, u"method.txt"_s,    u"sub/../../up.txt"_s};
    refused.sort();
    QCOMPARE(reasons.keys(), refused);
    // Worded in the interface's language, the built-in Croatian here.
    const auto says = [&reasons](const QString &name, Msg::Number reason) {
        const QString expected = MessageTable::text(reason).section(u'%', 0, 0).trimmed();
        return !expected.isEmpty() && reasons[name].contains(expected);
    };
    QVERIFY2(says(u"../escape.txt"_s, Msg::ZipUnsafeName), qPrintable(reasons[u"../escape.txt"_s]));
    QVERIFY2(says(absolute, Msg::ZipUnsafeName), qPrintable(reasons[absolute]));
    QVERIFY2(says(u"link"_s, Msg::ZipLinkNotExtracted), qPrintable(reasons[u"link"_s]));
    QVERIFY2(says(u"crc.txt"_s, Msg::ZipCrcMismatch), qPrintable(reasons[u"crc.txt"_s]));
    QVERIFY2(says(u"encrypted.txt"_s, Msg::ZipEncryptedUnsupported), qPrintable(reasons[u"encrypted.txt"_s]));
    QVERIFY2(says(u"method.txt"_s, Msg::ZipMethodUnsupported), qPrintable(reasons[u"method.txt"_s]));
    QCOMPARE(result.restored, 2);

    // Outside the destination nothing changed; inside it only the sound entries, no temporary files.
    QMap<QString, QString> now = describeTree(tree.root());
    QMap<QString, QString> inside;
    for (auto it = now.begin(); it != now.end();) {
        if (it.key().startsWith(QStringLiteral("out/")) || it.key() == QStringLiteral("out")) {
            inside.insert(it.key(), it.value());
            it = now.erase(it);
        } else {
            ++it;
        }
    }
    QCOMPARE(now, around);
    QCOMPARE(inside.keys(), (QStringList{u"out"_s, u"out/link"_s, u"out/link/through.txt"_s, u"out/sub"_s,
                                         u"out/sub/ok.txt"_s}));
    QCOMPARE(inside[u"out/link"_s], QStringLiteral("<dir>"));
}

void tst_RestoreJob::failedEntryLeavesOldFileWhole()
{
    TempTree tree;
    const QString archive = makeArchive(tree, QStringLiteral("a.zip"), {{u"crc.txt"_s, u"GOODDATA"_s}});
    QFile file(archive);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    // Deflated, the text is no longer there to change: change a byte of the compressed data instead.
    const TZipHeader header = [&] {
        TZipFile zip;
        zip.Open(QFile::encodeName(archive).toStdString(), zmRead);
        return zip.FileInfo(0);
    }();
    bytes[30 + header.FileNameLength + header.ExtraFieldLength] ^= 0x01;
    file.seek(0);
    file.write(bytes);
    file.close();
    const QString old = tree.writeFile(QStringLiteral("out/crc.txt"), "old content");

    const RestoreJob::Result result =
        restoreAll(archive, tree.path(QStringLiteral("out")), Existing::Replace);
    QCOMPARE(result.failed.size(), 1);
    QCOMPARE(readAll(old), QByteArray("old content"));
    QCOMPARE(QDir(tree.path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"crc.txt"_s});
}

void tst_RestoreJob::stopDropsTheFileInProgress()
{
    TempTree tree;
    const QString archive = makeArchive(
        tree, QStringLiteral("a.zip"), {{u"first.bin"_s, QString(8 << 20, u'a')}, {u"second.txt"_s, u"b"_s}});
    const ArchiveListing listing = ArchiveListing::read(archive);
    RestoreJob job(archive,
                   RestoreJob::planBelow(listing, listing.select({}), QString(), tree.path(u"out"_s)),
                   Existing::Replace);
    job.setProgress([&](const RestoreJob::Progress &progress) {
        if (progress.bytesDone > 0)
            job.requestStop();
    });
    const RestoreJob::Result result = job.run();
    QVERIFY(result.stopped);
    QCOMPARE(result.restored, 0);
    QCOMPARE(QDir(tree.path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void tst_RestoreJob::planning()
{
    QCOMPARE(RestoreJob::commonParent({u"home/ana/Dok/a.txt"_s, u"home/ana/Dok/b/"_s}),
             QStringLiteral("home/ana/Dok/"));
    QCOMPARE(RestoreJob::commonParent({u"home/ana/x.txt"_s, u"home/anabela/y.txt"_s}),
             QStringLiteral("home/"));
    QCOMPARE(RestoreJob::commonParent({u"home/ana/"_s}), QStringLiteral("home/"));
    QCOMPARE(RestoreJob::commonParent({u"a.txt"_s, u"home/b.txt"_s}), QString());

    TempTree tree;
    const QString archive =
        makeArchive(tree, QStringLiteral("a.zip"),
                    {{u"home/ana/Dok/"_s, {}}, {u"home/ana/Dok/a.txt"_s, u"a"_s}, {u"top.txt"_s, u"t"_s}});
    const ArchiveListing listing = ArchiveListing::read(archive);
    QCOMPARE(RestoreJob::planBelow(listing, {0, 1}, QStringLiteral("home/ana/"), QStringLiteral("/t")),
             (QList<RestoreItem>{{0, u"/t"_s, u"Dok/"_s}, {1, u"/t"_s, u"Dok/a.txt"_s}}));
    QCOMPARE(RestoreJob::planOriginal(listing, {0, 1, 2}),
             (QList<RestoreItem>{{0, u"/home/ana"_s, u"Dok/"_s},
                                 {1, u"/home/ana/Dok"_s, u"a.txt"_s},
                                 {2, u"/"_s, u"top.txt"_s}}));

    const QString suffix = QStringLiteral(" (vraćeno)");
    QCOMPARE(RestoreJob::keepBothName(u"a.txt"_s, suffix, 1), QStringLiteral("a (vraćeno).txt"));
    QCOMPARE(RestoreJob::keepBothName(u"x.tar.gz"_s, suffix, 2), QStringLiteral("x (vraćeno 2).tar.gz"));
    QCOMPARE(RestoreJob::keepBothName(u".bashrc"_s, suffix, 1), QStringLiteral(".bashrc (vraćeno)"));
}

void tst_RestoreJob::patterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("matched");
    const QStringList names = {u"home/ana/a.txt"_s, u"home/ana/b.doc"_s, u"home/anabela/c.txt"_s,
                               u"top.txt"_s};
    QTest::newRow("exact") << u"top.txt"_s << QStringList{u"top.txt"_s};
    QTest::newRow("folder") << u"home/ana"_s << QStringList{u"home/ana/a.txt"_s, u"home/ana/b.doc"_s};
    QTest::newRow("folder with slash")
        << u"home/ana/"_s << QStringList{u"home/ana/a.txt"_s, u"home/ana/b.doc"_s};
    QTest::newRow("star crosses folders")
        << u"*.txt"_s << QStringList{u"home/ana/a.txt"_s, u"home/anabela/c.txt"_s, u"top.txt"_s};
    QTest::newRow("question mark") << u"home/ana?ela"_s << QStringList{u"home/anabela/c.txt"_s};
    QTest::newRow("matching folder takes its content") << u"home/ana*"_s << names.mid(0, 3);
}

void tst_RestoreJob::patterns()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, matched);
    QStringList found;
    for (const QString &name :
         {u"home/ana/a.txt"_s, u"home/ana/b.doc"_s, u"home/anabela/c.txt"_s, u"top.txt"_s})
        if (ArchiveListing::matches(name, pattern))
            found << name;
    QCOMPARE(found, matched);
}

void tst_RestoreJob::catalogListsNewestFirstWithCounts()
{
    TempTree tree;
    const QString older = makeArchive(tree, QStringLiteral("arhive/Arhiva_1.zip"), {{u"a"_s, u"a"_s}});
    const QString newer =
        makeArchive(tree, QStringLiteral("arhive/Arhiva_2.zip"), {{u"a"_s, u"a"_s}, {u"b"_s, u"b"_s}});
    tree.writeFile(QStringLiteral("arhive/notes.txt"), "not an archive");
    // ZIP64 end records: Python writes them for more than 65,535 entries.
    const QString manual = tree.path(QStringLiteral("manual.zip"));
    run(QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, zipfile\nwith zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                        "    for i in range(70000): z.writestr(str(i), '')"),
         manual});
    setTime(older, 1000000000);
    setTime(newer, 1000000100);
    setTime(manual, 1000000050);

    const QList<ArchiveCatalogEntry> archives = ListArchives(tree.path(QStringLiteral("arhive/")), manual);
    QCOMPARE(archives.size(), 3);
    QCOMPARE(archives[0].path, newer);
    QCOMPARE(archives[0].entries, 2);
    QCOMPARE(archives[1].path, manual);
    QCOMPARE(archives[1].entries, 70000);
    QCOMPARE(archives[2].path, older);
    QCOMPARE(archives[2].size, QFileInfo(older).size());
    QCOMPARE(ArchiveEntryCount(tree.path(QStringLiteral("arhive/notes.txt"))), -1);
    // A pipe nobody writes to is no archive; opening it must not wait.
    const QString pipe = tree.path(QStringLiteral("arhive/pipe.zip"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QCOMPARE(ArchiveEntryCount(pipe), -1);
}

void tst_RestoreJob::foreignArchives_data()
{
    // A Python script filling the zipfile.ZipFile z; "patch" pairs then change bytes of the archive
    // (names Python would not write).
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArrayList>("patch");
    QTest::addColumn<RawFiles>("after");
    QTest::addColumn<QByteArrayList>("failed");

    // Info-ZIP zip marks what it read from a pipe ("zip a.zip -") as a pipe; the entry holds plain data.
    QTest::newRow("data piped into zip")
        << u"i = zipfile.ZipInfo('-'); i.create_system = 3; i.external_attr = 0o010600 << 16\n"
           "z.writestr(i, 'piped')\n"_s
        << QByteArrayList() << RawFiles{{"-", "piped"}} << QByteArrayList();
    // Old Windows archivers mark a folder by its MS-DOS attribute alone.
    QTest::newRow("folder marked by its MS-DOS attribute")
        << u"d = zipfile.ZipInfo('def'); d.create_system = 0; d.external_attr = 0x10\n"
           "z.writestr(d, '')\n"
           "z.writestr('def/foo', 'foo')\n"_s
        << QByteArrayList() << RawFiles{{"def", "<dir>"}, {"def/foo", "foo"}} << QByteArrayList();
    QTest::newRow("names without a last part")
        << u"for name in ('sub/.', '.', ''):\n"
           "    z.writestr(zipfile.ZipInfo(name), 'lost')\n"
           "z.writestr('ok.txt', 'ok')\n"_s
        << QByteArrayList() << RawFiles{{"ok.txt", "ok"}} << QByteArrayList{"sub/.", ".", ""};
    // Code page 437 byte 0x82 is "é": two entries for one name on disk; the first one stays.
    QTest::newRow("one name in two encodings")
        << u"z.writestr('\\u00e9.txt', 'first')\n"
           "i = zipfile.ZipInfo('X.txt'); i.create_system = 0\n"
           "z.writestr(i, 'second')\n"_s
        << QByteArrayList{"X.txt", "\x82.txt"} << RawFiles{{"\xc3\xa9.txt", "first"}}
        << QByteArrayList{"\xc3\xa9.txt"};
    QTest::newRow("marked UTF-8 but not UTF-8")
        << u"for name, text in (('aX.txt', 'ff'), ('aY.txt', 'fe')):\n"
           "    i = zipfile.ZipInfo(name); i.flag_bits = 0x800\n"
           "    z.writestr(i, text)\n"_s
        << QByteArrayList{"aX.txt", "a\xff.txt", "aY.txt", "a\xfe.txt"}
        << RawFiles{{"a\xff.txt", "ff"}, {"a\xfe.txt", "fe"}} << QByteArrayList();
}

void tst_RestoreJob::foreignArchives()
{
    QFETCH(QString, script);
    QFETCH(QByteArrayList, patch);
    QFETCH(RawFiles, after);
    QFETCH(QByteArrayList, failed);
    TempTree tree;
    const QString archive = tree.path(u"a.zip"_s);
    run(u"python3"_s, {u"-c"_s,
                       u"import sys, zipfile\nwith zipfile.ZipFile(sys.argv[1], 'w') as z:\n"_s +
                           script.split(QLatin1Char('\n')).join(u"\n    "_s).prepend(u"    "_s),
                       archive});
    if (QTest::currentTestFailed())
        return;
    QFile file(archive);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    for (qsizetype i = 0; i + 1 < patch.size(); i += 2)
        bytes.replace(patch[i], patch[i + 1]);
    file.seek(0);
    file.write(bytes);
    file.close();
    tree.makeDir(u"out"_s);

    const RestoreJob::Result result = restoreAll(archive, tree.path(u"out"_s), Existing::Replace);
    QByteArrayList failedNames;
    for (const RestoreJob::Failure &failure : result.failed)
        failedNames << QByteArray::fromStdString(EntryName::toBytes(failure.name));
    const RawFiles found = rawTree(tree.path(u"out"_s));
    removeRaw(tree.path(u"out"_s));
    QCOMPARE(failedNames, failed);
    QCOMPARE(found, after);
}

void tst_RestoreJob::ownNamesComeBackByteForByte()
{
    // Linux names need not be UTF-8; the archive keeps their bytes and a restore gives them back, beside
    // a UTF-8 name that a code page would make of the same bytes.
    TempTree tree;
    const QString archive = tree.path(u"a.zip"_s);
    const RawFiles names{{"caf\xe9.txt", "latin-1"}, {"\x82.txt", "cp437"}, {"\xc3\xa9.txt", "utf-8"}};
    {
        TZipFile zip;
        zip.Open(QFile::encodeName(archive).toStdString(), zmWrite);
        for (auto it = names.cbegin(); it != names.cend(); ++it)
            zip.Add(TBytes(it.value().begin(), it.value().end()), it.key().toStdString());
        zip.Close();
    }
    const RestoreJob::Result result = restoreAll(archive, tree.path(u"out"_s), Existing::Replace);
    QVERIFY(result.complete());
    const RawFiles found = rawTree(tree.path(u"out"_s));
    removeRaw(tree.path(u"out"_s));
    QCOMPARE(result.restored, 3);
    QCOMPARE(found, names);
}

void tst_RestoreJob::linkWhereAFolderGoes_data()
{
    QTest::addColumn<Existing>("existing");
    QTest::addColumn<RawFiles>("after");
    // The link and what it leads to stay; nothing is written through it.
    QTest::newRow("skip") << Existing::Skip
                          << RawFiles{{"elsewhere", "<dir>"},
                                      {"elsewhere/keep.txt", "mine"},
                                      {"out", "<dir>"},
                                      {"out/docs", "<link>"}};
    QTest::newRow("keep both") << Existing::KeepBoth
                               << RawFiles{{"elsewhere", "<dir>"},
                                           {"elsewhere/keep.txt", "mine"},
                                           {"out", "<dir>"},
                                           {"out/docs", "<link>"}};
    QTest::newRow("ask without a question") << Existing::Ask
                                            << RawFiles{{"elsewhere", "<dir>"},
                                                        {"elsewhere/keep.txt", "mine"},
                                                        {"out", "<dir>"},
                                                        {"out/docs", "<link>"}};
    // Replacing replaces the link, not what it leads to.
    QTest::newRow("replace") << Existing::Replace << RawFiles{{"elsewhere", "<dir>"},
                                                              {"elsewhere/keep.txt", "mine"},
                                                              {"out", "<dir>"},
                                                              {"out/docs", "<dir>"},
                                                              {"out/docs/keep.txt", "archived"},
                                                              {"out/docs/new.txt", "new"}};
}

void tst_RestoreJob::linkWhereAFolderGoes()
{
    QFETCH(Existing, existing);
    QFETCH(RawFiles, after);
    TempTree tree;
    tree.writeFile(u"elsewhere/keep.txt"_s, "mine");
    tree.makeDir(u"out"_s);
    QVERIFY(QFile::link(u"../elsewhere"_s, tree.path(u"out/docs"_s)));
    const QString archive =
        makeArchive(tree, u"a.zip"_s,
                    {{u"docs/"_s, {}}, {u"docs/new.txt"_s, u"new"_s}, {u"docs/keep.txt"_s, u"archived"_s}});

    const RestoreJob::Result result = restoreAll(archive, tree.path(u"out"_s), existing);
    RawFiles found = rawTree(tree.root());
    found.remove("a.zip");
    QCOMPARE(found, after);
    QVERIFY(result.failed.isEmpty());
    QCOMPARE(result.complete(), existing == Existing::Replace);
}

void tst_RestoreJob::modesComeBackLessTheUmask()
{
    TempTree tree;
    const mode_t oldMask = ::umask(022);
    const auto restoreMask = qScopeGuard([&] { ::umask(oldMask); });
    const QString script = tree.writeFile(u"src/script.sh"_s, "#!/bin/sh\n");
    const QString secret = tree.writeFile(u"src/secret"_s, "secret");
    ::chmod(QFile::encodeName(secret).constData(), 0600);
    ::chmod(QFile::encodeName(script).constData(), 0755);
    const QString own = tree.path(u"own.zip"_s);
    {
        TZipFile zip;
        zip.Open(QFile::encodeName(own).toStdString(), zmWrite);
        zip.Add(QFile::encodeName(script).toStdString(), "script.sh");
        zip.Add(QFile::encodeName(secret).toStdString(), "secret");
        TFileAttributes folder{faDirectory};
        folder.SetUnixMode(040700);
        TMemoryViewStream empty(nullptr, 0);
        zip.Add(empty, "private/", zcStored, folder);
        zip.Close();
    }
    // Other readers keep reading the archive with its mode item.
    run(u"unzip"_s, {u"-tq"_s, own});
    run(u"python3"_s,
        {u"-c"_s, u"import sys, zipfile; assert zipfile.ZipFile(sys.argv[1]).testzip() is None"_s, own});
    // A Unix archiver's modes: world-writable ones lose what the umask withholds, set-user-ID all along.
    const QString foreign = tree.path(u"foreign.zip"_s);
    run(u"python3"_s,
        {u"-c"_s,
         u"import sys, zipfile\n"
         "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
         "    for name, mode in (('open/', 0o40777), ('open/all.txt', 0o100666), ('suid', 0o104777)):\n"
         "        i = zipfile.ZipInfo(name); i.create_system = 3; i.external_attr = mode << 16\n"
         "        z.writestr(i, '' if name.endswith('/') else 'x')\n"_s,
         foreign});
    if (QTest::currentTestFailed())
        return;

    QVERIFY(restoreAll(own, tree.path(u"out"_s), Existing::Replace).complete());
    QVERIFY(restoreAll(foreign, tree.path(u"out"_s), Existing::Replace).complete());
    QCOMPARE(modeOf(tree.path(u"out/script.sh"_s)), mode_t(0755));
    QCOMPARE(modeOf(tree.path(u"out/secret"_s)), mode_t(0600));
    QCOMPARE(modeOf(tree.path(u"out/private"_s)), mode_t(0700));
    QCOMPARE(modeOf(tree.path(u"out/open"_s)), mode_t(0755));
    QCOMPARE(modeOf(tree.path(u"out/open/all.txt"_s)), mode_t(0644));
    QCOMPARE(modeOf(tree.path(u"out/suid"_s)), mode_t(0755));
}

void tst_RestoreJob::existingFolderKeepsDateAndMode()
{
    TempTree tree;
    const QString archive =
        makeArchive(tree, u"a.zip"_s, {{u"d/"_s, {}}, {u"d/x.txt"_s, u"new"_s}, {u"made/"_s, {}}});
    tree.writeFile(u"out/d/x.txt"_s, "old");
    ::chmod(QFile::encodeName(tree.path(u"out/d"_s)).constData(), 0750);
    setTime(tree.path(u"out/d"_s), 1000000000);

    const RestoreJob::Result result = restoreAll(archive, tree.path(u"out"_s), Existing::Skip);
    QCOMPARE(result.skipped, QStringList{u"d/x.txt"_s});
    QCOMPARE(QFileInfo(tree.path(u"out/d"_s)).lastModified().toSecsSinceEpoch(), 1000000000);
    QCOMPARE(modeOf(tree.path(u"out/d"_s)), mode_t(0750));
    // A folder the restore made gets the archive's date.
    QVERIFY(QFileInfo(tree.path(u"out/made"_s)).lastModified().toSecsSinceEpoch() > 1000000000);
}

void tst_RestoreJob::leftoverTemporariesAreNamed()
{
    // A restore killed while it wrote a file leaves its temporary file; the next one names it.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    QVERIFY(gone > 0);
    ::waitpid(gone, nullptr, 0);
    TempTree tree;
    const QString archive = makeArchive(tree, u"a.zip"_s, {{u"sub/a.txt"_s, u"a"_s}});
    const QString leftover = tree.writeFile(u"out/sub/.arkivoda-%1-0.part"_s.arg(gone), "half");
    const QString other = tree.writeFile(u"out/sub/.arkivoda-notes.part"_s, "not ours");

    const RestoreJob::Result result = restoreAll(archive, tree.path(u"out"_s), Existing::Replace);
    QVERIFY(result.complete());
    QCOMPARE(result.leftovers, QStringList{leftover});
    QVERIFY(QFile::exists(leftover) && QFile::exists(other));
}

QTEST_GUILESS_MAIN(tst_RestoreJob)
#include "tst_RestoreJob.moc"
