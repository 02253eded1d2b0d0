#pragma once

class QString;

// The user's file manager.
class FileManager
{
  public:
    virtual ~FileManager() = default;

    // Opens the file manager with the given file selected in its folder, or at least the folder with
    // the desktop's default program for folders. False when neither could be done.
    virtual bool ShowItem(const QString &path) = 0;
};
