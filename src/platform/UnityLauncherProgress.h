#pragma once

#include "platform/LauncherProgress.h"

#include <QString>
#include <QVariantMap>

#include <memory>

// Launcher progress through the com.canonical.Unity.LauncherEntry "Update" signal on the session bus,
// which docks and panels (KDE Plasma, Dash to Dock, Plank) show on the program's launcher entry.
class UnityLauncherProgress : public LauncherProgress
{
  public:
    // The launcher progress of the given desktop entry; nothing when there is no session bus.
    static std::unique_ptr<UnityLauncherProgress> create(const QString &desktopEntry);

    void SetProgressState(State state) override;
    void SetProgressValue(qint64 completed, qint64 total) override;

  private:
    explicit UnityLauncherProgress(const QString &desktopEntry);
    void send(const QVariantMap &properties);

    QString m_appUri;
    State m_state = State::NoProgress;
};
