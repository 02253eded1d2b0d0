#pragma once

#include "app/EndOfRunAction.h"

#include <QObject>
#include <QPointer>

class QWidget;
class SessionEnd;

// What follows a run when one of the end-of-run boxes is ticked: a countdown the user can cancel over
// the window, then closing the program, or a shutdown or log-off asked of the session manager. A
// refusal of the session manager is told by a signal, as is the close, so the window decides how.
class EndOfRunStep : public QObject
{
    Q_OBJECT

  public:
    // window: the main window, which the countdown stands over and centres on; it also owns this step.
    EndOfRunStep(SessionEnd &session, QWidget *window);

    // Counts down to the action and carries it out unless the user cancels; returns when the countdown
    // is over. Closing a minimised or hidden window needs no countdown, as nobody watches it.
    void start(EndOfRunAction action);
    // Cancels a countdown still open, so that it carries nothing out.
    void cancelCountdown();
    // The countdown box while it is open.
    QWidget *countdownBox() const { return m_countdown; }

  signals:
    // The program is to close now.
    void closeRequested();
    // The session manager refused the shutdown or log-off, or there was none to ask; reason says why.
    void sessionEndRefused(EndOfRunAction action, const QString &reason);

  private:
    void carryOut(EndOfRunAction action);

    SessionEnd &m_session;
    QWidget *m_window;
    QPointer<QWidget> m_countdown;
    bool m_sessionEndPending = false; // a shutdown or log-off waits for the session manager's answer
};
