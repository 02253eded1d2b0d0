#include "FileSizeLimit.h"
#include "LanguageWords.h"
#include "ModuleFiles.h"
#include "TempTree.h"
#include "config/LanguageModule.h"
#include "config/MessageTable.h"
#include "config/ResourceModules.h"
#include "config/SystemReason.h"
#include "run/ArchiveListing.h"
#include "run/RemoteCopy.h"
#include "run/RestoreJob.h"
#include "run/ZipReason.h"
#include "zip/TZipFile.h"
#include "zip/TZipVerifier.h"

#include <QFile>
#include <QTest>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

// An archive of a stored entry and a deflated one, each 64 KiB.
QString makeArchive(const TempTree &tree)
{
    const QString path = tree.path(u"a1.zip"_s);
    TZipFile zip;
    zip.Open(QFile::encodeName(path).toStdString(), zmWrite);
    zip.Add(TBytes(65536, 's'), "s1.bin", zcStored);
    TBytes mixed(65536);
    for (std::size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = static_cast<std::uint8_t>(i * 7 + i / 300);
    zip.Add(mixed, "d1.bin", zcDeflate);
    zip.Close();
    return path;
}

// Changes the archive in place: what = "cut" drops the last bytes, "stored" flips a byte of the
// stored entry, "deflated" one of the deflated entry, "nozip" writes text over it all, "missing"
// removes it.
void damage(const QString &path, const QString &what)
{
    QFile file(path);
    if (what == u"missing"_s) {
        QVERIFY(file.remove());
        return;
    }
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    if (what == u"cut"_s)
        bytes.chop(30);
    else if (what == u"stored"_s)
        bytes[bytes.indexOf(QByteArray(64, 's')) + 100] ^= 0x01;
    else if (what == u"deflated"_s)
        bytes[bytes.indexOf("d1.bin") + 6 + 200] ^= 0x10;
    else if (what == u"nozip"_s)
        bytes = "plain text, no archive";
    QVERIFY(file.resize(0) && file.seek(0));
    file.write(bytes);
}

// The interface language of a test row: the English module, or the built-in Croatian texts; false when
// the module cannot be read.
bool useLanguage(bool english)
{
    if (!english) {
        SetResourceHInstance(nullptr);
        return true;
    }
    return SetResourceHInstance(LanguageModule::open(ModuleFiles::builtModule(u"ENU"_s))) != nullptr;
}

} // namespace

// Every reason a damaged archive, a full disk or a failed remote copy gives is worded in the interface's
// language, in each of the two.
class tst_ZipReason : public QObject
{
    Q_OBJECT

  private slots:
    void cleanup() { SetResourceHInstance(nullptr); }

    void damagedArchiveSpeaksTheInterfaceLanguage_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("reason"); // the message the verification's reason holds; 0: any
        for (const bool english : {false, true}) {
            const char *language = english ? "English" : "Croatian";
            QTest::addRow("%s, cut", language) << english << u"cut"_s << int(Msg::ZipNoEndRecord);
            QTest::addRow("%s, stored byte", language) << english << u"stored"_s << int(Msg::ZipCrcMismatch);
            // A flipped bit of deflated data may break the stream or only its CRC-32.
            QTest::addRow("%s, deflated byte", language) << english << u"deflated"_s << 0;
            QTest::addRow("%s, no archive", language) << english << u"nozip"_s << int(Msg::ZipNoEndRecord);
            QTest::addRow("%s, missing", language) << english << u"missing"_s << int(Msg::ReasonNotFound);
        }
    }

    // The verification, the listing and the restore of a damaged archive.
    void damagedArchiveSpeaksTheInterfaceLanguage()
    {
        QFETCH(bool, english);
        QFETCH(QString, damage);
        QFETCH(int, reason);
        QVERIFY(useLanguage(english));
        const TempTree tree;
        const QString archive = makeArchive(tree);
        ::damage(archive, damage);

        const TZipVerification found = TZipVerifier::Verify(QFile::encodeName(archive).toStdString(), 2);
        QVERIFY(!found.Sound);
        const QString verified = ZipReason::text(found.FaultReason);
        if (reason != 0)
            QVERIFY2(verified.contains(MessageTable::text(quint16(reason))), qPrintable(verified));
        VERIFY_ONE_LANGUAGE(verified, english);

        QStringList shown;
        try {
            const ArchiveListing listing = ArchiveListing::read(archive);
            QList<RestoreItem> items;
            for (int index = 0; index < listing.count(); ++index)
                items << RestoreItem{index, tree.makeDir(u"natrag"_s), listing.name(index)};
            const RestoreJob::Result result = RestoreJob(archive, items, RestoreJob::Existing::Replace).run();
            for (const RestoreJob::Failure &failure : result.failed)
                shown << failure.reason;
        } catch (const std::exception &failure) {
            shown << ZipReason::text(failure);
        }
        QVERIFY(!shown.isEmpty());
        for (const QString &text : std::as_const(shown))
            VERIFY_ONE_LANGUAGE(text, english);
    }

    void fullDiskSpeaksTheInterfaceLanguage_data()
    {
        QTest::addColumn<bool>("english");
        QTest::newRow("Croatian") << false;
        QTest::newRow("English") << true;
    }

    // An archive that the disk cannot take: the reason is the system's, worded.
    void fullDiskSpeaksTheInterfaceLanguage()
    {
        QFETCH(bool, english);
        QVERIFY(useLanguage(english));
        const TempTree tree;
        QString shown;
        try {
            const FileSizeLimit full{4096};
            TZipFile zip;
            zip.Open(QFile::encodeName(tree.path(u"a1.zip"_s)).toStdString(), zmWrite);
            zip.Add(TBytes(65536, 's'), "s1.bin", zcStored);
            zip.Close();
        } catch (const std::exception &failure) {
            shown = ZipReason::text(failure);
        }
        QVERIFY2(shown.endsWith(SystemReason::text(EFBIG)), qPrintable(shown));
        VERIFY_ONE_LANGUAGE(shown, english);
    }

    void remoteCopyFailureSpeaksTheInterfaceLanguage_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("target");
        for (const bool english : {false, true}) {
            const char *language = english ? "English" : "Croatian";
            QTest::addRow("%s, unknown remote", language) << english << u"nepoznato7:kopije"_s;
            // A folder below a file: rclone itself fails, and its own line is passed on as it wrote it.
            QTest::addRow("%s, local failure", language) << english << u"zapreka/kopije"_s;
        }
    }

    // A copy that fails says so in the interface's language; only rclone's own error line, kept whole,
    // may read otherwise.
    void remoteCopyFailureSpeaksTheInterfaceLanguage()
    {
        QFETCH(bool, english);
        QFETCH(QString, target);
        if (RcloneProcess::program().isEmpty())
            QSKIP("rclone is not installed");
        QVERIFY(useLanguage(english));
        const TempTree tree;
        const QString archive = makeArchive(tree);
        tree.writeFile(u"zapreka"_s, "a file where a folder goes");
        if (!target.contains(u':'))
            target = tree.path(target);
        RemoteCopy copy(target, 0);
        const RemoteCopy::Result result = copy.send(archive, u"a"_s, nullptr);
        QVERIFY(!result.confirmed());
        const QString text = RemoteCopy::text(result, target);
        QVERIFY2(text.contains(result.reason), qPrintable(text));
        const bool ours = target.contains(u':');
        VERIFY_ONE_LANGUAGE(ours ? text : QString(text).remove(result.reason), english);
    }
};

QTEST_GUILESS_MAIN(tst_ZipReason)
#include "tst_ZipReason.moc"
