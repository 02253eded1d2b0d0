#include "platform/UnityLauncherProgress.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {

const QString objectPath = QStringLiteral("/com/canonical/unity/launcherentry/arkivoda");
const QString interfaceName = QStringLiteral("com.canonical.Unity.LauncherEntry");

} // namespace

std::unique_ptr<UnityLauncherProgress> UnityLauncherProgress::create(const QString &desktopEntry)
{
    if (!QDBusConnection::sessionBus().isConnected())
        return nullptr;
    return std::unique_ptr<UnityLauncherProgress>(new UnityLauncherProgress(desktopEntry));
}

UnityLauncherProgress::UnityLauncherProgress(const QString &desktopEntry)
    : m_appUri(QStringLiteral("application://") + desktopEntry)
{
}

void UnityLauncherProgress::SetProgressState(State state)
{
    m_state = state;
    // The launcher entry knows no paused state: a paused run keeps its bar; an error marks it urgent.
    send({{QStringLiteral("progress-visible"), state != State::NoProgress},
          {QStringLiteral("urgent"), state == State::Error}});
}

void UnityLauncherProgress::SetProgressValue(qint64 completed, qint64 total)
{
    if (total <= 0)
        return;
    send({{QStringLiteral("progress"), double(completed) / double(total)},
          {QStringLiteral("progress-visible"), m_state != State::NoProgress}});
}

void UnityLauncherProgress::send(const QVariantMap &properties)
{
    QDBusMessage signal = QDBusMessage::createSignal(objectPath, interfaceName, QStringLiteral("Update"));
    signal << m_appUri << properties;
    QDBusConnection::sessionBus().send(signal);
}
