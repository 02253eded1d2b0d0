#pragma once

#include "run/RunStatus.h"
#include "run/RunView.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

struct RunState;

// The run as the command line shows it: on a terminal one line redrawn in place a few times a
// second (current file, file and total percent, elapsed time); elsewhere one plain line per status.
class CliRunView : public RunView
{
  public:
    CliRunView(std::FILE *output, bool terminal);

    // The run whose elapsed time the progress line shows.
    void setState(const RunState *state) { m_state = state; }

    void showStatus(const RunStatus &status) override;
    void setFileProgress(int percent) override;
    void setTotalProgress(int percent) override;
    void setFileBarState(BarState) override {}
    void setTotalBarState(BarState) override {}
    void setRunTitle(const QString &) override {}
    void showPauseBox(const QString &) override {}
    // An archive error ends the run, and the run's failure that follows names the archive and the cause:
    // the command line says it once, there.
    void showArchiveError(const QString &, const QString &) override {}
    // A status of the command line's own (the run's end), shown like the run's.
    void showText(const QString &text);

    // A progress line of the command line's own (the copy to the remote target): redrawn in place on a
    // terminal, elsewhere printed at each further tenth.
    void showProgressText(const QString &text, int percent);
    // Ends the in-place line so that what follows starts on a line of its own.
    void finishLine();
    // Prints a line of its own, after ending the in-place line.
    void printLine(const QString &text);

  private:
    void showLine(const RunStatus &status, const QString &text);
    void redraw(bool force);
    void drawPlain();

    const RunState *m_state = nullptr;
    std::FILE *m_output;
    bool m_terminal;
    RunStatus m_status;
    QString m_text;
    int m_filePercent = 0;
    int m_totalPercent = 0;
    int m_printedTenth = -1;
    QString m_plainText; // the progress line of showProgressText, while it is the line shown
    bool m_lineOpen = false;
    QElapsedTimer m_sinceRedraw;
};
