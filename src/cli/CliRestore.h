#pragma once

#include "cli/CliOptions.h"

// The command line's way back: --list shows an archive's entries, --restore writes them below a folder.
class CliRestore
{
  public:
    enum ExitStatus { Complete = 0, Incomplete = 1, Refused = 2 };

    explicit CliRestore(const CliOptions &options);

    // Lists or restores as the options say and returns the process's exit status.
    int exec();

  private:
    int list();
    int restore();

    CliOptions m_options;
};
