#include "RemoteServers.h"
#include "TempTree.h"
#include "ZipCheck.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

QString cliPath()
{
    return qEnvironmentVariable("ARKIVODA_BINARY_DIR") + u"/bin/arkivoda-cli"_s;
}

QByteArray sha256Of(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return "<unreadable>";
    return hash.result().toHex();
}

} // namespace

// The command line's copy to a remote target: after a run, and with --copy FILE; exit status 4 when the
// copy fails, the local archive untouched.
class TestCliCopy : public QObject
{
    Q_OBJECT

    std::unique_ptr<RemoteServers> m_servers;

    struct Setup
    {
        explicit Setup(const QString &target, int keep = 0, const QString &extraSettings = QString())
        {
            tree.makeDir(u"config/Arkivoda"_s);
            archiveFolder = tree.makeDir(u"arhiva"_s) + u'/';
            tree.writeFile(u"izvor/a.txt"_s, "a");
            tree.writeFile(u"izvor/mapa/b.txt"_s, QByteArray(100000, 'b'));
            tree.writeFile(u"config/Arkivoda/Arkivoda_bcklst.txt"_s,
                           (tree.path(u"izvor"_s) + u"\r\n"_s).toUtf8());
            tree.writeFile(u"config/Arkivoda/Arkivoda.ini"_s,
                           (u"[LokacijaAuto]\r\nPutanja="_s + archiveFolder + u"\r\n[Udaljeno]\r\nCilj="_s +
                            target + u"\r\nZadrzi="_s + QString::number(keep) + u"\r\n"_s + extraSettings)
                               .toUtf8());
        }

        void start(QProcess &process, const QStringList &arguments) const
        {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"XDG_CONFIG_HOME"_s, tree.path(u"config"_s));
            environment.insert(u"ARKIVODA_START_DELAY_MS"_s, u"0"_s);
            process.setProcessEnvironment(environment);
            process.start(cliPath(), arguments);
        }

        int run(const QStringList &arguments = {})
        {
            QProcess process;
            start(process, arguments);
            [&] { QVERIFY(process.waitForFinished(120000)); }();
            out = QString::fromUtf8(process.readAllStandardOutput());
            err = QString::fromUtf8(process.readAllStandardError());
            return process.exitCode();
        }

        QStringList archives() const { return QDir(archiveFolder).entryList({u"*.zip"_s}, QDir::Files); }

