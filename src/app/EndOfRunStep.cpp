#include "app/EndOfRunStep.h"

#include "app/TGasenjeBox.h"
#include "app/WinExit.h"
#include "config/MessageTable.h"
#include "ui/ApplicationError.h"
#include "ui/WindowHelpers.h"

#include <QWidget>

EndOfRunStep::EndOfRunStep(SessionEnd &session, QWidget *window)
    : QObject(window), m_session(session), m_window(window)
{
}

void EndOfRunStep::start(EndOfRunAction action)
{
    if (action == EndOfRunAction::None)
        return;
    const bool closing = action == EndOfRunAction::Close;
    // Nobody watches a minimised (or hidden) window: closing it needs no countdown.
    if (closing && (m_window->isMinimized() || m_window->isHidden())) {
        carryOut(action);
        return;
    }
    bool cancelled = true;
    const bool counted = OpenWindow(m_window, [this, action, closing, &cancelled] {
        TGasenjeBox box(action, closing ? 5000 : 20000, m_window);
        MakeModalTo(&box, m_window);
        m_countdown = &box;
        box.exec();
        cancelled = box.Cancelled();
    });
    // Without the countdown the user could not cancel it, so nothing follows.
    if (counted && !cancelled)
        carryOut(action);
}

void EndOfRunStep::cancelCountdown()
{
    if (auto *countdown = qobject_cast<TGasenjeBox *>(m_countdown.data()))
        countdown->BTN_CancelClick();
}

void EndOfRunStep::carryOut(EndOfRunAction action)
{
    switch (action) {
    case EndOfRunAction::None:
        return;
    case EndOfRunAction::Close:
        emit closeRequested();
        return;
    case EndOfRunAction::Shutdown:
    case EndOfRunAction::LogOff: {
        // One request at a time: the platform may still be asking the user about the last one.
        if (m_sessionEndPending)
            return;
        m_sessionEndPending = true;
        const bool requested =
            WinExit(m_session, action == EndOfRunAction::Shutdown ? EWX_SHUTDOWN : EWX_LOGOFF, this,
                    [this, action](const SessionEnd::Answer &answer) {
                        m_sessionEndPending = false;
                        if (!answer.accepted)
                            emit sessionEndRefused(action, answer.reason);
                    });
        if (!requested) {
            m_sessionEndPending = false;
            emit sessionEndRefused(action, MessageTable::text(Msg::ErrorNoSessionManager));
        }
        return;
    }
    }
}
