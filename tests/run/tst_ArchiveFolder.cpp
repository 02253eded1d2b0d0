#include "run/ArchiveFolder.h"
#include "run/ArchiveRecord.h"

#include "PermissionsBindRoot.h"
#include "TempTree.h"
#include "config/SystemReason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>

namespace {

const QString prefix = QStringLiteral("Arhiva");

QString archiveOf(int day)
{
    return QStringLiteral("Arhiva_2024.03.%1__14.05.09.zip").arg(day, 2, 10, QLatin1Char('0'));
}

QString stampOf(int day)
{
    return QStringLiteral("2024.03.%1__14.05.09").arg(day, 2, 10, QLatin1Char('0'));
}

} // namespace

class TestArchiveFolder : public QObject
{
    Q_OBJECT

  private slots:
    // Only the exact name of this prefix's runs is one of its archives (or, with ".part", a leftover).
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("archive");
        QTest::addColumn<bool>("part");
        QTest::newRow("archive") << archiveOf(15) << true << false;
        QTest::newRow("part") << archiveOf(15) + QStringLiteral(".part") << false << true;
        QTest::newRow("backup copy") << archiveOf(15) + QStringLiteral(".bak") << false << false;
        QTest::newRow("another prefix")
            << QStringLiteral("Arhiva2_2024.03.15__14.05.09.zip") << false << false;
        QTest::newRow("prefix of another")
            << QStringLiteral("rhiva_2024.03.15__14.05.09.zip") << false << false;
        QTest::newRow("no seconds") << QStringLiteral("Arhiva_2024.03.15__14.05.zip") << false << false;
        QTest::newRow("letters in the stamp")
            << QStringLiteral("Arhiva_2024.03.1x__14.05.09.zip") << false << false;
        QTest::newRow("upper-case extension")
            << QStringLiteral("Arhiva_2024.03.15__14.05.09.ZIP") << false << false;
        QTest::newRow("in front of a copy")
            << QStringLiteral("kopija Arhiva_2024.03.15__14.05.09.zip") << false << false;
    }

    void names()
    {
        QFETCH(QString, name);
        const ArchiveFolder folder(QStringLiteral("/x"), prefix);
        QTEST(folder.isArchiveName(name), "archive");
        QTEST(folder.isPartName(name), "part");
        // A prefix is text, not a pattern.
        QVERIFY(!ArchiveFolder(QStringLiteral("/x"), QStringLiteral("A.*")).isArchiveName(name));
    }

    // The record knows what automatic runs wrote; from before it began, only a name of the prefix that
    // no manual run is on record for counts as theirs.
    void recordKnowsAutomaticArchives_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("automatic, on record") << archiveOf(20) << true;
        QTest::newRow("manual, on record, before the start") << archiveOf(5) << false;
        QTest::newRow("not on record, before the start") << archiveOf(6) << true;
        QTest::newRow("not on record, after the start") << archiveOf(21) << false;
        QTest::newRow("another prefix, before the start")
            << QStringLiteral("Arhiva2_2024.03.06__14.05.09.zip") << false;
    }

    void recordKnowsAutomaticArchives()
    {
        QFETCH(QString, name);
        const ArchiveRecord record(stampOf(10), {archiveOf(20)}, {archiveOf(5)});
        QTEST(record.isAutomatic(prefix, name), "automatic");
        QVERIFY(!ArchiveRecord().isAutomatic(prefix, name));
    }

    // The oldest archives go until keep remain, the one just written among them; look-alikes stay, and
    // keep 0 deletes nothing.
    void pruning_data()
    {
        QTest::addColumn<int>("keep");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<QStringList>("future");
        const QString a = archiveOf(11), b = archiveOf(12), c = archiveOf(13), d = archiveOf(14);
        const QString later = QStringLiteral("2030.01.01__00.00.00");
        QTest::newRow("keep all") << 0 << d << later << QStringList{a, b, c, d} << QStringList{};
        QTest::newRow("keep two") << 2 << d << later << QStringList{c, d} << QStringList{};
        QTest::newRow("keep one") << 1 << d << later << QStringList{d} << QStringList{};
        QTest::newRow("keep more than there are")
            << 9 << d << later << QStringList{a, b, c, d} << QStringList{};
        // A clock set back gave the new archive the oldest stamp: the others are dated after it and after
        // the clock, so they neither count nor go.
        QTest::newRow("the newest is the oldest by name")
            << 2 << a << stampOf(11) << QStringList{a, b, c, d} << QStringList{b, c, d};
        // One archive dated in the future pushes no real one out, and stays.
        QTest::newRow("one dated in the future")
            << 2 << c << stampOf(13) << QStringList{b, c, d} << QStringList{d};
    }

    void pruning()
    {
        QFETCH(int, keep);
        QFETCH(QString, current);
        QFETCH(QString, now);
        QFETCH(QStringList, remaining);
        QFETCH(QStringList, future);
        const TempTree tree;
        for (int day = 11; day <= 14; ++day)
            tree.writeFile(QStringLiteral("arhiva/") + archiveOf(day), "PK");
        const QStringList lookAlikes{archiveOf(1) + QStringLiteral(".bak"),
                                     QStringLiteral("Arhiva2_2024.03.01__14.05.09.zip"),
                                     archiveOf(2) + QStringLiteral(".part"), archiveOf(3), archiveOf(4)};
        tree.writeFile(QStringLiteral("arhiva/") + lookAlikes[0], "PK");
        tree.writeFile(QStringLiteral("arhiva/") + lookAlikes[1], "PK");
        tree.writeFile(QStringLiteral("arhiva/") + lookAlikes[2], "PK");
        // A folder and a link with an archive's name, older than every archive.
        tree.makeDir(QStringLiteral("arhiva/") + lookAlikes[3]);
        const QString elsewhere = tree.writeFile(QStringLiteral("drugdje/") + archiveOf(5), "PK");
        QVERIFY(QFile::link(elsewhere, tree.path(QStringLiteral("arhiva/") + lookAlikes[4])));

        const QString folder = tree.path(QStringLiteral("arhiva"));
        const ArchiveFolder archives(folder, prefix);
        const auto everyArchive = [](const QString &) { return true; };
        const ArchiveFolder::Pruning pruning =
            archives.prune(keep, folder + QLatin1Char('/') + current, everyArchive, now);

        QStringList expected = remaining + lookAlikes;
        expected.sort();
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
                 expected);
        QCOMPARE(pruning.deleted.size(), 4 - remaining.size());
        for (const QString &deleted : pruning.deleted)
            QVERIFY(deleted.startsWith(folder + QLatin1Char('/')) &&
                    !remaining.contains(QFileInfo(deleted).fileName()));
        QVERIFY(pruning.failed.isEmpty());
        QStringList futurePaths;
        for (const QString &name : future)
            futurePaths << folder + QLatin1Char('/') + name;
        QCOMPARE(pruning.future, futurePaths);
        QVERIFY(QFile::exists(elsewhere));
        QCOMPARE(archives.partFiles(), QStringList{folder + QLatin1Char('/') + lookAlikes[2]});
    }

    // An archive the folder does not let go of is named with the system's reason, worded in the
    // interface's language as every reason is.
    void aPruneThatFailsSaysWhyInTheInterfaceLanguage()
    {
        const TempTree tree;
        for (const int day : {11, 12})
            tree.writeFile(QStringLiteral("arhiva/") + archiveOf(day), "PK");
        const QString folder = tree.path(QStringLiteral("arhiva"));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        ArchiveFolder::Pruning pruning;
        {
            const PermissionsBindRoot binding;
            if (!binding.active())
                QSKIP("permissions cannot be made to bind here");
            pruning = ArchiveFolder(folder, prefix)
                          .prune(
                              1, folder + QLatin1Char('/') + archiveOf(12),
                              [](const QString &) { return true; }, QStringLiteral("2030.01.01__00.00.00"));
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(pruning.failed, QStringList{folder + QLatin1Char('/') + archiveOf(11) +
                                             QStringLiteral(": ") + SystemReason::text(EACCES)});
    }
};

QTEST_GUILESS_MAIN(TestArchiveFolder)
#include "tst_ArchiveFolder.moc"
