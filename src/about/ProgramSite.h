#pragma once

#include <QString>

class UrlOpener;

// The program's web site: its base address is fixed when the program is built, and the environment
// variable ARKIVODA_SITE, when set, replaces it.
namespace ProgramSite {

// The base address, without a trailing "/".
QString address();
// The version file that the update check reads.
QString versionFileUrl();
// The official page for an interface language: the site's root for "HR", its "/en" page for "EN",
// empty for any other.
QString officialPage(const QString &language);

// Opens an address with the user's default program; double quotes are written as "%22" first. An
// empty address opens nothing.
void OpenWebPage(UrlOpener &urls, const QString &address);

} // namespace ProgramSite
