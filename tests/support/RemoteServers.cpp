#include "RemoteServers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool runTool(const QString &program, const QStringList &arguments, QString *why)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *why = program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    return true;
}

void stopProcess(std::unique_ptr<QProcess> &process)
{
    if (!process)
        return;
    process->terminate();
    if (!process->waitForFinished(5000)) {
        process->kill();
        process->waitForFinished(5000);
    }
    process.reset();
}

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

RemoteServers::RemoteServers()
{
    m_hadConfig = qEnvironmentVariableIsSet("RCLONE_CONFIG");
    m_previousConfig = qgetenv("RCLONE_CONFIG");
    m_tree.makeDir(QStringLiteral("ssh"));
    m_tree.makeDir(QStringLiteral("dav"));
}

RemoteServers::~RemoteServers()
{
    stopProcess(m_sshd);
    stopProcess(m_webdav);
    if (m_hadConfig)
        qputenv("RCLONE_CONFIG", m_previousConfig);
    else
        qunsetenv("RCLONE_CONFIG");
}

quint16 RemoteServers::freePort()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(socket);
    return port;
}

bool RemoteServers::waitForPort(quint16 port, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in address = loopback(port);
        const bool connected =
            ::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
        ::close(socket);
        if (connected)
            return true;
        QThread::msleep(50);
    }
    return false;
}

bool RemoteServers::start(QString *why)
{
    if (QStandardPaths::findExecutable(QStringLiteral("rclone")).isEmpty()) {
        *why = QStringLiteral("rclone is not installed (scripts/install-deps.sh installs it)");
        return false;
    }
    const quint16 sshPort = freePort();
    const quint16 davPort = freePort();
    quint16 downPort = freePort();
    while (downPort == sshPort || downPort == davPort)
        downPort = freePort();
    if (!startSshd(sshPort, why) || !startWebdav(davPort, why))
        return false;

    const passwd *user = ::getpwuid(::geteuid());
    QFile config(configFile());
    if (!config.open(QIODevice::WriteOnly)) {
        *why = QStringLiteral("cannot write ") + configFile();
        return false;
    }
    const QString key = m_tree.path(QStringLiteral("keys/client"));
    const QString sftpRemote = QStringLiteral("type = sftp\nhost = 127.0.0.1\nuser = %1\nkey_file = %2\n")
                                   .arg(QString::fromLocal8Bit(user ? user->pw_name : "root"), key);
    config.write(
        (QStringLiteral("[sftp]\n") + sftpRemote + QStringLiteral("port = %1\n\n").arg(sshPort) +
         QStringLiteral("[down]\n") + sftpRemote + QStringLiteral("port = %1\n\n").arg(downPort) +
         QStringLiteral("[dav]\ntype = webdav\nurl = http://127.0.0.1:%1/\nvendor = other\n").arg(davPort))
            .toUtf8());
    config.close();
    qputenv("RCLONE_CONFIG", QFile::encodeName(configFile()));
    return true;
}

bool RemoteServers::startSshd(quint16 port, QString *why)
{
    const QString sshd = QStringLiteral("/usr/sbin/sshd");
    if (!QFile::exists(sshd)) {
        *why = QStringLiteral("sshd is not installed (package openssh-server, scripts/install-deps.sh)");
        return false;
    }
    // sshd started by root wants its privilege separation folder, which the system's service makes.
    if (::geteuid() == 0 && !QDir().mkpath(QStringLiteral("/run/sshd"))) {
        *why = QStringLiteral("cannot make /run/sshd");
        return false;
    }
    const QString keys = m_tree.makeDir(QStringLiteral("keys"));
    if (!runTool(QStringLiteral("ssh-keygen"),
                 {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"),
                  QString(), QStringLiteral("-f"), keys + QStringLiteral("/host")},
                 why) ||
        !runTool(QStringLiteral("ssh-keygen"),
                 {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"),
                  QString(), QStringLiteral("-f"), keys + QStringLiteral("/client")},
                 why))
        return false;
    QFile::copy(keys + QStringLiteral("/client.pub"), keys + QStringLiteral("/authorized_keys"));
    const QString config = m_tree.writeFile(
        QStringLiteral("sshd_config"),
        QStringLiteral(
            "Port %1\nListenAddress 127.0.0.1\nHostKey %2/host\nAuthorizedKeysFile %2/authorized_keys\n"
            "PidFile none\nUsePAM no\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n"
            "StrictModes no\nPermitRootLogin prohibit-password\nSubsystem sftp internal-sftp\n")
            .arg(port)
            .arg(keys)
            .toUtf8());
    m_sshd = std::make_unique<QProcess>();
    m_sshd->setStandardOutputFile(m_tree.path(QStringLiteral("sshd.log")));
    m_sshd->setProcessChannelMode(QProcess::MergedChannels);
    m_sshd->start(sshd, {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"), config});
    if (!m_sshd->waitForStarted() || !waitForPort(port, 10000)) {
        *why = QStringLiteral("sshd did not start on port %1 (log: %2)")
                   .arg(port)
                   .arg(m_tree.path(QStringLiteral("sshd.log")));
        return false;
    }
    return true;
}

bool RemoteServers::startWebdav(quint16 port, QString *why)
{
    m_webdav = std::make_unique<QProcess>();
    m_webdav->setStandardOutputFile(m_tree.path(QStringLiteral("webdav.log")));
    m_webdav->setProcessChannelMode(QProcess::MergedChannels);
    m_webdav->start(QStringLiteral("rclone"),
                    {QStringLiteral("serve"), QStringLiteral("webdav"), webdavFolder(),
                     QStringLiteral("--addr"), QStringLiteral("127.0.0.1:%1").arg(port)});
    if (!m_webdav->waitForStarted() || !waitForPort(port, 10000)) {
        *why = QStringLiteral("rclone serve webdav did not start on port %1").arg(port);
        return false;
    }
    return true;
}
