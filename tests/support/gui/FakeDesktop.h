#pragma once

#include "FakeTrayIcon.h"

#include "platform/DesktopServices.h"
#include "platform/FileDownload.h"
#include "platform/FileManager.h"
#include "platform/LauncherProgress.h"
#include "platform/Notifications.h"
#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"
#include "platform/SystemResume.h"
#include "platform/UrlOpener.h"
#include "platform/WindowAlert.h"

#include <QFile>
#include <QUrl>

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

// Desktop services that record every call instead of touching the session: no file manager opens,
// no launcher or window manager is told anything, no session ends and nothing is downloaded.
class FakeDesktop
{
  public:
    class Launcher : public LauncherProgress
    {
      public:
        void SetProgressState(State state) override { states.append(state); }
        void SetProgressValue(qint64 completed, qint64 total) override { values.append({completed, total}); }
        QList<State> states;
        QList<QPair<qint64, qint64>> values;
    };

    class Files : public FileManager
    {
      public:
        void ShowItem(const QString &path) override { shown.append(path); }
        QStringList shown;
    };

    class Alert : public WindowAlert
    {
      public:
        void FlashWindow(QWidget *) override { ++flashes; }
        int flashes = 0;
    };

    // Records each request; the answer is what a test sets (by default the platform accepts).
    class Session : public SessionEnd
    {
      public:
        bool isAvailable() override { return available; }
        bool PowerOff() override
        {
            calls.append(QStringLiteral("PowerOff"));
            return accept;
        }
        bool TerminateSession() override
        {
            calls.append(QStringLiteral("TerminateSession"));
            return accept;
        }
        bool available = true;
        bool accept = true;
        QStringList calls;
    };

    // Records each download and answers it with the content a test sets, or fails without one or
    // with one longer than the caller's limit.
    class Download : public FileDownload
    {
      public:
        struct Call
        {
            QString url;
            QString fileName;
            bool fileExisted; // whether the target was there when the download began
            qint64 maxBytes;
        };
        bool DownloadFile(const QString &url, const QString &fileName, qint64 maxBytes) override
        {
            calls.append({url, fileName, QFile::exists(fileName), maxBytes});
            if (!content || content->size() > maxBytes)
                return false;
            QFile file(fileName);
            return file.open(QIODevice::WriteOnly) && file.write(*content) == content->size();
        }
        std::optional<QByteArray> content;
        QList<Call> calls;
    };

    // A notification service that is absent unless a test says it runs; it records what it shows.
    class Notifier : public Notifications
    {
      public:
        bool isAvailable() const override { return available; }
        void notify(const Notification &notification) override { shown.append(notification); }
        bool available = false;
        QList<Notification> shown;
    };

    class Urls : public UrlOpener
    {
      public:
        void OpenUrl(const QUrl &url) override { opened.append(url); }
        QList<QUrl> opened;
    };

    // Every claim succeeds; the window's handler for later starts is kept for a test to call.
    class Instance : public SingleInstance
    {
      public:
        bool claim(const QString &) override { return true; }
        void setForwardRequestHandler(std::function<void()> handler) override
        {
            this->handler = std::move(handler);
        }
        std::function<void()> handler;
    };

    DesktopServices services()
    {
        LauncherProgress *progress = withLauncher ? &launcher : nullptr;
        return {tray,    progress,     files, alert,
                session, download,     urls,  instance ? *instance : ownInstance,
                resume,  notifications};
    }

    FakeTrayIcon tray;
    Launcher launcher;
    Files files;
    Alert alert;
    Session session;
    Download download;
    Urls urls;
    Instance ownInstance;
    // A real single instance in place of the recording one, when a test sets it.
    SingleInstance *instance = nullptr;
    // A test wakes the computer with emit resume.resumed().
    SystemResume resume;
    Notifier notifications;
    bool withLauncher = true;
};
