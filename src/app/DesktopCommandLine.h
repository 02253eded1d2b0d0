#pragma once

#include "config/CliMessageTable.h"

#include <QString>
#include <QStringList>

#include <optional>

// The desktop program's command line: the name of a configuration, or a request for the help or the
// version, which are answered on standard output without a window, as arkivoda-cli answers them. Any
// other option, or a second operand, is a mistake that is answered with the usage and no window.
class DesktopCommandLine
{
  public:
    enum class Request { Run, Help, Version, Mistake };

    // Reads the arguments, the program itself first. "-h" or "--help" anywhere asks for the help,
    // else "--version" for the version. The toolkit's own options (e.g. "-platform offscreen") are
    // passed over with their values: the toolkit takes them. Anything else starting with "-" is an
    // unknown option, since a configuration's name never starts with "-".
    explicit DesktopCommandLine(const QStringList &arguments);

    Request request() const { return m_request; }
    // The configuration the command line names: its operand.
    const std::optional<QString> &lista() const { return m_lista; }

    // Prints the help or the version on standard output, or the mistake and the usage on standard
    // error, in the language of the named configuration; returns the exit status. Needs an
    // application object (for the program's folder), not a display.
    int answer() const;

  private:
    // How many of the arguments from index onward form one of the toolkit's own options; 0 if none.
    static qsizetype toolkitOptionLength(const QStringList &arguments, qsizetype index);
    void noteMistake(CliMsg::Key mistake, const QString &argument);

    Request m_request = Request::Run;
    std::optional<QString> m_lista;
    // The first mistake: its text is looked up when answered, once the language is chosen.
    std::optional<CliMsg::Key> m_mistake;
    QString m_mistakenArgument;
};
