#pragma once

#include <QDialog>
#include <QTimer>

#include <chrono>
#include <memory>

namespace Ui {
class TGasenjeBox;
}
struct RunState;

// The countdown before an end-of-run action: what is about to happen, the seconds left and a button
// that cancels it. The box closes by itself when the count is over; only the cancel clears the
// pending action (RunState::GLOBAL_ShutdownFlag), so any other way of closing lets the action follow.
class TGasenjeBox : public QDialog
{
    Q_OBJECT

  public:
    // A box for the action and length in the run state's end-of-run fields, centred over the given
    // window when there is one.
    TGasenjeBox(RunState &state, const QWidget *centreOn);
    ~TGasenjeBox() override;

    // One tick of the countdown.
    void CloseTimerTimer();
    void BTN_CancelClick();

    // The countdown's tick, 1000 ms unless a test shortens it; applies to boxes created afterwards.
    static void setTickInterval(std::chrono::milliseconds interval);

    // However the box closes, the countdown stops with it.
    void done(int result) override;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    std::unique_ptr<Ui::TGasenjeBox> ui;
    RunState &m_state;
    QTimer CloseTimer;
    int SecondsLeft = 0;
};
