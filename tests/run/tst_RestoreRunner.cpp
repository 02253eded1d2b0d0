#include "TempTree.h"
#include "run/ArchiveListing.h"
#include "run/RestoreRunner.h"
#include "zip/TZipFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

using Existing = RestoreJob::Existing;
using Files = QMap<QString, QByteArray>;
using namespace Qt::StringLiterals;

namespace {

// An archive of the given names and contents, written by the archive unit; stored, so that its size on
// disk is the size restored.
QString makeArchive(const TempTree &tree, const Files &entries)
{
    const QString path = tree.path(u"a.zip"_s);
    TZipFile zip;
    zip.Open(QFile::encodeName(path).toStdString(), zmWrite);
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        zip.Add(TBytes(it.value().begin(), it.value().end()), it.key().toStdString(), zcStored);
    zip.Close();
    return path;
}

std::unique_ptr<RestoreRunner> makeRunner(const QString &archive, const QString &target)
{
    const ArchiveListing listing = ArchiveListing::read(archive);
    return std::make_unique<RestoreRunner>(
        archive, RestoreJob::planBelow(listing, listing.select({}), QString(), target), Existing::Ask);
}

// Every file below root, hidden ones too, with its content.
Files filesBelow(const QString &root)
{
    Files found;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        found.insert(path.mid(root.size() + 1), file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
    }
    return found;
}

RestoreJob::Result waitForResult(QSignalSpy &finished)
{
    if (finished.isEmpty() && !finished.wait(30000))
        return {};
    return finished.first().first().value<RestoreJob::Result>();
}

} // namespace

class tst_RestoreRunner : public QObject
{
    Q_OBJECT

  private slots:
    void asksOnTheInterfaceThread_data();
    void asksOnTheInterfaceThread();
    void stopEndsCleanly_data();
    void stopEndsCleanly();
    void progressIsThrottledAndEndsAtTheTotal();
};

void tst_RestoreRunner::asksOnTheInterfaceThread_data()
{
    QTest::addColumn<QList<RestoreJob::Answer>>("answers"); // in turn, for a.txt and then d/b.txt
    QTest::addColumn<Files>("after");
    QTest::addColumn<int>("asked");
    QTest::addColumn<bool>("stopped");

    const Files both = {{u"a.txt"_s, "old a"}, {u"d/b.txt"_s, "old b"}};
    QTest::newRow("replace, skip") << QList<RestoreJob::Answer>{{Existing::Replace}, {Existing::Skip}}
                                   << Files{{u"a.txt"_s, "new a"}, {u"d/b.txt"_s, "old b"}} << 2 << false;
    QTest::newRow("keep both for all") << QList<RestoreJob::Answer>{{Existing::KeepBoth, true}}
                                       << Files{{u"a.txt"_s, "old a"},
                                                {u"a (vraćeno).txt"_s, "new a"},
                                                {u"d/b.txt"_s, "old b"},
                                                {u"d/b (vraćeno).txt"_s, "new b"}}
                                       << 1 << false;
    QTest::newRow("replace for all") << QList<RestoreJob::Answer>{{Existing::Replace, true}}
                                     << Files{{u"a.txt"_s, "new a"}, {u"d/b.txt"_s, "new b"}} << 1 << false;
    QTest::newRow("stop") << QList<RestoreJob::Answer>{{Existing::Skip, false, true}} << both << 1 << true;
}

// The question is put on the interface thread while the worker waits, and each answer is carried out.
void tst_RestoreRunner::asksOnTheInterfaceThread()
{
    QFETCH(QList<RestoreJob::Answer>, answers);
    QFETCH(Files, after);
    QFETCH(int, asked);
    QFETCH(bool, stopped);

    TempTree tree;
    const QString archive = makeArchive(tree, {{u"a.txt"_s, "new a"}, {u"d/b.txt"_s, "new b"}});
    const QString target = tree.path(u"out"_s);
    tree.writeFile(u"out/a.txt"_s, "old a");
    tree.writeFile(u"out/d/b.txt"_s, "old b");

    std::unique_ptr<RestoreRunner> runner = makeRunner(archive, target);
    QStringList questions;
    bool onInterfaceThread = true;
    runner->setQuestion([&](const QString &path) {
        onInterfaceThread = onInterfaceThread && QThread::currentThread() == qApp->thread();
        questions << path.mid(target.size() + 1);
        return questions.size() <= answers.size() ? answers[questions.size() - 1]
                                                  : RestoreJob::Answer{Existing::Skip, false, true};
    });
    QSignalSpy finished(runner.get(), &RestoreRunner::finished);
    runner->start();
    QVERIFY(runner->isRunning());
    const RestoreJob::Result result = waitForResult(finished);

    QCOMPARE(finished.size(), 1);
    QVERIFY(!runner->isRunning());
    QVERIFY(onInterfaceThread);
    QCOMPARE(questions, (QStringList{u"a.txt"_s, u"d/b.txt"_s}.mid(0, asked)));
    QCOMPARE(result.stopped, stopped);
    QVERIFY(result.failed.isEmpty());
    QCOMPARE(filesBelow(target), after);
}

