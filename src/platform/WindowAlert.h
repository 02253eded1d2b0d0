#pragma once

class QWidget;

// Draws the user's attention to a window (its taskbar entry flashes or is marked urgent).
class WindowAlert
{
  public:
    virtual ~WindowAlert() = default;

    virtual void FlashWindow(QWidget *window) = 0;
};
