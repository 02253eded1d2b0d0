#include "platform/LocalSocketInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The one request a later start sends.
constexpr QByteArrayView forwardRequest = "forward\n";

// Where this user's sockets live: the session's runtime folder (private to the user), else the
// temporary folder, where the socket's access rights and the user id in its name keep users apart.
QString socketFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return runtime;
    return QDir::tempPath();
}

// The same configuration under another spelling of its path (a "..", a link to the folder) is the
// same key.
QString canonicalKey(const QString &key)
{
    const QFileInfo file(key);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? file.absoluteFilePath() : folder + QLatin1Char('/') + file.fileName();
}

} // namespace

LocalSocketInstance::LocalSocketInstance(std::chrono::milliseconds patience) : m_patience(patience)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&m_server, &QLocalServer::newConnection, &m_server, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

LocalSocketInstance::~LocalSocketInstance()
{
    m_server.close();
    if (m_lock >= 0)
        ::close(m_lock);
}

QString LocalSocketInstance::socketPath(const QString &key)
{
    // A hash keeps the name short (a socket's path has at most 107 bytes) and free of any character
    // of the configuration's name.
    const QByteArray hash =
        QCryptographicHash::hash(canonicalKey(key).toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return socketFolder() + QStringLiteral("/arkivoda-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool LocalSocketInstance::claim(const QString &key)
{
    const QString path = socketPath(key);
    // O_CLOEXEC: a program started from here (a file manager, a browser) must not inherit the lock
    // and hold the configuration after this process has ended.
    const int lock = ::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Without a lock file nothing can tell whether another start runs: this one runs.
    if (lock < 0)
        return true;
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(lock);
        if (error != EWOULDBLOCK)
            return true;
        askToComeForward(path);
        return false;
    }
    m_lock = lock;
    // The socket file of a holder that crashed is still there; only the lock's holder removes it.
    QLocalServer::removeServer(path);
    // When the socket cannot be made, the lock still keeps later starts out; they only cannot bring
    // this one forward.
    m_server.listen(path);
    return true;
}

void LocalSocketInstance::setForwardRequestHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
}

void LocalSocketInstance::askToComeForward(const QString &path) const
{
    // The holder takes its lock a moment before it listens: try again until it does.
    const QDeadlineTimer deadline(m_patience);
    do {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(200)) {
            socket.write(forwardRequest.data(), forwardRequest.size());
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return;
        }
        QThread::msleep(50);
    } while (!deadline.hasExpired());
}

void LocalSocketInstance::serve(QLocalSocket *socket)
{
    socket->setParent(&m_server);
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto read = [this, socket] {
        if (socket->bytesAvailable() < forwardRequest.size())
            return;
        const bool asked = socket->read(forwardRequest.size()) == forwardRequest;
        socket->disconnectFromServer();
        if (asked && m_handler)
            m_handler();
    };
    QObject::connect(socket, &QLocalSocket::readyRead, socket, read);
    // The request may have arrived with the connection.
    read();
}
