#pragma once

#include "platform/DesktopServices.h"

#include <memory>

class DesktopUrlOpener;
class FreedesktopFileManager;
class LocalSocketInstance;
class FreedesktopNotifications;
class LogindSessionEnd;
class LogindSystemResume;
class LogindSleepInhibitor;
class QtFileDownload;
class QtTrayIcon;
class QtWindowAlert;
class UnityLauncherProgress;

// The desktop services of a Linux session, created once before the main window and living as long
// as the program.
class LinuxDesktop
{
  public:
    LinuxDesktop();
    ~LinuxDesktop();
    LinuxDesktop(const LinuxDesktop &) = delete;
    LinuxDesktop &operator=(const LinuxDesktop &) = delete;

    DesktopServices services();

  private:
    std::unique_ptr<QtTrayIcon> m_tray;
    std::unique_ptr<UnityLauncherProgress> m_launcher;
    std::unique_ptr<FreedesktopFileManager> m_fileManager;
    std::unique_ptr<QtWindowAlert> m_alert;
    std::unique_ptr<LogindSessionEnd> m_session;
    std::unique_ptr<LogindSleepInhibitor> m_inhibitor;
    std::unique_ptr<QtFileDownload> m_download;
    std::unique_ptr<DesktopUrlOpener> m_urls;
    std::unique_ptr<LocalSocketInstance> m_instance;
    std::unique_ptr<LogindSystemResume> m_resume;
    std::unique_ptr<FreedesktopNotifications> m_notifications;
};
