#include "RemoteServers.h"
#include "TempTree.h"
#include "ZipCheck.h"
#include "config/ProgramSettings.h"
#include "run/ArchiveRecord.h"
#include "run/RemoteCopy.h"
#include "run/RetentionPlan.h"
#include "zip/TZipFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
Q_DECLARE_METATYPE(RemoteCopy::Outcome)
Q_DECLARE_METATYPE(RemoteCopy::Check::Kind)

namespace {

QByteArray sha256Of(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return "<unreadable>";
    return hash.result().toHex();
}

// A real archive of about payloadBytes, stored so that it is quick to make at any size.
QString makeArchive(const TempTree &tree, const QString &name, qint64 payloadBytes)
{
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator generator(static_cast<quint32>(payloadBytes));
    for (qsizetype at = 0; at + 4 <= block.size(); at += 4)
        *reinterpret_cast<quint32 *>(block.data() + at) = generator.generate();
    const QString payload = tree.path(u"payload.bin"_s);
    QFile file(payload);
    file.open(QIODevice::WriteOnly);
    for (qint64 written = 0; written < payloadBytes; written += block.size())
        file.write(
            block.left(static_cast<qsizetype>(std::min<qint64>(block.size(), payloadBytes - written))));
    file.close();
    const QString archive = tree.path(name);
    TZipFile zip;
    zip.Open(QFile::encodeName(archive).toStdString(), zmWrite);
    zip.Add(QFile::encodeName(payload).toStdString(), "payload.bin", zcStored);
    zip.Close();
    QFile::remove(payload);
    return archive;
}

// The files below a folder that sftp or WebDAV serves, as names relative to it.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestRemoteCopy : public QObject
{
    Q_OBJECT

    std::unique_ptr<RemoteServers> m_servers;

  private slots:
    void initTestCase()
    {
        m_servers = std::make_unique<RemoteServers>();
        QString why;
        if (!m_servers->start(&why))
            QFAIL(qPrintable(why));
    }

    void cleanupTestCase() { m_servers.reset(); }

    // A copy arrives byte for byte under its name, confirmed by hash over SSH and by size over WebDAV,
    // and nothing is left under ".part".
    void copyArrivesWhole_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<qint64>("size");
        QTest::newRow("sftp, hash compared") << true << qint64(3 << 20);
        QTest::newRow("webdav, size compared") << false << qint64(3 << 20);
        QTest::newRow("sftp, empty payload") << true << qint64(0);
    }

    void copyArrivesWhole()
    {
        QFETCH(bool, sftp);
        QFETCH(qint64, size);
        TempTree tree;
        const QString archive = makeArchive(tree, u"Arhiva_2026.01.02__03.04.05.zip"_s, size);
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        const QByteArray before = sha256Of(archive);
        const QString target = sftp ? m_servers->sftpTarget() + u"/whole"_s : m_servers->webdavTarget();
        const QString folder =
            sftp ? m_servers->sftpFolder() + u"/whole"_s : m_servers->webdavFolder() + u"/kopije"_s;

        RemoteCopy copy(target, 0);
        QList<int> percents;
        copy.setProgressHandler([&percents](int percent) { percents.append(percent); });
        const RemoteCopy::Result result = copy.send(archive, u"Arhiva"_s, nullptr);
        QVERIFY2(result.confirmed(), qPrintable(result.reason));
        QCOMPARE(result.remoteFile, target + u"/Arhiva_2026.01.02__03.04.05.zip"_s);
        QCOMPARE(filesIn(folder), QStringList{u"Arhiva_2026.01.02__03.04.05.zip"_s});
        QCOMPARE(sha256Of(folder + u"/Arhiva_2026.01.02__03.04.05.zip"_s), before);
        QCOMPARE(sha256Of(archive), before);
        for (int percent : std::as_const(percents))
            QVERIFY(percent >= 0 && percent <= 100);
        QVERIFY(RemoteCopy::text(result, target).contains(result.remoteFile));

        // Sent again, the copy replaces the one there.
        QVERIFY(copy.send(archive, u"Arhiva"_s, nullptr).confirmed());
        QCOMPARE(filesIn(folder), QStringList{u"Arhiva_2026.01.02__03.04.05.zip"_s});
        QDir(folder).removeRecursively();
    }

