#pragma once

#include "cli/CliOptions.h"
#include "run/BackupAttempt.h"

#include <QString>

class CliRunView;
struct RunState;
struct ProgramSettings;

// One backup run from the command line, automatic or manual, from the checks to the run's end.
class CliRun
{
  public:
    enum ExitStatus { Complete = 0, Incomplete = 1, Failed = 2, Damaged = 3 };

    explicit CliRun(const CliOptions &options);

    // Runs the backup (or with --verify the check of an archive) and returns the process's exit status.
    int exec();

  private:
    int verify() const;
    // Words a refusal of the run, as the desktop does, with what only the command line adds.
    void refuse(const BackupAttempt::Preparation &preparation, const ProgramSettings &settings) const;
    int finishRun(const ProgramSettings &settings, const RunState &state, CliRunView &view,
                  BackupAttempt::Kind kind);
    void error(const QString &text) const;
    void out(const QString &text) const;

    CliOptions m_options;
};
