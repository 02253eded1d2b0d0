// A stand-in for systemd-logind on a private bus, so that tests can check the calls the program makes
// without shutting anything down. It prints one line to standard output for every event:
//   ready | Inhibit <what>|<who>|<why>|<mode> | granted <n> | released <n> | PowerOff <interactive>
//   | TerminateSession <id>
// Options: --address <bus address> (required), --refuse-block (a "block" inhibitor is not allowed, as
// polkit decides for some callers), --refuse <text> (PowerOff and TerminateSession are refused with
// this text), --delay-ms <n> (their answer comes that much later, as while the user authorises).
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/_37");

void say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

class Logind : public QDBusVirtualObject
{
  public:
    Logind(bool refuseBlock, QString refusal, int delayMs)
        : m_refuseBlock(refuseBlock), m_refusal(std::move(refusal)), m_delayMs(delayMs)
    {
    }

    QString introspect(const QString &) const override { return QString(); }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QString method = message.member();
        const QVariantList arguments = message.arguments();
        if (message.path() == sessionPath && method == QLatin1String("Get")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(QStringLiteral("7")))));
            return true;
        }
        if (message.path() != managerPath)
            return false;
        if (method == QLatin1String("Inhibit")) {
            QStringList words;
            for (const QVariant &argument : arguments)
                words << argument.toString();
            say(QStringLiteral("Inhibit ") + words.join(QLatin1Char('|')));
            if (m_refuseBlock && words.value(3) == QLatin1String("block")) {
                connection.send(
                    message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                             QStringLiteral("Permission denied")));
                return true;
            }
            connection.send(message.createReply(QVariant::fromValue(grant())));
            return true;
        }
        if (method == QLatin1String("GetSessionByPID")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(sessionPath))));
            return true;
        }
        if (method == QLatin1String("PowerOff") || method == QLatin1String("TerminateSession")) {
            say(method + QLatin1Char(' ') + arguments.value(0).toString());
            const QDBusMessage answer =
                m_refusal.isEmpty()
                    ? message.createReply()
                    : message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                               m_refusal);
            QTimer::singleShot(m_delayMs, [connection, answer]() mutable { connection.send(answer); });
            return true;
        }
        return false;
    }

  private:
    // A lock is the writing end of a pipe; its reading end here sees the end of file once every copy
    // of the writing end is closed, which is when the lock is released.
    QDBusUnixFileDescriptor grant()
    {
        int ends[2];
        if (::pipe(ends) != 0)
            qFatal("pipe failed");
        const int number = ++m_granted;
        say(QStringLiteral("granted ") + QString::number(number));
        auto *notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                         [notifier, number, readEnd = ends[0]] {
                             char byte;
                             if (::read(readEnd, &byte, 1) > 0)
                                 return;
                             say(QStringLiteral("released ") + QString::number(number));
                             notifier->setEnabled(false);
                             ::close(readEnd);
                             notifier->deleteLater();
                         });
        // The descriptor holds its own copy of the writing end.
        const QDBusUnixFileDescriptor lock(ends[1]);
        ::close(ends[1]);
        return lock;
    }

    bool m_refuseBlock;
    QString m_refusal;
    int m_delayMs;
    int m_granted = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption address(QStringLiteral("address"), QString(), QStringLiteral("address"));
    const QCommandLineOption refuseBlock(QStringLiteral("refuse-block"));
    const QCommandLineOption refuse(QStringLiteral("refuse"), QString(), QStringLiteral("text"));
    const QCommandLineOption delay(QStringLiteral("delay-ms"), QString(), QStringLiteral("ms"),
                                   QStringLiteral("0"));
    parser.addOptions({address, refuseBlock, refuse, delay});
    parser.process(app);

    QDBusConnection bus = QDBusConnection::connectToBus(parser.value(address), QStringLiteral("fake-logind"));
    Logind logind(parser.isSet(refuseBlock), parser.value(refuse), parser.value(delay).toInt());
    if (!bus.isConnected() || !bus.registerVirtualObject(managerPath, &logind, QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1")))
        qFatal("cannot serve org.freedesktop.login1 on %s", qPrintable(parser.value(address)));
    say(QStringLiteral("ready"));
    return app.exec();
}
