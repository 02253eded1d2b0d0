#include "platform/LocalSocketInstance.h"

#include "TempTree.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Leaves a socket file as a process that crashed leaves it: bound, then closed without removing it.
bool leaveStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || name.size() >= qsizetype(sizeof(address.sun_path)))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFileInfo(path).exists();
}

} // namespace

// The lock and the socket that keep one desktop program per configuration, in a runtime folder of
// the test's own; the processes are in-process holders here (the real program: tst_ProgramStart).
class TestLocalSocketInstance : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        Fixture()
        {
            qputenv("XDG_RUNTIME_DIR", tree.makeDir(u"run"_s).toUtf8());
            config = tree.makeDir(u"config/Arkivoda"_s);
        }
        QString settings(const QString &name) const { return config + u'/' + name; }

        TempTree tree;
        QString config;
    };

  private slots:
    void aLaterClaimOnTheSameConfiguration_data()
    {
        QTest::addColumn<QString>("later"); // the later start's settings file, relative to the data folder
        QTest::addColumn<bool>("claimed");
        QTest::newRow("the same configuration") << u"Arkivoda.ini"_s << false;
        QTest::newRow("the same file by another path") << u"../Arkivoda/Arkivoda.ini"_s << false;
        QTest::newRow("a named configuration") << u"Posao_Arkivoda.ini"_s << true;
        QTest::newRow("another data folder") << u"../Drugi/Arkivoda.ini"_s << true;
    }

    void aLaterClaimOnTheSameConfiguration()
    {
        QFETCH(QString, later);
        QFETCH(bool, claimed);
        Fixture fixture;
        fixture.tree.makeDir(u"config/Drugi"_s);
        LocalSocketInstance first;
        int forwards = 0;
        first.setForwardRequestHandler([&forwards] { ++forwards; });
        QVERIFY(first.claim(fixture.settings(u"Arkivoda.ini"_s)));

        LocalSocketInstance second;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(second.claim(fixture.settings(later)), claimed);
        QVERIFY(clock.elapsed() < 1000);

        if (claimed) {
            QTest::qWait(100);
            QCOMPARE(forwards, 0);
        } else {
            QTRY_COMPARE(forwards, 1);
        }
        // Only this user may talk to a holder.
        const QString socket = LocalSocketInstance::socketPath(fixture.settings(u"Arkivoda.ini"_s));
        QCOMPARE(QFileInfo(socket).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
    }

    // A holder that ended, in any way, leaves the configuration to the next start: its lock is gone
    // with it, and a socket file it left behind is replaced.
    void theConfigurationIsFreeAfterTheHolder_data()
    {
        QTest::addColumn<bool>("crashed");
        QTest::newRow("ended") << false;
        QTest::newRow("crashed, its socket file left behind") << true;
    }

    void theConfigurationIsFreeAfterTheHolder()
    {
        QFETCH(bool, crashed);
        Fixture fixture;
        const QString settings = fixture.settings(u"Arkivoda.ini"_s);
        if (crashed) {
            QVERIFY(leaveStaleSocket(LocalSocketInstance::socketPath(settings)));
        } else {
            LocalSocketInstance earlier;
            QVERIFY(earlier.claim(settings));
        }

        LocalSocketInstance holder;
        int forwards = 0;
        holder.setForwardRequestHandler([&forwards] { ++forwards; });
        QVERIFY(holder.claim(settings));
        // It listens: the next start reaches it.
        LocalSocketInstance later;
        QVERIFY(!later.claim(settings));
        QTRY_COMPARE(forwards, 1);
    }

    // Without a runtime folder the socket goes to the temporary folder, with the user in its name.
    void withoutARuntimeFolder()
    {
        Fixture fixture;
        qunsetenv("XDG_RUNTIME_DIR");
        const QString settings = fixture.settings(u"Arkivoda.ini"_s);
        LocalSocketInstance first;
        QVERIFY(first.claim(settings));
        QVERIFY(QFileInfo(LocalSocketInstance::socketPath(settings))
                    .fileName()
                    .contains(u"-%1-"_s.arg(::getuid())));
        QVERIFY(QFileInfo::exists(LocalSocketInstance::socketPath(settings)));
        LocalSocketInstance second;
        QVERIFY(!second.claim(settings));
    }
};

QTEST_GUILESS_MAIN(TestLocalSocketInstance)
#include "tst_LocalSocketInstance.moc"
