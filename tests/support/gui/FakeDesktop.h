#pragma once

#include "FakeTrayIcon.h"

#include "platform/ActionNotification.h"
#include "platform/DesktopServices.h"
#include "platform/FileDownload.h"
#include "platform/FileManager.h"
#include "platform/LauncherProgress.h"
#include "platform/SessionEnd.h"
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
        bool ShowItem(const QString &path) override
        {
            shown.append(path);
            return result;
        }
        QStringList shown;
        bool result = true; // whether the file manager, or the folder, could be shown
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

    // Records each download and answers it with the content a test sets, or fails without one.
    class Download : public FileDownload
    {
      public:
        struct Call
        {
            QString url;
            QString fileName;
            bool fileExisted; // whether the target was there when the download began
        };
        bool DownloadFile(const QString &url, const QString &fileName) override
        {
            calls.append({url, fileName, QFile::exists(fileName)});
            if (!content)
                return false;
            QFile file(fileName);
            return file.open(QIODevice::WriteOnly) && file.write(*content) == content->size();
        }
        std::optional<QByteArray> content;
        QList<Call> calls;
    };

    class Urls : public UrlOpener
    {
      public:
        void OpenUrl(const QUrl &url) override { opened.append(url); }
        QList<QUrl> opened;
    };

    // Records each notification; a test says whether the desktop takes actions (by default not, and
    // the window uses the tray's balloon).
    class Notifications : public ActionNotification
    {
      public:
        struct Shown
        {
            QString title;
            QString text;
            QString actionText;
        };
        bool takesActions() override { return actions; }
        bool notify(const QString &title, const QString &text, const QString &actionText) override
        {
            shown.append({title, text, actionText});
            return true;
        }
        bool actions = false;
        QList<Shown> shown;
    };

    DesktopServices services()
    {
        return {tray,          withLauncher ? &launcher : nullptr, files, alert, session, download, urls,
                &notifications};
    }

    FakeTrayIcon tray;
    Launcher launcher;
    Files files;
    Alert alert;
    Session session;
    Download download;
    Urls urls;
    Notifications notifications;
    bool withLauncher = true;
};
