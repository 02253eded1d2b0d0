#include "about/AppVersion.h"
#include "about/ProgramSite.h"
#include "about/TAboutBox.h"
#include "config/ProgramSettings.h"
#include "platform/QtFileDownload.h"

#include "FakeDesktop.h"
#include "GlavniFixture.h"
#include "ModalDriver.h"
#include "TempTree.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A web server on 127.0.0.1 for the update check: it answers every request with the version file's
// bytes, or, when told to stay silent, accepts the connection and never answers. A long answer is
// made while the client reads it, so the server itself never holds it in memory.
class VersionServer : public QObject
{
  public:
    explicit VersionServer(std::optional<QByteArray> content) : m_content(std::move(content)) { listen(); }
    // An answer of size bytes, with its length in the header or (declared false) ended only by the
    // end of the connection.
    VersionServer(qint64 size, bool declared) : m_size(size), m_declared(declared) { listen(); }

    QString address() const { return u"http://127.0.0.1:%1"_s.arg(m_server.serverPort()); }
    QStringList paths;

  private:
    void listen()
    {
        if (!m_server.listen(QHostAddress::LocalHost))
            qFatal("no local port to listen on");
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
                connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                    m_left.remove(socket);
                    socket->deleteLater();
                });
            }
        });
    }

    void serve(QTcpSocket *socket)
    {
        QByteArray &request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n") || m_left.contains(socket))
            return;
        paths << QString::fromLatin1(request.split(' ').value(1));
        if (m_size > 0) {
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n" +
                (m_declared ? "Content-Length: " + QByteArray::number(m_size) + "\r\n" : QByteArray()) +
                "\r\n");
            m_left.insert(socket, m_size);
            connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { feed(socket); });
            feed(socket);
            return;
        }
        if (!m_content)
            return;
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(m_content->size()) + "\r\n\r\n" + *m_content);
        socket->disconnectFromHost();
    }

    // Keeps about a megabyte on its way to the client until the answer is complete.
    void feed(QTcpSocket *socket)
    {
        static const QByteArray chunk(64 * 1024, '9');
        qint64 &left = m_left[socket];
        while (left > 0 && socket->bytesToWrite() < 1024 * 1024) {
            const qint64 size = std::min<qint64>(left, chunk.size());
            socket->write(chunk.constData(), size);
            left -= size;
        }
        if (left == 0 && socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    }

    std::optional<QByteArray> m_content;
    qint64 m_size = 0;
    bool m_declared = true;
    QHash<QTcpSocket *, QByteArray> m_requests;
    QHash<QTcpSocket *, qint64> m_left;
    // Last: its sockets go first, while what their signals reach is still there.
    QTcpServer m_server;
};

// A field of /proc/self/status in KiB: VmRSS (resident now) or VmHWM (the peak since resetPeak).
qint64 memoryKiB(const QByteArray &field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        qFatal("no /proc/self/status");
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(QByteArray(field + ':')))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Sets the peak of resident memory back to the present amount.
bool resetPeak()
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

// A port on which nothing listens.
quint16 closedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        qFatal("no local port to listen on");
    return server.serverPort();
}

QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text)
        bytes += char(c.unicode() & 0xFF), bytes += char(c.unicode() >> 8);
    return bytes;
}

} // namespace

// The About box and its check for a newer version, against a web server on this machine; no test
// reaches the internet or opens a browser.
class TestTAboutBox : public QObject
{
    Q_OBJECT

    // Settings of a data folder, the services the box uses, and every message dialog recorded and
    // answered.
    struct Fixture
    {
        Fixture()
        {
            settings.userfolder = tree.makeDir(u"config/Arkivoda"_s) + u'/';
            SetMessageDialogHook([this](const MessageDialogRequest &request) -> std::optional<int> {
                dialogs << request;
                return answer;
            });
        }
        ~Fixture()
        {
            SetMessageDialogHook({});
            qunsetenv("ARKIVODA_SITE");
        }
        QString sversion() const { return settings.userfolder + u"sversion"_s; }

