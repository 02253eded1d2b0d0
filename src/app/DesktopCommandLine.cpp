#include "app/DesktopCommandLine.h"

#include "config/CliMessageTable.h"
#include "config/ConfiguredLanguage.h"

#include <cstdio>

DesktopCommandLine::DesktopCommandLine(const QStringList &arguments)
{
    const QStringList help = {QStringLiteral("-h"), QStringLiteral("--help")};
    const QString version = QStringLiteral("--version");
    for (const QString &argument : arguments.mid(1)) {
        if (help.contains(argument))
            m_request = Request::Help;
        else if (argument == version && m_request != Request::Help)
            m_request = Request::Version;
        else if (!m_lista && argument != version)
            m_lista = argument;
    }
}

int DesktopCommandLine::answer() const
{
    if (m_request == Request::Version) {
        std::printf("arkivoda %s\n", ARKIVODA_VERSION);
        return 0;
    }
    ApplyConfiguredLanguage(m_lista);
    std::fputs(CliMessageTable::text(CliMsg::DesktopHelp).toLocal8Bit().constData(), stdout);
    return 0;
}
