#include "about/ProgramSite.h"

#include "platform/UrlOpener.h"

#include <QUrl>

QString ProgramSite::address()
{
    QString site = qEnvironmentVariable("ARKIVODA_SITE");
    if (site.isEmpty())
        site = QStringLiteral(ARKIVODA_SITE_DEFAULT);
    while (site.endsWith(QLatin1Char('/')))
        site.chop(1);
    return site;
}

QString ProgramSite::versionFileUrl()
{
    return address() + QStringLiteral("/files/version.info");
}

QString ProgramSite::officialPage(const QString &language)
{
    if (language == QLatin1String("HR"))
        return address() + QLatin1Char('/');
    if (language == QLatin1String("EN"))
        return address() + QStringLiteral("/en");
    return QString();
}

void ProgramSite::OpenWebPage(UrlOpener &urls, const QString &address)
{
    if (address.isEmpty())
        return;
    urls.OpenUrl(QUrl(QString(address).replace(QLatin1Char('"'), QStringLiteral("%22")), QUrl::TolerantMode));
}
