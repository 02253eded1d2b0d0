#include "app/RemoteCopyGroup.h"

#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "run/RcloneProcess.h"
#include "run/RemoteCopy.h"
#include "ui/MyMessageDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace {

// The check's time limit: a remote that has not answered by then is reported as unreachable.
constexpr int CheckTimeoutMs = 20000;

} // namespace

RemoteCopyGroup::RemoteCopyGroup(QLineEdit *target, QSpinBox *keep, QPushButton *check, QLabel *note,
                                 QObject *parent)
    : QObject(parent), m_target(target), m_keep(keep), m_check(check), m_note(note),
      m_noteHeight(note->height())
{
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
    setNote(missing ? MessageTable::text(Msg::SettingsRcloneMissing) : QString());
}

void RemoteCopyGroup::checkConnection()
{
    const QString target = m_target->text().trimmed();
    if (target.isEmpty())
        return;
    m_check->setEnabled(false);
    setNote(MessageTable::text(Msg::CheckConnectionRunning));
    const RemoteCopy::Check check = RemoteCopy::checkConnection(target, CheckTimeoutMs);
    setNote(RemoteCopy::text(check, target));
    m_note->setToolTip(m_note->text());
    // An answer longer than the room the group has for it is shown whole in a box as well.
    if (m_note->height() < m_note->heightForWidth(m_note->width())) {
        const bool failed = check.kind == RemoteCopy::Check::Kind::Failed;
        MyMessageDialog(m_note->window(), MessageTable::text(failed ? Msg::CaptionWarning : Msg::CaptionInfo),
                        m_note->text(), failed ? TMsgDlgType::mtWarning : TMsgDlgType::mtInformation, mbOK,
                        {MessageTable::text(Msg::ButtonOk)});
    }
    m_check->setEnabled(true);
}

void RemoteCopyGroup::setNote(const QString &text)
{
    m_note->setText(text);
    // Lines beyond the first take the room below the note, down to the group's frame, over the fixed
    // hint there; the note is raised so that it is read whole.
    const QWidget *group = m_note->parentWidget();
    const int room = group ? group->height() - m_note->y() - 2 : m_noteHeight;
    const int wanted = std::max(m_noteHeight, m_note->heightForWidth(m_note->width()));
    m_note->resize(m_note->width(), std::min(wanted, std::max(room, m_noteHeight)));
    m_note->setAutoFillBackground(wanted > m_noteHeight);
    m_note->raise();
}
