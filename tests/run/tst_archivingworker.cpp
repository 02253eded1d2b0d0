#include "config/ConfigPaths.h"
#include "config/ProgramSettings.h"
#include "config/StringGrid.h"
#include "run/RunController.h"

#include "TempTree.h"
#include "ZipCheck.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

using HandOver = RunController::HandOver;

namespace {

// Records what the run shows; a test may act from inside any hand-over through the observer.
class RecordingView : public RunView
{
  public:
    void setStatusText(const QString &text) override { status = text; }
    QString statusText() const override { return status; }
    void setFileProgress(int percent) override { filePercents << percent; }
    void setTotalProgress(int percent) override { totalPercents << percent; }
    void setFileBarState(BarState state) override { fileBarStates << state; }
    void setTotalBarState(BarState) override {}
    void setRunTitle(const QString &title) override { titles << title; }
    void showPauseBox(const QString &text) override { pauseBoxes << text; }
    void showArchiveError(const QString &text) override { archiveErrors << text; }

    QString status;
    QList<int> filePercents;
    QList<int> totalPercents;
    QList<BarState> fileBarStates;
    QStringList titles;
    QStringList pauseBoxes;
    QStringList archiveErrors;
};

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(1234);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

QString entryName(const QString &path)
{
    return path.mid(1);
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
            controller.setStartDelay(0);
        }

        void start(const QString &archive)
        {
            controller.prepareRun(archive);
            controller.setHandOverObserver([this](HandOver which) {
                if (QThread::currentThread() != controller.thread())
                    wrongThread = true;
                trace << int(which);
                if (observer)
                    observer(which);
            });
            controller.Arhiviranje();
        }

