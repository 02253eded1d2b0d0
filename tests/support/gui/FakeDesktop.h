#pragma once

#include "FakeTrayIcon.h"

#include "platform/DesktopServices.h"
#include "platform/FileDownload.h"
#include "platform/FileManager.h"
#include "platform/LauncherProgress.h"
#include "platform/Notifications.h"
#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"
#include "platform/SleepInhibitor.h"
#include "platform/SystemResume.h"
#include "platform/UrlOpener.h"
#include "platform/WindowAlert.h"

#include <QFile>
#include <QPointer>
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

    // Records each request. By default the platform accepts it at once; a test may set another
    // answer, or none, and then answer the waiting requests itself, as the platform would later.
    class Session : public SessionEnd
    {
      public:
        bool isAvailable() override { return available; }
        void PowerOff(const QObject *context, AnswerHandler answered) override
        {
            request(QStringLiteral("PowerOff"), context, std::move(answered));
        }
        void TerminateSession(const QObject *context, AnswerHandler answered) override
        {
            request(QStringLiteral("TerminateSession"), context, std::move(answered));
        }
        // Answers the oldest waiting request; false when none waits.
        bool answerNext(const Answer &answer)
        {
            if (waiting.isEmpty())
                return false;
            const auto [context, answered] = waiting.takeFirst();
            if (context)
                answered(answer);
            return true;
        }

        bool available = true;
        std::optional<Answer> answerAtOnce = Answer{true, QString()};
        QStringList calls;
        QList<QPair<QPointer<const QObject>, AnswerHandler>> waiting;

      private:
        void request(const QString &name, const QObject *context, AnswerHandler answered)
        {
            calls.append(name);
            waiting.append({QPointer<const QObject>(context), std::move(answered)});
            if (answerAtOnce)
                answerNext(*answerAtOnce);
        }
    };

    // Records each hold ("hold: <why>") and release.
    class Inhibitor : public SleepInhibitor
    {
      public:
        void hold(const QString &why) override
        {
            calls.append(QStringLiteral("hold: ") + why);
            held = true;
        }
        void release() override
        {
            calls.append(QStringLiteral("release"));
            held = false;
        }
        bool held = false;
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
        return {tray,     progress,     files,
                alert,    session,      inhibitor,
                download, urls,         instance ? *instance : ownInstance,
                resume,   notifications};
    }

    FakeTrayIcon tray;
    Launcher launcher;
    Files files;
    Alert alert;
    Session session;
    Inhibitor inhibitor;
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
