#pragma once

#include <QString>

#include <functional>

class QObject;

// Ending the user's session or the computer's power, as the platform's session manager allows. The
// platform decides who may do what (it may ask the user to authorise, for as long as the user takes),
// so a request returns at once and its answer comes later, on the thread that made it.
class SessionEnd
{
  public:
    // How the session manager answered: accepted, or refused with its own words for the reason.
    struct Answer
    {
        bool accepted = false;
        QString reason;
    };
    // Receives the answer of one request. It is not called once its context object is gone.
    using AnswerHandler = std::function<void(const Answer &)>;

    virtual ~SessionEnd() = default;

    // Whether the session manager can be asked at all.
    virtual bool isAvailable() = 0;
    // Asks for the computer to be shut down.
    virtual void PowerOff(const QObject *context, AnswerHandler answered) = 0;
    // Asks for the program's own session to be ended (the user logged off).
    virtual void TerminateSession(const QObject *context, AnswerHandler answered) = 0;
};
