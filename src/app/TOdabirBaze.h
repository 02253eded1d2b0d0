#pragma once

#include <QDialog>
#include <QMenu>

#include <memory>
#include <utility>
#include <vector>

namespace Ui {
class TOdabirBaze;
}
class FileManager;
class QScreen;
class RemoteCopyGroup;
struct ProgramSettings;

// The settings window: the backup list, the archive folder of automatic runs, the archive-name prefix,
// the start-up and display options and the time of the daily run. Nothing is stored until a save,
// which checks the input, writes the settings file and the list file, applies the new settings to the
// running program and closes the window. Leaving it while no list file exists ends the program, which
// makes it the first-run window when the program starts without a list.
class TOdabirBaze : public QDialog
{
    Q_OBJECT

  public:
    // Throws EConfigError when the list file exists but cannot be read, and EResNotFound when the
    // language module in use has no description of this window.
    TOdabirBaze(ProgramSettings &settings, FileManager &fileManager, QWidget *parent);
    ~TOdabirBaze() override;

    // Every way out of the window ends here, and the close rule is applied at this moment.
    void done(int result) override;

  signals:
    // The window was left while no list file exists: the program ends.
    void programEndRequested();
    // A save has switched the daily run on or off.
    void dailyTimerChosen(bool enabled);
    // A save with the daily run off puts this idle text in the main window's status line, clearing
    // the countdown to the next run.
    void mainStatusChosen(const QString &text);

  protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

  private:
    void FormCreate();
    // The tab order and the names a screen reader reads.
    void setUpKeyboard();
    void setAccessibleNames();
    void connectControls();
    void setCaption();
    // Centres the window over its owner, within the free area of the screen.
    void placeOverOwner();
    // Shortens the list where the window would be higher than the screen's free area.
    void fitToScreen();
    // The screen the window opens on: its owner's.
    const QScreen *screenShown() const;
    // The height the window manager's frame adds to the window: its title bar and borders.
    int titleBarHeight() const;
    // Makes room for captions wider than the layout was drawn for.
    void fitToFont();

    void Button1Click();
    void Button3Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void UklanjanjeClick();
    void OtvoriMapuClick();
    void PopupActionBar1Popup(const QPoint &position);
    // Enables what acts on the selected entry only while there is one.
    void updateSelectionControls();

    // Adds each path in turn by the list's rule (duplicates skipped).
    void addEntries(const QStringList &paths);
    // Shows one of this window's error dialogs: caption "Greška", one OK button.
    void showError(const QString &text);
    // The save's three checks, in order; false when one refused and its dialog was shown.
    bool validate();

    std::unique_ptr<Ui::TOdabirBaze> ui;
    ProgramSettings &m_settings;
    FileManager &m_fileManager;
    QMenu PopupActionBar1;
    RemoteCopyGroup *m_remoteCopy = nullptr;
    // Places and sizes of the controls that fitToFont moves, as the form gives them.
    std::vector<std::pair<QWidget *, QRect>> m_formGeometry;
    // The window's size and the list's height as the form gives them, and the controls below the list
    // with their places down the form.
    QSize m_formSize;
    int m_formListHeight = 0;
    std::vector<std::pair<QWidget *, int>> m_belowList;
};