        TempTree tree;
        ProgramSettings settings;
        FakeDesktop desktop;
        QList<MessageDialogRequest> dialogs;
        int answer = mrOk;
    };

    static QString current() { return GetAppVersionStr(); }

  private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(u"Arkivoda"_s);
        qputenv("ARKIVODA_START_DELAY_MS", "0");
        // A proxy of the environment must not stand between the test and its own server.
        for (const char *name :
             {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
    }

    void theBox()
    {
        Fixture fixture;
        TAboutBox box(fixture.settings, fixture.desktop.download, fixture.desktop.urls, nullptr);

        QCOMPARE(box.windowTitle(), u"Arkivoda - o programu"_s);
        // The version, then the word size of this build after a second space.
        QCOMPARE(current(), u"%1.%2.%3.%4"_s.arg(ARKIVODA_VERSION_MAJOR + 0)
                                .arg(ARKIVODA_VERSION_MINOR + 0)
                                .arg(ARKIVODA_VERSION_PATCH + 0)
                                .arg(ARKIVODA_VERSION_TWEAK + 0));
        QCOMPARE(box.findChild<QLabel *>(u"Label1"_s)->text(),
                 u"Arkivoda "_s + current() + u"  %1-bit"_s.arg(sizeof(void *) * 8));
        QCOMPARE(box.size(), QSize(349, 448));
        QCOMPARE(box.findChild<QLabel *>(u"Label11"_s)->text(),
                 u"informacije o programu i povijest razvoja"_s);
        auto *check = box.findChild<QPushButton *>(u"CheckUpdateButton"_s);
        auto *ok = box.findChild<QPushButton *>(u"OKButton"_s);
        QCOMPARE(check->text(), u"&Potraži novu verziju"_s);
        QCOMPARE(ok->text(), u"&Zatvori"_s);
        // Both buttons are reached with Tab, so the update check is there for the keyboard too.
        QVERIFY(check->focusPolicy() & Qt::TabFocus);
        // No one-line text is cut short, whatever the font at hand.
        for (const char *name :
             {"Label1", "Label11", "Label2", "Label7", "Label3", "Label4", "Label10", "Label9"}) {
            const QLabel *label = box.findChild<QLabel *>(QLatin1String(name));
            QVERIFY2(label->width() >= label->sizeHint().width(), name);
        }
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(QApplication::focusWidget(), ok);
    }

    void keysClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }

    void keysClose()
    {
        QFETCH(int, key);
        Fixture fixture;
        TAboutBox box(fixture.settings, fixture.desktop.download, fixture.desktop.urls, nullptr);
        ModalDriver driver([key](QWidget *modal) { QTest::keyClick(modal, Qt::Key(key)); }, u"AboutBox"_s);

        box.exec();

        QVERIFY(driver.acted());
        QVERIFY(fixture.dialogs.isEmpty());
    }

    void linksFollowTheLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("informationFile");
        QTest::addColumn<QString>("officialPage");

