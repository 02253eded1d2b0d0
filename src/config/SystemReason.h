#pragma once

#include <QString>

// The system's reasons for a failure (errno values) in the current language, for every text that names
// a file the program could not read or write: strerror would speak the locale's language instead.
class SystemReason
{
  public:
    // The reason for the error number: "pristup odbijen" for EACCES and EPERM, a worded text for the
    // other common ones, "pogreška sustava" with the error's name for the rest. 0 stands for a source
    // that changed while it was read (it shrank, or is no longer a regular file).
    static QString text(int error);
    // A source that could not be read, for the missing-files report: its path and the reason.
    static QString unreadableSource(const QString &path, int error);
};
