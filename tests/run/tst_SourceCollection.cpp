#include "PermissionsBindRoot.h"
#include "RawTree.h"
#include "TempTree.h"

#include "run/DirectoryTree.h"
#include "run/FileSystem.h"
#include "run/SortedPathList.h"
#include "run/SourceCollection.h"
#include "run/SourceCollectionSink.h"
#include "run/SourceExclusions.h"

#include <QFile>
#include <QLocale>
#include <QtTest>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>

namespace {

// Records every report in the order it arrives, one line each, so that tests see the order too.
class RecordingSink : public SourceCollectionSink
{
  public:
    void missingEntry(const QString &entry) override
    {
        missing.append(entry);
        events.append(QStringLiteral("missing"));
    }
    void unreadable(const QString &path, int error) override
    {
        unreadablePaths.append(path);
        errors.append(error);
        events.append(QStringLiteral("missing"));
    }
    void entryNameTooLong(const QString &path) override
    {
        tooLong.append(path);
        events.append(QStringLiteral("missing"));
    }
    void fileSize(qint64 bytes) override
    {
        sizes.append(bytes);
        events.append(QStringLiteral("size"));
    }
    void fileCount(qint64 count) override
    {
        counts.append(count);
        events.append(QStringLiteral("count"));
    }

    QStringList missing;
    QStringList unreadablePaths;
    QList<int> errors;
    QStringList tooLong;
    QList<qint64> sizes;
    QList<qint64> counts;
    QStringList events;
    qint64 leftOutFiles = 0;
    qint64 leftOutFolders = 0;

    void leftOut(qint64 files, qint64 folders) override
    {
        leftOutFiles = files;
        leftOutFolders = folders;
    }
};

// The fixture tree shared by the resolution table. Relative paths; folders end in "/".
const QStringList fixtureTree = {
    QStringLiteral("Dok/a.txt"),
    QStringLiteral("Dok/A.txt"),
    QStringLiteral("Dok/b.txt"),
    QStringLiteral("Dok/.skriveno.txt"),
    QStringLiteral("Dok/.skrivena/x.txt"),
    QStringLiteral("Dok/Prazna/"),
    QStringLiteral("Dok/Duboko/L1/L2/f.txt"),
    QStringLiteral("SamoPrazna/Unutra/"),
    QStringLiteral("Prazna/"),
    QStringLiteral("Pismo/čćž.txt"),
    QStringLiteral("Pismo/жук.txt"),
    QStringLiteral("Pismo/日本/語.txt"),
    QStringLiteral("jedna.txt"),
};

void buildTree(const TempTree &tree, const QStringList &entries)
{
    for (const QString &entry : entries) {
        if (entry.endsWith(QLatin1Char('/')))
            tree.makeDir(entry);
        else
            tree.writeFile(entry, entry.toUtf8());
    }
}

// Absolute paths below the tree; an empty text stays empty (an empty line of the list).
QStringList absolute(const TempTree &tree, const QStringList &relative)
{
    QStringList result;
    for (const QString &path : relative)
        result.append(path.isEmpty() ? QString() : tree.root() + QLatin1Char('/') + path);
    return result;
}

void makeLink(const QString &target, const QString &linkPath)
{
    QVERIFY2(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(linkPath).constData()) == 0,
             qPrintable(linkPath));
}

} // namespace

class TestSourceCollection : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();

    void sortedPathListOrder_data();
    void sortedPathListOrder();
    void sortedPathListReordersAfterLaterAdds();

    void resolvesEntries_data();
    void resolvesEntries();
    void walksLinkedFolder();
    void linkCycleEnds_data();
    void linkCycleEnds();
    void unlistableFolders_data();
    void unlistableFolders();
    void specialEntries();
    void namesAreKeptAsBytes();
    void deepTreesAreWalked();
    void entriesAreMadeCanonical();
    void totalsInSortedOrderThenCount();
    void sizesOfManyFilesKeepTheirOrder();
    void aLineWithANulNamesNothing();
    void overLongNamesAreLeftOutOnce();
    void allMissingGivesNothing();
    void walkUsesMask();
    void exclusions_data();
    void exclusions();

    void getFileSize_data();
    void getFileSize();

  private:
    QLocale m_savedLocale;
};

