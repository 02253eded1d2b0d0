#pragma once

#include "app/EndOfRunAction.h"

#include <QObject>

class QCheckBox;

// The main window's three end-of-run boxes (close the program, shut down, log off): at most one is
// ticked, and ticking one clears the other two.
class EndOfRunBoxes : public QObject
{
    Q_OBJECT

  public:
    EndOfRunBoxes(QCheckBox *close, QCheckBox *shutdown, QCheckBox *logOff, QObject *parent = nullptr);

    // The action the ticked box chooses; None when no box is ticked.
    EndOfRunAction chosen() const;

  private:
    // Leaves only the given box ticked, when it is.
    void keepOnly(QCheckBox *ticked);

    QCheckBox *m_close;
    QCheckBox *m_shutdown;
    QCheckBox *m_logOff;
};