void tst_RestoreRunner::stopEndsCleanly_data()
{
    QTest::addColumn<bool>("destroy"); // let go of the runner instead of asking it to stop

    QTest::newRow("stop pressed while asked") << false;
    QTest::newRow("window closed at once") << true;
}

// Stopped while it asks, the restore drops the file it would have written and ends with a stopped
// result; destroyed while it runs, the runner releases and waits for its thread and reports nothing more.
void tst_RestoreRunner::stopEndsCleanly()
{
    QFETCH(bool, destroy);

    TempTree tree;
    const QString archive = makeArchive(tree, {{u"a.txt"_s, "new a"}, {u"d/b.txt"_s, "new b"}});
    const QString target = tree.path(u"out"_s);
    tree.writeFile(u"out/a.txt"_s, "old a");

    std::unique_ptr<RestoreRunner> runner = makeRunner(archive, target);
    runner->setQuestion([&](const QString &) {
        runner->requestStop();
        return RestoreJob::Answer{Existing::Replace};
    });
    QSignalSpy finished(runner.get(), &RestoreRunner::finished);
    runner->start();
    if (destroy) {
        runner.reset();
        QCoreApplication::processEvents();
        QVERIFY(finished.isEmpty());
    } else {
        const RestoreJob::Result result = waitForResult(finished);
        QVERIFY(result.stopped);
        QCOMPARE(result.restored, 0);
        QVERIFY(!runner->isRunning());
    }
    // The file in the way is whole, nothing else was written, no temporary file is left.
    QCOMPARE(filesBelow(target), (Files{{u"a.txt"_s, "old a"}}));
}

// Thousands of small entries give a handful of progress signals, not one per entry, and the last one
// stands at the total before the result comes.
void tst_RestoreRunner::progressIsThrottledAndEndsAtTheTotal()
{
    TempTree tree;
    Files entries;
    constexpr int count = 3000;
    for (int i = 0; i < count; ++i)
        entries.insert(u"d%1/f%2.txt"_s.arg(i % 10).arg(i), QByteArray::number(i));
    const QString archive = makeArchive(tree, entries);

    std::unique_ptr<RestoreRunner> runner = makeRunner(archive, tree.path(u"out"_s));
    QList<RestoreJob::Progress> shown;
    bool finishedBeforeLast = false;
    QSignalSpy finished(runner.get(), &RestoreRunner::finished);
    connect(runner.get(), &RestoreRunner::progressChanged, this, [&](const RestoreJob::Progress &progress) {
        finishedBeforeLast = finishedBeforeLast || !finished.isEmpty();
        shown << progress;
    });
    QElapsedTimer clock;
    clock.start();
    runner->start();
    const RestoreJob::Result result = waitForResult(finished);
    const qint64 elapsed = clock.elapsed();

    QCOMPARE(result.restored, count);
    QVERIFY(!finishedBeforeLast);
    QVERIFY(!shown.isEmpty());
    const qint64 allowed = elapsed / RestoreRunner::ProgressInterval.count() + 2;
    QVERIFY2(shown.size() <= allowed, qPrintable(u"%1 signals in %2 ms"_s.arg(shown.size()).arg(elapsed)));
    for (qsizetype i = 1; i < shown.size(); ++i)
        QVERIFY(shown[i].bytesDone >= shown[i - 1].bytesDone &&
                shown[i].entriesDone >= shown[i - 1].entriesDone);
    const RestoreJob::Progress &last = shown.last();
    QCOMPARE(last.entriesDone, count);
    QCOMPARE(last.entriesTotal, count);
    QVERIFY(last.bytesTotal > 0);
    QCOMPARE(last.bytesDone, last.bytesTotal);
}

QTEST_GUILESS_MAIN(tst_RestoreRunner)
#include "tst_RestoreRunner.moc"