void TestSourceCollection::initTestCase()
{
    // The expected orders below are written for English collation; the C locale and Croatian are
    // exercised in the list's own table.
    m_savedLocale = QLocale();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestSourceCollection::cleanupTestCase()
{
    QLocale::setDefault(m_savedLocale);
}

void TestSourceCollection::sortedPathListOrder_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected");

    const QStringList mixed = {QStringLiteral("c"), QStringLiteral("B"), QStringLiteral("a"),
                               QStringLiteral("b")};
    const QStringList mixedSorted = {QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("b"),
                                     QStringLiteral("c")};
    for (const char *locale : {"C", "en_US", "hr_HR"}) {
        QTest::addRow("%s: case ignored, exact order breaks ties", locale)
            << QString::fromLatin1(locale) << mixed << mixedSorted;
        QTest::addRow("%s: only exact duplicates dropped", locale)
            << QString::fromLatin1(locale)
            << QStringList{QStringLiteral("/d/x.txt"), QStringLiteral("/d/X.txt"), QStringLiteral("/d/x.txt"),
                           QStringLiteral("/D/x.txt")}
            << QStringList{QStringLiteral("/D/x.txt"), QStringLiteral("/d/X.txt"),
                           QStringLiteral("/d/x.txt")};
    }
    // The user's locale decides where letters outside ASCII go.
    const QStringList accented = {QStringLiteral("d"), QStringLiteral("Č"), QStringLiteral("c")};
    QTest::newRow("hr_HR: č between c and d")
        << QStringLiteral("hr_HR") << accented
        << QStringList{QStringLiteral("c"), QStringLiteral("Č"), QStringLiteral("d")};
    QTest::newRow("C: č after every ASCII letter")
        << QStringLiteral("C") << accented
        << QStringList{QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("Č")};
    QTest::newRow("empty list") << QStringLiteral("en_US") << QStringList{} << QStringList{};
}

void TestSourceCollection::sortedPathListOrder()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);

    QLocale::setDefault(QLocale(locale));
    SortedPathList list;
    for (const QString &path : added)
        list.add(path);
    const QStringList sorted = list.paths();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QCOMPARE(sorted, expected);
    QCOMPARE(list.size(), expected.size());
}

void TestSourceCollection::sortedPathListReordersAfterLaterAdds()
{
    SortedPathList list;
    list.add(QStringLiteral("m"));
    list.add(QStringLiteral("z"));
    QCOMPARE(list.paths(), (QStringList{QStringLiteral("m"), QStringLiteral("z")}));

    SortedPathList other;
    other.add(QStringLiteral("a"));
    other.add(QStringLiteral("m"));
    list.add(other);
    list.add(QStringLiteral("Q"));
    QCOMPARE(list.paths(), (QStringList{QStringLiteral("a"), QStringLiteral("m"), QStringLiteral("Q"),
                                        QStringLiteral("z")}));
    QCOMPARE(list.at(2), QStringLiteral("Q"));

    list.clear();
    QVERIFY(list.isEmpty());
    QCOMPARE(list.size(), 0);
}

void TestSourceCollection::resolvesEntries_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("missing");

    const QStringList dokFiles = {
        QStringLiteral("Dok/.skrivena/x.txt"), QStringLiteral("Dok/.skriveno.txt"),
        QStringLiteral("Dok/A.txt"),           QStringLiteral("Dok/a.txt"),
        QStringLiteral("Dok/b.txt"),           QStringLiteral("Dok/Duboko/L1/L2/f.txt"),
    };
    const QStringList dokFolders = {
        QStringLiteral("Dok/.skrivena"),    QStringLiteral("Dok/Duboko"), QStringLiteral("Dok/Duboko/L1"),
        QStringLiteral("Dok/Duboko/L1/L2"), QStringLiteral("Dok/Prazna"),
    };

    QTest::newRow("folder: hidden and case-distinct files, subfolders at every depth")
        << QStringList{QStringLiteral("Dok")} << dokFiles << dokFolders << QStringList{};
    QTest::newRow("folder given with a trailing slash")
        << QStringList{QStringLiteral("Dok/")} << dokFiles << dokFolders << QStringList{};
    QTest::newRow("file listed and inside a listed folder: once")
        << QStringList{QStringLiteral("Dok/b.txt"), QStringLiteral("Dok")} << dokFiles << dokFolders
        << QStringList{};
    QTest::newRow("file listed twice: once")
        << QStringList{QStringLiteral("jedna.txt"), QStringLiteral("jedna.txt")}
        << QStringList{QStringLiteral("jedna.txt")} << QStringList{} << QStringList{};
    QTest::newRow("empty folder: nothing")
        << QStringList{QStringLiteral("Prazna")} << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("folder holding only an empty subfolder")
        << QStringList{QStringLiteral("SamoPrazna")} << QStringList{}
        << QStringList{QStringLiteral("SamoPrazna/Unutra")} << QStringList{};
    QTest::newRow("names in other alphabets")
        << QStringList{QStringLiteral("Pismo")}
        << QStringList{QStringLiteral("Pismo/čćž.txt"), QStringLiteral("Pismo/жук.txt"),
                       QStringLiteral("Pismo/日本/語.txt")}
        << QStringList{QStringLiteral("Pismo/日本")} << QStringList{};
    QTest::newRow("missing entries and an empty line, texts as read")
        << QStringList{QStringLiteral("nema.txt"), QString(), QStringLiteral("jedna.txt"),
                       QStringLiteral("Nema/"), QString()}
        << QStringList{QStringLiteral("jedna.txt")} << QStringList{}
        << QStringList{QStringLiteral("nema.txt"), QString(), QStringLiteral("Nema/"), QString()};
}

