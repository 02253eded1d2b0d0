#pragma once

#include "platform/WindowAlert.h"

// The window alert through Qt, which marks the window urgent for the window manager.
class QtWindowAlert : public WindowAlert
{
  public:
    void FlashWindow(QWidget *window) override;
};
