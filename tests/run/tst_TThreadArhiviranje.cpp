#include "config/ConfigPaths.h"
#include "config/ProgramSettings.h"
#include "config/StringGrid.h"
#include "config/SystemReason.h"
#include "run/ArchiveRecord.h"
#include "run/BackupAttempt.h"
#include "run/RunController.h"

#include "FileSizeLimit.h"
#include "PermissionsBindRoot.h"
#include "RawTree.h"
#include "TempTree.h"
#include "ZipCheck.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QMap>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

#include <zlib.h>

#include <QThread>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using HandOver = RunController::HandOver;

namespace {

// Records what the run shows; a test may act from inside any hand-over through the observer, and from
// inside the pause box.
class RecordingView : public RunView
{
  public:
    void showStatus(const RunStatus &shown) override { status = shown; }
    void setFileProgress(int percent) override { filePercents << percent; }
    void setTotalProgress(int percent) override { totalPercents << percent; }
    void setFileBarState(BarState state) override { fileBarStates << state; }
    void setTotalBarState(BarState) override {}
    void setRunTitle(const QString &title) override { titles << title; }
    void showPauseBox(const QString &text) override
    {
        pauseBoxes << text;
        if (onPauseBox)
            onPauseBox();
    }
    void showArchiveError(const QString &text, const QString &cause) override
    {
        archiveErrors << text;
        archiveErrorCauses << cause;
    }

    RunStatus status;
    QList<int> filePercents;
    QList<int> totalPercents;
    QList<BarState> fileBarStates;
    QStringList titles;
    QStringList pauseBoxes;
    QStringList archiveErrors;
    QStringList archiveErrorCauses;
    std::function<void()> onPauseBox;
};

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(1234);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// The raw deflate stream that zlib makes of data with the archive format's default settings.
QByteArray rawDeflate(const QByteArray &data)
{
    z_stream stream{};
    // windowBits -15: raw deflate, no zlib header or trailer
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QString entryName(const QString &path)
{
    return path.mid(1);
}

// The nice value of each thread of this process, by thread id.
QMap<int, int> niceOfThreads()
{
    QMap<int, int> nice;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // The fields after the command name, which is in parentheses and may hold spaces; the nice
        // value is the 19th field of the line, the 17th after the name.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        nice.insert(task.toInt(), fields.value(16).toInt());
    }
    return nice;
}

} // namespace

class TestArchivingWorker : public QObject
{
    Q_OBJECT

    // One run of the worker over a backup list, with the settings pointing at a temporary data folder.
    struct Run
    {
        explicit Run(const QStringList &entries)
        {
            settings.userfolder = tree.makeDir(QStringLiteral("config/Arkivoda")) + QLatin1Char('/');
            SaveStringGrid(entries, ListFileName(settings.userfolder, settings.GLOBAL_lista));
            // The archive's verification has tests of its own; the others watch the writing alone.
            settings.GLOBAL_Provjera = false;
        }

        void start(const QString &archive)
        {
            RunRequest request = RunRequest::fromSettings(settings, archive);
            request.startDelayMs = startDelayMs;
            controller.setHandOverObserver([this](HandOver which) {
                if (QThread::currentThread() != controller.thread())
                    wrongThread = true;
                trace << int(which);
                if (observer)
                    observer(which);
            });
            controller.run(request);
        }

        TempTree tree;
        ProgramSettings settings;
        RecordingView view;
        RunController controller{view};
        QList<int> trace;
        bool wrongThread = false;
        std::function<void(HandOver)> observer;
        int startDelayMs = 0;
    };

  private slots:
    void initTestCase() { qputenv("TZ", "Europe/Zagreb"); }