void TestSourceCollection::resolvesEntries()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, missing);

    const TempTree tree;
    buildTree(tree, fixtureTree);

    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries(absolute(tree, entries), sink);

    QCOMPARE(collection.lista_fileova_finalna().paths(), absolute(tree, files));
    QCOMPARE(collection.lista_mapa_finalna().paths(), absolute(tree, folders));
    QCOMPARE(sink.missing, absolute(tree, missing));
}

void TestSourceCollection::walksLinkedFolder()
{
    const TempTree tree;
    buildTree(tree, {QStringLiteral("Stvarna/a.txt"), QStringLiteral("Stvarna/Pod/b.txt"),
                     QStringLiteral("Lista/c.txt")});
    // Listed directly as a link, and met as a link inside a walked folder.
    makeLink(tree.path(QStringLiteral("Stvarna")), tree.path(QStringLiteral("Veza")));
    makeLink(QStringLiteral("../Stvarna"), tree.path(QStringLiteral("Lista/Unutra")));

    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries(absolute(tree, {QStringLiteral("Veza"), QStringLiteral("Lista")}), sink);

    QCOMPARE(collection.lista_fileova_finalna().paths(),
             absolute(tree, {QStringLiteral("Lista/c.txt"), QStringLiteral("Lista/Unutra/a.txt"),
                             QStringLiteral("Lista/Unutra/Pod/b.txt"), QStringLiteral("Veza/a.txt"),
                             QStringLiteral("Veza/Pod/b.txt")}));
    QCOMPARE(collection.lista_mapa_finalna().paths(),
             absolute(tree, {QStringLiteral("Lista/Unutra"), QStringLiteral("Lista/Unutra/Pod"),
                             QStringLiteral("Veza/Pod")}));
    QVERIFY(sink.missing.isEmpty());
}

void TestSourceCollection::linkCycleEnds_data()
{
    QTest::addColumn<QString>("linkPath");
    QTest::addColumn<QString>("target");

    QTest::newRow("link to its own folder") << QStringLiteral("a/petlja") << QStringLiteral(".");
    QTest::newRow("link to the listed folder, two levels down")
        << QStringLiteral("a/b/petlja") << QStringLiteral("../../a");
}

void TestSourceCollection::linkCycleEnds()
{
    QFETCH(QString, linkPath);
    QFETCH(QString, target);

    const TempTree tree;
    buildTree(tree, {QStringLiteral("a/f.txt"), QStringLiteral("a/b/g.txt")});
    makeLink(target, tree.path(linkPath));

    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries({tree.path(QStringLiteral("a"))}, sink);

    // The link is recorded as a folder, and nothing is collected through it.
    QCOMPARE(collection.lista_fileova_finalna().paths(),
             absolute(tree, {QStringLiteral("a/b/g.txt"), QStringLiteral("a/f.txt")}));
    QStringList folders = absolute(tree, {QStringLiteral("a/b"), linkPath});
    folders.sort();
    QCOMPARE(collection.lista_mapa_finalna().paths(), folders);
}

void TestSourceCollection::unlistableFolders_data()
{
    QTest::addColumn<uid_t>("owner");
    QTest::addColumn<mode_t>("mode");
    QTest::newRow("mode 000") << ::geteuid() << mode_t(0);
    // Another user's private folder: only its owner may open it.
    QTest::newRow("another user's 0700") << uid_t(65534) << mode_t(0700);
}

