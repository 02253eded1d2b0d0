#pragma once

#include <QObject>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
struct ProgramSettings;

// The settings window's group for the copy at a remote store: the rclone target and how many archives
// it keeps, the connection check (rclone lsd, within a time limit) and a note when a target is set but
// rclone is not installed. Arkivoda stores no password: the remote is set up with "rclone config".
class RemoteCopyGroup : public QObject
{
    Q_OBJECT

  public:
    RemoteCopyGroup(QLineEdit *target, QSpinBox *keep, QPushButton *check, QLabel *note, QObject *parent);

    // Shows the stored values.
    void load(const ProgramSettings &settings);
    // Why the target shown cannot take copies, in words; empty when it can or none is set.
    QString targetProblem() const;
    // Stores the values shown; throws EConfigError when the settings file cannot be written.
    void save(ProgramSettings &settings) const;
    // The check button: lists the target's folders and says what it found.
    void checkConnection();

  private:
    void showRcloneNote();
    // Shows a note, wrapped at the group's width: a failed check carries rclone's own error line,
    // which no single line holds.
    void setNote(const QString &text);

    QLineEdit *m_target;
    QSpinBox *m_keep;
    QPushButton *m_check;
    QLabel *m_note;
    int m_noteHeight; // the note's height as laid out, for one line
};
