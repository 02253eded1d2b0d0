#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}
class FileDownload;
class QLabel;
class UrlOpener;
struct ProgramSettings;

// The About box: the program's name, version and build, what it does, credits, links to the official
// web page and to the local information file, and the check for a newer version on the web site.
class TAboutBox : public QDialog
{
    Q_OBJECT

  public:
    // A box for the program's settings, owned by the application and centred over the given window.
    TAboutBox(const ProgramSettings &settings, FileDownload &download, UrlOpener &urls,
              const QWidget *centreOn);
    ~TAboutBox() override;

    // The update check: downloads the version file and compares it with the running program's version.
    void CheckUpdateButtonClick();
    // Opens the information file of the interface language, next to the program file.
    void Label11Click();
    // Opens the official web page of the interface language.
    void Label9Click();

    // The information file of an interface language in the program's folder; empty for a language
    // that has none.
    static QString informationFile(const QString &language);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void makeLink(QLabel *label);

    std::unique_ptr<Ui::TAboutBox> ui;
    const ProgramSettings &m_settings;
    FileDownload &m_download;
    UrlOpener &m_urls;
};