void TestSourceCollection::unlistableFolders()
{
    QFETCH(uid_t, owner);
    QFETCH(mode_t, mode);
    const TempTree tree;
    buildTree(tree, {QStringLiteral("Otvorena/a.txt"), QStringLiteral("Otvorena/Zatvorena/tajna.txt"),
                     QStringLiteral("Zatvorena/tajna.txt")});
    const QStringList locked =
        absolute(tree, {QStringLiteral("Otvorena/Zatvorena"), QStringLiteral("Zatvorena")});
    for (const QString &folder : locked) {
        if (::chown(QFile::encodeName(folder).constData(), owner, owner) != 0)
            QSKIP("only root may give a folder to another user");
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), mode) == 0);
    }
    const QString insideLocked = tree.path(QStringLiteral("Zatvorena/tajna.txt"));

    SourceCollection collection;
    RecordingSink sink;
    {
        const PermissionsBindRoot bindRoot;
        if (bindRoot.active())
            collection.resolveEntries(
                absolute(tree, {QStringLiteral("Otvorena"), QStringLiteral("Zatvorena"),
                                QStringLiteral("Zatvorena/tajna.txt"), QStringLiteral("Nema")}),
                sink);
        for (const QString &folder : locked)
            ::chmod(QFile::encodeName(folder).constData(), 0700);
        if (!bindRoot.active())
            QSKIP("running as root, and this process may not drop CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH: "
                  "root lists every folder whatever its permissions");
    }

    // Neither folder's content can be read, nor a file listed inside one: each is reported unreadable once,
    // with its path and the system's reason, instead of passing for an empty folder or a missing file. The
    // locked subfolder gets no folder entry of its own. Only the entry that names nothing is missing.
    QCOMPARE(collection.lista_fileova_finalna().paths(), absolute(tree, {QStringLiteral("Otvorena/a.txt")}));
    QCOMPARE(collection.lista_mapa_finalna().paths(), QStringList());
    QCOMPARE(sink.unreadablePaths, locked + QStringList{insideLocked});
    QCOMPARE(sink.errors, QList<int>({EACCES, EACCES, EACCES}));
    QCOMPARE(sink.missing, absolute(tree, {QStringLiteral("Nema")}));
}

