#include "run/ArchiveName.h"
#include "run/WipeFile.h"

#include "TempTree.h"

#include <QFileInfo>

#include <QTest>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <unistd.h>

using namespace std::chrono_literals;

class TestRunPreparation : public QObject
{
    Q_OBJECT

  private slots:
    void archiveNames()
    {
        const QString stamp = ArchiveName::stamp(QDate(2024, 3, 15), QTime(14, 5, 9));
        QCOMPARE(stamp, QStringLiteral("2024.03.15__14.05.09"));
        QCOMPARE(ArchiveName::automaticPath(QStringLiteral("/mnt/Arhiva/"), QStringLiteral("Arhiva"), stamp),
                 QStringLiteral("/mnt/Arhiva/Arhiva_2024.03.15__14.05.09.zip"));
        QCOMPARE(ArchiveName::fileName(QString(), stamp), QStringLiteral("_2024.03.15__14.05.09.zip"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}\\.\\d\\d\\.\\d\\d__\\d\\d\\.\\d\\d\\.\\d\\d$"))
                    .match(ArchiveName::stampNow())
                    .hasMatch());
    }

    void wipeFileRemovesFilesAndLinks()
    {
        const TempTree tree;
        const QString file = tree.writeFile(QStringLiteral("stara.zip"), "old");
        QVERIFY(WipeFile(file));
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(WipeFile(tree.path(QStringLiteral("nikad.zip"))));
        const QString dangling = tree.path(QStringLiteral("link.zip"));
        QVERIFY(QFile::link(tree.path(QStringLiteral("nema")), dangling));
        QVERIFY(WipeFile(dangling));
        QVERIFY(!QFileInfo(dangling).isSymLink());
    }

    void wipeFileRefusesAFolderAtOnce_data()
    {
        QTest::addColumn<QStringList>("files");

        QTest::newRow("empty folder") << QStringList{};
        QTest::newRow("folder with files") << QStringList{u"x"_qs, u"mapa/y"_qs};
    }

    void wipeFileRefusesAFolderAtOnce()
    {
        // A folder of that name is no old archive: it is never deleted, and no waiting makes it one.
        QFETCH(QStringList, files);
        const TempTree tree;
        const QString folder = tree.makeDir(QStringLiteral("Arhiva.zip"));
        for (const QString &file : files)
            tree.writeFile(QStringLiteral("Arhiva.zip/") + file, "x");

        // WipeFile serves pending events only while it waits, so an event still pending afterwards
        // shows that it gave up without waiting.
        bool served = false;
        QObject context;
        QMetaObject::invokeMethod(
            &context, [&served] { served = true; }, Qt::QueuedConnection);
        QVERIFY(!WipeFile(folder));
        QVERIFY(!served);

        QVERIFY(QFileInfo(folder).isDir());
        for (const QString &file : files)
            QVERIFY(QFileInfo::exists(tree.path(QStringLiteral("Arhiva.zip/") + file)));
    }

    // An archive that another run is writing (it holds it locked) is never deleted under that run.
    void wipeFileLeavesAnArchiveAnotherRunHolds()
    {
        const TempTree tree;
        const QString archive = tree.writeFile(QStringLiteral("Arhiva.zip"), "PK");
        const int held = ::open(QFile::encodeName(archive).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(held >= 0);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        QVERIFY(!WipeFile(archive, 200ms));
        QVERIFY(QFileInfo::exists(archive));
        ::close(held);
        QVERIFY(WipeFile(archive, 200ms));
        QVERIFY(!QFileInfo::exists(archive));
    }

    void wipeFileGivesUpOnAFileItCannotRemove()
    {
        // Root may remove a file from a read-only folder, so only another user sees the refusal.
        if (::geteuid() == 0)
            QSKIP("root removes files from read-only folders");
        const TempTree tree;
        const QString file = tree.writeFile(QStringLiteral("arhive/Arhiva.zip"), "old");
        const QString folder = tree.path(QStringLiteral("arhive"));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const bool wiped = WipeFile(file, 300ms);
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(!wiped);
        QVERIFY(QFileInfo::exists(file));
    }

    void wipeFileRemovesALinkToAFolderNotTheFolder()
    {
        const TempTree tree;
        const QString folder = tree.makeDir(QStringLiteral("mapa"));
        tree.writeFile(QStringLiteral("mapa/x"), "x");
        const QString link = tree.path(QStringLiteral("Arhiva.zip"));
        QVERIFY(QFile::link(folder, link));
        QVERIFY(WipeFile(link));
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo::exists(tree.path(QStringLiteral("mapa/x"))));
    }
};

QTEST_GUILESS_MAIN(TestRunPreparation)
#include "tst_ArchiveName.moc"
