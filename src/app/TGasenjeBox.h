#pragma once

#include "app/EndOfRunAction.h"

#include <QDialog>
#include <QTimer>

#include <chrono>
#include <memory>

namespace Ui {
class TGasenjeBox;
}

// The countdown before an end-of-run action: what is about to happen, the seconds left and a button
// that cancels it. The box closes by itself when the count is over; only the cancel cancels the action
// (Cancelled()), so any other way of closing lets the action follow.
class TGasenjeBox : public QDialog
{
    Q_OBJECT

  public:
    // A box counting lengthMs down to the action, centred over the given window when there is one.
    TGasenjeBox(EndOfRunAction action, int lengthMs, const QWidget *centreOn);
    ~TGasenjeBox() override;

    // One tick of the countdown.
    void CloseTimerTimer();
    void BTN_CancelClick();
    // Whether the user cancelled the action; after the box has closed, false means it follows.
    bool Cancelled() const { return m_cancelled; }

    // The countdown's tick, 1000 ms unless a test shortens it; applies to boxes created afterwards.
    static void setTickInterval(std::chrono::milliseconds interval);

    // However the box closes, the countdown stops with it.
    void done(int result) override;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    std::unique_ptr<Ui::TGasenjeBox> ui;
    bool m_cancelled = false;
    QTimer CloseTimer;
    int SecondsLeft = 0;
};