void TestSourceCollection::specialEntries()
{
    const TempTree tree;
    buildTree(tree, {QStringLiteral("Mapa/a.txt")});
    const QString fifo = tree.path(QStringLiteral("Mapa/cijev"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    makeLink(QStringLiteral("nigdje"), tree.path(QStringLiteral("Mapa/slomljena")));
    const QByteArray badName = QFile::encodeName(tree.path(QStringLiteral("Mapa/"))) + "lo\xff\xfe.txt";
    // The temporary folder cannot remove a name that does not decode, so it goes here whatever happens.
    const struct UnlinkOnExit
    {
        QByteArray name;
        ~UnlinkOnExit() { ::unlink(name.constData()); }
    } removeBadName{badName};
    {
        const int fd = ::open(badName.constData(), O_CREAT | O_WRONLY, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "abc", 3), ssize_t(3));
        ::close(fd);
    }

    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries({tree.path(QStringLiteral("Mapa")), fifo}, sink);
    collection.reportTotals(sink);

    // The FIFO is left out of the walk, and is missing when listed itself. A link to nothing is kept
    // so that the run reports it; a name that is not valid UTF-8 is kept, as its bytes, and shown in
    // readable form.
    const QString replaced = tree.path(QStringLiteral("Mapa/lo")) + QString(2, QChar::ReplacementCharacter) +
                             QStringLiteral(".txt");
    const QStringList files = collection.lista_fileova_finalna().paths();
    QCOMPARE(files.size(), 3);
    QVERIFY(files.contains(tree.path(QStringLiteral("Mapa/a.txt"))));
    QVERIFY(files.contains(tree.path(QStringLiteral("Mapa/slomljena"))));
    QVERIFY2(files.contains(replaced), qPrintable(files.join(QLatin1Char('\n'))));
    QVERIFY(collection.lista_fileova_finalna().localPaths().contains(badName));
    QCOMPARE(sink.missing, QStringList{fifo});
    // a.txt and the file with the undecodable name have sizes that can be read.
    QCOMPARE(std::accumulate(sink.sizes.cbegin(), sink.sizes.cend(), qint64(0)),
             qint64(QByteArrayLiteral("Mapa/a.txt").size() + 3));
}

// A name is the file system's bytes: one that is not UTF-8 is neither dropped nor merged with a valid
// name that decodes to the same text.
void TestSourceCollection::namesAreKeptAsBytes()
{
    const RawTree tree;
    const QList<QByteArray> files = {
        tree.writeFile("Ra\xe8uni/a.txt", "a"),
        tree.writeFile("Ra\xe8uni/b.txt", "bb"),
        tree.writeFile("lo\xff.txt", "ccc"),
        tree.writeFile("dvojnik\xff.txt", "dddd"),
        tree.writeFile("dvojnik\xef\xbf\xbd.txt", "eeeee"), // U+FFFD, what the name before decodes to
    };
    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries({QFile::decodeName(tree.root())}, sink);
    collection.reportTotals(sink);

    QList<QByteArray> collected = collection.lista_fileova_finalna().localPaths();
    std::sort(collected.begin(), collected.end());
    QList<QByteArray> expected = files;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(collected, expected);
    QCOMPARE(collection.lista_mapa_finalna().localPaths(), QList<QByteArray>{tree.root() + "/Ra\xe8uni"});
    QCOMPARE(std::accumulate(sink.sizes.cbegin(), sink.sizes.cend(), qint64(0)), qint64(1 + 2 + 3 + 4 + 5));
    QVERIFY(sink.missing.isEmpty());
}

// Folders deeper than the system's limit for a whole path (4096 bytes) are walked, and their files are
// found and measured.
void TestSourceCollection::deepTreesAreWalked()
{
    const RawTree tree;
    QByteArray relative;
    while (relative.size() < 5000)
        relative += QByteArray(120, 'd') + '/';
    const QByteArray deepFile = tree.writeFile(relative + "dno.txt", "na dnu");
    QVERIFY(deepFile.size() > 5000);

    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries({QFile::decodeName(tree.root())}, sink);
    collection.reportTotals(sink);

    QCOMPARE(collection.lista_fileova_finalna().localPaths(), QList<QByteArray>{deepFile});
    QCOMPARE(collection.lista_mapa_finalna().size(), relative.count('/'));
    QCOMPARE(sink.sizes, QList<qint64>{6});
    QVERIFY(sink.missing.isEmpty());
    QCOMPARE(GetFileSize(deepFile), 6);
    QVERIFY(FileExists(deepFile));
}

// "." and ".." in a list entry are resolved before use: no entry name holds "..", and one file listed
// under several spellings is archived once.
void TestSourceCollection::entriesAreMadeCanonical()
{
    const TempTree tree;
    buildTree(tree, {QStringLiteral("Dok/a.txt"), QStringLiteral("Dok/Pod/b.txt")});
    const QString root = tree.root();
    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries({root + QStringLiteral("/Dok/Pod/../a.txt"),
                               root + QStringLiteral("/Dok/./a.txt"), root + QStringLiteral("//Dok/a.txt"),
                               root + QStringLiteral("/Dok/Pod/./.."),
                               root + QStringLiteral("/Nema/../Dok/Pod/b.txt")},
                              sink);

    QCOMPARE(collection.lista_fileova_finalna().paths(),
             absolute(tree, {QStringLiteral("Dok/a.txt"), QStringLiteral("Dok/Pod/b.txt")}));
    QCOMPARE(collection.lista_mapa_finalna().paths(), absolute(tree, {QStringLiteral("Dok/Pod")}));
    QVERIFY(sink.missing.isEmpty());
}

void TestSourceCollection::totalsInSortedOrderThenCount()
{
    const TempTree tree;
    tree.writeFile(QStringLiteral("M/c.bin"), QByteArray(3, 'c'));
    tree.writeFile(QStringLiteral("M/A.bin"), QByteArray(100, 'a'));
    tree.writeFile(QStringLiteral("M/b.bin"), QByteArray(20, 'b'));
    tree.writeFile(QStringLiteral("prazna.bin"));

    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries(
        absolute(tree, {QStringLiteral("nema"), QStringLiteral("prazna.bin"), QStringLiteral("M")}), sink);
    collection.reportTotals(sink);

    QCOMPARE(sink.sizes, (QList<qint64>{100, 20, 3, 0}));
    QCOMPARE(sink.counts, QList<qint64>{4});
    QCOMPARE(sink.events,
             (QStringList{QStringLiteral("missing"), QStringLiteral("size"), QStringLiteral("size"),
                          QStringLiteral("size"), QStringLiteral("size"), QStringLiteral("count")}));
}

void TestSourceCollection::sizesOfManyFilesKeepTheirOrder()
{
    // Enough files for the sizes to be measured on several threads; each size must land at its own
    // file's place, and one that cannot be read gives -1 there.
    const TempTree tree;
    QList<QByteArray> paths;
    QList<qint64> expected;
    for (int i = 0; i < 9000; ++i) {
        const qint64 size = i % 7 == 3 ? -1 : i % 13;
        const QString name = QStringLiteral("F/%1").arg(i);
        if (size >= 0)
            tree.writeFile(name, QByteArray(size, 'x'));
        paths.append(QFile::encodeName(tree.path(name)));
        expected.append(size);
    }
    QCOMPARE(SourceCollection::fileSizes(paths), expected);
}

void TestSourceCollection::aLineWithANulNamesNothing()
{
    // A list saved as UTF-16 without a byte-order mark reads as "/" followed by NULs and letters: the
    // path up to the first NUL is the root folder, which must not be walked.
    const TempTree tree;
    tree.writeFile(QStringLiteral("M/a.txt"), "a");
    const QString utf16Root = QStringLiteral("/") + QChar(0) + QStringLiteral("h") + QChar(0);
    const QString strayNul = tree.path(QStringLiteral("M")) + QChar(0) + QStringLiteral("x");
    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries({utf16Root, strayNul}, sink);
    collection.reportTotals(sink);

    QCOMPARE(sink.missing, (QStringList{utf16Root, strayNul}));
    QVERIFY(collection.lista_fileova_finalna().isEmpty());
    QVERIFY(collection.lista_mapa_finalna().isEmpty());
}

// A folder path below the tree of exactly `length` bytes, made of 250-byte names starting with `letter`.
static QByteArray folderOfLength(const RawTree &tree, qsizetype length, char letter)
{
    QByteArray relative;
    const qsizetype wanted = length - tree.root().size() - 1;
    while (relative.size() < wanted) {
        if (!relative.isEmpty())
            relative += '/';
        qsizetype name = std::min<qsizetype>(250, wanted - relative.size());
        // Never leave room for a "/" alone.
        if (wanted - relative.size() - name == 1)
            --name;
        relative += QByteArray(name, letter);
    }
    return tree.makeDir(relative);
}

// A ZIP entry name holds at most 65,535 bytes, and the archive names a path without its leading "/"
// (a folder with a trailing "/"). What would not fit is left out and reported once, at its shortest
// over-long part; what fits exactly, and everything else, is still collected.
void TestSourceCollection::overLongNamesAreLeftOutOnce()
{
    const RawTree tree;
    const QByteArray justFits = folderOfLength(tree, 65535 - 1, 'g');
    const QByteArray fitsAsFolder = folderOfLength(tree, 65535, 'f');
    QCOMPARE(justFits.size(), 65534);
    QCOMPARE(fitsAsFolder.size(), 65535);
    const QByteArray lastFitting = tree.writeFile(justFits.mid(tree.root().size() + 1) + "/z", "z");
    const QByteArray overByOne = tree.writeFile(fitsAsFolder.mid(tree.root().size() + 1) + "/x", "x");
    const QByteArray longFolder = fitsAsFolder + "/pod";
    tree.writeFile(longFolder.mid(tree.root().size() + 1) + "/dublje/y.txt", "y");
    tree.writeFile(longFolder.mid(tree.root().size() + 1) + "/w.txt", "w");
    const QByteArray ordinary = tree.writeFile("a.txt", "a");

    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries({QFile::decodeName(tree.root()), QFile::decodeName(overByOne)}, sink);

    QCOMPARE(sink.tooLong, (QStringList{QFile::decodeName(longFolder), QFile::decodeName(overByOne)}));
    QVERIFY(sink.missing.isEmpty());
    const QList<QByteArray> &files = collection.lista_fileova_finalna().localPaths();
    QCOMPARE(files.size(), 2);
    QVERIFY(files.contains(ordinary));
    QVERIFY(files.contains(lastFitting));
    QVERIFY(collection.lista_mapa_finalna().localPaths().contains(fitsAsFolder));
    for (const QByteArray &folder : collection.lista_mapa_finalna().localPaths())
        QVERIFY(SourceCollection::entryNameFits(folder, true));
}

void TestSourceCollection::allMissingGivesNothing()
{
    const TempTree tree;
    const QStringList entries = {tree.path(QStringLiteral("x")), QString(), QStringLiteral("relativno.txt")};

    SourceCollection collection;
    RecordingSink sink;
    collection.resolveEntries(entries, sink);
    collection.reportTotals(sink);

    QVERIFY(collection.lista_fileova_finalna().isEmpty());
    QVERIFY(collection.lista_mapa_finalna().isEmpty());
    QCOMPARE(sink.missing, entries);
    QVERIFY(sink.sizes.isEmpty());
    QCOMPARE(sink.counts, QList<qint64>{0});
}

void TestSourceCollection::walkUsesMask()
{
    const TempTree tree;
    buildTree(tree, {QStringLiteral("a.txt"), QStringLiteral("b.log"), QStringLiteral("Pod.txt/c.log"),
                     QStringLiteral("Pod.txt/d.txt")});

    SortedPathList files;
    SortedPathList folders;
    DirectoryTree(tree.path(QStringLiteral("*.txt")), files, folders);

    // The mask filters files only; every folder is walked and listed.
    QCOMPARE(files.paths(), absolute(tree, {QStringLiteral("a.txt"), QStringLiteral("Pod.txt/d.txt")}));
    QCOMPARE(folders.paths(), absolute(tree, {QStringLiteral("Pod.txt")}));
}

void TestSourceCollection::getFileSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("file") << QStringLiteral("f.bin") << qint64(1234);
    QTest::newRow("empty file") << QStringLiteral("prazna.bin") << qint64(0);
    QTest::newRow("link followed") << QStringLiteral("veza") << qint64(1234);
    QTest::newRow("link to nothing") << QStringLiteral("slomljena") << qint64(-1);
    QTest::newRow("missing") << QStringLiteral("nema.bin") << qint64(-1);
    QTest::newRow("empty name") << QString() << qint64(-1);
}

