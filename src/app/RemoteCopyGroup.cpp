#include "app/RemoteCopyGroup.h"

#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "run/RcloneProcess.h"
#include "run/RemoteCopy.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

// The check's time limit: a remote that has not answered by then is reported as unreachable.
constexpr int CheckTimeoutMs = 20000;

} // namespace

RemoteCopyGroup::RemoteCopyGroup(QLineEdit *target, QSpinBox *keep, QPushButton *check, QLabel *note,
                                 QObject *parent)
    : QObject(parent), m_target(target), m_keep(keep), m_check(check), m_note(note)
{
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(m_check, &QPushButton::clicked, this, &RemoteCopyGroup::checkConnection);
    connect(m_target, &QLineEdit::textChanged, this, [this] {
        m_check->setEnabled(!m_target->text().trimmed().isEmpty());
        showRcloneNote();
    });
}

void RemoteCopyGroup::load(const ProgramSettings &settings)
{
    m_target->setText(settings.GLOBAL_UdaljenoCilj);
    m_keep->setValue(settings.GLOBAL_UdaljenoZadrzi);
    m_check->setEnabled(!settings.GLOBAL_UdaljenoCilj.trimmed().isEmpty());
    showRcloneNote();
}

QString RemoteCopyGroup::targetProblem() const
{
    const QString target = m_target->text().trimmed();
    if (target.isEmpty())
        return QString();
    const QString problem = RemoteCopy::targetProblem(target, CheckTimeoutMs);
    return problem.isEmpty()
               ? QString()
               : MessageTable::fill(MessageTable::text(Msg::ErrorCopyTarget), {target, problem});
}

void RemoteCopyGroup::save(ProgramSettings &settings) const
{
    // Settings files of people who never set a target keep their shape: only a change is written.
    if (m_target->text().trimmed() == settings.GLOBAL_UdaljenoCilj &&
        m_keep->value() == settings.GLOBAL_UdaljenoZadrzi)
        return;
    SaveRemoteCopySettings(settings, m_target->text(), m_keep->value());
}

void RemoteCopyGroup::showRcloneNote()
{
    const bool missing = !m_target->text().trimmed().isEmpty() && RcloneProcess::program().isEmpty();
    m_note->setText(missing ? MessageTable::text(Msg::SettingsRcloneMissing) : QString());
}

void RemoteCopyGroup::checkConnection()
{
    const QString target = m_target->text().trimmed();
    if (target.isEmpty())
        return;
    m_check->setEnabled(false);
    m_note->setText(MessageTable::text(Msg::CheckConnectionRunning));
    const RemoteCopy::Check check = RemoteCopy::checkConnection(target, CheckTimeoutMs);
    m_note->setText(RemoteCopy::text(check, target));
    m_note->setToolTip(m_note->text());
    m_check->setEnabled(true);
}
