#pragma once

#include "platform/SystemResume.h"

// The wake-up from logind: its PrepareForSleep(false) signal on the system bus. Without a system bus
// nothing is ever reported.
class LogindSystemResume : public SystemResume
{
    Q_OBJECT

  public:
    explicit LogindSystemResume(QObject *parent = nullptr);

  private slots:
    void PrepareForSleep(bool start);
};