void TestSourceCollection::getFileSize()
{
    QFETCH(QString, name);
    QFETCH(qint64, expected);

    const TempTree tree;
    tree.writeFile(QStringLiteral("f.bin"), QByteArray(1234, 'x'));
    tree.writeFile(QStringLiteral("prazna.bin"));
    makeLink(QStringLiteral("f.bin"), tree.path(QStringLiteral("veza")));
    makeLink(QStringLiteral("nigdje"), tree.path(QStringLiteral("slomljena")));

    QCOMPARE(GetFileSize(name.isEmpty() ? QString() : tree.path(name)), expected);
}

// The patterns of the settings and this configuration's archives in the archive folder: what matches is
// left out of the walk of a listed folder (a folder with everything in it), counted, and never taken
// from the lists; a listed entry itself is always taken.
void TestSourceCollection::exclusions_data()
{
    QTest::addColumn<QString>("patterns");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<qint64>("leftOutFiles");
    QTest::addColumn<qint64>("leftOutFolders");
    const QStringList allFiles{QStringLiteral("Dok/a.tmp"), QStringLiteral("Dok/a.txt"),
                               QStringLiteral("Dok/app/node_modules/m.js"),
                               QStringLiteral("Dok/node_modules.txt"), QStringLiteral("Dok/.cache/c.bin")};
    const QStringList allFolders{QStringLiteral("Dok/.cache"), QStringLiteral("Dok/app"),
                                 QStringLiteral("Dok/app/node_modules")};
    QTest::newRow("empty setting") << QString() << QStringList{QStringLiteral("Dok")} << allFiles
                                   << allFolders << qint64(0) << qint64(0);
    QTest::newRow("a file pattern") << QStringLiteral("*.tmp") << QStringList{QStringLiteral("Dok")}
                                    << QStringList{QStringLiteral("Dok/a.txt"),
                                                   QStringLiteral("Dok/app/node_modules/m.js"),
                                                   QStringLiteral("Dok/node_modules.txt"),
                                                   QStringLiteral("Dok/.cache/c.bin")}
                                    << allFolders << qint64(1) << qint64(0);
    QTest::newRow("folder patterns, blanks around them")
        << QStringLiteral(" node_modules/ ; .cache/;") << QStringList{QStringLiteral("Dok")}
        << QStringList{QStringLiteral("Dok/a.tmp"), QStringLiteral("Dok/a.txt"),
                       QStringLiteral("Dok/node_modules.txt")}
        << QStringList{QStringLiteral("Dok/app")} << qint64(0) << qint64(2);
    QTest::newRow("a folder pattern matches no file")
        << QStringLiteral("a.tmp/") << QStringList{QStringLiteral("Dok")} << allFiles << allFolders
        << qint64(0) << qint64(0);
    // A pattern with a "/" inside matches the path's last components; one that starts with "/" the whole
    // path ("<tree>" stands for the test's folder); "*" stays within one component.
    QTest::newRow("a folder path pattern")
        << QStringLiteral("app/node_modules/") << QStringList{QStringLiteral("Dok")}
        << QStringList{QStringLiteral("Dok/a.tmp"), QStringLiteral("Dok/a.txt"),
                       QStringLiteral("Dok/node_modules.txt"), QStringLiteral("Dok/.cache/c.bin")}
        << QStringList{QStringLiteral("Dok/.cache"), QStringLiteral("Dok/app")} << qint64(0) << qint64(1);
    QTest::newRow("a file path pattern")
        << QStringLiteral("app/*/*.js") << QStringList{QStringLiteral("Dok")}
        << QStringList{QStringLiteral("Dok/a.tmp"), QStringLiteral("Dok/a.txt"),
                       QStringLiteral("Dok/node_modules.txt"), QStringLiteral("Dok/.cache/c.bin")}
        << allFolders << qint64(1) << qint64(0);
    QTest::newRow("a whole path") << QStringLiteral("<tree>/Dok/.cache/;<tree>/Dok/a.txt")
                                  << QStringList{QStringLiteral("Dok")}
                                  << QStringList{QStringLiteral("Dok/a.tmp"),
                                                 QStringLiteral("Dok/app/node_modules/m.js"),
                                                 QStringLiteral("Dok/node_modules.txt")}
                                  << QStringList{QStringLiteral("Dok/app"),
                                                 QStringLiteral("Dok/app/node_modules")}
                                  << qint64(1) << qint64(1);
    QTest::newRow("path patterns that match nothing")
        << QStringLiteral("Dok/node_modules/;Dok/m.js;/Dok/a.txt;x/y/z/Dok/app/")
        << QStringList{QStringLiteral("Dok")} << allFiles << allFolders << qint64(0) << qint64(0);
    QTest::newRow("a listed file is taken")
        << QStringLiteral("*.tmp") << QStringList{QStringLiteral("Dok/a.tmp")}
        << QStringList{QStringLiteral("Dok/a.tmp")} << QStringList() << qint64(0) << qint64(0);
    // The archive folder inside a listed folder: the configuration's archives and their .part files stay
    // out, whatever else is there goes in.
    QTest::newRow("archives in the archive folder")
        << QString() << QStringList{QStringLiteral("Sve")}
        << QStringList{QStringLiteral("Sve/arhiva/Arhiva2_2024.03.15__14.05.09.zip"),
                       QStringLiteral("Sve/arhiva/Arhiva_2024.03.15__14.05.09.zip.bak"),
                       QStringLiteral("Sve/drugo/Arhiva_2024.03.15__14.05.09.zip")}
        << QStringList{QStringLiteral("Sve/arhiva"), QStringLiteral("Sve/drugo")} << qint64(2) << qint64(0);
}

