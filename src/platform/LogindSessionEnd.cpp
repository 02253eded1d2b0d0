#include "platform/LogindSessionEnd.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusVariant>
#include <QPointer>

#include <unistd.h>

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");

// An interactive request waits for the user to authorise it; longer than D-Bus's 25 s default. The
// window does not wait for it.
constexpr int authorisationTimeoutMs = 120000;

QDBusMessage managerCall(const QString &method)
{
    return QDBusMessage::createMethodCall(service, managerPath, managerInterface, method);
}

// Calls onReply with the reply once it has come, unless the context has gone meanwhile.
void whenAnswered(const QDBusPendingCall &call, const QObject *context,
                  std::function<void(const QDBusMessage &)> onReply)
{
    auto *watcher = new QDBusPendingCallWatcher(call);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, guard = QPointer<const QObject>(context), onReply = std::move(onReply)] {
                         watcher->deleteLater();
                         if (guard)
                             onReply(watcher->reply());
                     });
}

// logind and polkit word their refusals themselves ("Interactive authentication required.").
SessionEnd::Answer refusal(const QDBusError &error)
{
    return {false, error.message().isEmpty() ? error.name() : error.message()};
}

SessionEnd::Answer answerOf(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return {true, QString()};
    return refusal(QDBusError(reply));
}

// Asks for the end of the session with the given id.
void terminateSession(QDBusConnection bus, const QString &sessionId, const QObject *context,
                      SessionEnd::AnswerHandler answered)
{
    QDBusMessage call = managerCall(QStringLiteral("TerminateSession"));
    call << sessionId;
    whenAnswered(bus.asyncCall(call, authorisationTimeoutMs), context,
                 [answered = std::move(answered)](const QDBusMessage &reply) { answered(answerOf(reply)); });
}

} // namespace

LogindSessionEnd::LogindSessionEnd(const QDBusConnection &bus) : m_bus(bus) {}

bool LogindSessionEnd::isAvailable()
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    const QDBusReply<bool> registered = m_bus.interface()->isServiceRegistered(service);
    return registered.isValid() && registered.value();
}

void LogindSessionEnd::PowerOff(const QObject *context, AnswerHandler answered)
{
    QDBusMessage call = managerCall(QStringLiteral("PowerOff"));
    call << true; // interactive: polkit may ask the user to authorise
    whenAnswered(m_bus.asyncCall(call, authorisationTimeoutMs), context,
                 [answered = std::move(answered)](const QDBusMessage &reply) { answered(answerOf(reply)); });
}

void LogindSessionEnd::TerminateSession(const QObject *context, AnswerHandler answered)
{
    // The logind session this process belongs to, then its id.
    QDBusMessage byPid = managerCall(QStringLiteral("GetSessionByPID"));
    byPid << static_cast<quint32>(::getpid());
    whenAnswered(m_bus.asyncCall(byPid), context, [bus = m_bus, context, answered](const QDBusMessage &path) {
        const QDBusReply<QDBusObjectPath> session(path);
        if (!session.isValid()) {
            // A program started outside the session's process tree still knows its session from
            // pam_systemd.
            const QString fromEnvironment = qEnvironmentVariable("XDG_SESSION_ID");
            if (fromEnvironment.isEmpty())
                answered(refusal(session.error()));
            else
                terminateSession(bus, fromEnvironment, context, answered);
            return;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(service, session.value().path(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << QStringLiteral("org.freedesktop.login1.Session") << QStringLiteral("Id");
        whenAnswered(bus.asyncCall(get), context, [bus, context, answered](const QDBusMessage &idReply) {
            const QDBusReply<QDBusVariant> id(idReply);
            if (!id.isValid()) {
                answered(refusal(id.error()));
                return;
            }
            terminateSession(bus, id.value().variant().toString(), context, answered);
        });
    });
}
