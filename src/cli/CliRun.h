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
    enum ExitStatus { Complete = 0, Incomplete = 1, Failed = 2, Damaged = 3, CopyFailed = 4 };

    explicit CliRun(const CliOptions &options);

    // Runs the backup (or with --verify the check of an archive, with --copy the copy of one) and returns
    // the process's exit status.
    int exec();

  private:
    int verify() const;
    // --copy FILE: sends an existing archive to the configuration's remote target.
    // The settings of the configuration the options name.
    ProgramSettings loadSettings() const;
    int copy();
    // Sends the archive to the remote target with progress on the view; true when the copy is confirmed.
    // mayPrune: older automatic copies there may go by the number kept.
    bool sendCopy(const ProgramSettings &settings, const QString &archive, CliRunView &view,
                  bool mayPrune) const;
    // Words a refusal of the run, as the desktop does, with what only the command line adds.
    void refuse(const BackupAttempt::Preparation &preparation, const ProgramSettings &settings) const;
    int finishRun(const ProgramSettings &settings, const RunState &state, CliRunView &view,
                  BackupAttempt::Kind kind);
    void error(const QString &text) const;
    void out(const QString &text) const;

    CliOptions m_options;
};
