#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The report of the sources that were missing or could not be read during a run: a read-only list and
// a button that closes the window.
class TForm_FilesMissing : public QDialog
{
    Q_OBJECT

  public:
    // Throws EResNotFound when the language module in use has no description of this window.
    TForm_FilesMissing(const QString &applicationTitle, QWidget *parent);

    void setLines(const QStringList &lines);
    QStringList lines() const;

  protected:
    void changeEvent(QEvent *event) override;

  private:
    // The window's texts in the current language.
    void retranslateUi();

    QString m_applicationTitle;
    QPlainTextEdit *Lista;
    QPushButton *OKButton;
};
