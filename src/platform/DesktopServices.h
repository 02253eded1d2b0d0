#pragma once

class ActionNotification;
class FileDownload;
class FileManager;
class LauncherProgress;
class SessionEnd;
class TrayIcon;
class UrlOpener;
class WindowAlert;

// The desktop services a window uses, owned elsewhere: the real ones in the program, recording fakes
// in tests. The launcher progress and the notifications with an action may be absent (nullptr) and
// are tested before each use.
struct DesktopServices
{
    TrayIcon &tray;
    LauncherProgress *launcher;
    FileManager &fileManager;
    WindowAlert &alert;
    SessionEnd &session;
    FileDownload &download;
    UrlOpener &urls;
    ActionNotification *actionNotification = nullptr;
};
