#include "run/RcloneProcess.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

constexpr int KillAfterTermMs = 2000;

} // namespace

RcloneProcess::RcloneProcess(QObject *parent) : QObject(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_result.timedOut = true;
        m_process.kill();
    });
    m_killTimer.setSingleShot(true);
    m_killTimer.setInterval(KillAfterTermMs);
    connect(&m_killTimer, &QTimer::timeout, &m_process, &QProcess::kill);
    connect(&m_process, &QProcess::readyReadStandardError, this, &RcloneProcess::readLog);
    connect(&m_process, &QProcess::finished, this, &RcloneProcess::end);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end();
    });
}

RcloneProcess::~RcloneProcess()
{
    // No rclone outlives the copy that started it.
    if (running()) {
        m_process.kill();
        m_process.waitForFinished(KillAfterTermMs);
    }
}

QString RcloneProcess::program()
{
    return QStandardPaths::findExecutable(QStringLiteral("rclone"));
}

QStringList RcloneProcess::commonOptions()
{
    return {QStringLiteral("--use-json-log"),        QStringLiteral("--ask-password=false"),
            QStringLiteral("--contimeout=15s"),      QStringLiteral("--timeout=60s"),
            QStringLiteral("--low-level-retries=3"), QStringLiteral("--stats-log-level=NOTICE")};
}

void RcloneProcess::start(const QStringList &arguments, int timeoutMs)
{
    m_result = Result();
    m_pending.clear();
    m_ended = false;
    const QString rclone = program();
    if (rclone.isEmpty()) {
        m_ended = true;
        return;
    }
    m_process.setProgram(rclone);
    m_process.setArguments(arguments + commonOptions());
    // A copy into a folder of this computer is as private as the archive it copies: rclone creates
    // local files and folders through the umask.
    m_process.setChildProcessModifier([] { ::umask(077); });
    m_process.start(QIODevice::ReadOnly);
    if (timeoutMs > 0)
        m_deadline.start(timeoutMs);
}

RcloneProcess::Result RcloneProcess::waitForEnd()
{
    if (!m_ended) {
        QEventLoop loop;
        connect(this, &RcloneProcess::ended, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_result;
}

RcloneProcess::Result RcloneProcess::run(const QStringList &arguments, int timeoutMs)
{
    start(arguments, timeoutMs);
    return waitForEnd();
}

void RcloneProcess::stop()
{
    if (!running())
        return;
    m_result.stopped = true;
    m_process.terminate();
    m_killTimer.start();
}

void RcloneProcess::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_deadline.stop();
    m_killTimer.stop();
    readLog();
    if (!m_pending.isEmpty())
        takeLogLine(m_pending);
    m_pending.clear();
    m_result.started = m_process.error() != QProcess::FailedToStart;
    m_result.output = m_process.readAllStandardOutput();
    if (m_result.started && m_process.exitStatus() == QProcess::NormalExit)
        m_result.exitCode = m_process.exitCode();
    emit ended();
}

void RcloneProcess::readLog()
{
    m_pending += m_process.readAllStandardError();
    qsizetype newline;
    while ((newline = m_pending.indexOf('\n')) >= 0) {
        takeLogLine(m_pending.left(newline));
        m_pending.remove(0, newline + 1);
    }
}

void RcloneProcess::takeLogLine(const QByteArray &line)
{
    if (const QString error = errorOfLogLine(line); !error.isEmpty())
        m_result.error = error;
    if (!m_progress || !line.startsWith('{'))
        return;
    const QJsonObject stats =
        QJsonDocument::fromJson(line).object().value(QStringLiteral("stats")).toObject();
    if (stats.isEmpty())
        return;
    m_progress(static_cast<qint64>(stats.value(QStringLiteral("bytes")).toDouble()),
               static_cast<qint64>(stats.value(QStringLiteral("totalBytes")).toDouble()));
}

QString RcloneProcess::errorOfLogLine(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return QString();
    if (trimmed.startsWith('{')) {
        const QJsonObject entry = QJsonDocument::fromJson(trimmed).object();
        const QString level = entry.value(QStringLiteral("level")).toString();
        if (level != QLatin1String("error") && level != QLatin1String("critical") &&
            level != QLatin1String("fatal"))
            return QString();
        QString message = entry.value(QStringLiteral("msg")).toString().trimmed();
        const QString object = entry.value(QStringLiteral("object")).toString();
        if (!object.isEmpty() && !message.startsWith(object))
            message = object + QStringLiteral(": ") + message;
        return message;
    }
    // A plain line is how rclone reports what ends it at once, before or outside its JSON log:
    // "2026/12/11 01:48:19 Failed to create file system for ...".
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2} "));
    QString text = QString::fromUtf8(trimmed);
    text.remove(stamp);
    if (text.startsWith(QLatin1String("NOTICE:")) || text.startsWith(QLatin1String("INFO")) ||
        text.startsWith(QLatin1String("DEBUG")))
        return QString();
    return text.startsWith(QLatin1String("ERROR : ")) ? text.mid(8) : text;
}
