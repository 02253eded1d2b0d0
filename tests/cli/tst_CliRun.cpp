#include "LanguageWords.h"
#include "PrivateSystemBus.h"
#include "RawTree.h"
#include "TempTree.h"
#include "ZipCheck.h"
#include "config/SystemReason.h"
#include "zip/TZipFile.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QString cliPath()
{
    return qEnvironmentVariable("ARKIVODA_BINARY_DIR") + QStringLiteral("/bin/arkivoda-cli");
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    // A data folder, an archive folder and sources, all in one temporary tree.
    struct Setup
    {
        Setup()
        {
            dataFolder = tree.makeDir(QStringLiteral("config/Arkivoda")) + QLatin1Char('/');
            archiveFolder = tree.makeDir(QStringLiteral("arhiva")) + QLatin1Char('/');
            sources = tree.makeDir(QStringLiteral("izvor"));
            tree.writeFile(QStringLiteral("izvor/a.txt"), "a");
            tree.writeFile(QStringLiteral("izvor/mapa/b.txt"), "b");
        }

        void writeList(const QStringList &entries, const QString &prefix = {}) const
        {
            tree.writeFile(QStringLiteral("config/Arkivoda/") + prefix +
                               QStringLiteral("Arkivoda_bcklst.txt"),
                           (entries.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
        }

        void writeSettings(const QString &folder, const QString &prefix = {}) const
        {
            tree.writeFile(
                QStringLiteral("config/Arkivoda/") + prefix + QStringLiteral("Arkivoda.ini"),
                (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + folder + QStringLiteral("\r\n")).toUtf8());
        }

        QString settingsText(const QString &prefix = {}) const
        {
            QFile file(dataFolder + prefix + QStringLiteral("Arkivoda.ini"));
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        }

        QStringList archives() const
        {
            return QDir(archiveFolder).entryList({QStringLiteral("*.zip")}, QDir::Files);
        }

        void start(QProcess &process, const QStringList &arguments, int startDelay = 0) const
        {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), tree.path(QStringLiteral("config")));
            environment.insert(QStringLiteral("ARKIVODA_START_DELAY_MS"), QString::number(startDelay));
            for (auto change = environmentChanges.cbegin(); change != environmentChanges.cend(); ++change) {
                if (change.value().isNull())
                    environment.remove(change.key());
                else
                    environment.insert(change.key(), change.value());
            }
            if (user != 0)
                environment.insert(QStringLiteral("HOME"), tree.root());
            process.setProcessEnvironment(environment);
            const rlim_t limit = fileSizeLimit;
            const uid_t asUser = user;
            const int mask = startUmask;
            process.setChildProcessModifier([limit, asUser, mask] {
                if (limit > 0) {
                    rlimit size{limit, limit};
                    ::setrlimit(RLIMIT_FSIZE, &size);
                }
                if (mask >= 0)
                    ::umask(mode_t(mask));
                // An ordinary user without groups, as setpriv --reuid --regid --clear-groups makes one.
                if (asUser != 0 &&
                    (::setgroups(0, nullptr) != 0 || ::setgid(asUser) != 0 || ::setuid(asUser) != 0))
                    ::_exit(127);
            });
            if (runAs.isEmpty())
                process.start(cliPath(), arguments);
            else
                process.start(QStringLiteral("setpriv"), runAs + QStringList{cliPath()} + arguments);
            QVERIFY(process.waitForStarted());
        }

        int run(const QStringList &arguments = {})
        {
            QProcess process;
            start(process, arguments);
            [&] { QVERIFY(process.waitForFinished(60000)); }();
            out = QString::fromUtf8(process.readAllStandardOutput());
            err = QString::fromUtf8(process.readAllStandardError());
            return process.exitCode();
        }

        TempTree tree;
        QString dataFolder;
        QString archiveFolder;
        QString sources;
        QString out;
        QString err;
        // The largest file the program may write, in bytes (0: no limit beyond the system's).
        qint64 fileSizeLimit = 0;
        // Variables set for the program (a null value removes the variable).
        QMap<QString, QString> environmentChanges;
        // setpriv's options that start the program as another user; empty: as this one.
        QStringList runAs;
        // The umask the program starts with (-1: this process's).
        int startUmask = -1;
        // The ordinary user the program runs as (0: as this process); see runAsOrdinaryUser.
        uid_t user = 0;

        // Gives the tree to the ordinary user 65534 and runs the program as that user from now on, so
        // that permissions bind it as they bind anyone but root. False when this test is not root.
        bool runAsOrdinaryUser()
        {
            if (::geteuid() != 0)
                return false;
            user = 65534;
            const QByteArray root = QFile::encodeName(tree.root());
            if (::chown(root.constData(), user, user) != 0)
                return false;
            QDirIterator each(tree.root(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                              QDirIterator::Subdirectories);
            while (each.hasNext())
                if (::lchown(QFile::encodeName(each.next()).constData(), user, user) != 0)
                    return false;
            return true;
        }
    };

  private slots:
    void automaticRunArchivesAndRecordsIt()
    {
        Setup setup;
        setup.writeList({setup.sources});
        setup.writeSettings(setup.archiveFolder);
        QCOMPARE(setup.run(), 0);

        const QStringList archives = setup.archives();
        QCOMPARE(archives.size(), 1);
        QVERIFY(QRegularExpression(
                    QStringLiteral("^Arhiva_\\d{4}\\.\\d\\d\\.\\d\\d__\\d\\d\\.\\d\\d\\.\\d\\d\\.zip$"))
                    .match(archives.first())
                    .hasMatch());
        const QString archive = setup.archiveFolder + archives.first();
        // Nothing is left of the name the archive was written under.
        QCOMPARE(QDir(setup.archiveFolder).entryList(QDir::Files), archives);
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(ZipCheck::entryNames(archive).size(), 3);
        QVERIFY(setup.settingsText().contains(QStringLiteral("FileA=") + archive));
        QVERIFY(setup.out.contains(QStringLiteral("Arhiviranje je izvršeno na mapi")));
        QVERIFY(setup.out.contains(QStringLiteral("Broj arhiviranih datoteka: 2")));
        QVERIFY(setup.err.contains(QStringLiteral("arhiviranje je završeno")));
    }

    void sleepAndShutdownAreHeldOffDuringTheRun_data()
    {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QStringList>("inhibits");

        const QString call = QStringLiteral("Inhibit sleep:shutdown|Arkivoda|Arhiviranje u tijeku|");
        QTest::newRow("block") << "logind" << QStringList{call + QStringLiteral("block")};
        QTest::newRow("block not allowed: delay")
            << "logind refusing block"
            << QStringList{call + QStringLiteral("block"), call + QStringLiteral("delay")};
        QTest::newRow("bus without logind") << "bare" << QStringList();
        QTest::newRow("no system bus") << "none" << QStringList();
    }

    // Without a display, and without a system bus or logind too, the run simply runs; with logind it
    // holds a lock while it writes and closes it at its end.
    void sleepAndShutdownAreHeldOffDuringTheRun()
    {
        QFETCH(QString, bus);
        QFETCH(QStringList, inhibits);
        const QStringList options = bus == QLatin1String("logind refusing block")
                                        ? QStringList{QStringLiteral("--refuse-block")}
                                        : QStringList();
        PrivateSystemBus systemBus(options, bus != QLatin1String("bare"));
        QVERIFY(systemBus.isUp());
        Setup setup;
        setup.writeList({setup.sources});
        setup.writeSettings(setup.archiveFolder);
        setup.environmentChanges = {
            {QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
             bus == QLatin1String("none")
                 ? QStringLiteral("unix:path=") + setup.tree.path(QStringLiteral("no-bus"))
                 : systemBus.address()},
            {QStringLiteral("DISPLAY"), QString()},
            {QStringLiteral("WAYLAND_DISPLAY"), QString()},
            {QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString()}};
        QProcess process;
        // The worker's start delay keeps the run going while the lock is looked at.
        setup.start(process, {}, 1500);

        if (!inhibits.isEmpty()) {
            QVERIFY(systemBus.waitForLine(QStringLiteral("granted 1")));
            QCOMPARE(process.state(), QProcess::Running);
            QVERIFY(!systemBus.log().contains(QStringLiteral("released 1")));
        }
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QStringList archives = setup.archives();
        QCOMPARE(archives.size(), 1);
        QCOMPARE(ZipCheck::readerProblems(setup.archiveFolder + archives.first()), QStringList());
        if (!inhibits.isEmpty()) {
            QVERIFY(systemBus.waitForLine(QStringLiteral("released 1")));
            const QStringList lockLife{QStringLiteral("granted 1"), QStringLiteral("released 1")};
            QCOMPARE(systemBus.log(), inhibits + lockLife);
        }
    }

    void missingSourcesGiveStatusOneAndTheReport()
    {
        Setup setup;
        setup.writeList({setup.sources, QStringLiteral("/nema/ovoga"), QString()});
        setup.writeSettings(setup.archiveFolder);
        QCOMPARE(setup.run(), 1);

        const QString archive = setup.archiveFolder + setup.archives().value(0);
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QVERIFY(setup.err.contains(
            QStringLiteral("Tijekom arhiviranja 2 datoteke ili mape su\nbile nedostupne")));
        QVERIFY(setup.out.contains(QStringLiteral("\n\nArhiva: ") + archive +
                                   QStringLiteral("\n\n/nema/ovoga\n\n")));
        // Neither the notice nor the summary calls the run done as if nothing were missing.
        QVERIFY2(setup.out.startsWith(QStringLiteral("Arhiviranje je završeno bez 2 nedostupne datoteke ili "
                                                     "mape u arhivu ") +
                                      archive),
                 qPrintable(setup.out));
        QVERIFY(setup.out.contains(QStringLiteral(
            "Nepotpuno arhiviranje (2 datoteke ili mape nisu bile dostupne) je izvršeno na mapi")));
        QVERIFY(!setup.settingsText().contains(QStringLiteral("Uspjesno=")));
    }

    // A file whose name in the archive would pass 65,535 bytes is reported missing with the reason; the
    // run goes on and the archive is whole. (The file is listed itself: Info-ZIP unzip cuts names of
    // more than 4,096 bytes, so the folders above it would not pass every reader.)
    void anOverLongNameIsMissingAndTheRunGoesOn()
    {
        Setup setup;
        const RawTree deep;
        QByteArray relative;
        for (qsizetype i = 0; i < (65536 - deep.root().size() - 1) / 251; ++i)
            relative += QByteArray(250, 'd') + '/';
        const QByteArray name(65536 - deep.root().size() - relative.size(), 'x');
        const QByteArray overLong = deep.writeFile(relative + name, "predugo");
        QCOMPARE(overLong.size() - 1, 65536);
        const QByteArray ordinary = deep.writeFile("obicna.txt", "obicna");
        setup.writeList({setup.sources, QFile::decodeName(overLong), QFile::decodeName(ordinary)});
        setup.writeSettings(setup.archiveFolder);
        QCOMPARE(setup.run(), 1);

        const QString archive = setup.archiveFolder + setup.archives().value(0);
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        const QStringList names = ZipCheck::entryNames(archive);
        QCOMPARE(names.size(), 3 + 1);
        QVERIFY(names.contains(QFile::decodeName(ordinary.mid(1))));
        QVERIFY(setup.out.contains(QFile::decodeName(overLong) +
                                   QStringLiteral(" (naziv u arhivi bio bi dulji od 65.535 bajtova)\n")));
        QVERIFY(setup.err.contains(QStringLiteral("Tijekom arhiviranja 1 datoteka ili mapa je")));
    }

    void manualRunReplacesOnlyWhenAllowed()
    {
        Setup setup;
        setup.writeList({setup.sources});
        const QString target = setup.tree.writeFile(QStringLiteral("ručna.zip"), "staro");

        QCOMPARE(setup.run({QStringLiteral("--manual"), target}), 2);
        QVERIFY(setup.err.contains(QStringLiteral("Datoteka ručna.zip u odabranoj mapi već postoji!")));
        QFile old(target);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("staro"));
        old.close();

        QCOMPARE(setup.run({QStringLiteral("--manual"), target, QStringLiteral("--overwrite")}), 0);
        QCOMPARE(ZipCheck::readerProblems(target), QStringList());
        QVERIFY(setup.settingsText().contains(QStringLiteral("FileR=") + target));
        QVERIFY(!setup.settingsText().contains(QStringLiteral("FileA=")));
    }

    // A manual run that does not finish, however it ends, replaces nothing: the old archive stays byte for
    // byte, the new one is only in its ".part" file (never under the final name without its directory),
    // the output names that file, and nothing is recorded.
    void anUnfinishedRunLeavesOnlyItsPart_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("the archive cannot be written") << QStringLiteral("failure");
        QTest::newRow("a forced stop") << QStringLiteral("forced");
        QTest::newRow("killed while writing") << QStringLiteral("killed");
    }

    void anUnfinishedRunLeavesOnlyItsPart()
    {
        QFETCH(QString, ending);
        Setup setup;
        // Random bytes, which no compression shrinks, in a file large enough to be caught being written.
        const qsizetype size = ending == QStringLiteral("failure") ? (1 << 20) : (48 << 20);
        QByteArray noise(size, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        setup.tree.writeFile(QStringLiteral("izvor/veliko.bin"), noise);
        setup.writeList({setup.sources});
        const QByteArray oldArchive("PK\x05\x06 staro", 12);
        const QString target = setup.tree.writeFile(QStringLiteral("ručna.zip"), oldArchive);
        const QString part = target + QStringLiteral(".part");
        if (ending == QStringLiteral("failure"))
            setup.fileSizeLimit = 512 << 10;

        QProcess process;
        setup.start(process, {QStringLiteral("--manual"), target, QStringLiteral("--overwrite")});
        if (ending != QStringLiteral("failure")) {
            // Caught while the large file is being written into the archive.
            QElapsedTimer waited;
            waited.start();
            while (QFileInfo(part).size() < (1 << 20) && waited.elapsed() < 60000)
                QTest::qWait(5);
            QVERIFY(QFileInfo(part).size() >= (1 << 20));
            if (ending == QStringLiteral("killed")) {
                process.kill();
            } else {
                ::kill(pid_t(process.processId()), SIGINT);
                QTest::qWait(50);
                ::kill(pid_t(process.processId()), SIGTERM);
            }
        }
        QVERIFY(process.waitForFinished(60000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        if (ending == QStringLiteral("killed")) {
            QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        } else {
            QCOMPARE(process.exitCode(), 2);
            QVERIFY2(out.contains(part), qPrintable(out));
            QVERIFY2(out.contains(ending == QStringLiteral("forced")
                                      ? QStringLiteral("nepotpuna i neispravna")
                                      : QStringLiteral("Nedovršena arhiva ostala je u datoteci")),
                     qPrintable(out));
        }

        QFile old(target);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), oldArchive);
        QVERIFY(QFileInfo::exists(part));
        QVERIFY(!ZipCheck::readerProblems(part).isEmpty());
        QCOMPARE(QDir(setup.tree.root()).entryList({QStringLiteral("ručna*")}, QDir::Files),
                 (QStringList{QStringLiteral("ručna.zip"), QStringLiteral("ručna.zip.part")}));
        QVERIFY(!setup.settingsText().contains(QStringLiteral("FileR=")));
    }

    // What an earlier run left unfinished is named when the next run starts, once, and stays where it is;
    // a look-alike of another configuration or another name is not this configuration's.
    void leftoverPartsAreReportedNotDeleted()
    {
        Setup setup;
        setup.writeList({setup.sources});
        setup.writeSettings(setup.archiveFolder);
        const QString part =
            setup.tree.writeFile(QStringLiteral("arhiva/Arhiva_2024.03.15__14.05.09.zip.part"), "PK\x03\x04");
        const QStringList others{QStringLiteral("arhiva/Arhiva2_2024.03.15__14.05.09.zip.part"),
                                 QStringLiteral("arhiva/Arhiva_2024.03.15__14.05.zip.part"),
                                 QStringLiteral("arhiva/Arhiva_2024.03.15__14.05.09.zip.part.old")};
        for (const QString &other : others)
            setup.tree.writeFile(other, "x");

        QCOMPARE(setup.run(), 0);
        QVERIFY2(setup.out.contains(QStringLiteral("nedovršene arhive ranijih pokretanja")),
                 qPrintable(setup.out));
        QCOMPARE(setup.out.count(part), 1);
        QVERIFY2(setup.err.contains(QStringLiteral("u mapi arhiva ima nedovršenih arhiva: 1")),
                 qPrintable(setup.err));
        for (const QString &other : others)
            QVERIFY(!setup.out.contains(setup.tree.path(other)));
        QVERIFY(QFile::exists(part));
        for (const QString &other : others)
            QVERIFY(QFile::exists(setup.tree.path(other)));

        // Without leftovers nothing is said (the next run's name needs the next second).
        QVERIFY(QFile::remove(part));
        QTest::qWait(1100);
        QCOMPARE(setup.run(), 0);
        QVERIFY(!setup.out.contains(QStringLiteral("nedovršene arhive")));
    }

    // After an automatic run that completed and was verified, the oldest archives of this configuration
    // go until the number kept remains; look-alikes stay, and so does everything after any other run.
    void retentionKeepsTheNewestArchives_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("keep");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("sourceMissing");
        QTest::addColumn<int>("status");
        QTest::newRow("keep two") << QStringList() << QString() << 2 << 2
                                  << QStringLiteral("Obrisane su starije arhive ove konfiguracije:") << false
                                  << 0;
        QTest::newRow("keep all") << QStringList() << QString() << 0 << 0 << QString() << false << 0;
        QTest::newRow("not verified")
            << QStringList() << QStringLiteral("Provjera=0\r\n") << 2 << 0
            << QStringLiteral("nisu obrisane jer ova arhiva nije provjerena") << false << 0;
        QTest::newRow("manual run") << QStringList{QStringLiteral("--manual"), QStringLiteral("MANUAL")}
                                    << QString() << 1 << 0 << QString() << false << 0;
        // The older archives may hold what this one could not read.
        QTest::newRow("a source missing")
            << QStringList() << QString() << 2 << 0
            << QStringLiteral("Starije arhive nisu obrisane jer neke datoteke ili mape nisu bile dostupne.")
            << true << 1;
    }

    void retentionKeepsTheNewestArchives()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, program);
        QFETCH(int, keep);
        QFETCH(int, deleted);
        QFETCH(QString, said);
        QFETCH(bool, sourceMissing);
        Setup setup;
        setup.writeList(sourceMissing ? QStringList{setup.sources, setup.tree.path(QStringLiteral("nema"))}
                                      : QStringList{setup.sources});
        setup.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                             (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + setup.archiveFolder +
                              QStringLiteral("\r\nZadrzi=") + QString::number(keep) +
                              QStringLiteral("\r\n[Program]\r\n") + program)
                                 .toUtf8());
        const QStringList old{QStringLiteral("Arhiva_2020.01.01__10.00.00.zip"),
                              QStringLiteral("Arhiva_2020.01.02__10.00.00.zip"),
                              QStringLiteral("Arhiva_2020.01.03__10.00.00.zip")};
        for (const QString &name : old)
            setup.tree.writeFile(QStringLiteral("arhiva/") + name, "PK");
        const QStringList lookAlikes{QStringLiteral("Arhiva_2019.03.15__14.05.09.zip.bak"),
                                     QStringLiteral("Arhiva2_2019.03.15__14.05.09.zip"),
                                     QStringLiteral("Arhiva_2019.03.16__14.05.09.zip"),
                                     QStringLiteral("Arhiva_2019.03.17__14.05.09.zip")};
        setup.tree.writeFile(QStringLiteral("arhiva/") + lookAlikes[0], "PK");
        setup.tree.writeFile(QStringLiteral("arhiva/") + lookAlikes[1], "PK");
        setup.tree.makeDir(QStringLiteral("arhiva/") + lookAlikes[2]);
        const QString target =
            setup.tree.writeFile(QStringLiteral("drugo/Arhiva_2019.01.01__00.00.00.zip"), "PK");
        QVERIFY(QFile::link(target, setup.archiveFolder + lookAlikes[3]));
        for (QString &argument : arguments)
            argument.replace(QStringLiteral("MANUAL"), setup.tree.path(QStringLiteral("ručna.zip")));

        QTEST(setup.run(arguments), "status");

        const QStringList kept = old.mid(deleted);
        for (const QString &name : old) {
            const QString path = setup.archiveFolder + name;
            QCOMPARE(QFile::exists(path), kept.contains(name));
            QCOMPARE(setup.out.contains(path), !kept.contains(name));
        }
        for (const QString &name : lookAlikes)
            QVERIFY2(QFileInfo(setup.archiveFolder + name).exists() ||
                         QFileInfo(setup.archiveFolder + name).isSymLink(),
                     qPrintable(name));
        QVERIFY(QFile::exists(target));
        if (!said.isEmpty())
            QVERIFY2(setup.out.contains(said), qPrintable(setup.out));
        else
            QVERIFY(!setup.out.contains(QStringLiteral("Obrisane su")) &&
                    !setup.out.contains(QStringLiteral("nisu obrisane")));
    }

    // Only what automatic runs wrote goes: a manual archive saved under the name an automatic run would
    // give it stays, and so does one dated in the future, which is not counted and is named.
    void retentionLeavesManualAndFutureArchives()
    {
        Setup setup;
        setup.writeList({setup.sources});
        setup.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                             (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + setup.archiveFolder +
                              QStringLiteral("\r\nZadrzi=2\r\n"))
                                 .toUtf8());
        // Two from a version that kept no record of its runs, and one dated by a clock once wrong.
        const QString first = QStringLiteral("Arhiva_2020.01.01__10.00.00.zip");
        const QString second = QStringLiteral("Arhiva_2020.01.02__10.00.00.zip");
        const QString future = QStringLiteral("Arhiva_2099.01.01__00.00.00.zip");
        for (const QString &name : {first, second, future})
            setup.tree.writeFile(QStringLiteral("arhiva/") + name, "PK");
        const QString manual = QStringLiteral("Arhiva_2020.01.03__10.00.00.zip");
        QCOMPARE(setup.run({QStringLiteral("--manual"), setup.archiveFolder + manual}), 0);

        QCOMPARE(setup.run(), 0);

        const QStringList archives = setup.archives();
        QCOMPARE(archives.size(), 4);
        QVERIFY(!archives.contains(first));
        QVERIFY(archives.contains(second) && archives.contains(manual) && archives.contains(future));
        QVERIFY2(setup.out.contains(QStringLiteral("Obrisane su starije arhive ove konfiguracije:\n") +
                                    setup.archiveFolder + first),
                 qPrintable(setup.out));
        QVERIFY2(setup.out.contains(QStringLiteral("(nisu brojane ni obrisane; provjerite sat računala):\n") +
                                    setup.archiveFolder + future),
                 qPrintable(setup.out));
    }

    // A listed folder that holds the archive folder: the configuration's archives and .part files there
    // never go into the next archive (which would double every run), another ZIP file does; the
    // exclusions of the settings leave out their matches; the output counts what was left out.
    void anArchiveFolderInAListedFolderGetsNoArchiveOfItsOwn()
    {
        Setup setup;
        setup.writeList({setup.tree.root()});
        setup.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                             (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + setup.archiveFolder +
                              QStringLiteral("\r\n[Program]\r\nIzuzeci=*.tmp;predmemorija/\r\n"))
                                 .toUtf8());
        setup.tree.writeFile(QStringLiteral("izvor/smeće.tmp"), "x");
        setup.tree.writeFile(QStringLiteral("izvor/predmemorija/c.bin"), "c");
        setup.tree.writeFile(QStringLiteral("arhiva/Arhiva_2020.01.01__10.00.00.zip.part"), "PK");
        setup.tree.writeFile(QStringLiteral("arhiva/tuđa.zip"), "PK");
        QCOMPARE(setup.run(), 0);
        // The next run's name needs the next second.
        QTest::qWait(1100);
        QCOMPARE(setup.run(), 0);

        QStringList ours = setup.archives().filter(QRegularExpression(QStringLiteral("^Arhiva_")));
        QCOMPARE(ours.size(), 2);
        const QString archive = setup.archiveFolder + ours.last();
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        const QStringList names = ZipCheck::entryNames(archive);
        QVERIFY(names.filter(QStringLiteral("arhiva/Arhiva_")).isEmpty());
        QVERIFY(names.filter(QStringLiteral(".tmp")).isEmpty());
        QVERIFY(names.filter(QStringLiteral("predmemorija")).isEmpty());
        QCOMPARE(names.filter(QStringLiteral("arhiva/tuđa.zip")).size(), 1);
        QCOMPARE(names.filter(QStringLiteral("izvor/mapa/b.txt")).size(), 1);
        // The earlier archive, the .part file and the .tmp file; one folder.
        QVERIFY2(
            setup.out.contains(QStringLiteral("Izostavljeno po izuzecima i mapi arhiva: 3 datoteke, 1 mapa")),
            qPrintable(setup.out));
    }

    void namedConfigurationUsesItsOwnFiles()
    {
        Setup setup;
        setup.writeList({setup.sources}, QStringLiteral("Posao_"));
        setup.writeSettings(setup.archiveFolder, QStringLiteral("Posao_"));
        QCOMPARE(setup.run({QStringLiteral("Posao")}), 0);
        QVERIFY(setup.settingsText(QStringLiteral("Posao_")).contains(QStringLiteral("FileA=")));
        QVERIFY(!QFile::exists(setup.dataFolder + QStringLiteral("Arkivoda.ini")));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("withList");
        QTest::addColumn<QString>("archiveFolder");
        QTest::addColumn<QString>("message");
        QTest::newRow("no list") << QStringList() << false << QStringLiteral("ARCHIVE")
                                 << QStringLiteral("Ne nalazim listu datoteka za arhiviranje!");
        QTest::newRow("archive folder missing")
            << QStringList() << true << QStringLiteral("/nema/mape/")
            << QStringLiteral("Definirana arhivska mapa /nema/mape/ ne postoji ili je trenutno nedostupna!");
        QTest::newRow("unreadable list")
            << QStringList() << true << QStringLiteral("LIST_IS_FOLDER")
            << QStringLiteral("Listu datoteka za arhiviranje nije moguće pročitati");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--brzo")} << true << QStringLiteral("ARCHIVE")
            << QStringLiteral("Nepoznata opcija: --brzo");
        QTest::newRow("manual without file") << QStringList{QStringLiteral("--manual")} << true
                                             << QStringLiteral("ARCHIVE") << QStringLiteral("--manual");
        QTest::newRow("overwrite alone") << QStringList{QStringLiteral("--overwrite")} << true
                                         << QStringLiteral("ARCHIVE") << QStringLiteral("--overwrite");
        QTest::newRow("verify without file") << QStringList{QStringLiteral("--verify")} << true
                                             << QStringLiteral("ARCHIVE") << QStringLiteral("--verify");
        QTest::newRow("verify with a run's option")
            << QStringList{QStringLiteral("--verify"), QStringLiteral("a.zip"), QStringLiteral("--overwrite")}
            << true << QStringLiteral("ARCHIVE") << QStringLiteral("Suvišan argument: --overwrite");
        QTest::newRow("a second list")
            << QStringList{QStringLiteral("Posao"), QStringLiteral("Kuca")} << true
            << QStringLiteral("ARCHIVE") << QStringLiteral("Suvišan argument: Kuca");
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, withList);
        QFETCH(QString, archiveFolder);
        QFETCH(QString, message);
        Setup setup;
        if (archiveFolder == QStringLiteral("LIST_IS_FOLDER")) {
            // A folder where the list file belongs: it exists but cannot be read, whatever the user's rights.
            setup.tree.makeDir(QStringLiteral("config/Arkivoda/Arkivoda_bcklst.txt"));
            archiveFolder = QStringLiteral("ARCHIVE");
        } else if (withList) {
            setup.writeList({setup.sources});
        }
        setup.writeSettings(archiveFolder == QStringLiteral("ARCHIVE") ? setup.archiveFolder : archiveFolder);
        QCOMPARE(setup.run(arguments), 2);
        QVERIFY2(setup.err.contains(message), qPrintable(setup.err));
        QCOMPARE(setup.archives(), QStringList());
        QVERIFY(!setup.settingsText().contains(QStringLiteral("[Last]")));
    }

    // A new account as useradd -m leaves it: a home of its own without ~/.config. Its first run makes
    // the data folder with every folder above it, for the user alone; where the home cannot take it
    // the run says so and fails.
    void aNewAccountGetsItsDataFolder_data()
    {
        QTest::addColumn<bool>("homeOwnedByUser");
        QTest::newRow("home of its own") << true;
        QTest::newRow("home it cannot write") << false;
    }

    void aNewAccountGetsItsDataFolder()
    {
        QFETCH(bool, homeOwnedByUser);
        if (::geteuid() != 0)
            QSKIP("starting the program as another user needs root");
        constexpr uid_t nobody = 65534;
        Setup setup;
        QVERIFY(::chmod(QFile::encodeName(setup.tree.root()).constData(), 0755) == 0);
        const QString home = setup.tree.makeDir(QStringLiteral("dom"));
        if (homeOwnedByUser)
            QVERIFY(::chown(QFile::encodeName(home).constData(), nobody, nobody) == 0);
        setup.environmentChanges.insert(QStringLiteral("XDG_CONFIG_HOME"), QString());
        setup.environmentChanges.insert(QStringLiteral("HOME"), home);
        setup.runAs = {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                       QStringLiteral("--clear-groups")};

        // No list yet either, so the run is refused in any case; the folder is what counts.
        QCOMPARE(setup.run(), 2);
        const QString dataFolder = home + QStringLiteral("/.config/Arkivoda");
        if (!homeOwnedByUser) {
            QVERIFY2(setup.err.contains(QStringLiteral("Ne mogu napraviti mapu postavki ") + dataFolder),
                     qPrintable(setup.err));
            QVERIFY(!QFileInfo::exists(home + QStringLiteral("/.config")));
            return;
        }
        QVERIFY2(setup.err.contains(QStringLiteral("Ne nalazim listu datoteka za arhiviranje!")),
                 qPrintable(setup.err));
        for (const QString &folder : QStringList{home + QStringLiteral("/.config"), dataFolder}) {
            struct stat status = {};
            QVERIFY2(::stat(QFile::encodeName(folder).constData(), &status) == 0, qPrintable(folder));
            QVERIFY(S_ISDIR(status.st_mode));
            QCOMPARE(status.st_mode & 07777, mode_t(0700));
            QCOMPARE(status.st_uid, nobody);
        }
    }

    // Started with standard input, output and error closed, as some schedulers start programs: nothing
    // the program opens may take their numbers, so progress written to standard error goes nowhere
    // instead of into the signal pipe, where it read as two Ctrl+C and forced the run to stop.
    void closedStandardDescriptorsChangeNothing()
    {
        Setup setup;
        setup.tree.writeFile(QStringLiteral("izvor/veliko.bin"), QByteArray(6 << 20, 'v'));
        setup.writeList({setup.sources});
        setup.writeSettings(setup.archiveFolder);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), setup.tree.path(QStringLiteral("config")));
        environment.insert(QStringLiteral("ARKIVODA_START_DELAY_MS"), QStringLiteral("0"));
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([] {
            ::close(0);
            ::close(1);
            ::close(2);
        });
        process.start(cliPath(), {});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        const QStringList archives = setup.archives();
        QCOMPARE(archives.size(), 1);
        QCOMPARE(ZipCheck::readerProblems(setup.archiveFolder + archives.first()), QStringList());
    }

    // A stored prefix that leads out of the archive folder is refused, and nothing is written.
    void aPrefixLeavingTheArchiveFolderIsRefused()
    {
        for (const QString &prefix : {QStringLiteral("../izvan"), QStringLiteral("..")}) {
            Setup setup;
            setup.writeList({setup.sources});
            setup.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                                 (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + setup.archiveFolder +
                                  QStringLiteral("\r\n[Last]\r\nDatoteka=") + prefix + QStringLiteral("\r\n"))
                                     .toUtf8());
            QCOMPARE(setup.run(), 2);
            QVERIFY2(setup.err.contains(QStringLiteral("Prefiks arhivskih datoteka ne smije")),
                     qPrintable(setup.err));
            QCOMPARE(setup.archives(), QStringList());
            QCOMPARE(QDir(setup.tree.root()).entryList({QStringLiteral("*.zip")}, QDir::Files),
                     QStringList());
        }
    }

    // A device node, FIFO or socket in the archive's place is never replaced, with --overwrite or not.
    void aTargetThatIsNoFileIsRefused()
    {
        Setup setup;
        setup.writeList({setup.sources});
        const QString fifo = setup.tree.path(QStringLiteral("cijev.zip"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QStringList &extra : {QStringList(), QStringList{QStringLiteral("--overwrite")}}) {
            QCOMPARE(setup.run(QStringList{QStringLiteral("--manual"), fifo} + extra), 2);
            QVERIFY2(setup.err.contains(fifo + QStringLiteral(" nije obična datoteka")),
                     qPrintable(setup.err));
            struct stat status;
            QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &status), 0);
            QVERIFY(S_ISFIFO(status.st_mode));
            QVERIFY(!setup.settingsText().contains(QStringLiteral("FileR=")));
        }
    }

    // Whatever the umask, an archive is its owner's alone, also one that replaced a file anyone could read.
    void archivesAreReadableByTheirOwnerOnly()
    {
        Setup setup;
        setup.writeList({setup.sources});
        setup.writeSettings(setup.archiveFolder);
        setup.startUmask = 022;
        const QString target = setup.tree.writeFile(QStringLiteral("ručna.zip"), "staro");
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                  QFile::ReadOther));
        QCOMPARE(setup.run(), 0);
        QCOMPARE(setup.run({QStringLiteral("--manual"), target, QStringLiteral("--overwrite")}), 0);

        for (const QString &archive : QStringList{setup.archiveFolder + setup.archives().value(0), target}) {
            struct stat status = {};
            QCOMPARE(::stat(QFile::encodeName(archive).constData(), &status), 0);
            QCOMPARE(status.st_mode & 07777, mode_t(0600));
        }
    }

    // A manual archive that could never get its name is refused before the run does any work, with the
    // reason; nothing is written and the old file stays.
    void aTargetThatCannotTakeTheArchiveIsRefused_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("ordinaryUser");
        QTest::addColumn<QString>("message");
        QTest::newRow("another user's file in a sticky folder")
            << QStringLiteral("zajednička/tuđa.zip") << true
            << QStringLiteral(
                   "FILE nije moguće zamijeniti: pripada drugom korisniku, a u mapi FOLDER datoteke "
                   "smiju zamijeniti samo njihovi vlasnici; arhiviranje je odbijeno.");
        QTest::newRow("a folder the user may not write")
            << QStringLiteral("tuđa/nova.zip") << true
            << QStringLiteral(
                   "Arhivu FILE nije moguće spremiti u mapu FOLDER (pristup odbijen); arhiviranje je "
                   "odbijeno.");
        QTest::newRow("the .part name is taken")
            << QStringLiteral("ručna.zip") << false
            << QStringLiteral("Datoteka FILE.part već postoji, a arhiva se piše pod tim nazivom");
    }

    void aTargetThatCannotTakeTheArchiveIsRefused()
    {
        QFETCH(QString, target);
        QFETCH(bool, ordinaryUser);
        QFETCH(QString, message);
        Setup setup;
        setup.writeList({setup.sources});
        if (ordinaryUser && !setup.runAsOrdinaryUser())
            QSKIP("only root can show what another user may not do");
        // Made after the tree was given away: root's, as another user's files are.
        const QString sticky = setup.tree.makeDir(QStringLiteral("zajednička"));
        QVERIFY(::chmod(QFile::encodeName(sticky).constData(), 01777) == 0);
        setup.tree.writeFile(QStringLiteral("zajednička/tuđa.zip"), "staro");
        setup.tree.makeDir(QStringLiteral("tuđa"));
        const QString file = setup.tree.path(target);
        setup.tree.writeFile(QStringLiteral("ručna.zip"), "staro");
        setup.tree.writeFile(QStringLiteral("ručna.zip.part"), "ranije");

        QCOMPARE(setup.run({QStringLiteral("--manual"), file, QStringLiteral("--overwrite")}), 2);
        message.replace(QStringLiteral("FOLDER"), QFileInfo(file).absolutePath())
            .replace(QStringLiteral("FILE"), file);
        QVERIFY2(setup.err.contains(message), qPrintable(setup.err));
        // Refused before the run: nothing was collected or written.
        QVERIFY2(!setup.err.contains(QStringLiteral("izrađujem popis")), qPrintable(setup.err));
        QFile old(file);
        QCOMPARE(old.open(QIODevice::ReadOnly) ? old.readAll() : QByteArray(),
                 QFileInfo::exists(file) ? QByteArray("staro") : QByteArray());
        QFile part(file + QStringLiteral(".part"));
        QCOMPARE(part.open(QIODevice::ReadOnly) ? part.readAll() : QByteArray(),
                 target == QStringLiteral("ručna.zip") ? QByteArray("ranije") : QByteArray());
        QVERIFY(!setup.settingsText().contains(QStringLiteral("FileR=")));
    }

    // An archive that was written whole but could not take its name (the name became a folder during
    // the run) is left under its ".part" name, and the output says it is complete and where it is.
    void aCompleteArchiveThatCannotTakeItsNameIsNamedComplete()
    {
        Setup setup;
        setup.writeList({setup.sources});
        const QString target = setup.tree.writeFile(QStringLiteral("ručna.zip"), "staro");
        const QString part = target + QStringLiteral(".part");
        QProcess process;
        setup.start(process, {QStringLiteral("--manual"), target, QStringLiteral("--overwrite")}, 2000);
        QTest::qWait(500);
        QVERIFY(QFile::remove(target));
        setup.tree.writeFile(QStringLiteral("ručna.zip/u.txt"), "mapa");
        QVERIFY(process.waitForFinished(60000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());

        QCOMPARE(process.exitCode(), 2);
        QVERIFY2(out.contains(QStringLiteral("Arhiva je dovršena, ali nije mogla dobiti naziv ") + target +
                              QStringLiteral(": cijela je u datoteci ") + part + QLatin1Char('.')),
                 qPrintable(out));
        QVERIFY2(!out.contains(QStringLiteral("Nedovršena")), qPrintable(out));
        QCOMPARE(ZipCheck::readerProblems(part), QStringList());
        QCOMPARE(ZipCheck::entryNames(part).size(), 3);
    }

    void anArchiveThatCannotBeCreatedFailsTheRun()
    {
        Setup setup;
        setup.writeList({setup.sources});
        const QString target = setup.tree.path(QStringLiteral("nema/mape/a.zip"));
        QCOMPARE(setup.run({QStringLiteral("--manual"), target}), 2);
        QVERIFY2(setup.out.startsWith(QStringLiteral("Arhiviranje nije uspjelo: arhivu ") + target +
                                      QStringLiteral(" nije moguće zapisati (")),
                 qPrintable(setup.out));
        // No archive was made, so none is recorded as the last one.
        QVERIFY(!setup.settingsText().contains(QStringLiteral("FileR=")));
    }

    // A full disk is not a missing source: the run ends at once with the archive error and its cause.
    void anArchiveThatCannotBeWrittenFailsTheRunWithItsCause()
    {
        Setup setup;
        // Random bytes, which no compression shrinks.
        QByteArray noise(300 << 10, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        for (int i = 0; i < 6; ++i)
            setup.tree.writeFile(QStringLiteral("izvor/veliko/%1.bin").arg(i), noise + QByteArray::number(i));
        setup.writeList({setup.sources});
        setup.writeSettings(setup.archiveFolder);
        setup.fileSizeLimit = 512 << 10;
        QCOMPARE(setup.run(), 2);
        // The headline says that the run failed, and why, instead of announcing a finished archive.
        QVERIFY2(setup.out.startsWith(QStringLiteral("Arhiviranje nije uspjelo: arhivu ")),
                 qPrintable(setup.out));
        QVERIFY2(setup.out.contains(SystemReason::text(EFBIG)), qPrintable(setup.out));
        QVERIFY(!setup.out.contains(QStringLiteral("Arhiviranje je završeno u arhivu")));
        QVERIFY(!setup.out.contains(QStringLiteral("Arhiviranje je izvršeno na mapi")));
        // No source is reported unavailable.
        QVERIFY2(!setup.err.contains(QStringLiteral("Tijekom arhiviranja")), qPrintable(setup.err));
    }

    // An ordinary user's run into an archive folder of root's: the archive cannot be made, the run says
    // so once and stops there. Nothing is finalised, and no source is reported missing from an archive
    // that does not exist (the one not there, or the one the user may not read, which the run never got
    // to).
    void aRunWhoseArchiveCannotBeMadeSaysSoOnceAndNoMore()
    {
        Setup setup;
        const QString secret = setup.tree.writeFile(QStringLiteral("izvor/tajno.txt"), "tajna");
        const QString absent = setup.tree.path(QStringLiteral("nema/ovoga"));
        setup.writeList({setup.sources, absent});
        setup.writeSettings(setup.archiveFolder);
        if (!setup.runAsOrdinaryUser())
            QSKIP("starting the program as another user needs root");
        for (const QString &path : {setup.archiveFolder, secret})
            QVERIFY(::chown(QFile::encodeName(path).constData(), 0, 0) == 0);
        QVERIFY(::chmod(QFile::encodeName(secret).constData(), 0600) == 0);

        QCOMPARE(setup.run(), 2);
        const QString said = setup.err + setup.out;
        QCOMPARE(said.count(QStringLiteral("Arhiviranje nije uspjelo")), 1);
        QVERIFY2(setup.out.startsWith(QStringLiteral("Arhiviranje nije uspjelo: arhivu ")), qPrintable(said));
        QCOMPARE(said.count(SystemReason::text(EACCES)), 1);
        QVERIFY2(!said.contains(QStringLiteral("finaliziram")), qPrintable(said));
        QVERIFY2(!said.contains(QStringLiteral("Tijekom arhiviranja")), qPrintable(said));
        QVERIFY2(!said.contains(QStringLiteral("nisu nađene")), qPrintable(said));
        QVERIFY2(!said.contains(absent), qPrintable(said));
        QCOMPARE(QDir(setup.archiveFolder).entryList(QDir::Files), QStringList());
        QVERIFY(!setup.settingsText().contains(QStringLiteral("FileA=")));
    }

    // Output into a pipe that closes early (arkivoda-cli 2>&1 | head -1) never ends the run.
    void aClosedOutputPipeDoesNotEndTheRun()
    {
        Setup setup;
        for (int i = 0; i < 200; ++i)
            setup.tree.writeFile(QStringLiteral("izvor/mnogo/%1.txt").arg(i),
                                 QByteArray(5000, char('a' + i % 26)));
        setup.writeList({setup.sources});
        setup.writeSettings(setup.archiveFolder);
        QProcess head;
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardOutputProcess(&head);
        head.start(QStringLiteral("head"), {QStringLiteral("-1")});
        QVERIFY(head.waitForStarted());
        setup.start(process, {});
        QVERIFY(head.waitForFinished(60000));
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString archive = setup.archiveFolder + setup.archives().value(0);
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(ZipCheck::entryNames(archive).size(), 2 + 200 + 2);
    }

    // Two runs that want one archive name at the same moment (two daily schedules at the same time, or
    // two manual runs into one file): never a corrupt archive or one lost under a run that reports
    // success. A run that cannot have the name fails with status 2; every run that succeeds has its
    // complete archive.
    void concurrentRunsIntoOneName_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::newRow("two automatic runs of two configurations") << false;
        QTest::newRow("two manual runs into one file with --overwrite") << true;
    }

    void concurrentRunsIntoOneName()
    {
        QFETCH(bool, manual);
        Setup setup;
        QByteArray data(2 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < data.size(); ++i)
            data[i] = char((i * 2654435761u) >> 21);
        for (int i = 0; i < 8; ++i)
            setup.tree.writeFile(QStringLiteral("izvor/veliko/%1.bin").arg(i), data + QByteArray::number(i));
        const int sourceFiles = 2 + 8;
        const QStringList configurations = {QStringLiteral("Prvi"), QStringLiteral("Drugi")};
        for (const QString &name : configurations) {
            setup.writeList({setup.sources}, name + QLatin1Char('_'));
            setup.writeSettings(setup.archiveFolder, name + QLatin1Char('_'));
        }
        const QString target = setup.archiveFolder + QStringLiteral("zajednička.zip");

        for (int attempt = 0; attempt < 3; ++attempt) {
            QProcess first;
            QProcess second;
            const auto arguments = [&](const QString &name) {
                return manual ? QStringList{QStringLiteral("--manual"), target, QStringLiteral("--overwrite"),
                                            name}
                              : QStringList{name};
            };
            setup.start(first, arguments(configurations[0]));
            setup.start(second, arguments(configurations[1]));
            QVERIFY(first.waitForFinished(120000));
            QVERIFY(second.waitForFinished(120000));
            QCOMPARE(first.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);

            QMap<QString, int> successes;
            for (int run = 0; run < 2; ++run) {
                const int status = (run == 0 ? first : second).exitCode();
                QVERIFY2(status == 0 || status == 2, qPrintable(QString::number(status)));
                const QString settings = setup.settingsText(configurations[run] + QLatin1Char('_'));
                const QString archive = QRegularExpression(QStringLiteral("File[AR]=(.*)\r?\n"))
                                            .match(settings)
                                            .captured(1)
                                            .trimmed();
                if (status != 0)
                    continue;
                ++successes[archive];
                QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
                QCOMPARE(ZipCheck::entryNames(archive).size(), sourceFiles + 2);
            }
            for (auto it = successes.cbegin(); it != successes.cend(); ++it)
                QVERIFY2(it.value() == 1, qPrintable(it.key()));
            QVERIFY(!successes.isEmpty());
            for (const QString &archive : setup.archives())
                QFile::remove(setup.archiveFolder + archive);
        }
    }

    // --verify reads any archive back: a sound one gives status 0, a damaged one 3 with its fault.
    void verifyChecksAnArchive_data()
    {
        QTest::addColumn<qint64>("cut");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("sound") << qint64(0) << 0 << QStringLiteral("je ispravna: provjerena su 3 zapisa.");
        QTest::newRow("truncated") << qint64(30) << 3
                                   << QStringLiteral("nije ispravna: arhiva je oštećena ili nepotpuna");
        // A pipe nobody writes to would hold the open forever.
        QTest::newRow("pipe") << qint64(-1) << 3 << QStringLiteral("nije ispravna: nije obična datoteka");
    }

    void verifyChecksAnArchive()
    {
        QFETCH(qint64, cut);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        Setup setup;
        setup.writeList({setup.sources});
        const QString archive = setup.tree.path(QStringLiteral("r.zip"));
        QCOMPARE(setup.run({QStringLiteral("--manual"), archive}), 0);
        if (cut < 0)
            QVERIFY(QFile::remove(archive) && ::mkfifo(QFile::encodeName(archive).constData(), 0600) == 0);
        else
            QVERIFY(QFile::resize(archive, QFileInfo(archive).size() - cut));

        QCOMPARE(setup.run({QStringLiteral("--verify"), archive}), exitCode);
        QVERIFY2(setup.out.contains(archive + QLatin1Char(' ') + said), qPrintable(setup.out));
    }

    // Encrypted entries cannot be checked without their password: status 1, worded as not checked in
    // full, never as damage.
    void verifySaysWhatItCannotCheck()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty())
            QSKIP("Info-ZIP zip is not installed");
        Setup setup;
        const QString archive = setup.tree.path(QStringLiteral("sifra.zip"));
        const QString source = setup.tree.path(QStringLiteral("tajna.txt"));
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("tajni podaci\n");
        file.close();
        QCOMPARE(QProcess::execute(QStringLiteral("zip"),
                                   {QStringLiteral("-q"), QStringLiteral("-j"), QStringLiteral("-P"),
                                    QStringLiteral("lozinka"), archive, source}),
                 0);

        QCOMPARE(setup.run({QStringLiteral("--verify"), archive}), 1);
        QVERIFY2(setup.out.contains(archive + QStringLiteral(" nije provjerena do kraja")),
                 qPrintable(setup.out));
        QVERIFY2(
            setup.out.contains(QStringLiteral("tajna.txt: šifrirano: ne može se provjeriti bez lozinke")),
            qPrintable(setup.out));
        QVERIFY2(!setup.out.contains(QStringLiteral("nije ispravna")), qPrintable(setup.out));
    }

    void reasonsSpeakTheConfiguredLanguage_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("scenario");
        for (const bool english : {false, true}) {
            for (const char *scenario : {"verify cut", "verify flipped", "list cut", "restore cut",
                                         "restore flipped", "full disk", "copy to an unknown remote"})
                QTest::addRow("%s, %s", english ? "English" : "Croatian", scenario)
                    << english << QString::fromLatin1(scenario);
        }
    }

    // What a damaged archive, a full disk and a failed copy make the command line say is all in the
    // configured language, the reasons of the archive unit and of the system included.
    void reasonsSpeakTheConfiguredLanguage()
    {
        QFETCH(bool, english);
        QFETCH(QString, scenario);
        Setup setup;
        setup.writeList({setup.sources});
        setup.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                             (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + setup.archiveFolder +
                              QStringLiteral("\r\n[Udaljeno]\r\nCilj=nepoznato7:kopije\r\n") +
                              (english ? QStringLiteral("[Program]\r\nJezik=EN\r\n") : QString()))
                                 .toUtf8());
        // An archive of one stored entry, damaged as the scenario says.
        const QString archive = setup.tree.path(QStringLiteral("r1.zip"));
        {
            TZipFile zip;
            zip.Open(QFile::encodeName(archive).toStdString(), zmWrite);
            zip.Add(TBytes(65536, 's'), "s1.bin", zcStored);
            zip.Close();
        }
        QFile file(archive);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        if (scenario.endsWith(QStringLiteral("cut")))
            bytes.chop(30);
        else if (scenario.endsWith(QStringLiteral("flipped")))
            bytes[bytes.indexOf(QByteArray(64, 's')) + 100] ^= 0x01;
        QVERIFY(file.resize(0) && file.seek(0) && file.write(bytes) == bytes.size());
        file.close();

        int status = 0;
        if (scenario.startsWith(QStringLiteral("verify"))) {
            status = setup.run({QStringLiteral("--verify"), archive});
        } else if (scenario.startsWith(QStringLiteral("list"))) {
            status = setup.run({QStringLiteral("--list"), archive});
        } else if (scenario.startsWith(QStringLiteral("restore"))) {
            status = setup.run({QStringLiteral("--restore"), archive, QStringLiteral("--to"),
                                setup.tree.path(QStringLiteral("natrag"))});
        } else if (scenario == QStringLiteral("full disk")) {
            QByteArray noise(300 << 10, Qt::Uninitialized);
            QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
            for (int i = 0; i < 3; ++i)
                setup.tree.writeFile(QStringLiteral("izvor/veliko/%1.bin").arg(i),
                                     noise + QByteArray::number(i));
            setup.fileSizeLimit = 512 << 10;
            status = setup.run();
        } else {
            if (QStandardPaths::findExecutable(QStringLiteral("rclone")).isEmpty())
                QSKIP("rclone is not installed");
            status = setup.run({QStringLiteral("--copy"), archive});
        }
        QVERIFY2(status != 0, qPrintable(setup.out + setup.err));
        const QString said = setup.out + setup.err;
        const QStringList foreign = LanguageWords::foreignWords(said, english);
        QVERIFY2(foreign.isEmpty(),
                 qPrintable(said + QStringLiteral(" <- ") + foreign.join(QStringLiteral(", "))));
    }

    void helpExplainsInCroatian()
    {
        Setup setup;
        QCOMPARE(setup.run({QStringLiteral("--help")}), 0);
        QVERIFY(setup.out.contains(QStringLiteral("Uporaba: arkivoda-cli [lista]")));
        QVERIFY(setup.out.contains(QStringLiteral("Ctrl+C")));
    }

    void versionIsTheProgramsVersion()
    {
        Setup setup;
        QCOMPARE(setup.run({QStringLiteral("--version")}), 0);
        QCOMPARE(setup.out, QStringLiteral("arkivoda-cli " ARKIVODA_VERSION "\n"));
    }

    void theLanguageOfTheConfiguration_data()
    {
        QTest::addColumn<QString>("jezik");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QStringList help{QStringLiteral("--help")};
        QTest::newRow("help, EN") << QStringLiteral("EN") << help << 0
                                  << QStringLiteral("Usage: arkivoda-cli [list]");
        QTest::newRow("help, HR") << QStringLiteral("HR") << help << 0
                                  << QStringLiteral("Uporaba: arkivoda-cli [lista]");
        // Neither code, compared with case: the built-in Croatian stays.
        QTest::newRow("help, en") << QStringLiteral("en") << help << 0
                                  << QStringLiteral("Uporaba: arkivoda-cli [lista]");
        QTest::newRow("refusal, EN") << QStringLiteral("EN") << QStringList{QStringLiteral("--brzo")} << 2
                                     << QStringLiteral(
                                            "Unknown option: --brzo\nFor help, run: arkivoda-cli --help\n");
        QTest::newRow("refusal, HR") << QStringLiteral("HR") << QStringList{QStringLiteral("-x")} << 2
                                     << QStringLiteral("Nepoznata opcija: -x\nUpute: arkivoda-cli --help\n");
        QTest::newRow("run, EN") << QStringLiteral("EN") << QStringList() << 0
                                 << QStringLiteral("Backup completed in the folder");
    }

    // "Jezik" of the configuration the command line names selects the language module, as in the
    // desktop program.
    void theLanguageOfTheConfiguration()
    {
        QFETCH(QString, jezik);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        Setup setup;
        const QString prefix = QStringLiteral("Posao_");
        setup.writeList({setup.sources}, prefix);
        setup.tree.writeFile(QStringLiteral("config/Arkivoda/Posao_Arkivoda.ini"),
                             (QStringLiteral("[Program]\r\nJezik=") + jezik +
                              QStringLiteral("\r\n[LokacijaAuto]\r\nPutanja=") + setup.archiveFolder +
                              QStringLiteral("\r\n"))
                                 .toUtf8());
        QCOMPARE(setup.run(arguments + QStringList{QStringLiteral("Posao")}), exitCode);
        QVERIFY2(QString(setup.out + setup.err).contains(output), qPrintable(setup.out + setup.err));
        if (arguments.isEmpty()) {
            QVERIFY2(setup.out.contains(QStringLiteral("Files archived: 2")), qPrintable(setup.out));
            QVERIFY2(setup.err.contains(QStringLiteral("backup completed")), qPrintable(setup.err));
        }
        // Without a name the unnamed configuration holds no language: Croatian.
        QCOMPARE(setup.run({QStringLiteral("--help")}), 0);
        QVERIFY(setup.out.startsWith(QStringLiteral("Uporaba: arkivoda-cli [lista]")));
    }

    void interrupts_data()
    {
        QTest::addColumn<QList<int>>("signalsSent");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("startDelay");
        QTest::newRow("Ctrl+C stops") << QList<int>{SIGINT} << 1 << 4000;
        QTest::newRow("SIGTERM stops") << QList<int>{SIGTERM} << 1 << 4000;
        QTest::newRow("a closed terminal stops") << QList<int>{SIGHUP} << 1 << 4000;
        // A long wait, so that a program that waited for the worker would exit long after the deadline.
        QTest::newRow("a second one forces the stop") << QList<int>{SIGINT, SIGTERM} << 2 << 12000;
    }

    void interrupts()
    {
        QFETCH(QList<int>, signalsSent);
        QFETCH(int, exitCode);
        QFETCH(int, startDelay);
        Setup setup;
        setup.writeList({setup.sources});
        setup.writeSettings(setup.archiveFolder);
        QProcess process;
        // The run waits before it reads the list; the signals come during that wait, long after the
        // program has started and installed its handlers.
        setup.start(process, {}, startDelay);
        QTest::qWait(1000);
        QElapsedTimer sinceLastSignal;
        for (const int signalNumber : signalsSent) {
            ::kill(pid_t(process.processId()), signalNumber);
            sinceLastSignal.start();
            QTest::qWait(100);
        }
        QVERIFY(process.waitForFinished(60000));
        const qint64 exitAfter = sinceLastSignal.elapsed();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString archive = setup.archiveFolder + setup.archives().value(0);
        if (signalsSent.size() == 1) {
            // Stopped before the first file: a valid archive holding only the folder entry.
            QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
            QCOMPARE(ZipCheck::entryNames(archive),
                     QStringList{setup.sources.mid(1) + QStringLiteral("/mapa/")});
            QVERIFY(QString::fromUtf8(process.readAllStandardError())
                        .contains(QStringLiteral("arhiviranje je prekinuto, izrađena je djelomična arhiva")));
            const QString out = QString::fromUtf8(process.readAllStandardOutput());
            QVERIFY2(
                out.startsWith(
                    QStringLiteral("Arhiviranje je prekinuto; djelomična arhiva spremljena je u ") + archive),
                qPrintable(out));
        } else {
            // The worker is still in its wait and cannot react: the forced stop ends the program two
            // seconds later all the same (with room for a busy machine), before any archive exists.
            QVERIFY2(exitAfter < 6000, qPrintable(QString::number(exitAfter)));
            QCOMPARE(setup.archives(), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_CliRun.moc"