    // Every failure leaves the local archive as it was, says why, and ends within the timeout.
    void failureIsWorded_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("withRclone");
        QTest::addColumn<RemoteCopy::Outcome>("outcome");
        QTest::addColumn<QString>("reason");
        QTest::newRow("server down") << u"down:kopije"_s << true << RemoteCopy::Outcome::Failed
                                     << u"connection refused"_s;
        QTest::newRow("unknown remote")
            << u"nepoznato:kopije"_s << true << RemoteCopy::Outcome::Failed << u"rclone ne poznaje"_s;
        // Without a colon rclone would copy into a folder below the working folder.
        QTest::newRow("no remote, no absolute path")
            << u"nas"_s << true << RemoteCopy::Outcome::Failed << u"ni apsolutna putanja"_s;
        QTest::newRow("no rclone") << u"sftp:/tmp"_s << false << RemoteCopy::Outcome::NoRclone << u"rclone"_s;
    }

    void failureIsWorded()
    {
        QFETCH(QString, target);
        QFETCH(bool, withRclone);
        QFETCH(RemoteCopy::Outcome, outcome);
        QFETCH(QString, reason);
        TempTree tree;
        const QString archive = makeArchive(tree, u"Arhiva_2026.01.02__03.04.05.zip"_s, 1 << 20);
        const QByteArray before = sha256Of(archive);
        const QByteArray path = qgetenv("PATH");
        if (!withRclone)
            qputenv("PATH", QFile::encodeName(tree.makeDir(u"empty"_s)));
        RemoteCopy copy(target, 3);
        QElapsedTimer clock;
        clock.start();
        const RemoteCopy::Result result = copy.send(archive, u"Arhiva"_s, nullptr);
        qputenv("PATH", path);
        QCOMPARE(result.outcome, outcome);
        QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(RemoteCopy::text(result, target).contains(result.reason));
        QCOMPARE(filesIn(tree.root()), QStringList{u"Arhiva_2026.01.02__03.04.05.zip"_s});
        QCOMPARE(sha256Of(archive), before);
    }

    // A stop during the transfer ends rclone at once, counts as stopped, leaves the local archive whole
    // and nothing at the target under the archive's name.
    void stopDuringTheCopy()
    {
        TempTree tree;
        const QString archive = makeArchive(tree, u"Arhiva_2026.01.02__03.04.05.zip"_s, qint64(400) << 20);
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        const QByteArray before = sha256Of(archive);
        const QString folder = m_servers->sftpFolder() + u"/stop"_s;
        RemoteCopy copy(m_servers->sftpTarget() + u"/stop"_s, 0);
        QElapsedTimer sinceStop;
        copy.setProgressHandler([&](int percent) {
            if (percent > 0 && !sinceStop.isValid()) {
                sinceStop.start();
                copy.stop();
            }
        });
        const RemoteCopy::Result result = copy.send(archive, u"Arhiva"_s, nullptr);
        QCOMPARE(result.outcome, RemoteCopy::Outcome::Stopped);
        QVERIFY(sinceStop.isValid());
        QVERIFY2(sinceStop.elapsed() < 15000, qPrintable(QString::number(sinceStop.elapsed())));
        QVERIFY(!copy.sending());
        QVERIFY(!QFile::exists(folder + u"/Arhiva_2026.01.02__03.04.05.zip"_s));
        QCOMPARE(sha256Of(archive), before);
        QDir(folder).removeRecursively();
    }

    // Retention at the target keeps exactly the newest matching archives, the copy just sent among
    // them, and touches nothing else.
    void retentionKeepsExactlyN_data()
    {
        QTest::addColumn<int>("keep");
        QTest::addColumn<QStringList>("kept");
        const QStringList older{u"Arhiva_2024.03.15__14.05.09.zip"_s, u"Arhiva_2025.01.01__00.00.00.zip"_s,
                                u"Arhiva_2025.06.30__23.59.59.zip"_s};
        const QString sent = u"Arhiva_2026.01.02__03.04.05.zip"_s;
        QTest::newRow("keep 2") << 2 << QStringList{older[2], sent};
        QTest::newRow("keep 1: only the copy") << 1 << QStringList{sent};
        QTest::newRow("keep 10: all") << 10 << QStringList{older[0], older[1], older[2], sent};
        QTest::newRow("keep 0: all") << 0 << QStringList{older[0], older[1], older[2], sent};
    }

    void retentionKeepsExactlyN()
    {
        QFETCH(int, keep);
        QFETCH(QStringList, kept);
        TempTree tree;
        const QString archive = makeArchive(tree, u"Arhiva_2026.01.02__03.04.05.zip"_s, 1024);
        const QString folder = m_servers->sftpFolder() + u"/retention"_s;
        QDir().mkpath(folder + u"/Arhiva_2020.01.01__00.00.00.zip"_s);
        const QStringList lookAlikes{
            u"Arhiva_2024.03.15__14.05.09.zip.bak"_s,  u"Arhiva2_2024.03.15__14.05.09.zip"_s,
            u"Arhiva_2024.03.15__14.05.09.zip.part"_s, u"arhiva_2024.03.15__14.05.09.zip"_s,
            u"Arhiva_2024.3.15__14.05.09.zip"_s,       u"xArhiva_2024.03.15__14.05.09.zip"_s};
        for (const QString &name : lookAlikes + QStringList{u"Arhiva_2024.03.15__14.05.09.zip"_s,
                                                            u"Arhiva_2025.01.01__00.00.00.zip"_s,
                                                            u"Arhiva_2025.06.30__23.59.59.zip"_s}) {
            QFile file(folder + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name.toUtf8());
        }
        // The older copies are on record as automatic runs' archives; the look-alikes match no name.
        const ArchiveRecord known(u"2000.01.01__00.00.00"_s,
                                  {u"Arhiva_2024.03.15__14.05.09.zip"_s, u"Arhiva_2025.01.01__00.00.00.zip"_s,
                                   u"Arhiva_2025.06.30__23.59.59.zip"_s},
                                  {});
        RemoteCopy copy(m_servers->sftpTarget() + u"/retention"_s, keep);
        const RemoteCopy::Result result = copy.send(archive, u"Arhiva"_s, &known);
        QVERIFY2(result.confirmed(), qPrintable(result.reason));
        QCOMPARE(result.retentionFailure, QString());

        QStringList expected = lookAlikes + kept;
        expected.sort();
        QCOMPARE(filesIn(folder), expected);
        QVERIFY(QFileInfo(folder + u"/Arhiva_2020.01.01__00.00.00.zip"_s).isDir());
        QCOMPARE(result.deleted.size(), 4 - kept.size());
        QDir(folder).removeRecursively();
    }

    // Only copies the record knows as automatic runs' archives count or go, never one newer than the
    // copy sent; one dated after the clock is not counted either, and is named.
    void retentionFollowsTheRecord_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<int>("keep");
        QTest::addColumn<QStringList>("deleted");
        QTest::newRow("the newest sent")
            << u"Arhiva_2020.09.01__10.00.00.zip"_s << 2
            << QStringList{u"Arhiva_2020.01.01__10.00.00.zip"_s, u"Arhiva_2020.01.02__10.00.00.zip"_s,
                           u"Arhiva_2020.08.05__10.00.00.zip"_s, u"Arhiva_2020.08.06__10.00.00.zip"_s};
        QTest::newRow("an older archive sent")
            << u"Arhiva_2020.08.04__10.00.00.zip"_s << 2
            << QStringList{u"Arhiva_2020.01.01__10.00.00.zip"_s, u"Arhiva_2020.01.02__10.00.00.zip"_s};
    }

    void retentionFollowsTheRecord()
    {
        QFETCH(QString, sent);
        QFETCH(int, keep);
        QFETCH(QStringList, deleted);
        TempTree tree;
        const QString archive = makeArchive(tree, sent, 1024);
        const QString folder = m_servers->sftpFolder() + u"/record"_s;
        // Two from before the record began; one of those and one after it that manual runs wrote; three
        // automatic ones on record; one dated in the future.
        const QString future = u"Arhiva_2099.01.01__00.00.00.zip"_s;
        const QStringList present{u"Arhiva_2020.01.01__10.00.00.zip"_s, u"Arhiva_2020.01.02__10.00.00.zip"_s,
                                  u"Arhiva_2020.01.03__10.00.00.zip"_s, u"Arhiva_2020.07.01__10.00.00.zip"_s,
                                  u"Arhiva_2020.08.05__10.00.00.zip"_s, u"Arhiva_2020.08.06__10.00.00.zip"_s,
                                  u"Arhiva_2020.08.07__10.00.00.zip"_s, future};
        for (const QString &name : present) {
            QFile file(folder + u'/' + name);
            QVERIFY(QDir().mkpath(folder) && file.open(QIODevice::WriteOnly));
            file.write("PK");
        }
        const ArchiveRecord known(u"2020.06.01__00.00.00"_s, {present[4], present[5], present[6], future},
                                  {present[2]});
        RemoteCopy copy(m_servers->sftpTarget() + u"/record"_s, keep);
        const RemoteCopy::Result result = copy.send(archive, u"Arhiva"_s, &known);
        QVERIFY2(result.confirmed(), qPrintable(result.reason));
        QCOMPARE(result.deleted, deleted);
        QCOMPARE(result.futureDated, QStringList{future});
        QVERIFY(RemoteCopy::text(result, u"sftp:"_s).contains(future));
        QStringList remaining = present + QStringList{sent};
        for (const QString &name : deleted)
            remaining.removeAll(name);
        remaining.sort();
        QCOMPARE(filesIn(folder), remaining);
        QDir(folder).removeRecursively();
    }

    // The rule alone, for the archive folder and the target alike: the archive just written or sent is
    // never deleted, nor is anything newer than it.
    void retentionSelection_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<int>("keep");
        QTest::addColumn<QStringList>("deleted");
        QTest::addColumn<QStringList>("future");
        const QString a = u"P_2020.01.01__00.00.00.zip"_s;
        const QString b = u"P_2021.01.01__00.00.00.zip"_s;
        const QString c = u"P_2022.01.01__00.00.00.zip"_s;
        const QString f = u"P_2099.01.01__00.00.00.zip"_s;
        QTest::newRow("oldest first") << QStringList{c, a, b} << c << 1 << QStringList{a, b} << QStringList{};
        QTest::newRow("sent is the oldest")
            << QStringList{a, b, c} << a << 2 << QStringList{} << QStringList{};
        QTest::newRow("manual name sent")
            << QStringList{a, b, u"mine.zip"_s} << u"mine.zip"_s << 1 << QStringList{a} << QStringList{};
        QTest::newRow("nothing beyond keep") << QStringList{a, b} << b << 2 << QStringList{} << QStringList{};
        QTest::newRow("an older archive sent, three newer there")
            << QStringList{u"P_2020.01.05__00.00.00.zip"_s, u"P_2020.01.06__00.00.00.zip"_s,
                           u"P_2020.01.07__00.00.00.zip"_s}
            << u"P_2020.01.04__00.00.00.zip"_s << 2 << QStringList{} << QStringList{};
        QTest::newRow("dated in the future: not counted, kept")
            << QStringList{a, b, f} << c << 2 << QStringList{a} << QStringList{f};
    }

    void retentionSelection()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, sent);
        QFETCH(int, keep);
        const RetentionPlan plan = RetentionPlan::make(u"P"_s, files, sent, keep, u"2026.12.11__10.00.00"_s,
                                                       [](const QString &) { return true; });
        QTEST(plan.deleted, "deleted");
        QTEST(plan.future, "future");
    }

    void remotePathJoinsOnce_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        QTest::newRow("folder") << u"nas:backup/arkivoda"_s << u"nas:backup/arkivoda/a.zip"_s;
        QTest::newRow("remote root") << u"nas:"_s << u"nas:a.zip"_s;
        QTest::newRow("trailing slash") << u"nas:backup/"_s << u"nas:backup/a.zip"_s;
        QTest::newRow("spaces trimmed") << u" nas:b "_s << u"nas:b/a.zip"_s;
    }

    void remotePathJoinsOnce()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        QCOMPARE(RemoteCopy::remotePath(target, u"a.zip"_s), path);
    }

    // The settings window's check: what rclone lsd finds, within its timeout.
    void connectionCheck_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<RemoteCopy::Check::Kind>("kind");
        QTest::newRow("folder found") << u"sftp-root"_s << RemoteCopy::Check::Kind::Found;
        QTest::newRow("folder missing") << u"sftp-missing"_s << RemoteCopy::Check::Kind::FolderMissing;
        QTest::newRow("server down") << u"down:kopije"_s << RemoteCopy::Check::Kind::Failed;
        QTest::newRow("no remote, no absolute path") << u"kopije"_s << RemoteCopy::Check::Kind::Failed;
    }

    void connectionCheck()
    {
        QFETCH(QString, target);
        QFETCH(RemoteCopy::Check::Kind, kind);
        const QString folder = m_servers->sftpFolder() + u"/check"_s;
        QDir().mkpath(folder + u"/a"_s);
        QDir().mkpath(folder + u"/b"_s);
        if (target == u"sftp-root"_s)
            target = m_servers->sftpTarget() + u"/check"_s;
        else if (target == u"sftp-missing"_s)
            target = m_servers->sftpTarget() + u"/nema"_s;
        QElapsedTimer clock;
        clock.start();
        const RemoteCopy::Check check = RemoteCopy::checkConnection(target, 20000);
        QCOMPARE(check.kind, kind);
        QVERIFY(clock.elapsed() < 25000);
        if (kind == RemoteCopy::Check::Kind::Found)
            QCOMPARE(check.folders, 2);
        QVERIFY(!RemoteCopy::text(check, target).isEmpty());
        QDir(folder).removeRecursively();
    }

    // A copy into a folder of this computer (a mounted disk) is its owner's alone, as the archive is,
    // whatever the umask.
    void aLocalCopyIsReadableByItsOwnerOnly()
    {
        TempTree tree;
        const QString archive = makeArchive(tree, u"Arhiva_2026.01.02__03.04.05.zip"_s, 1024);
        const QString target = tree.path(u"kopije"_s);
        const mode_t previous = ::umask(022);
        const RemoteCopy::Result result = RemoteCopy(target, 0).send(archive, u"Arhiva"_s, nullptr);
        ::umask(previous);
        QVERIFY2(result.confirmed(), qPrintable(result.reason));
        struct stat status = {};
        QCOMPARE(
            ::stat(QFile::encodeName(target + u"/Arhiva_2026.01.02__03.04.05.zip"_s).constData(), &status),
            0);
        QCOMPARE(status.st_mode & 07777, mode_t(0600));
    }

    // Only a complete archive goes, and only with a target set.
    void sentOnlyAfterACompleteRun()
    {
        using Outcome = BackupAttempt::Outcome;
        ProgramSettings settings;
        QVERIFY(!RemoteCopy::wanted(settings, Outcome::Complete));
        settings.GLOBAL_UdaljenoCilj = u"nas:backup"_s;
        QVERIFY(RemoteCopy::wanted(settings, Outcome::Complete));
        for (Outcome other : {Outcome::Stopped, Outcome::ForcedIncomplete, Outcome::ForcedBeforeArchive,
                              Outcome::ArchiveFailed, Outcome::NotCreated})
            QVERIFY(!RemoteCopy::wanted(settings, other));
    }
};

QTEST_GUILESS_MAIN(TestRemoteCopy)
#include "tst_RemoteCopy.moc"
