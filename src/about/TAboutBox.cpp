#include "about/TAboutBox.h"

#include "about/AppVersion.h"
#include "about/ProgramSite.h"
#include "about/UpdateCheck.h"
#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "config/ResourceModules.h"
#include "config/StoredText.h"
#include "platform/FileDownload.h"
#include "platform/UrlOpener.h"
#include "run/WipeFile.h"
#include "ui/MyMessageDialog.h"
#include "ui/WindowHelpers.h"
#include "ui_TAboutBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

namespace {

const QString creditPage = QStringLiteral("https://www.qt.io/");

QString message(quint16 number)
{
    return MessageTable::text(number);
}

} // namespace

TAboutBox::TAboutBox(const ProgramSettings &settings, FileDownload &download, UrlOpener &urls,
                     const QWidget *centreOn)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TAboutBox>()), m_settings(settings), m_download(download), m_urls(urls)
{
    RequireWindowDescription(staticMetaObject.className());
    ui->setupUi(this);
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(349, 448);
    const QFont bold = UseBoxLook(this);
    ui->Label1->setFont(bold);
    ui->Image1->setPixmap(QPixmap(QStringLiteral(":/icons/arkivoda_128.png")));
    for (QLabel *link : {ui->Label11, ui->Label7, ui->Label4, ui->Label5, ui->Label9})
        makeLink(link);
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    // Both buttons are reached with Tab, left to right.
    ui->CheckUpdateButton->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(ui->CheckUpdateButton, ui->OKButton);
    connect(ui->CheckUpdateButton, &QPushButton::clicked, this, &TAboutBox::CheckUpdateButtonClick);

    setWindowTitle(m_settings.GLOBAL_ApplicationTitle + QStringLiteral(" - ") + message(Msg::TitleAbout));
    ui->Label1->setText(m_settings.GLOBAL_ApplicationTitle + QLatin1Char(' ') + GetAppVersionStr() +
                        QLatin1Char(' ') + m_settings.GLOBAL_build);
    // The label shows the address it opens, without the scheme.
    ui->Label9->setText(
        QUrl(ProgramSite::officialPage(m_settings.GLOBAL_Jezik)).toString(QUrl::RemoveScheme).mid(2));
    // The form is made for a narrow font; a wider one must not cut a line short.
    for (QLabel *label : {ui->Label1, ui->Label11, ui->Label2, ui->Label7, ui->Label3, ui->Label4, ui->Label5,
                          ui->Label10, ui->Label9}) {
        const int available = width() - label->x();
        label->resize(std::min(available, std::max(label->width(), label->sizeHint().width())),
                      label->height());
    }
    ui->OKButton->setFocus();

    if (centreOn) {
        const QRect owner = centreOn->frameGeometry();
        move(owner.left() + (owner.width() - width()) / 2, owner.top() + (owner.height() - height()) / 2);
    }
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::makeLink(QLabel *label)
{
    QPalette navy = label->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    label->setPalette(navy);
    QFont underlined = font();
    underlined.setUnderline(true);
    label->setFont(underlined);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == ui->Label11) {
            Label11Click();
            return true;
        }
        if (watched == ui->Label9) {
            Label9Click();
            return true;
        }
        if (watched == ui->Label4) {
            ProgramSite::OpenWebPage(m_urls, ProgramSite::address() + QLatin1Char('/'));
            return true;
        }
        if (watched == ui->Label7) {
            ProgramSite::OpenWebPage(m_urls, creditPage);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QString TAboutBox::informationFile(const QString &language)
{
    QString name;
    if (language == QLatin1String("HR"))
        name = QStringLiteral("Arkivoda_Info_HR.txt");
    else if (language == QLatin1String("EN"))
        name = QStringLiteral("Arkivoda_Info_EN.txt");
    else
        return QString();
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

void TAboutBox::Label11Click()
{
    const QString file = informationFile(m_settings.GLOBAL_Jezik);
    if (!file.isEmpty())
        m_urls.OpenUrl(QUrl::fromLocalFile(file));
}

void TAboutBox::Label9Click()
{
    ProgramSite::OpenWebPage(m_urls, ProgramSite::officialPage(m_settings.GLOBAL_Jezik));
}

void TAboutBox::CheckUpdateButtonClick()
{
    const QString file = m_settings.userfolder + QStringLiteral("sversion");
    // A copy left by an earlier check must never be read as this one's answer.
    if (!WipeFile(file)) {
        MyMessageDialog(this, message(Msg::CaptionWarning), message(Msg::ErrorUpdateCheck),
                        TMsgDlgType::mtWarning, mbOK, {message(Msg::ButtonOk)});
        return;
    }
    if (!m_download.DownloadFile(ProgramSite::versionFileUrl(), file, UpdateCheck::maxVersionFileBytes)) {
        // A copy that cannot be removed now is removed before the next check reads anything.
        [[maybe_unused]] const bool wiped = WipeFile(file);
        MyMessageDialog(this, message(Msg::CaptionWarning), message(Msg::ErrorUpdateCheck),
                        TMsgDlgType::mtWarning, mbOK, {message(Msg::ButtonOk)});
        return;
    }
    const QString server = UpdateCheck::serverVersion(
        UpdateCheck::decodeVersionFile(StoredText::readFile(file).value_or(QByteArray())));
    [[maybe_unused]] const bool wiped = WipeFile(file);

    const QString current =
        Verzija_programa(QCoreApplication::applicationFilePath(), QStringLiteral("%d.%d.%d.%d"));
    if (current == server) {
        MyMessageDialog(this, message(Msg::CaptionInfo), message(Msg::InfoUpToDate),
                        TMsgDlgType::mtInformation, mbOK, {message(Msg::ButtonOk)});
        return;
    }
    const int answer = MyMessageDialog(
        this, message(Msg::CaptionDecision),
        MessageTable::fill(message(Msg::QuestionNewerVersion), {current, UpdateCheck::shownVersion(server)}),
        TMsgDlgType::mtConfirmation, mbYes | mbNo, {message(Msg::ButtonYes), message(Msg::ButtonNo)});
    if (answer == mrNo)
        return;
    ProgramSite::OpenWebPage(m_urls, ProgramSite::address() + QLatin1Char('/'));
}
