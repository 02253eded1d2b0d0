#include "PrivateSystemBus.h"

#include <QTest>

PrivateSystemBus::PrivateSystemBus(const QStringList &logindOptions, bool withLogind)
{
    // The session bus's configuration: a socket of its own, open to the user who started it.
    m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                   QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted())
        return;
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty())
        return;
    if (!withLogind) {
        m_up = true;
        return;
    }
    m_logind.start(QStringLiteral(ARKIVODA_FAKE_LOGIND),
                   QStringList{QStringLiteral("--address"), m_address} + logindOptions);
    if (!m_logind.waitForStarted())
        return;
    while (!m_logind.canReadLine() && m_logind.waitForReadyRead(10000)) {
    }
    m_up = m_logind.readLine().trimmed() == "ready";
}

PrivateSystemBus::~PrivateSystemBus()
{
    for (QProcess *process : {&m_logind, &m_daemon}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished();
        }
    }
}

QStringList PrivateSystemBus::log()
{
    while (m_logind.canReadLine())
        m_log << QString::fromUtf8(m_logind.readLine()).trimmed();
    return m_log;
}

bool PrivateSystemBus::waitForLine(const QString &line, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            m_logind.waitForReadyRead(10);
            return log().contains(line);
        },
        timeoutMs);
}
