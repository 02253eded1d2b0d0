#include "config/ConfigLock.h"
#include "config/ConfigPaths.h"
#include "config/EConfigError.h"
#include "config/IniFile.h"
#include "config/ProgramSettings.h"
#include "run/ArchiveName.h"

#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <latch>
#include <memory>
#include <thread>

// Every test starts from an empty configuration folder of its own, the way a first start sees it.
class TestProgramSettings : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void firstStartHasEveryDefault();
    void storedValuesAreLoaded();
    void unusableValuesGiveTheirDefaults();
    void namedListUsesItsOwnFiles();
    void lastArchiveIsRecordedPerRunKind();
    void settingsWindowSaveStoresAndApplies_data();
    void settingsWindowSaveStoresAndApplies();
    void longValuesOfASaveReadBackWhole();
    void recordedMomentsKeepTheirInstant();
    void failedSaveKeepsWhatWasDoneBefore();
    void archiveFolderWithoutSlashNamesTheFolder_data();
    void archiveFolderWithoutSlashNamesTheFolder();
    void concurrentRecordsAreNeverLost();
    void everyWriterWaitsForTheLock_data();
    void everyWriterWaitsForTheLock();

  private:
    ProgramSettings startUp(const std::optional<QString> &argument = std::nullopt) const;
    QByteArray settingsBytes(const ProgramSettings &settings) const;
    void writeSettings(const ProgramSettings &settings, const QByteArray &bytes) const;

    std::unique_ptr<TempTree> m_tree;
    QByteArray m_xdg;
    bool m_hadXdg = false;
};

void TestProgramSettings::init()
{
    m_hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    m_xdg = qgetenv("XDG_CONFIG_HOME");
    m_tree = std::make_unique<TempTree>();
    qputenv("XDG_CONFIG_HOME", m_tree->root().toUtf8());
    ConfigLock::setMaximumWait(std::chrono::seconds(10));
}

void TestProgramSettings::cleanup()
{
    if (m_hadXdg)
        qputenv("XDG_CONFIG_HOME", m_xdg);
    else
        qunsetenv("XDG_CONFIG_HOME");
    m_tree.reset();
}

ProgramSettings TestProgramSettings::startUp(const std::optional<QString> &argument) const
{
    ProgramSettings settings;
    const ListSelection selection = ListSelection::fromArgument(argument);
    settings.GLOBAL_lista = selection.GLOBAL_lista;
    settings.GLOBAL_lista_caption = selection.GLOBAL_lista_caption;
    settings.userfolder = PrepareUserFolder();
    return settings;
}

