#pragma once

#include "platform/FileManager.h"

// The file manager through org.freedesktop.FileManager1.ShowItems on the session bus; without such a
// service, or when it fails, the file's folder is opened with the desktop's default program for
// folders.
class FreedesktopFileManager : public FileManager
{
  public:
    bool ShowItem(const QString &path) override;
};