        QTest::newRow("HR") << "HR"
                            << "Arkivoda_Info_HR.txt"
                            << "http://127.0.0.1:9/";
        QTest::newRow("EN") << "EN"
                            << "Arkivoda_Info_EN.txt"
                            << "http://127.0.0.1:9/en";
        QTest::newRow("other") << "DE"
                               << ""
                               << "";
    }

    void linksFollowTheLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, informationFile);
        QFETCH(QString, officialPage);
        Fixture fixture;
        qputenv("ARKIVODA_SITE", "http://127.0.0.1:9/");
        fixture.settings.GLOBAL_Jezik = language;
        TAboutBox box(fixture.settings, fixture.desktop.download, fixture.desktop.urls, nullptr);
        box.show();

        QTest::mouseClick(box.findChild<QLabel *>(u"Label11"_s), Qt::LeftButton);
        QTest::mouseClick(box.findChild<QLabel *>(u"Label9"_s), Qt::LeftButton);

        QList<QUrl> expected;
        if (!informationFile.isEmpty()) {
            const QString file = QCoreApplication::applicationDirPath() + u'/' + informationFile;
            // The build puts the information files next to the program.
            QVERIFY(QFile::exists(file));
            expected << QUrl::fromLocalFile(file);
        }
        if (!officialPage.isEmpty())
            expected << QUrl(officialPage);
        QCOMPARE(fixture.desktop.urls.opened, expected);
    }

    void siteAddress()
    {
        qunsetenv("ARKIVODA_SITE");
        // Without the variable: the build's default, a reserved example domain.
        QVERIFY(QUrl(ProgramSite::address()).host().endsWith(u".example"_s));
        qputenv("ARKIVODA_SITE", "http://127.0.0.1:8080/");
        QCOMPARE(ProgramSite::versionFileUrl(), u"http://127.0.0.1:8080/files/version.info"_s);
        qunsetenv("ARKIVODA_SITE");

        FakeDesktop::Urls urls;
        ProgramSite::OpenWebPage(urls, u"http://127.0.0.1/a\"b"_s);
        QCOMPARE(urls.opened.value(0).toString(QUrl::FullyEncoded), u"http://127.0.0.1/a%22b"_s);
    }

    void versionOfAFile()
    {
        QCOMPARE(Verzija_programa(QString(), u"%d-%d"_s),
                 u"%1-%2"_s.arg(ARKIVODA_VERSION_MAJOR + 0).arg(ARKIVODA_VERSION_MINOR + 0));
        QCOMPARE(Verzija_programa(QCoreApplication::applicationFilePath(), u"%d.%d.%d.%d"_s), current());
        // Only the running program carries a version.
        TempTree tree;
        QCOMPARE(Verzija_programa(tree.writeFile(u"drugi"_s, "x"), u"%d.%d.%d.%d"_s), QString());
    }

    void updateCheck_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("server"); // empty: the same version

        const QByteArray version = current().toLatin1();
        QTest::newRow("the same version") << version << QString();
        QTest::newRow("followed by CR LF") << version + "\r\n" << current() + u"\r\n"_s;
        QTest::newRow("space and underscore removed") << " " + version + "_" << QString();
        QTest::newRow("commas and spaces removed") << QByteArray("1, 2, 3, 4") << u"1234"_s;
        QTest::newRow("an older version") << QByteArray("0.0.0.1") << u"0.0.0.1"_s;
        QTest::newRow("UTF-8 with byte-order mark") << "\xEF\xBB\xBF" + version << QString();
        QTest::newRow("UTF-16 LE with byte-order mark") << utf16le(current()) << QString();
        QTest::newRow("Windows-1250 text") << QByteArray("verzija \x9a") << u"verzijaš"_s;
        QTest::newRow("an error page") << QByteArray("<html>Not here</html>") << u"<html>Nothere</html>"_s;
        QTest::newRow("64 KiB, the longest accepted")
            << version + QByteArray(64 * 1024 - version.size(), ' ') << QString();
        QTest::newRow("a long answer shows its first 200 characters")
            << QByteArray(1000, 'x') << QString(200, u'x') + QChar(0x2026);
    }

    void updateCheck()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, server);
        Fixture fixture;
        VersionServer site(content);
        qputenv("ARKIVODA_SITE", site.address().toUtf8());
        QtFileDownload download;
        TAboutBox box(fixture.settings, download, fixture.desktop.urls, nullptr);

        box.CheckUpdateButtonClick();

        QCOMPARE(site.paths, QStringList{u"/files/version.info"_s});
        QVERIFY(!QFile::exists(fixture.sversion()));
        QCOMPARE(fixture.dialogs.size(), 1);
        const MessageDialogRequest &dialog = fixture.dialogs.first();
        QCOMPARE(dialog.owner, &box);
        if (server.isEmpty()) {
            QCOMPARE(dialog.caption, u"Info"_s);
            QCOMPARE(dialog.text, u"Koristite zadnju aktualnu verziju programa."_s);
            QCOMPARE(dialog.type, TMsgDlgType::mtInformation);
            QCOMPARE(dialog.captions, QStringList{u"U redu"_s});
            QVERIFY(fixture.desktop.urls.opened.isEmpty());
            return;
        }
        QCOMPARE(dialog.caption, u"Odluka"_s);
        QCOMPARE(dialog.type, TMsgDlgType::mtConfirmation);
        QCOMPARE(dialog.buttons, TMsgDlgButtons(mbYes | mbNo));
        QCOMPARE(dialog.captions, (QStringList{u"DA"_s, u"NE"_s}));
        QCOMPARE(dialog.text,
                 u"Pronađena je novija verzija programa.\r\n\r\nAktualna verzija: "_s + current() +
                     u"\r\nVerzija na poslužitelju: "_s + server +
                     u"\r\n\r\nDa li želite posjetiti web stranicu da skinete najnoviju verziju?"_s);
    }

    // An answer longer than any version file fails the check at once, without holding it in memory.
    void anOversizedAnswer_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("declared");
        QTest::newRow("one byte over 64 KiB") << qint64(64 * 1024 + 1) << true;
        QTest::newRow("100 MB, length in the header") << qint64(100'000'000) << true;
        QTest::newRow("100 MB, until the connection ends") << qint64(100'000'000) << false;
    }

    void anOversizedAnswer()
    {
        QFETCH(qint64, size);
        QFETCH(bool, declared);
        Fixture fixture;
        VersionServer site(size, declared);
        qputenv("ARKIVODA_SITE", site.address().toUtf8());
        QtFileDownload download;
        TAboutBox box(fixture.settings, download, fixture.desktop.urls, nullptr);
        QElapsedTimer clock;
        qint64 dialogAfterMs = -1;
        SetMessageDialogHook([&](const MessageDialogRequest &request) -> std::optional<int> {
            dialogAfterMs = clock.elapsed();
            fixture.dialogs << request;
            return mrOk;
        });
        QVERIFY(resetPeak());
        const qint64 atRest = memoryKiB("VmRSS");
        clock.start();

        box.CheckUpdateButtonClick();

        QCOMPARE(site.paths, QStringList{u"/files/version.info"_s});
        QCOMPARE(fixture.dialogs.size(), 1);
        QCOMPARE(fixture.dialogs.first().caption, u"Upozorenje"_s);
        QVERIFY(fixture.dialogs.first().text.startsWith(u"Problem sa spajanjem na web stranicu programa!"_s));
        QVERIFY2(dialogAfterMs < 3000, qPrintable(u"%1 ms"_s.arg(dialogAfterMs)));
        const qint64 growthKiB = memoryKiB("VmHWM") - atRest;
        QVERIFY2(growthKiB < 50 * 1024, qPrintable(u"%1 KiB more than at rest"_s.arg(growthKiB)));
        QVERIFY(!QFile::exists(fixture.sversion()));
    }

    void theOffer_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("opened");
        QTest::newRow("DA") << int(mrYes) << true;
        QTest::newRow("NE or Escape") << int(mrNo) << false;
        QTest::newRow("close box") << int(mrCancel) << true;
    }

    void theOffer()
    {
        QFETCH(int, answer);
        QFETCH(bool, opened);
        Fixture fixture;
        fixture.answer = answer;
        qputenv("ARKIVODA_SITE", "http://127.0.0.1:9");
        fixture.desktop.download.content = QByteArray("9.9.9.9");
        TAboutBox box(fixture.settings, fixture.desktop.download, fixture.desktop.urls, nullptr);

        box.CheckUpdateButtonClick();

        QCOMPARE(fixture.desktop.download.calls.value(0).url, u"http://127.0.0.1:9/files/version.info"_s);
        QCOMPARE(fixture.desktop.urls.opened,
                 opened ? QList<QUrl>{QUrl(u"http://127.0.0.1:9/"_s)} : QList<QUrl>());
    }

    void anOldCopyIsNeverRead()
    {
        Fixture fixture;
        QFile stale(fixture.sversion());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(current().toLatin1());
        stale.close();
        TAboutBox box(fixture.settings, fixture.desktop.download, fixture.desktop.urls, nullptr);

        box.CheckUpdateButtonClick();

        QCOMPARE(fixture.desktop.download.calls.size(), 1);
        QVERIFY(!fixture.desktop.download.calls.first().fileExisted);
        QCOMPARE(fixture.dialogs.value(0).caption, u"Upozorenje"_s);
        QVERIFY(!QFile::exists(fixture.sversion()));
    }

    void aFailedDownload_data()
    {
        QTest::addColumn<bool>("silentServer");
        QTest::newRow("no server") << false;
        QTest::newRow("a server that never answers") << true;
    }

    void aFailedDownload()
    {
        QFETCH(bool, silentServer);
        Fixture fixture;
        VersionServer silent(std::nullopt);
        qputenv("ARKIVODA_SITE",
                (silentServer ? silent.address() : u"http://127.0.0.1:%1"_s.arg(closedPort())).toUtf8());
        QtFileDownload download(std::chrono::milliseconds(300));
        TAboutBox box(fixture.settings, download, fixture.desktop.urls, nullptr);

        box.CheckUpdateButtonClick();

        QCOMPARE(silent.paths.size(), silentServer ? 1 : 0);
        QCOMPARE(fixture.dialogs.size(), 1);
        const MessageDialogRequest &dialog = fixture.dialogs.first();
        QCOMPARE(dialog.caption, u"Upozorenje"_s);
        QCOMPARE(dialog.type, TMsgDlgType::mtWarning);
        QCOMPARE(dialog.text,
                 u"Problem sa spajanjem na web stranicu programa!\r\nTrenutno ne mogu utvrditi postoji li "
                 u"novija verzija.\r\nMolim pokušajte kasnije."_s);
        QCOMPARE(dialog.captions, QStringList{u"U redu"_s});
        QVERIFY(!QFile::exists(fixture.sversion()));
    }

    void theMenuOpensTheBox()
    {
        GlavniFixture fixture;
        TGlavni &window = fixture.create();
        window.show();
        QAction *item = window.findChild<QAction *>(u"MM_Oprogramu"_s);
        QVERIFY(item->isEnabled());
        bool sawBox = false;
        ModalDriver driver(
            [&](QWidget *box) {
                sawBox = box == window.aboutBox();
                box->close();
            },
            u"AboutBox"_s);

        item->trigger();

        QVERIFY(driver.acted());
        QVERIFY(sawBox);
        QVERIFY(!window.aboutBox());
    }

    void aScheduledRunClosesTheBox()
    {
        GlavniFixture fixture("[Timer]\r\nEnabled=1\r\nTime=08:00:00\r\n");
        TGlavni &window = fixture.create();
        window.show();
        window.setClock([] { return QDateTime(QDate(2026, 3, 14), QTime(8, 0, 0)); });
        // The run falls due while the box is open, and takes it away before it begins.
        ModalDriver driver([&](QWidget *) { window.AutoTimerTimer(); }, u"AboutBox"_s);

        window.MM_OprogramuClick();

        QVERIFY(driver.acted());
        QVERIFY(!window.aboutBox());
        QCOMPARE(fixture.archives().size(), 1);
    }
};

QTEST_MAIN(TestTAboutBox)
#include "tst_TAboutBox.moc"