QByteArray TestProgramSettings::settingsBytes(const ProgramSettings &settings) const
{
    QFile file(settings.settingsFileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TestProgramSettings::writeSettings(const ProgramSettings &settings, const QByteArray &bytes) const
{
    QFile file(settings.settingsFileName());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestProgramSettings::firstStartHasEveryDefault()
{
    ProgramSettings settings = startUp();
    settings.GLOBAL_Jezik = QStringLiteral("EN");
    settings.GLOBAL_Report = false;
    settings.GLOBAL_TimerTime = 0.5;
    const LastArchives last = LoadProgramSettings(settings);

    QCOMPARE(settings.userfolder, m_tree->root() + QStringLiteral("/Arkivoda/"));
    QVERIFY(QFileInfo(settings.userfolder).isDir());
    QCOMPARE(settings.GLOBAL_build, QStringLiteral(" 64-bit"));
    QCOMPARE(settings.GLOBAL_ApplicationTitle, QStringLiteral("Arkivoda"));
    QCOMPARE(settings.GLOBAL_Jezik, QStringLiteral("HR"));
    QCOMPARE(last.FileA, QStringLiteral("-"));
    QCOMPARE(last.FileR, QStringLiteral("-"));
    QCOMPARE(settings.BackupLokacijaAuto, QString());
    QCOMPARE(settings.BckName, QStringLiteral("Arhiva"));
    QCOMPARE(settings.GLOBAL_StartToTray, false);
    QCOMPARE(settings.GLOBAL_CloseToMinimize, false);
    QCOMPARE(settings.GLOBAL_StartMinimized, false);
    QCOMPARE(settings.GLOBAL_Report, true);
    QCOMPARE(settings.GLOBAL_Provjera, true);
    QCOMPARE(settings.GLOBAL_Zadrzi, 0);
    QCOMPARE(settings.GLOBAL_Izuzeci, QString());
    QCOMPARE(settings.GLOBAL_TimerTime, 0.0);
    QCOMPARE(settings.GLOBAL_TimerEnabled, false);
    // Loading writes nothing: the settings file comes with the first write.
    QVERIFY(!QFileInfo::exists(settings.settingsFileName()));
}

void TestProgramSettings::storedValuesAreLoaded()
{
    ProgramSettings settings = startUp();
    writeSettings(settings,
                  "[timer]\r\nenabled=1\r\nTime=06:30:00\r\nnadoknadi=1\r\n"
                  "[Last]\r\nFileA=/arhive/Arhiva_2024.03.15__14.05.09.zip\r\nFileR=/r/ručna.zip\r\n"
                  "Datoteka=Kopija\r\n"
                  "[LokacijaAuto]\r\nPutanja=/mnt/backup/\r\nZadrzi=7\r\n"
                  "[Program]\r\nJezik=en\r\nStartToTray=0x1\r\nCloseToTray=1\r\nStartMinimized=1\r\n"
                  "Report=0\r\nProvjera=0\r\nIzuzeci= *.tmp;node_modules/ \r\n");
    const LastArchives last = LoadProgramSettings(settings);

    QCOMPARE(settings.GLOBAL_Jezik, QStringLiteral("en"));
    QCOMPARE(last.FileA, QStringLiteral("/arhive/Arhiva_2024.03.15__14.05.09.zip"));
    QCOMPARE(last.FileR, QStringLiteral("/r/ručna.zip"));
    QCOMPARE(settings.BackupLokacijaAuto, QStringLiteral("/mnt/backup/"));
    QCOMPARE(settings.BckName, QStringLiteral("Kopija"));
    QCOMPARE(settings.GLOBAL_StartToTray, true);
    QCOMPARE(settings.GLOBAL_CloseToMinimize, true);
    QCOMPARE(settings.GLOBAL_StartMinimized, true);
    QCOMPARE(settings.GLOBAL_Report, false);
    QCOMPARE(settings.GLOBAL_Provjera, false);
    QCOMPARE(settings.GLOBAL_Zadrzi, 7);
    QCOMPARE(settings.GLOBAL_Izuzeci, QStringLiteral("*.tmp;node_modules/"));
    QCOMPARE(settings.GLOBAL_TimerTime, 6.5 / 24.0);
    QCOMPARE(settings.GLOBAL_TimerEnabled, true);
    QCOMPARE(settings.GLOBAL_TimerCatchUp, true);
}

void TestProgramSettings::unusableValuesGiveTheirDefaults()
{
    ProgramSettings settings = startUp();
    writeSettings(settings, "[Program]\r\nReport=da\r\nStartToTray=ne\r\nProvjera=\r\n"
                            "[Timer]\r\nEnabled=1\r\nTime=\r\n[LokacijaAuto]\r\nPutanja=\r\nZadrzi=-3\r\n");
    const LastArchives last = LoadProgramSettings(settings);

    QCOMPARE(settings.GLOBAL_Report, true);
    // Verification stays on, and a number of archives that makes no sense keeps them all.
    QCOMPARE(settings.GLOBAL_Provjera, true);
    QCOMPARE(settings.GLOBAL_Zadrzi, 0);
    QCOMPARE(settings.GLOBAL_StartToTray, false);
    // The daily run is on, at midnight.
    QCOMPARE(settings.GLOBAL_TimerEnabled, true);
    QCOMPARE(settings.GLOBAL_TimerTime, 0.0);
    QCOMPARE(last.FileA, QStringLiteral("-"));
    // No archive folder is no folder, not the root folder.
    QCOMPARE(settings.BackupLokacijaAuto, QString());
}

void TestProgramSettings::namedListUsesItsOwnFiles()
{
    ProgramSettings unnamed = startUp();
    WriteLanguage(unnamed, QStringLiteral("EN"));

    ProgramSettings posao = startUp(QStringLiteral("Posao"));
    QCOMPARE(posao.GLOBAL_lista_caption, QStringLiteral("Posao"));
    QCOMPARE(posao.settingsFileName(), posao.userfolder + QStringLiteral("Posao_Arkivoda.ini"));
    QCOMPARE(posao.listFileName(), posao.userfolder + QStringLiteral("Posao_Arkivoda_bcklst.txt"));
    LoadProgramSettings(posao);
    QCOMPARE(posao.GLOBAL_Jezik, QStringLiteral("HR"));

    WriteLastArchive(posao, LastArchiveKind::FileA, QStringLiteral("/p.zip"));
    // Each configuration has its own lock file beside its own files.
    QCOMPARE(QDir(posao.userfolder).entryList(QDir::Files, QDir::Name),
             (QStringList{u"Arkivoda.ini"_qs, u"Arkivoda.lock"_qs, u"Posao_Arkivoda.ini"_qs,
                          u"Posao_Arkivoda.lock"_qs}));
    QCOMPARE(LoadProgramSettings(unnamed).FileA, QStringLiteral("-"));
}

void TestProgramSettings::lastArchiveIsRecordedPerRunKind()
{
    ProgramSettings settings = startUp();
    writeSettings(settings, "[Last]\r\nDatoteka=Arhiva\r\nFileA=/stara.zip\r\n");
    WriteLastArchive(settings, LastArchiveKind::FileA, QStringLiteral("/arhive/Arhiva_2024.zip"));
    WriteLastArchive(settings, LastArchiveKind::FileR, QStringLiteral("/ručno/Kopija.zip"));
    QCOMPARE(settingsBytes(settings), QByteArray("[Last]\r\nDatoteka=Arhiva\r\nFileA=/arhive/"
                                                 "Arhiva_2024.zip\r\nFileR=/ru\xC4\x8Dno/Kopija.zip\r\n"));
    const LastArchives last = LoadProgramSettings(settings);
    QCOMPARE(last.FileA, QStringLiteral("/arhive/Arhiva_2024.zip"));
    QCOMPARE(last.FileR, QStringLiteral("/ručno/Kopija.zip"));
}

void TestProgramSettings::settingsWindowSaveStoresAndApplies_data()
{
    QTest::addColumn<bool>("timerEnabled");
    QTest::addColumn<QByteArray>("timerSection");
    QTest::addColumn<double>("timerTime");

    QTest::newRow("daily run on") << true
                                  << QByteArray("[Timer]\r\nTime=18:00:00\r\nEnabled=1\r\nNadoknadi=1\r\n")
                                  << 0.75;
    QTest::newRow("daily run off keeps the stored time")
        << false << QByteArray("[Timer]\r\nTime=06:00:00\r\nEnabled=0\r\nNadoknadi=0\r\n") << 0.25;
}

void TestProgramSettings::settingsWindowSaveStoresAndApplies()
{
    QFETCH(bool, timerEnabled);
    QFETCH(QByteArray, timerSection);
    QFETCH(double, timerTime);

    ProgramSettings settings = startUp();
    writeSettings(settings, "[Timer]\r\nTime=06:00:00\r\nEnabled=1\r\n");
    LoadProgramSettings(settings);

    SettingsWindowValues values;
    values.Putanja = QStringLiteral("  /mnt/arhive/ ");
    values.BckName = QStringLiteral("Moja.\"arhiva\"/x");
    values.StartToTray = true;
    values.CloseToTray = false;
    values.StartMinimized = true;
    values.Report = false;
    values.Verify = false;
    values.Keep = 5;
    values.Exclusions = QStringLiteral(" *.tmp;.cache/ ");
    values.TimerEnabled = timerEnabled;
    values.TimerTime = 0.75;
    values.CatchUp = timerEnabled;
    SaveSettingsWindow(settings, values);

    QCOMPARE(settingsBytes(settings), timerSection +
                                          "[LokacijaAuto]\r\nPutanja=  /mnt/arhive/ \r\nZadrzi=5\r\n"
                                          "[Last]\r\nDatoteka=Moja.\"arhiva\"/x\r\n"
                                          "[Program]\r\nStartToTray=1\r\nCloseToTray=0\r\n"
                                          "StartMinimized=1\r\nReport=0\r\nProvjera=0\r\n"
                                          "Izuzeci=*.tmp;.cache/\r\n");
    QCOMPARE(settings.GLOBAL_Provjera, false);
    QCOMPARE(settings.GLOBAL_Zadrzi, 5);
    QCOMPARE(settings.GLOBAL_Izuzeci, QStringLiteral("*.tmp;.cache/"));
    QCOMPARE(settings.BckName, values.BckName);
    // Read back from the file, so what the program uses is what the next start will see.
    QCOMPARE(settings.BackupLokacijaAuto, QStringLiteral("/mnt/arhive/"));
    QCOMPARE(settings.GLOBAL_StartToTray, true);
    QCOMPARE(settings.GLOBAL_CloseToMinimize, false);
    QCOMPARE(settings.GLOBAL_StartMinimized, true);
    QCOMPARE(settings.GLOBAL_Report, false);
    QCOMPARE(settings.GLOBAL_TimerEnabled, timerEnabled);
    QCOMPARE(settings.GLOBAL_TimerTime, timerTime);
    QCOMPARE(settings.GLOBAL_TimerCatchUp, timerEnabled);
}

// The settings window saves values of any length, and a run must read the very same ones: a folder
// cut to an ancestor would take the archive and retention there, cut exclusions would leave out
// everything.
void TestProgramSettings::longValuesOfASaveReadBackWhole()
{
    ProgramSettings settings = startUp();
    SettingsWindowValues values;
    values.Putanja = m_tree->root() + u'/' + QString(2047, u'a') + QStringLiteral("/arhive/");
    values.BckName = QStringLiteral("Arhiva");
    values.Exclusions = QString(2045, u'x') + QStringLiteral(";*.tmp");
    SaveSettingsWindow(settings, values);

    ProgramSettings read = startUp();
    LoadProgramSettings(read);
    QCOMPARE(read.BackupLokacijaAuto, values.Putanja);
    QCOMPARE(read.GLOBAL_Izuzeci, values.Exclusions);
}

void TestProgramSettings::recordedMomentsKeepTheirInstant()
{
    ProgramSettings settings = startUp();
    QVERIFY(!ReadRecordedMoment(settings, RecordedMoment::LastAutomaticStart).isValid());
    const QDateTime start(QDate(2026, 3, 14), QTime(8, 0, 5));
    WriteRecordedMoment(settings, RecordedMoment::LastAutomaticStart, start);
    WriteRecordedMoment(settings, RecordedMoment::LastGoodBackup, start.addSecs(60));
    QCOMPARE(ReadRecordedMoment(settings, RecordedMoment::LastAutomaticStart), start);
    QCOMPARE(ReadRecordedMoment(settings, RecordedMoment::LastGoodBackup), start.addSecs(60));
    QVERIFY(settingsBytes(settings).contains("[Timer]\r\nZadnje=2026-03-14T08:00:05"));
    QVERIFY(settingsBytes(settings).contains("[Last]\r\nUspjesno=2026-03-14T08:01:05"));

    // Written in another time zone, it is still the same instant; what cannot be read is no record.
    writeSettings(settings, "[Timer]\r\nZadnje=2026-03-14T07:00:05Z\r\n[Last]\r\nUspjesno=jučer\r\n");
    QCOMPARE(ReadRecordedMoment(settings, RecordedMoment::LastAutomaticStart),
             QDateTime(QDate(2026, 3, 14), QTime(7, 0, 5), Qt::UTC).toLocalTime());
    QVERIFY(!ReadRecordedMoment(settings, RecordedMoment::LastGoodBackup).isValid());
}

void TestProgramSettings::failedSaveKeepsWhatWasDoneBefore()
{
    ProgramSettings settings = startUp();
    QVERIFY(QDir(settings.userfolder).removeRecursively());

    SettingsWindowValues values;
    values.Putanja = QStringLiteral("/mnt/arhive/");
    values.BckName = QStringLiteral("Nova");
    values.Report = false;
    try {
        SaveSettingsWindow(settings, values);
        QFAIL("the save did not fail");
    } catch (const EConfigError &error) {
        QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + settings.settingsFileName());
    }
    QCOMPARE(settings.BckName, QStringLiteral("Nova"));
    QCOMPARE(settings.GLOBAL_Report, true);
    QCOMPARE(settings.BackupLokacijaAuto, QString());

    QVERIFY_THROWS_EXCEPTION(EConfigError,
                             WriteLastArchive(settings, LastArchiveKind::FileR, QStringLiteral("/r.zip")));
    QVERIFY_THROWS_EXCEPTION(EConfigError, WriteLanguage(settings, QStringLiteral("EN")));
}

void TestProgramSettings::archiveFolderWithoutSlashNamesTheFolder_data()
{
    QTest::addColumn<QString>("Putanja");
    QTest::addColumn<QString>("archive");

    QTest::newRow("without slash") << u"/data/out"_qs << u"/data/out/Arhiva_2024.03.15__14.05.09.zip"_qs;
    QTest::newRow("with slash") << u"/data/out/"_qs << u"/data/out/Arhiva_2024.03.15__14.05.09.zip"_qs;
    QTest::newRow("root") << u"/"_qs << u"/Arhiva_2024.03.15__14.05.09.zip"_qs;
    QTest::newRow("quoted, with spaces")
        << u"\"/data/moje arhive\""_qs << u"/data/moje arhive/Arhiva_2024.03.15__14.05.09.zip"_qs;
}

void TestProgramSettings::archiveFolderWithoutSlashNamesTheFolder()
{
    QFETCH(QString, Putanja);
    QFETCH(QString, archive);
    const QString stamp = ArchiveName::stamp(QDate(2024, 3, 15), QTime(14, 5, 9));

    // Typed into the file by hand and read at start-up.
    ProgramSettings loaded = startUp();
    writeSettings(loaded, (u"[LokacijaAuto]\r\nPutanja="_qs + Putanja + u"\r\n"_qs).toUtf8());
    LoadProgramSettings(loaded);
    QCOMPARE(ArchiveName::automaticPath(loaded.BackupLokacijaAuto, loaded.BckName, stamp), archive);

    // Stored by the settings window and read back.
    ProgramSettings saved = startUp(QStringLiteral("Prozor"));
    SettingsWindowValues values;
    values.Putanja = Putanja;
    values.BckName = QStringLiteral("Arhiva");
    SaveSettingsWindow(saved, values);
    QCOMPARE(ArchiveName::automaticPath(saved.BackupLokacijaAuto, saved.BckName, stamp), archive);
}

// The automatic and the manual run of one configuration end together, round after round: each records its
// archive while the other does, and neither record may undo the other's.
void TestProgramSettings::concurrentRecordsAreNeverLost()
{
    ProgramSettings settings = startUp(QStringLiteral("Posao"));
    writeSettings(settings, "[Program]\r\nJezik=HR\r\n[Last]\r\nFileA=-\r\nFileR=-\r\n");
    QStringList failures;
    for (int round = 0; round < 40; ++round) {
        const QString automatic = QStringLiteral("/arhiva/Arhiva_%1.zip").arg(round);
        const QString manual = QStringLiteral("/ručno/Kopija_%1.zip").arg(round);
        std::latch start(2);
        QString errors[2];
        const auto record = [&](LastArchiveKind kind, const QString &path, QString &error) {
            start.arrive_and_wait();
            try {
                WriteLastArchive(settings, kind, path);
            } catch (const EConfigError &failure) {
                error = failure.message();
            }
        };
        std::thread first(record, LastArchiveKind::FileA, std::cref(automatic), std::ref(errors[0]));
        std::thread second(record, LastArchiveKind::FileR, std::cref(manual), std::ref(errors[1]));
        first.join();
        second.join();
        const LastArchives last = LoadProgramSettings(settings);
        if (last.FileA != automatic || last.FileR != manual || !errors[0].isEmpty() || !errors[1].isEmpty())
            failures << QStringLiteral("round %1: FileA=%2 FileR=%3 %4 %5")
                            .arg(round)
                            .arg(last.FileA, last.FileR, errors[0], errors[1]);
    }
    QCOMPARE(failures, QStringList());
    QCOMPARE(settings.GLOBAL_Jezik, QStringLiteral("HR"));
}

void TestProgramSettings::everyWriterWaitsForTheLock_data()
{
    QTest::addColumn<int>("writer");
    QTest::addColumn<bool>("released");

    const char *writers[] = {"record of the last archive", "language", "settings window", "backup list"};
    for (int writer = 0; writer < 4; ++writer) {
        QTest::addRow("%s, the other writer finishes", writers[writer]) << writer << true;
        QTest::addRow("%s, the other writer does not finish", writers[writer]) << writer << false;
    }
}

// Another process holds the configuration's lock: a writer waits for it, and when it does not come free
// in time, the write fails with a message that says why and changes nothing.
void TestProgramSettings::everyWriterWaitsForTheLock()
{
    QFETCH(int, writer);
    QFETCH(bool, released);

    ProgramSettings settings = startUp(QStringLiteral("Posao"));
    const QByteArray oldSettings = "[Last]\r\nFileA=/a.zip\r\n";
    const QByteArray oldList = "/dokumenti\r\n";
    writeSettings(settings, oldSettings);
    QFile list(settings.listFileName());
    QVERIFY(list.open(QIODevice::WriteOnly));
    QCOMPARE(list.write(oldList), oldList.size());
    list.close();
    const auto listBytes = [name = settings.listFileName()] {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    };

    // The lock file beside the configuration's files, as another process takes it.
    const QByteArray lockName =
        QFile::encodeName(settings.userfolder + QStringLiteral("Posao_Arkivoda.lock"));
    const int held = ::open(lockName.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    QVERIFY(held >= 0);
    QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
    const std::chrono::milliseconds holdFor(300);
    std::thread other;
    if (released) {
        other = std::thread([held, holdFor] {
            std::this_thread::sleep_for(holdFor);
            ::close(held);
        });
    } else {
        ConfigLock::setMaximumWait(holdFor);
    }

    const std::function<void()> writes[] = {
        [&] { WriteLastArchive(settings, LastArchiveKind::FileR, QStringLiteral("/r.zip")); },
        [&] { WriteLanguage(settings, QStringLiteral("EN")); },
        [&] {
            SettingsWindowValues values;
            values.Putanja = QStringLiteral("/mnt/arhive/");
            SaveSettingsWindow(settings, values);
        },
        [&] { SaveBackupList(settings, {QStringLiteral("/slike")}); },
    };
    const QString changed = writer == 3 ? settings.listFileName() : settings.settingsFileName();
    QString message;
    const auto began = std::chrono::steady_clock::now();
    try {
        writes[writer]();
    } catch (const EConfigError &error) {
        message = error.message();
    }
    const auto waited = std::chrono::steady_clock::now() - began;
    if (other.joinable())
        other.join();
    else
        ::close(held);

    QVERIFY(waited >= holdFor);
    if (released) {
        QCOMPARE(message, QString());
        QVERIFY(writer == 3 ? listBytes() != oldList : settingsBytes(settings) != oldSettings);
    } else {
        QCOMPARE(message, QStringLiteral("Datoteku ") + changed +
                              QStringLiteral(" upravo mijenja drugi proces Arkivode i ni nakon 0.3 s "
                                             "čekanja nije slobodna; promjena nije spremljena."));
        QCOMPARE(settingsBytes(settings), oldSettings);
        QCOMPARE(listBytes(), oldList);
    }
}

QTEST_GUILESS_MAIN(TestProgramSettings)
#include "tst_ProgramSettings.moc"
