#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

// One rclone command as a child process: the arguments every command of ours shares, a time limit,
// the standard output, the transfer statistics and the last error of its JSON log, and a stop. The
// caller serves events while it waits (waitForEnd), so a window stays live and its stop button works.
class RcloneProcess : public QObject
{
    Q_OBJECT

  public:
    struct Result
    {
        bool started = false;  // the program could be started at all
        bool timedOut = false; // ended by the time limit
        bool stopped = false;  // ended by stop()
        int exitCode = -1;     // rclone's exit status; -1 when it did not exit normally
        QByteArray output;     // standard output (the JSON of lsjson and backend features)
        QString error;         // the last error rclone logged, without its time stamp

        bool succeeded() const { return started && !timedOut && !stopped && exitCode == 0; }
    };

    explicit RcloneProcess(QObject *parent = nullptr);
    ~RcloneProcess() override;

    // The rclone program found on PATH; empty when rclone is not installed.
    static QString program();
    // The options every command gets: JSON log lines, no password prompt, and bounded connection
    // attempts, so that a server that is down fails within seconds rather than minutes.
    static QStringList commonOptions();

    // Called with bytes done and bytes in all, from each statistics line of the log.
    void setProgressHandler(std::function<void(qint64, qint64)> handler) { m_progress = std::move(handler); }

    // Starts rclone with commonOptions() and the arguments; timeoutMs 0 means no limit.
    void start(const QStringList &arguments, int timeoutMs);
    // Serves events until the command has ended, and returns how it ended.
    Result waitForEnd();
    // start() and waitForEnd() in one.
    Result run(const QStringList &arguments, int timeoutMs);
    // Ends the running command: a TERM first, a KILL when it has not ended 2 s later.
    void stop();
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // The error of one log line: the "msg" of a JSON line of level error or critical, or a plain line
    // without its date and time (rclone prints its fatal errors so); empty for anything else.
    static QString errorOfLogLine(const QByteArray &line);

  signals:
    void ended();

  private:
    void readLog();
    void takeLogLine(const QByteArray &line);
    void end();

    QProcess m_process;
    QTimer m_deadline;
    QTimer m_killTimer;
    QByteArray m_pending;
    Result m_result;
    bool m_ended = true;
    std::function<void(qint64, qint64)> m_progress;
};
