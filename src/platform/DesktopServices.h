#pragma once

class FileDownload;
class FileManager;
class LauncherProgress;
class Notifications;
class SessionEnd;
class SingleInstance;
class SystemResume;
class SleepInhibitor;
class TrayIcon;
class UrlOpener;
class WindowAlert;

// The desktop services a window uses, owned elsewhere: the real ones in the program, recording fakes
// in tests. The launcher progress may be absent (nullptr) and is tested before each use.
struct DesktopServices
{
    TrayIcon &tray;
    LauncherProgress *launcher;
    FileManager &fileManager;
    WindowAlert &alert;
    SessionEnd &session;
    SleepInhibitor &inhibitor;
    FileDownload &download;
    UrlOpener &urls;
    SingleInstance &instance;
    SystemResume &resume;
    Notifications &notifications;
};
