#pragma once

#include "platform/SingleInstance.h"

#include <QLocalServer>
#include <QString>

#include <chrono>

class QLocalSocket;

// The single instance through a lock and a local socket of this user: the holder keeps an exclusive
// lock (flock) on "arkivoda-<uid>-<hash of the key>.lock" and listens on the socket of the same name,
// in $XDG_RUNTIME_DIR (else the temporary folder). The kernel drops the lock of a process that ends
// in any way, so a crashed holder never blocks the next start; its socket file is removed by the next
// holder before it listens. A later start that finds the lock taken connects to the socket and asks
// the holder to come forward.
class LocalSocketInstance : public SingleInstance
{
  public:
    // patience: how long a later start keeps trying to reach a holder that has its lock but does not
    // listen yet (it is starting, or cannot listen).
    explicit LocalSocketInstance(std::chrono::milliseconds patience = std::chrono::seconds(3));
    ~LocalSocketInstance() override;
    LocalSocketInstance(const LocalSocketInstance &) = delete;
    LocalSocketInstance &operator=(const LocalSocketInstance &) = delete;

    bool claim(const QString &key) override;
    void setForwardRequestHandler(std::function<void()> handler) override;

    // The path of the socket (and, with ".lock", of the lock file) for a key.
    static QString socketPath(const QString &key);

  private:
    void askToComeForward(const QString &path) const;
    void serve(QLocalSocket *socket);

    std::chrono::milliseconds m_patience;
    int m_lock = -1;
    QLocalServer m_server;
    std::function<void()> m_handler;
};