    void archivesFoldersThenFilesWithTheirNamesAndAttributes()
    {
        const TempTree sources;
        const QString a = sources.writeFile(QStringLiteral("Dok/a.txt"), "hello");
        const QString upper = sources.writeFile(QStringLiteral("Dok/A.txt"), "HELLO");
        const QString hidden = sources.writeFile(QStringLiteral("Dok/.skriveno"), "h");
        const QString readOnly = sources.writeFile(QStringLiteral("Dok/zaključano.txt"), "ro");
        const QString empty = sources.writeFile(QStringLiteral("Dok/Prazno/prazna.dat"));
        const QString emptyFolder = sources.makeDir(QStringLiteral("Dok/Mapa/Prazna"));
        const QString single = sources.writeFile(QStringLiteral("sam.txt"), QByteArray(100000, 'x'));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup));
        QFile old(single);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(
            old.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime));
        old.close();

        Run run({sources.path(QStringLiteral("Dok")), single, a});
        const QString archive = run.tree.path(QStringLiteral("Arhiva_test.zip"));
        run.start(archive);

        QVERIFY(!run.wrongThread);
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        const QStringList expectedNames = {
            entryName(sources.path(QStringLiteral("Dok/Mapa"))) + QLatin1Char('/'),
            entryName(emptyFolder) + QLatin1Char('/'),
            entryName(sources.path(QStringLiteral("Dok/Prazno"))) + QLatin1Char('/'),
            entryName(hidden),
            entryName(upper),
            entryName(a),
            entryName(empty),
            entryName(readOnly),
            entryName(single),
        };
        const QJsonArray entries = ZipCheck::entries(archive);
        QStringList names;
        for (const QJsonValue &value : entries)
            names << value.toObject().value(QStringLiteral("name")).toString();
        QCOMPARE(names, expectedNames);

        const auto entry = [&entries](int index) { return entries.at(index).toObject(); };
        QCOMPARE(entry(0).value(QStringLiteral("method")).toInt(), 0);
        QCOMPARE(entry(0).value(QStringLiteral("attributes")).toInt(), 0x10);
        QCOMPARE(entry(3).value(QStringLiteral("attributes")).toInt(), 0x22);
        QCOMPARE(entry(4).value(QStringLiteral("attributes")).toInt(), 0x20);
        QCOMPARE(entry(7).value(QStringLiteral("attributes")).toInt(), 0x21);
        QCOMPARE(entry(8).value(QStringLiteral("method")).toInt(), 8);
        QCOMPARE(entry(8).value(QStringLiteral("date")).toString(), QStringLiteral("2001-02-03 04:05:06"));
        QCOMPARE(ZipCheck::entryData(archive, entryName(upper)), QByteArray("HELLO"));

        const RunState &state = run.controller.state();
        QCOMPARE(state.file_count_ukupno, 6);
        QCOMPARE(state.file_count_progress, 6);
        QCOMPARE(state.file_size_ukupno, 5 + 5 + 1 + 2 + 100000);
        QCOMPARE(state.file_size_progress, state.file_size_ukupno);
        QCOMPARE(state.file_missing, 0);
        QCOMPARE(run.view.archiveErrors, QStringList());
        QVERIFY(!run.controller.timerActive());
    }

    void handOversComeInOrderOnTheInterfaceThread()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/a.txt"), "a");
        sources.writeFile(QStringLiteral("F/b.txt"), "b");
        sources.makeDir(QStringLiteral("F/sub"));
        Run run({sources.path(QStringLiteral("F")), QStringLiteral("/nema/ovoga")});
        run.start(run.tree.path(QStringLiteral("a.zip")));

        QVERIFY(!run.wrongThread);
        const QList<int> perFile = {7, 8, 9, 10, 0, 11};
        const QList<int> expected =
            QList<int>{1, 2, 3, 4, 4, 5, 6, 0} + perFile + perFile + QList<int>{16, 13, 15};
        // The verification reports as many percents as it reaches: one mark stands for them.
        QList<int> trace = run.trace;
        trace.erase(std::unique(trace.begin(), trace.end(),
                                [](int a, int b) { return a == b && a == int(HandOver::VerifyProgress); }),
                    trace.end());
        QCOMPARE(trace, expected);
        QCOMPARE(run.controller.state().file_missing_list, QStringList{QStringLiteral("/nema/ovoga")});
        QCOMPARE(run.view.status.text(),
                 QStringLiteral("arhiviram datoteku 2/2\r\n\r\n") + sources.path(QStringLiteral("F/b.txt")));
    }

    // The worker waits for the interface thread only where it needs an answer once per run: a run's
    // cost per file does not depend on how fast the machine switches threads.
    void blockingWaitsDoNotGrowWithTheNumberOfFiles_data()
    {
        QTest::addColumn<int>("files");
        QTest::newRow("10") << 10;
        QTest::newRow("10000") << 10000;
    }

    void blockingWaitsDoNotGrowWithTheNumberOfFiles()
    {
        QFETCH(int, files);
        const TempTree sources;
        const QString folder = sources.makeDir(QStringLiteral("F"));
        for (int i = 0; i < files; ++i) {
            QFile file(folder + QStringLiteral("/%1.txt").arg(i, 5, 10, QLatin1Char('0')));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(i));
        }
        Run run({folder});
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QVERIFY(!run.wrongThread);
        QList<int> expected = {1, 2};
        expected += QList<int>(files, 4);
        expected += {5, 6};
        for (int i = 0; i < files; ++i)
            expected += {7, 8, 9, 10, 0, 11};
        expected += {16, 13, 15};
        QCOMPARE(run.trace, expected);
        // The list is copied once and the archive named once; nothing else is waited for.
        QCOMPARE(run.controller.blockingWaits(), 2);
        QCOMPARE(run.controller.state().file_count_progress, files);
        QCOMPARE(ZipCheck::entryNames(archive).size(), files);
    }

    // A file that is gone, or is something else, by the time it is opened is unavailable, and nothing
    // blocks: a FIFO put in its place is not read.
    void aFileGoneOrReplacedSinceCollectionIsMissing_data()
    {
        QTest::addColumn<bool>("replacedByFifo");
        QTest::addColumn<QString>("reason");
        QTest::newRow("deleted") << false << QStringLiteral("ne postoji");
        QTest::newRow("replaced by a FIFO") << true << QStringLiteral("promijenilo se tijekom čitanja");
    }

    void aFileGoneOrReplacedSinceCollectionIsMissing()
    {
        QFETCH(bool, replacedByFifo);
        const TempTree sources;
        // Larger than what is read ahead of the archive, so the second file is not opened before the
        // first one has been written.
        const QString first = sources.writeFile(QStringLiteral("F/1.bin"), randomBytes(64 << 20));
        const QString gone = sources.writeFile(QStringLiteral("F/2.txt"), "2");
        const QString last = sources.writeFile(QStringLiteral("F/3.txt"), "3");
        Run run({sources.path(QStringLiteral("F"))});
        // The pause box at the first file's first report holds the run while the second file goes.
        run.observer = [&run](HandOver which) {
            if (which == HandOver::CopySettings)
                run.controller.requestPause();
        };
        run.view.onPauseBox = [&gone, replacedByFifo] {
            QFile::remove(gone);
            if (replacedByFifo)
                QCOMPARE(::mkfifo(QFile::encodeName(gone).constData(), 0600), 0);
        };
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QFETCH(QString, reason);
        QCOMPARE(run.view.pauseBoxes.size(), 1);
        QCOMPARE(run.controller.state().file_missing_list,
                 QStringList{gone + QStringLiteral(" (nije pročitano: ") + reason + QLatin1Char(')')});
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(ZipCheck::entryNames(archive), QStringList({entryName(first), entryName(last)}));
        QVERIFY(run.trace.contains(int(HandOver::FileFailed)));
        QCOMPARE(run.view.archiveErrors, QStringList());
    }

    // A file or folder that cannot be read, at any depth, is missing with its reason; the run goes on,
    // and an unreadable folder gets no entry that would restore as an empty folder.
    void anUnreadableSourceIsMissingAndTheRunGoesOn_data()
    {
        QTest::addColumn<QString>("locked");
        QTest::addColumn<uid_t>("owner");
        QTest::addColumn<mode_t>("mode");
        QTest::addColumn<QStringList>("missing");
        const QString denied = QStringLiteral(" (nije pročitano: pristup odbijen)");
        QTest::newRow("file 000") << QStringLiteral("F/1_zaključana.txt") << ::geteuid() << mode_t(0)
                                  << QStringList{QStringLiteral("F/1_zaključana.txt") + denied};
        QTest::newRow("folder 000") << QStringLiteral("F/D/Zaključana") << ::geteuid() << mode_t(0)
                                    << QStringList{QStringLiteral("F/D/Zaključana") + denied};
        QTest::newRow("another user's 0700 folder")
            << QStringLiteral("F/D/Zaključana") << uid_t(65534) << mode_t(0700)
            << QStringList{QStringLiteral("F/D/Zaključana") + denied};
        // Names can be listed, but nothing in the folder can be opened.
        QTest::newRow("folder without search")
            << QStringLiteral("F/D/Zaključana") << ::geteuid() << mode_t(0600)
            << QStringList{QStringLiteral("F/D/Zaključana/Dublje") + denied,
                           QStringLiteral("F/D/Zaključana/tajna.txt") + denied};
    }

    void anUnreadableSourceIsMissingAndTheRunGoesOn()
    {
        QFETCH(QString, locked);
        QFETCH(uid_t, owner);
        QFETCH(mode_t, mode);
        QFETCH(QStringList, missing);
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/1_zaključana.txt"), "tajna");
        sources.writeFile(QStringLiteral("F/D/Zaključana/tajna.txt"), "tajna");
        sources.writeFile(QStringLiteral("F/D/Zaključana/Dublje/tajna.txt"), "tajna");
        const QString open = sources.writeFile(QStringLiteral("F/2_otvorena.txt"), "javno");
        const QByteArray lockedPath = QFile::encodeName(sources.path(locked));
        if (::chown(lockedPath.constData(), owner, owner) != 0)
            QSKIP("only root may give a folder to another user");
        QCOMPARE(::chmod(lockedPath.constData(), mode), 0);
        Run run({sources.path(QStringLiteral("F"))});
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        {
            const PermissionsBindRoot bindRoot;
            if (!bindRoot.active())
                QSKIP("running as root without the right to drop CAP_DAC_OVERRIDE: root reads every file");
            run.start(archive);
        }
        ::chmod(lockedPath.constData(), 0700);

        const RunState &state = run.controller.state();
        QStringList expected;
        for (const QString &line : missing)
            expected << sources.path(line);
        QCOMPARE(state.file_missing_list, expected);
        QCOMPARE(state.file_missing, qint32(expected.size()));
        QVERIFY(!state.archiveFailed);
        QCOMPARE(run.view.archiveErrors, QStringList());
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        const QStringList entries = ZipCheck::entryNames(archive);
        QVERIFY2(entries.contains(entryName(open)), qPrintable(entries.join(QLatin1Char(' '))));
        // Only a folder whose names could be listed keeps its own entry.
        const QString lockedEntry = entryName(sources.path(locked));
        for (const QString &entry : entries)
            QVERIFY2(!entry.startsWith(lockedEntry) ||
                         (mode == 0600 && entry == lockedEntry + QLatin1Char('/')),
                     qPrintable(entry));
    }

    // An archive that cannot be written ends the run with the archive error and its cause; the files
    // still to come are not "missing".
    void aFullArchiveEndsTheRunWithItsCause()
    {
        const TempTree sources;
        for (int i = 0; i < 8; ++i)
            sources.writeFile(QStringLiteral("F/%1.bin").arg(i), randomBytes(256 << 10));
        Run run({sources.path(QStringLiteral("F"))});
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        {
            // Files of this process may not grow past 600 KiB; a write beyond fails with EFBIG.
            const FileSizeLimit limit(600 << 10);
            run.start(archive);
        }

        const RunState &state = run.controller.state();
        QVERIFY(state.archiveFailed);
        QCOMPARE(run.view.archiveErrors,
                 QStringList{QStringLiteral("Došlo je do pogreške u radu s arhivom.")});
        QVERIFY2(run.view.archiveErrorCauses.value(0).contains(SystemReason::text(EFBIG)),
                 qPrintable(run.view.archiveErrorCauses.value(0)));
        QVERIFY2(run.view.archiveErrorCauses.value(0).contains(archive),
                 qPrintable(run.view.archiveErrorCauses.value(0)));
        QCOMPARE(state.file_missing, 0);
        QVERIFY(state.file_count_progress < 8);
        QVERIFY(!run.controller.timerActive());
    }

    // Names are the file system's bytes and depth is unlimited: a name that is not UTF-8, its decoded
    // twin and a file 5,000 bytes deep are each archived under their exact bytes and read back so.
    void namesAndDeepPathsAreArchivedAsTheirBytes()
    {
        const RawTree sources;
        QByteArray deep;
        while (deep.size() < 5000)
            deep += QByteArray(100, 'd') + '/';
        const QList<QPair<QByteArray, QByteArray>> files = {
            {"Ra\xe8uni/a.txt", "a"},
            {"lo\xff.txt", "ff"},
            {"dvojnik\xff.txt", "x"},
            {"dvojnik\xef\xbf\xbd.txt", "y"},
            {QStringLiteral("Računi.txt").toUtf8(), "z"},
            {deep + "dno.txt", "na dnu"},
        };
        for (const auto &[relative, content] : files)
            sources.writeFile(relative, content);
        Run run({QFile::decodeName(sources.root())});
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QCOMPARE(run.controller.state().file_missing_list, QStringList());
        // Info-ZIP unzip cuts names longer than its 4096-byte limit, and says so; nothing else may fail.
        QStringList problems = ZipCheck::readerProblems(archive);
        problems.removeIf([](const QString &problem) {
            if (!problem.startsWith(QStringLiteral("unzip -t (exit 1): ")))
                return false;
            const QStringList lines =
                problem.section(QStringLiteral(": "), 1).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            return std::all_of(lines.cbegin(), lines.cend(), [](const QString &line) {
                return line.contains(QStringLiteral("filename too long--truncating")) ||
                       line.contains(QStringLiteral("At least one warning-error was detected"));
            });
        });
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char(10))));
        const QByteArray prefix = sources.root().mid(1) + '/';
        QMap<QByteArray, QByteArray> expected;
        for (const auto &[relative, content] : files)
            expected.insert(prefix + relative, content);
        QMap<QByteArray, QByteArray> archived;
        for (const auto &[name, data] : ZipCheck::rawEntries(archive)) {
            if (!name.endsWith('/'))
                archived.insert(name, data);
        }
        QCOMPARE(archived, expected);
        const QList<QByteArray> listed = ZipCheck::unzipNames(archive);
        for (const auto &[relative, content] : files) {
            if (!relative.startsWith(deep))
                QVERIFY2(listed.contains(QByteArray(prefix + relative)),
                         QByteArray(prefix + relative).toHex().constData());
        }
        // Extracted by an independent reader under the same bytes (the deep file is beyond its reach).
        QMap<QByteArray, QByteArray> extracted;
        for (const auto &[path, data] : ZipCheck::bsdtarExtracted(archive))
            extracted.insert(path, data);
        for (const auto &[relative, content] : files) {
            if (!relative.startsWith(deep))
                QCOMPARE(extracted.value(prefix + relative), content);
        }
    }

    // What a run stores for a file is at most 1% and 16 bytes larger than zlib's raw deflate stream of it
    // at the archive format's default settings (libdeflate deflates it once, and some files come out a
    // little larger than zlib makes them); an empty file and "hello" take exactly zlib's bytes.
    void entriesAreHardlyLargerThanZlibMakesThem()
    {
        const QByteArray block = randomBytes(20 << 10);
        const QList<QPair<QString, QByteArray>> files = {
            {QStringLiteral("prazna"), QByteArray()},
            {QStringLiteral("hello"), QByteArrayLiteral("hello")},
            {QStringLiteral("jedan bajt"), QByteArrayLiteral("x")},
            {QStringLiteral("27 bajtova"), QByteArrayLiteral("abcdefghijklmnopqrstuvwxyz!")},
            {QStringLiteral("tekst"),
             QByteArray("Arhiva se izrađuje svaki dan u osam sati.\n").repeated(2000)},
            {QStringLiteral("ponovljeni blok"), block.repeated(10)},
            {QStringLiteral("šum"), randomBytes(1 << 20)},
        };
        const TempTree sources;
        for (const auto &[name, content] : files)
            sources.writeFile(QStringLiteral("F/") + name, content);
        Run run({sources.path(QStringLiteral("F"))});
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        const QMap<QString, QByteArray> stored = ZipCheck::storedData(archive);
        for (const auto &[name, content] : files) {
            const QByteArray entry = stored.value(entryName(sources.path(QStringLiteral("F/") + name)));
            const QByteArray zlib = rawDeflate(content);
            QVERIFY2(
                entry.size() <= zlib.size() + zlib.size() / 100 + 16,
                qPrintable(
                    QStringLiteral("%1: %2 bytes, zlib %3").arg(name).arg(entry.size()).arg(zlib.size())));
        }
        QCOMPARE(stored.value(entryName(sources.path(QStringLiteral("F/prazna")))).toHex(),
                 QByteArray("0300"));
        QCOMPARE(stored.value(entryName(sources.path(QStringLiteral("F/hello")))).toHex(),
                 QByteArray("cb48cdc9c90700"));
    }

    void stopDuringCollectionKeepsFolderEntriesOnly()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/x/a.txt"), "a");
        sources.makeDir(QStringLiteral("F/y"));
        Run run({sources.path(QStringLiteral("F"))});
        run.observer = [&run](HandOver which) {
            if (which == HandOver::CopySettings)
                run.controller.requestStop();
        };
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(ZipCheck::entryNames(archive),
                 QStringList({entryName(sources.path(QStringLiteral("F/x/"))),
                              entryName(sources.path(QStringLiteral("F/y/")))}));
        QCOMPARE(run.controller.state().file_count_progress, 0);
        QCOMPARE(run.view.fileBarStates, QList<RunView::BarState>{RunView::BarState::Error});
    }

    void stopDuringALargeFileFinishesItAndAddsNothingMore()
    {
        const TempTree sources;
        const QByteArray data = randomBytes(4 << 20);
        const QString big = sources.writeFile(QStringLiteral("F/1_velika.bin"), data);
        sources.writeFile(QStringLiteral("F/2_poslije.txt"), "after");
        Run run({sources.path(QStringLiteral("F"))});
        // Stop is pressed in the pause box at the large file's first report, while it is being written.
        run.observer = [&run](HandOver which) {
            if (which == HandOver::CopySettings)
                run.controller.requestPause();
        };
        run.view.onPauseBox = [&run] { run.controller.requestStop(); };
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(ZipCheck::entryNames(archive), QStringList{entryName(big)});
        QCOMPARE(ZipCheck::entryData(archive, entryName(big)), data);
        QCOMPARE(run.controller.state().file_size_progress, data.size());
        QVERIFY(run.controller.state().PrekidArhiviranja);
        // The bars always end on the run's final values.
        QCOMPARE(run.view.filePercents.last(), 100);
        QCOMPARE(run.view.status.kind, RunStatus::Kind::Stopping);
    }

    void forcedStopSignalsCompletionAndWritesNothingMore()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/velika.bin"), randomBytes(8 << 20));
        sources.writeFile(QStringLiteral("F/zadnja.txt"), "z");
        Run run({sources.path(QStringLiteral("F"))});
        run.observer = [&run](HandOver which) {
            if (which == HandOver::CopySettings)
                run.controller.requestPause();
        };
        // Confirmed in the pause box at the first report, so the next report carries it out.
        run.view.onPauseBox = [&run] { run.controller.forceStop(); };
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        qint64 sizeAtCompletion = -1;
        // Measured in the signalling thread, at the very moment completion is signalled.
        connect(
            &run.controller, &RunController::runFinished, this,
            [&] { sizeAtCompletion = QFileInfo(archive + QStringLiteral(".part")).size(); },
            Qt::DirectConnection);
        run.start(archive);
        // The run is over for the interface while the worker may still be unwinding.
        run.controller.waitForWorker();

        QVERIFY(run.controller.state().fKill);
        QCOMPARE(run.view.archiveErrors, QStringList());
        QVERIFY(!run.trace.contains(int(HandOver::FileAdded)));
        QVERIFY(!run.trace.contains(int(HandOver::TimerStop)));
        QCOMPARE(run.trace.last(), int(HandOver::Completion));
        // The incomplete archive keeps the name it was written under; the final name never appears.
        const QString part = archive + QStringLiteral(".part");
        QVERIFY(!QFileInfo::exists(archive));
        QVERIFY(!run.controller.state().archiveNamed);
        QVERIFY(sizeAtCompletion > 0);
        QCOMPARE(QFileInfo(part).size(), sizeAtCompletion);
        QVERIFY(!ZipCheck::readerProblems(part).isEmpty());
        QFile file(part);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains(QByteArray("PK\x01\x02", 4)));
    }

    // A worker that cannot reach a progress report (here still in its initial wait; elsewhere blocked in
    // the file system) does not hold a forced stop up: the run ends at the deadline, and the worker,
    // left behind, creates nothing afterwards.
    void forcedStopEndsTheRunEvenWhileTheWorkerCannotReact()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/a.txt"), "a");
        Run run({sources.path(QStringLiteral("F"))});
        run.startDelayMs = 6000;
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        QTimer::singleShot(100, &run.controller, [&run] {
            run.controller.requestStop();
            run.controller.forceStop();
        });
        QElapsedTimer clock;
        clock.start();
        run.start(archive);
        const qint64 runEnded = clock.elapsed();

        // Two seconds after the forced stop, with room for a busy machine; long before the wait ends.
        QVERIFY2(runEnded < 5000, qPrintable(QString::number(runEnded)));
        QVERIFY(run.controller.state().fKill);
        QCOMPARE(run.trace, QList<int>());
        // Past the end of the worker's wait: it has gone on without the interface and made no archive.
        QTest::qWait(int(6500 - clock.elapsed()));
        QVERIFY(!QFileInfo::exists(archive));
        QVERIFY(!QFileInfo::exists(archive + QStringLiteral(".part")));
        QCOMPARE(run.controller.state().file_missing, 0);
    }

    void anArchiveThatCannotBeCreatedIsReportedOnce()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/a.txt"), "a");
        Run run({sources.path(QStringLiteral("F"))});
        run.start(run.tree.path(QStringLiteral("uklonjena/a.zip")));

        QCOMPARE(run.view.archiveErrors,
                 QStringList{QStringLiteral("Došlo je do pogreške u radu s arhivom.")});
        QVERIFY(run.view.archiveErrorCauses.value(0).contains(SystemReason::text(ENOENT)));
        QVERIFY(!run.trace.contains(int(HandOver::CopyStopFlag)));
        QVERIFY(!QFileInfo::exists(run.tree.path(QStringLiteral("uklonjena/a.zip"))));
    }

    void pausePressedTwiceShowsOneBox()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/a.txt"), "a");
        sources.writeFile(QStringLiteral("F/b.txt"), "b");
        Run run({sources.path(QStringLiteral("F"))});
        run.observer = [&run](HandOver which) {
            if (which == HandOver::CopySettings) {
                run.controller.requestPause();
                run.controller.requestPause();
            }
        };
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QCOMPARE(run.view.pauseBoxes,
                 QStringList{QStringLiteral("Arhiviranje je pauzirano. Pritisnite U redu za nastavak...")});
        QVERIFY(!run.controller.state().Pauza);
        // The list's copy, the pause box and the archive's naming.
        QCOMPARE(run.controller.blockingWaits(), 3);
        QCOMPARE(ZipCheck::entryNames(archive).size(), 2);
    }

    void threadsOfTheRunGiveWayToTheInterface()
    {
        // On a machine with few cores the run's threads must not keep the interface thread waiting:
        // every thread the run starts runs at a lower priority than the interface thread.
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/a.txt"), "a");
        sources.writeFile(QStringLiteral("F/b.txt"), "b");
        Run run({sources.path(QStringLiteral("F"))});
        const QMap<int, int> before = niceOfThreads();
        QMap<int, int> during;
        run.observer = [&run](HandOver which) {
            if (which == HandOver::CopySettings)
                run.controller.requestPause();
        };
        run.view.onPauseBox = [&during] { during = niceOfThreads(); };
        run.start(run.tree.path(QStringLiteral("a.zip")));

        const int interfaceNice = before.value(int(gettid()));
        int runThreads = 0;
        for (auto thread = during.cbegin(); thread != during.cend(); ++thread) {
            if (before.contains(thread.key()))
                continue;
            ++runThreads;
            QVERIFY2(
                thread.value() > interfaceNice,
                qPrintable(QStringLiteral("thread %1 at nice %2").arg(thread.key()).arg(thread.value())));
        }
        // The worker, the reader and at least one compressor.
        QVERIFY(runThreads >= 3);
    }

    void progressReportsFillBarsAndTitle()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/a.txt"), QByteArray(1000, 'a'));
        Run run({sources.path(QStringLiteral("F"))});
        // The verification would take the total bar over from 0 again.
        run.settings.GLOBAL_Provjera = false;
        run.start(run.tree.path(QStringLiteral("a.zip")));
        // One report at the end of the only file: both bars at 100, title with 100%.
        QCOMPARE(run.view.filePercents.last(), 100);
        QCOMPARE(run.view.totalPercents, QList<int>{100});
        QVERIFY(run.view.titles.last().startsWith(
            QStringLiteral("Arkivoda 100%  - proteklo vrijeme arhiviranja: ")));
    }

    // The named archive is read back from the disk: a sound one says so, one damaged before it was
    // named is caught with its entry and fails the run, and with the setting off nothing is read.
    void theNamedArchiveIsVerified_data()
    {
        QTest::addColumn<bool>("verify");
        QTest::addColumn<bool>("damage");
        QTest::addColumn<int>("verification");
        QTest::addColumn<int>("outcome");
        using V = RunState::Verification;
        using O = BackupAttempt::Outcome;
        QTest::newRow("sound") << true << false << int(V::Sound) << int(O::Complete);
        QTest::newRow("a flipped data byte") << true << true << int(V::Faulty) << int(O::VerifyFailed);
        QTest::newRow("setting off") << false << true << int(V::NotRequested) << int(O::Complete);
    }

    void theNamedArchiveIsVerified()
    {
        QFETCH(bool, verify);
        QFETCH(bool, damage);
        QFETCH(int, verification);
        QFETCH(int, outcome);
        const TempTree sources;
        const QByteArray data = randomBytes(256 << 10);
        const QString file = sources.writeFile(QStringLiteral("F/podaci.bin"), data);
        Run run({sources.path(QStringLiteral("F"))});
        run.settings.GLOBAL_Provjera = verify;
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        // The hand-over that names the archive waits for the interface thread: the complete archive is
        // damaged just before it is renamed, past every check of the writer.
        run.observer = [&](HandOver which) {
            if (which != HandOver::ArchiveNamed || !damage)
                return;
            QFile part(archive + QStringLiteral(".part"));
            QVERIFY(part.open(QIODevice::ReadWrite));
            QVERIFY(part.seek(part.size() / 2));
            const char byte = part.read(1).at(0);
            QVERIFY(part.seek(part.size() / 2));
            part.write(QByteArray(1, char(~byte)));
        };
        run.start(archive);

        const RunState &state = run.controller.state();
        QCOMPARE(int(state.verification), verification);
        QCOMPARE(int(BackupAttempt::outcome(state)), outcome);
        QVERIFY(run.trace.contains(int(HandOver::Verified)) == verify);
        if (verification == int(RunState::Verification::Faulty)) {
            QVERIFY2(state.verificationFault.contains(entryName(file)), qPrintable(state.verificationFault));
            QVERIFY(
                BackupAttempt::failureText(BackupAttempt::outcome(state), state)
                    .startsWith(QStringLiteral("Arhiva ") + archive + QStringLiteral(" nije ispravna: ")));
        }
        if (verification == int(RunState::Verification::Sound)) {
            QCOMPARE(run.view.totalPercents.last(), 100);
            QCOMPARE(run.view.status.kind, RunStatus::Kind::Verifying);
            QCOMPARE(run.view.status.text(), QStringLiteral("provjeravam arhivu... 100%"));
        }
    }

    // Every archive under its final name is recorded as the last one, but only a complete run that
    // was not cut short in its reading back counts as a good backup.
    void onlyACompleteRunIsAGoodBackup_data()
    {
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<int>("verification");
        QTest::addColumn<int>("missing");
        QTest::addColumn<bool>("good");
        using V = RunState::Verification;
        QTest::newRow("complete, verified") << false << int(V::Sound) << 0 << true;
        QTest::newRow("complete, verification off") << false << int(V::NotRequested) << 0 << true;
        QTest::newRow("complete, verification stopped") << false << int(V::Interrupted) << 0 << false;
        QTest::newRow("stopped after a file") << true << int(V::Sound) << 0 << false;
        QTest::newRow("complete, a source unreadable") << false << int(V::Sound) << 1 << false;
    }

    void onlyACompleteRunIsAGoodBackup()
    {
        QFETCH(bool, stopped);
        QFETCH(int, verification);
        QFETCH(int, missing);
        const TempTree tree;
        ProgramSettings settings;
        settings.userfolder = tree.makeDir(QStringLiteral("config/Arkivoda")) + QLatin1Char('/');
        RunState state;
        state.arhiva_file = tree.writeFile(QStringLiteral("Arhiva_2026.03.14__08.00.05.zip"), "PK");
        state.archiveNamed = true;
        state.PrekidArhiviranja = stopped;
        state.verification = RunState::Verification(verification);
        state.file_missing = missing;

        const BackupAttempt::Record record =
            BackupAttempt::record(settings, BackupAttempt::Kind::Automatic, state);
        QVERIFY(record.recorded);
        ProgramSettings reread;
        reread.userfolder = settings.userfolder;
        QCOMPARE(LoadProgramSettings(reread).FileA, state.arhiva_file);
        QTEST(ReadRecordedMoment(settings, RecordedMoment::LastGoodBackup).isValid(), "good");
    }

    // Every archive that got its name is on record as its run's, so that retention knows an automatic
    // run's archive (a damaged one too, in its time) from a manual one.
    void everyNamedArchiveIsOnRecord_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<int>("verification");
        using V = RunState::Verification;
        QTest::newRow("automatic") << true << false << int(V::Sound);
        QTest::newRow("automatic, stopped") << true << true << int(V::Sound);
        QTest::newRow("automatic, damaged") << true << false << int(V::Faulty);
        QTest::newRow("manual") << false << false << int(V::Sound);
    }

    void everyNamedArchiveIsOnRecord()
    {
        QFETCH(bool, automatic);
        QFETCH(bool, stopped);
        QFETCH(int, verification);
        const TempTree tree;
        ProgramSettings settings;
        settings.userfolder = tree.makeDir(QStringLiteral("config/Arkivoda")) + QLatin1Char('/');
        RunState state;
        const QString name = QStringLiteral("Arhiva_2026.03.14__08.00.05.zip");
        state.arhiva_file = tree.writeFile(name, "PK");
        state.archiveNamed = true;
        state.PrekidArhiviranja = stopped;
        state.verification = RunState::Verification(verification);

        BackupAttempt::record(
            settings, automatic ? BackupAttempt::Kind::Automatic : BackupAttempt::Kind::Manual, state);
        const ArchiveRecord record = ArchiveRecord::read(settings);
        QVERIFY(record.exists());
        QCOMPARE(record.isAutomatic(QStringLiteral("Arhiva"), name), automatic);
    }

    // Settings of versions that recorded no good-backup moment leave the window to guess it from the
    // last archives; a run that is no good backup keeps that guess, so that its archive never counts.
    void aRunThatIsNoGoodBackupKeepsTheEarlierGuess()
    {
        const TempTree tree;
        ProgramSettings settings;
        settings.userfolder = tree.makeDir(QStringLiteral("config/Arkivoda")) + QLatin1Char('/');
        const QString earlier = tree.writeFile(QStringLiteral("Arhiva_2026.03.11__08.00.05.zip"), "PK");
        const QDateTime threeDaysAgo = QDateTime::currentDateTime().addDays(-3);
        QFile earlierFile(earlier);
        QVERIFY(earlierFile.open(QIODevice::ReadWrite) &&
                earlierFile.setFileTime(threeDaysAgo, QFileDevice::FileModificationTime));
        earlierFile.close();
        tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                       (QStringLiteral("[Last]\r\nFileA=") + earlier + QStringLiteral("\r\n")).toUtf8());
        RunState state;
        state.arhiva_file = tree.writeFile(QStringLiteral("Arhiva_2026.03.14__08.00.05.zip"), "PK");
        state.archiveNamed = true;
        state.file_missing = 1;

        QVERIFY(BackupAttempt::record(settings, BackupAttempt::Kind::Automatic, state).recorded);
        ProgramSettings reread;
        reread.userfolder = settings.userfolder;
        QCOMPARE(LoadProgramSettings(reread).FileA, state.arhiva_file);
        QCOMPARE(ReadRecordedMoment(settings, RecordedMoment::LastGoodBackup).toSecsSinceEpoch(),
                 threeDaysAgo.toSecsSinceEpoch());
    }
};

QTEST_GUILESS_MAIN(TestArchivingWorker)
#include "tst_TThreadArhiviranje.moc"
