#include "platform/LinuxDesktop.h"

#include "platform/DesktopUrlOpener.h"
#include "platform/FreedesktopActionNotification.h"
#include "platform/FreedesktopFileManager.h"
#include "platform/LogindSessionEnd.h"
#include "platform/QtFileDownload.h"
#include "platform/QtTrayIcon.h"
#include "platform/QtWindowAlert.h"
#include "platform/UnityLauncherProgress.h"

LinuxDesktop::LinuxDesktop()
    : m_tray(std::make_unique<QtTrayIcon>()),
      m_launcher(UnityLauncherProgress::create(QStringLiteral("arkivoda.desktop"))),
      m_fileManager(std::make_unique<FreedesktopFileManager>()), m_alert(std::make_unique<QtWindowAlert>()),
      m_session(std::make_unique<LogindSessionEnd>()), m_download(std::make_unique<QtFileDownload>()),
      m_urls(std::make_unique<DesktopUrlOpener>()),
      m_actionNotification(std::make_unique<FreedesktopActionNotification>())
{
}

LinuxDesktop::~LinuxDesktop() = default;

DesktopServices LinuxDesktop::services()
{
    return DesktopServices{*m_tray,    m_launcher.get(), *m_fileManager, *m_alert,
                           *m_session, *m_download,      *m_urls,        m_actionNotification.get()};
}
