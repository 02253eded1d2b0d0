#pragma once

#include "FakeTrayIcon.h"

#include "platform/DesktopServices.h"
#include "platform/FileDownload.h"
#include "platform/FileManager.h"
#include "platform/LauncherProgress.h"
#include "platform/SessionEnd.h"
#include "platform/SleepInhibitor.h"
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
        void ShowItem(const QString &path) override { shown.append(path); }
        QStringList shown;
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

    DesktopServices services()
    {
        return {tray, withLauncher ? &launcher : nullptr, files, alert, session, inhibitor, download, urls};
    }

    FakeTrayIcon tray;
    Launcher launcher;
    Files files;
    Alert alert;
    Session session;
    Inhibitor inhibitor;
    Download download;
    Urls urls;
    bool withLauncher = true;
};
