#pragma once

#include "platform/DesktopServices.h"

#include <memory>

class DesktopUrlOpener;
class FreedesktopActionNotification;
class FreedesktopFileManager;
class LogindSessionEnd;
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
    std::unique_ptr<QtFileDownload> m_download;
    std::unique_ptr<DesktopUrlOpener> m_urls;
    std::unique_ptr<FreedesktopActionNotification> m_actionNotification;
};
