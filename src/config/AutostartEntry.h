#pragma once

#include <QString>

// The program's entry in the user's autostart folder ($XDG_CONFIG_HOME/autostart), which starts it at
// login with one configuration: arkivoda.desktop for the default configuration, arkivoda-<name>.desktop
// for a named one, so that each configuration can start on its own.
class AutostartEntry
{
  public:
    // configuration: the configuration's name, empty for the default one.
    explicit AutostartEntry(QString configuration);

    // The entry's full file name; empty when the configuration folder is unknown.
    QString fileName() const;
    bool exists() const;
    // Writes the entry, starting program with the configuration; throws EConfigError on failure.
    void write(const QString &program) const;
    // Removes the entry when it exists; throws EConfigError when it stays.
    void remove() const;

    // The program as an entry names it: "arkivoda" when that name on the PATH is this program (an
    // installed one), else the program's full path.
    static QString programCommand(const QString &applicationFilePath);
    // The entry's text for a program and a configuration.
    QString contents(const QString &program) const;

  private:
    QString m_configuration;
};
