#include "app/DesktopCommandLine.h"

#include "config/CliMessageTable.h"
#include "config/ConfiguredLanguage.h"

#include <cstdio>

DesktopCommandLine::DesktopCommandLine(const QStringList &arguments)
{
    const QStringList help = {QStringLiteral("-h"), QStringLiteral("--help")};
    const QString version = QStringLiteral("--version");
    bool helpAsked = false;
    bool versionAsked = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (help.contains(argument)) {
            helpAsked = true;
        } else if (argument == version) {
            versionAsked = true;
        } else if (const qsizetype length = toolkitOptionLength(arguments, i); length > 0) {
            i += length - 1;
        } else if (argument.startsWith(u'-')) {
            noteMistake(CliMsg::UnknownOption, argument);
        } else if (!m_lista) {
            m_lista = argument;
        } else {
            noteMistake(CliMsg::SurplusArgument, argument);
        }
    }
    // Help and version are answered whatever else the command line holds.
    if (helpAsked)
        m_request = Request::Help;
    else if (versionAsked)
        m_request = Request::Version;
}

qsizetype DesktopCommandLine::toolkitOptionLength(const QStringList &arguments, qsizetype index)
{
    // The options QGuiApplication and QApplication take out of the command line, with one or two dashes.
    static const QStringList withValue = {
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("geometry"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("title"),
        QStringLiteral("qwindowicon"),     QStringLiteral("icon"),
        QStringLiteral("session"),         QStringLiteral("display"),
        QStringLiteral("style"),           QStringLiteral("stylesheet")};
    static const QStringList withoutValue = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                             QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                             QStringLiteral("sync"),    QStringLiteral("testability")};
    const QString &argument = arguments.at(index);
    if (!argument.startsWith(u'-') || argument == QStringLiteral("-") || argument == QStringLiteral("--"))
        return 0;
    QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(u'=');
    if (equals >= 0) {
        name.truncate(equals);
        return withValue.contains(name) || name == QStringLiteral("qmljsdebugger") ? 1 : 0;
    }
    if (withoutValue.contains(name))
        return 1;
    if (withValue.contains(name) && index + 1 < arguments.size())
        return 2;
    return 0;
}

void DesktopCommandLine::noteMistake(CliMsg::Key mistake, const QString &argument)
{
    if (m_mistake)
        return;
    m_request = Request::Mistake;
    m_mistake = mistake;
    m_mistakenArgument = argument;
}

int DesktopCommandLine::answer() const
{
    if (m_request == Request::Version) {
        std::printf("arkivoda %s\n", ARKIVODA_VERSION);
        return 0;
    }
    ApplyConfiguredLanguage(m_lista);
    const QByteArray usage = CliMessageTable::text(CliMsg::DesktopHelp).toLocal8Bit();
    if (m_request == Request::Mistake) {
        const QString mistake = CliMessageTable::text(*m_mistake).arg(m_mistakenArgument);
        std::fprintf(stderr, "%s\n\n%s", mistake.toLocal8Bit().constData(), usage.constData());
        return 2;
    }
    std::fputs(usage.constData(), stdout);
    return 0;
}