        TempTree tree;
        QString archiveFolder;
        QString out;
        QString err;
    };

  private slots:
    void initTestCase()
    {
        m_servers = std::make_unique<RemoteServers>();
        QString why;
        if (!m_servers->start(&why))
            QFAIL(qPrintable(why));
    }

    void cleanupTestCase() { m_servers.reset(); }

    // A run's complete archive goes to the target; a target that cannot be reached gives status 4 and
    // the reason, while the archive stays here, recorded.
    void runSendsItsArchive_data()
    {
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<int>("status");
        QTest::newRow("sftp") << true << 0;
        QTest::newRow("server down") << false << 4;
    }

    void runSendsItsArchive()
    {
        QFETCH(bool, reachable);
        QFETCH(int, status);
        const QString folder = m_servers->sftpFolder() + u"/run"_s;
        Setup setup(reachable ? m_servers->sftpTarget() + u"/run"_s : m_servers->downTarget());
        QCOMPARE(setup.run(), status);
        QCOMPARE(setup.archives().size(), 1);
        const QString archive = setup.archiveFolder + setup.archives().first();
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        if (reachable) {
            QCOMPARE(QDir(folder).entryList(QDir::Files), setup.archives());
            QCOMPARE(sha256Of(folder + u'/' + setup.archives().first()), sha256Of(archive));
            QVERIFY2(setup.out.contains(u"Kopija je poslana i provjerena"_s), qPrintable(setup.out));
        } else {
            QVERIFY2(setup.out.contains(u"Kopija nije poslana na down:kopije"_s), qPrintable(setup.out));
            QVERIFY2(setup.out.contains(u"connection refused"_s), qPrintable(setup.out));
        }
        QDir(folder).removeRecursively();
    }

    // --copy FILE: the outcomes and their status.
    void copyOption_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("sent") << u"sftp"_s << u"Arhiva_2026.01.02__03.04.05.zip"_s << 0
                              << u"Kopija je poslana i provjerena"_s;
        QTest::newRow("webdav") << u"dav"_s << u"Arhiva_2026.01.02__03.04.05.zip"_s << 0
                                << u"Kopija je poslana i provjerena"_s;
        QTest::newRow("server down") << u"down"_s << u"Arhiva_2026.01.02__03.04.05.zip"_s << 4
                                     << u"connection refused"_s;
        QTest::newRow("no target") << QString() << u"Arhiva_2026.01.02__03.04.05.zip"_s << 2
                                   << u"Udaljeni cilj kopija nije postavljen"_s;
        QTest::newRow("no such file") << u"sftp"_s << u"nema.zip"_s << 2 << u"nije arhivska datoteka"_s;
        QTest::newRow("damaged archive") << u"sftp"_s << u"ostecena.zip"_s << 3 << u"kopija nije poslana"_s;
        // rclone would take a bare name for a folder below the working folder.
        QTest::newRow("target without a colon")
            << u"nas"_s << u"Arhiva_2026.01.02__03.04.05.zip"_s << 4 << u"ni apsolutna putanja mape"_s;
    }

    void copyOption()
    {
        QFETCH(QString, target);
        QFETCH(QString, file);
        QFETCH(int, status);
        QFETCH(QString, said);
        const QString folder = m_servers->sftpFolder() + u"/option"_s;
        const QString remote = target == u"sftp"_s   ? m_servers->sftpTarget() + u"/option"_s
                               : target == u"dav"_s  ? m_servers->webdavTarget()
                               : target == u"down"_s ? m_servers->downTarget()
                                                     : target;
        Setup setup(remote);
        QCOMPARE(setup.run({u"--manual"_s, setup.tree.path(u"Arhiva_2026.01.02__03.04.05.zip"_s)}),
                 remote.isEmpty()                            ? 0
                 : target == u"down"_s || target == u"nas"_s ? 4
                                                             : 0);
        const QString archive = setup.tree.path(u"Arhiva_2026.01.02__03.04.05.zip"_s);
        if (file == u"ostecena.zip"_s) {
            // A byte changed in the middle of a stored file: its CRC no longer matches.
            QVERIFY(QFile::copy(archive, setup.tree.path(file)));
            QFile damaged(setup.tree.path(file));
            QVERIFY(damaged.open(QIODevice::ReadWrite) && damaged.seek(damaged.size() / 2));
            const char byte = damaged.read(1).at(0);
            QVERIFY(damaged.seek(damaged.size() / 2));
            damaged.write(QByteArray(1, char(~byte)));
        }
        // The copies of that run go; WebDAV's through its server, which keeps a view of its folders.
        QDir(folder).removeRecursively();
        QProcess::execute(u"rclone"_s, {u"deletefile"_s,
                                        m_servers->webdavTarget() + u"/Arhiva_2026.01.02__03.04.05.zip"_s});
        const QByteArray before = sha256Of(archive);

        QCOMPARE(setup.run({u"--copy"_s, setup.tree.path(file)}), status);
        const QString output = setup.out + setup.err;
        QVERIFY2(output.contains(said), qPrintable(output));
        QCOMPARE(sha256Of(archive), before);
        if (status == 0) {
            const QString sent = (target == u"sftp"_s ? folder : m_servers->webdavFolder() + u"/kopije"_s) +
                                 u"/Arhiva_2026.01.02__03.04.05.zip"_s;
            QCOMPARE(sha256Of(sent), before);
        } else {
            QVERIFY(!QFileInfo::exists(folder + u'/' + file));
            QVERIFY(!QFileInfo::exists(u"nas"_s));
        }
        QDir(folder).removeRecursively();
        QDir(m_servers->webdavFolder() + u"/kopije"_s).removeRecursively();
    }

    // A copy of an older archive never deletes the newer copies there.
    void copyOfAnOlderArchiveKeepsNewerCopies()
    {
        const QString folder = m_servers->sftpFolder() + u"/older"_s;
        Setup setup(m_servers->sftpTarget() + u"/older"_s, 2);
        const QStringList newer{u"Arhiva_2020.01.05__10.00.00.zip"_s, u"Arhiva_2020.01.06__10.00.00.zip"_s,
                                u"Arhiva_2020.01.07__10.00.00.zip"_s};
        // Copies that automatic runs sent, on the configuration's record.
        QString record = u"Pocetak 2020.01.01__00.00.00\n"_s;
        QVERIFY(QDir().mkpath(folder));
        for (const QString &name : newer) {
            QFile file(folder + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("PK");
            record += u"A "_s + name + u'\n';
        }
        const QString older = u"Arhiva_2020.01.04__10.00.00.zip"_s;
        QCOMPARE(setup.run({u"--manual"_s, setup.tree.path(older)}), 0);
        setup.tree.writeFile(u"config/Arkivoda/Arkivoda_arhive.txt"_s,
                             (record + u"A "_s + older + u'\n').toUtf8());

        QCOMPARE(setup.run({u"--copy"_s, setup.tree.path(older)}), 0);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{older} + newer);
        QDir(folder).removeRecursively();
    }

    // The copies there go by the same rule as the archives here: only after a verified run that read
    // every source.
    void remoteRetentionFollowsTheLocalRule_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("sourceMissing");
        QTest::addColumn<bool>("pruned");
        QTest::newRow("verified") << QString() << false << true;
        QTest::newRow("not verified") << u"[Program]\r\nProvjera=0\r\n"_s << false << false;
        QTest::newRow("a source missing") << QString() << true << false;
    }

    void remoteRetentionFollowsTheLocalRule()
    {
        QFETCH(QString, settings);
        QFETCH(bool, sourceMissing);
        QFETCH(bool, pruned);
        const QString folder = m_servers->sftpFolder() + u"/rule"_s;
        Setup setup(m_servers->sftpTarget() + u"/rule"_s, 1, settings);
        if (sourceMissing)
            setup.tree.writeFile(
                u"config/Arkivoda/Arkivoda_bcklst.txt"_s,
                (setup.tree.path(u"izvor"_s) + u"\r\n"_s + setup.tree.path(u"nema"_s) + u"\r\n"_s).toUtf8());
        const QStringList older{u"Arhiva_2020.01.01__10.00.00.zip"_s, u"Arhiva_2020.01.02__10.00.00.zip"_s};
        QVERIFY(QDir().mkpath(folder));
        for (const QString &name : older) {
            QFile file(folder + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("PK");
        }
        QCOMPARE(setup.run(), sourceMissing ? 1 : 0);
        QStringList expected = setup.archives();
        if (!pruned)
            expected = older + expected;
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), expected);
        QDir(folder).removeRecursively();
    }

    // Ctrl+C during the copy ends it: status 4, the local archive whole, nothing under its name there.
    void interruptStopsTheCopy()
    {
        const QString folder = m_servers->sftpFolder() + u"/interrupt"_s;
        Setup setup(m_servers->sftpTarget() + u"/interrupt"_s);
        // Random data, so that the archive stays as large as the file and the copy takes seconds.
        QByteArray block(1 << 20, Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (qsizetype at = 0; at + 4 <= block.size(); at += 4)
            *reinterpret_cast<quint32 *>(block.data() + at) = generator.generate();
        QFile big(setup.tree.path(u"izvor/velika.bin"_s));
        QVERIFY(big.open(QIODevice::WriteOnly));
        for (int i = 0; i < 250; ++i)
            big.write(block);
        big.close();

        QProcess process;
        setup.start(process, {u"--manual"_s, setup.tree.path(u"Arhiva.zip"_s)});
        QVERIFY(process.waitForStarted());
        // The copy's progress line comes once the archive is complete; the interrupt follows it.
        QByteArray err;
        QElapsedTimer clock;
        clock.start();
        while (!err.contains("šaljem kopiju") && clock.elapsed() < 120000) {
            process.waitForReadyRead(200);
            err += process.readAllStandardError();
        }
        QVERIFY2(err.contains("šaljem kopiju"), err.constData());
        QTest::qWait(1500);
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(30000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        QCOMPARE(process.exitCode(), 4);
        QVERIFY2(out.contains(u"slanje je prekinuto"_s), qPrintable(out));
        const QString archive = setup.tree.path(u"Arhiva.zip"_s);
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QVERIFY(!QFile::exists(folder + u"/Arhiva.zip"_s));
        QDir(folder).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(TestCliCopy)
#include "tst_CliCopy.moc"
