#include "run/ArchiveName.h"
#include "run/WipeFile.h"

#include "TempTree.h"

#include <QFileInfo>
#include <QTest>

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

    void wipeFileGivesUpOnANameItCannotRemove()
    {
        // A folder of that name cannot be deleted as a file, whatever the user's rights.
        const TempTree tree;
        const QString folder = tree.makeDir(QStringLiteral("Arhiva.zip"));
        tree.writeFile(QStringLiteral("Arhiva.zip/x"), "x");
        QVERIFY(!WipeFile(folder, 300ms));
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestRunPreparation)
#include "tst_runpreparation.moc"
