#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The desktop program's command line: the name of a configuration, or a request for the help or the
// version, which are answered on standard output without a window, as arkivoda-cli answers them.
class DesktopCommandLine
{
  public:
    enum class Request { Run, Help, Version };

    // Reads the arguments, the program itself first. "-h" or "--help" anywhere asks for the help,
    // else "--version" for the version; any other command line runs the program.
    explicit DesktopCommandLine(const QStringList &arguments);

    Request request() const { return m_request; }
    // The configuration the command line names: its first argument other than the requests above.
    const std::optional<QString> &lista() const { return m_lista; }

    // Prints the help or the version in the language of the named configuration; returns the exit
    // status. Needs an application object (for the program's folder), not a display.
    int answer() const;

  private:
    Request m_request = Request::Run;
    std::optional<QString> m_lista;
};
