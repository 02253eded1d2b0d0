#pragma once

class QString;

// The user's file manager.
class FileManager
{
  public:
    virtual ~FileManager() = default;

    // Opens the file manager with the given file selected in its folder. Nothing is reported when
    // no file manager can be started.
    virtual void ShowItem(const QString &path) = 0;
};
