#pragma once

#include "TempTree.h"

#include <QProcess>
#include <QString>

#include <memory>

// Real remote stores on this machine for the copy tests: an SSH server (sshd) on a free localhost
// port with a throw-away host key and an authorised key, and "rclone serve webdav" on another, each
// reached through an rclone remote of a throw-away rclone configuration (RCLONE_CONFIG is set to it
// while the object lives). A third remote, "down", points at a port where nothing listens. Both servers
// are stopped when the object goes.
class RemoteServers
{
  public:
    RemoteServers();
    ~RemoteServers();

    // Starts both servers; false, with the reason, when one cannot be started.
    bool start(QString *why);

    // The folder the remote "sftp:" serves at sftpTarget(), and its target.
    QString sftpFolder() const { return m_tree.path(QStringLiteral("ssh")); }
    QString sftpTarget() const { return QStringLiteral("sftp:") + sftpFolder(); }
    // The folder "dav:" serves, and its target (a subfolder made on the first copy).
    QString webdavFolder() const { return m_tree.path(QStringLiteral("dav")); }
    QString webdavTarget() const { return QStringLiteral("dav:kopije"); }
    // A remote whose server is down.
    QString downTarget() const { return QStringLiteral("down:kopije"); }
    QString configFile() const { return m_tree.path(QStringLiteral("rclone.conf")); }

    // A port on 127.0.0.1 that nothing listens on at the moment of the call.
    static quint16 freePort();
    // Waits until something accepts connections on the port.
    static bool waitForPort(quint16 port, int timeoutMs);

  private:
    bool startSshd(quint16 port, QString *why);
    bool startWebdav(quint16 port, QString *why);

    TempTree m_tree;
    QByteArray m_previousConfig;
    bool m_hadConfig = false;
    std::unique_ptr<QProcess> m_sshd;
    std::unique_ptr<QProcess> m_webdav;
};
