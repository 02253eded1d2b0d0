#pragma once

#include "ui/MyMessageDialog.h"

#include <QDialog>

#include <map>

class QPushButton;

// The dialog behind MyMessageDialog: icon, text and the buttons in one centred row below them.
class MessageDialog : public QDialog
{
    Q_OBJECT

  public:
    explicit MessageDialog(const MessageDialogRequest &request);

    // The dialog's button of a kind; nullptr when the dialog does not have it.
    QPushButton *button(TMsgDlgBtn kind) const;
    // Moves the dialog, at its present size, so that it stands centred over the owner's outer window
    // rectangle (over the screen without an owner). Placed again while the window manager adds its
    // frame in the first moments after showing, so that the frame counts in the centring.
    void placeOver(const QWidget *owner);

    // The result of each kind of button, and its caption when the caller gives none.
    static int resultOf(TMsgDlgBtn kind);
    static QString defaultCaption(TMsgDlgBtn kind);

    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void centreOver(const QWidget *owner);

    std::map<TMsgDlgBtn, QPushButton *> m_buttons;
    QSize m_placedFrame;
    QPushButton *m_cancelButton = nullptr;
};