        TempTree tree;
        ProgramSettings settings;
        RecordingView view;
        RunController controller{settings, view};
        QList<int> trace;
        bool wrongThread = false;
        std::function<void(HandOver)> observer;
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
        const QList<int> expected = QList<int>{1, 2, 3, 4, 4, 5, 6, 0} + perFile + perFile + QList<int>{13};
        QCOMPARE(run.trace, expected);
        QCOMPARE(run.controller.state().file_missing_list, QStringList{QStringLiteral("/nema/ovoga")});
        QCOMPARE(run.view.status,
                 QStringLiteral("arhiviram datoteku 2/2\r\n\r\n") + sources.path(QStringLiteral("F/b.txt")));
    }

    void aFileGoneSinceCollectionIsRecordedAndTheRunGoesOn()
    {
        const TempTree sources;
        const QString first = sources.writeFile(QStringLiteral("F/1.txt"), "1");
        const QString gone = sources.writeFile(QStringLiteral("F/2.txt"), "2");
        const QString last = sources.writeFile(QStringLiteral("F/3.txt"), "3");
        Run run({sources.path(QStringLiteral("F"))});
        run.observer = [&gone](HandOver which) {
            if (which == HandOver::FileCount)
                QFile::remove(gone);
        };
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QCOMPARE(run.controller.state().file_missing, 1);
        QCOMPARE(run.controller.state().file_missing_list, QStringList{gone});
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(ZipCheck::entryNames(archive), QStringList({entryName(first), entryName(last)}));
        QVERIFY(run.trace.contains(int(HandOver::FileFailed)));
    }

    void stopDuringCollectionKeepsFolderEntriesOnly()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/x/a.txt"), "a");
        sources.makeDir(QStringLiteral("F/y"));
        Run run({sources.path(QStringLiteral("F"))});
        run.observer = [&run](HandOver which) {
            if (which == HandOver::StatusCollecting)
                run.controller.BTN_CancelClick();
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
        run.observer = [&run](HandOver which) {
            if (which == HandOver::ProgressDisplay && !run.controller.state().PrekidArhiviranja)
                run.controller.BTN_CancelClick();
        };
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(ZipCheck::entryNames(archive), QStringList{entryName(big)});
        QCOMPARE(ZipCheck::entryData(archive, entryName(big)), data);
        QCOMPARE(run.controller.state().file_size_progress, data.size());
        // The stop came while the file was being compressed, so later reports keep moving the bar.
        QVERIFY(run.view.filePercents.size() > 2);
        QCOMPARE(run.view.filePercents.last(), 100);
    }

    void forcedStopSignalsCompletionAndWritesNothingMore()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/velika.bin"), randomBytes(8 << 20));
        Run run({sources.path(QStringLiteral("F"))});
        int reports = 0;
        run.observer = [&run, &reports](HandOver which) {
            if (which == HandOver::ProgressDisplay && ++reports == 3)
                run.controller.forceStop();
        };
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        qint64 sizeAtCompletion = -1;
        // Measured in the signalling thread, at the very moment completion is signalled.
        connect(
            &run.controller, &RunController::Evnt, this,
            [&] { sizeAtCompletion = QFileInfo(archive).size(); }, Qt::DirectConnection);
        run.start(archive);
        // The run is over for the interface while the worker may still be unwinding.
        run.controller.waitForWorker();

        QVERIFY(run.controller.state().fKill);
        QCOMPARE(run.view.archiveErrors, QStringList());
        QVERIFY(!run.trace.contains(int(HandOver::FileAdded)));
        QVERIFY(!run.trace.contains(int(HandOver::TimerStop)));
        QVERIFY(sizeAtCompletion > 0);
        QCOMPARE(QFileInfo(archive).size(), sizeAtCompletion);
        QVERIFY(!ZipCheck::readerProblems(archive).isEmpty());
        QFile file(archive);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains(QByteArray("PK\x01\x02", 4)));
    }

    void anArchiveThatCannotBeCreatedIsReportedOnce()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/a.txt"), "a");
        Run run({sources.path(QStringLiteral("F"))});
        run.start(run.tree.path(QStringLiteral("uklonjena/a.zip")));

        QCOMPARE(run.view.archiveErrors,
                 QStringList{QStringLiteral("Došlo je do pogreške u radu s arhivom.")});
        QVERIFY(!run.trace.contains(int(HandOver::CopyStopFlag)));
        QVERIFY(!QFileInfo::exists(run.tree.path(QStringLiteral("uklonjena/a.zip"))));
    }

    void pauseShowsOneBoxAtTheNextReport()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/a.txt"), "a");
        sources.writeFile(QStringLiteral("F/b.txt"), "b");
        Run run({sources.path(QStringLiteral("F"))});
        run.observer = [&run](HandOver which) {
            if (which == HandOver::FileOpened) {
                run.controller.BTN_PauseClick();
                run.controller.BTN_PauseClick();
            }
        };
        const QString archive = run.tree.path(QStringLiteral("a.zip"));
        run.start(archive);

        QCOMPARE(run.view.pauseBoxes.size(), 2); // one per file: each file's report shows it
        QCOMPARE(run.view.pauseBoxes.first(),
                 QStringLiteral("Arhiviranje je pauzirano. Pritisnite tipku OK za nastavak..."));
        QVERIFY(!run.controller.state().Pauza);
        QCOMPARE(ZipCheck::entryNames(archive).size(), 2);
    }

    void progressReportsFillBarsAndTitle()
    {
        const TempTree sources;
        sources.writeFile(QStringLiteral("F/a.txt"), QByteArray(1000, 'a'));
        Run run({sources.path(QStringLiteral("F"))});
        run.start(run.tree.path(QStringLiteral("a.zip")));
        // One report at the end of the only file: both bars at 100, title with 100%.
        QCOMPARE(run.view.filePercents, QList<int>({0, 100}));
        QCOMPARE(run.view.totalPercents, QList<int>{100});
        QVERIFY(run.view.titles.last().startsWith(
            QStringLiteral("Arkivoda 100%  - proteklo vrijeme arhiviranja: ")));
    }

    void percentRoundsHalvesToEven_data()
    {
        QTest::addColumn<qint64>("part");
        QTest::addColumn<qint64>("whole");
        QTest::addColumn<int>("percent");
        QTest::newRow("12.5") << qint64(125) << qint64(1000) << 12;
        QTest::newRow("37.5") << qint64(375) << qint64(1000) << 38;
        QTest::newRow("grown file") << qint64(1500) << qint64(1000) << 150;
        QTest::newRow("huge") << (qint64(1) << 60) << (qint64(1) << 61) << 50;
    }

    void percentRoundsHalvesToEven()
    {
        QFETCH(qint64, part);
        QFETCH(qint64, whole);
        QTEST(RunController::percentOf(part, whole), "percent");
    }
};

QTEST_GUILESS_MAIN(TestArchivingWorker)
#include "tst_archivingworker.moc"
