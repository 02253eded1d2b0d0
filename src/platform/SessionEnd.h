#pragma once

// Ending the user's session or the computer's power, as the platform's session manager allows. The
// platform decides who may do what (it may ask the user to authorise); each request says whether it
// was accepted.
class SessionEnd
{
  public:
    virtual ~SessionEnd() = default;

    // Whether the session manager can be asked at all.
    virtual bool isAvailable() = 0;
    // Asks for the computer to be shut down; false when the request was refused or could not be made.
    virtual bool PowerOff() = 0;
    // Asks for the program's own session to be ended (the user logged off); false when refused.
    virtual bool TerminateSession() = 0;
};