void TestSourceCollection::exclusions()
{
    QFETCH(QString, patterns);
    QFETCH(QStringList, entries);
    const TempTree tree;
    buildTree(tree, {QStringLiteral("Dok/a.tmp"), QStringLiteral("Dok/a.txt"),
                     QStringLiteral("Dok/app/node_modules/m.js"), QStringLiteral("Dok/node_modules.txt"),
                     QStringLiteral("Dok/.cache/c.bin"),
                     QStringLiteral("Sve/arhiva/Arhiva_2024.03.15__14.05.09.zip"),
                     QStringLiteral("Sve/arhiva/Arhiva_2024.03.16__14.05.09.zip.part"),
                     QStringLiteral("Sve/arhiva/Arhiva2_2024.03.15__14.05.09.zip"),
                     QStringLiteral("Sve/arhiva/Arhiva_2024.03.15__14.05.09.zip.bak"),
                     QStringLiteral("Sve/drugo/Arhiva_2024.03.15__14.05.09.zip")});
    // The archive folder is reached through a link in the settings: the same folder all the same.
    makeLink(tree.path(QStringLiteral("Sve/arhiva")), tree.path(QStringLiteral("veza")));

    SourceCollection collection;
    patterns.replace(QStringLiteral("<tree>"), tree.path(QString()));
    collection.setExclusions(SourceExclusions(patterns, tree.path(QStringLiteral("veza")) + QLatin1Char('/'),
                                              QStringLiteral("Arhiva")));
    RecordingSink sink;
    collection.resolveEntries(absolute(tree, entries), sink);

    const auto sorted = [](QStringList list) {
        list.sort();
        return list;
    };
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QCOMPARE(sorted(collection.lista_fileova_finalna().paths()), sorted(absolute(tree, files)));
    QCOMPARE(sorted(collection.lista_mapa_finalna().paths()), sorted(absolute(tree, folders)));
    QTEST(sink.leftOutFiles, "leftOutFiles");
    QTEST(sink.leftOutFolders, "leftOutFolders");
    QVERIFY(sink.missing.isEmpty());
}

QTEST_GUILESS_MAIN(TestSourceCollection)
#include "tst_SourceCollection.moc"
