#include "app/EndOfRunBoxes.h"

#include <QCheckBox>

EndOfRunBoxes::EndOfRunBoxes(QCheckBox *close, QCheckBox *shutdown, QCheckBox *logOff, QObject *parent)
    : QObject(parent), m_close(close), m_shutdown(shutdown), m_logOff(logOff)
{
    // Toggled, not clicked: clearing the other boxes runs their handlers too, which find them clear.
    for (QCheckBox *box : {m_close, m_shutdown, m_logOff})
        connect(box, &QCheckBox::toggled, this, [this, box] { keepOnly(box); });
}

EndOfRunAction EndOfRunBoxes::chosen() const
{
    if (m_close->isChecked())
        return EndOfRunAction::Close;
    if (m_shutdown->isChecked())
        return EndOfRunAction::Shutdown;
    if (m_logOff->isChecked())
        return EndOfRunAction::LogOff;
    return EndOfRunAction::None;
}

void EndOfRunBoxes::keepOnly(QCheckBox *ticked)
{
    if (!ticked->isChecked())
        return;
    for (QCheckBox *box : {m_close, m_shutdown, m_logOff})
        if (box != ticked)
            box->setChecked(false);
}
