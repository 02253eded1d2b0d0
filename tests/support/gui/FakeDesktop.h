#pragma once

#include "FakeTrayIcon.h"

#include "platform/DesktopServices.h"
#include "platform/FileManager.h"
#include "platform/LauncherProgress.h"
#include "platform/WindowAlert.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Desktop services that record every call instead of touching the session: no file manager opens,
// no launcher or window manager is told anything.
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

    DesktopServices services() { return {tray, withLauncher ? &launcher : nullptr, files, alert}; }

    FakeTrayIcon tray;
    Launcher launcher;
    Files files;
    Alert alert;
    bool withLauncher = true;
};
