#pragma once

#include <QObject>

// Tells when the computer wakes from suspend, so that a daily run that fell due meanwhile can be made
// up for. Where the system does not say, the signal never comes.
class SystemResume : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;

  signals:
    // The computer has woken from suspend or hibernation.
    void resumed();
};
