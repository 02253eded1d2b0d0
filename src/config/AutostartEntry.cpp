#include "config/AutostartEntry.h"

#include "config/ConfigPaths.h"
#include "config/EConfigError.h"
#include "config/ReplacementFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

#include <utility>

namespace {

// One argument of an Exec line: quoted when it holds a character the line reserves, with the
// characters that stay special inside quotes escaped.
QString execArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool quote = argument.isEmpty() || std::any_of(argument.begin(), argument.end(),
                                                         [](QChar c) { return reserved.contains(c); });
    QString result;
    for (const QChar c : argument) {
        if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            result += u'\\';
        result += c;
    }
    return quote ? u'"' + result + u'"' : result;
}

// A desktop entry's value: a backslash and the control characters escaped; in an Exec line "%" is
// doubled so that it is not read as a field code.
QString entryValue(const QString &text, bool exec = false)
{
    QString value;
    for (const QChar c : text) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else if (exec && c == u'%')
            value += QStringLiteral("%%");
        else
            value += c;
    }
    return value;
}

} // namespace

AutostartEntry::AutostartEntry(QString configuration) : m_configuration(std::move(configuration)) {}

QString AutostartEntry::fileName() const
{
    const QString configHome = GetGBAppDataPath();
    if (configHome.isEmpty())
        return QString();
    QString name = QStringLiteral("arkivoda");
    if (!m_configuration.isEmpty()) {
        // Only characters that any file system and desktop take; the entry's Exec line keeps the name
        // exactly.
        QString safe = m_configuration;
        for (QChar &c : safe)
            if (!(c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.'))
                c = u'_';
        name += u'-' + safe;
    }
    return configHome + QStringLiteral("/autostart/") + name + QStringLiteral(".desktop");
}

bool AutostartEntry::exists() const
{
    const QString file = fileName();
    return !file.isEmpty() && QFileInfo::exists(file);
}

QString AutostartEntry::programCommand(const QString &applicationFilePath)
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("arkivoda"));
    if (!onPath.isEmpty() &&
        QFileInfo(onPath).canonicalFilePath() == QFileInfo(applicationFilePath).canonicalFilePath())
        return QStringLiteral("arkivoda");
    return applicationFilePath;
}

QString AutostartEntry::contents(const QString &program) const
{
    QString exec = execArgument(program);
    if (!m_configuration.isEmpty())
        exec += u' ' + execArgument(m_configuration);
    const QString name = m_configuration.isEmpty() ? QStringLiteral("Arkivoda")
                                                   : QStringLiteral("Arkivoda ") + m_configuration;
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=") +
           entryValue(name) +
           QStringLiteral("\n"
                          "Comment=Back up a list of files and folders into one dated ZIP archive\n"
                          "Comment[hr]=Arhiviranje liste datoteka i mapa u jednu ZIP arhivu s datumom\n"
                          "Exec=") +
           entryValue(exec, true) +
           QStringLiteral("\n"
                          "Icon=arkivoda\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n");
}

void AutostartEntry::write(const QString &program) const
{
    const QString file = fileName();
    if (file.isEmpty())
        throw EConfigError(EConfigError::Operation::Write, QStringLiteral("autostart/arkivoda.desktop"),
                           QStringLiteral("Unable to write to autostart/arkivoda.desktop"));
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        throw EConfigError(EConfigError::Operation::Write, file,
                           QStringLiteral("Unable to write to %1").arg(file));
    if (const std::optional<QString> error = ReplacementFile(file).replaceWith(contents(program).toUtf8()))
        throw EConfigError(EConfigError::Operation::Write, file,
                           QStringLiteral("Unable to write to %1").arg(file), *error);
}

void AutostartEntry::remove() const
{
    const QString file = fileName();
    if (file.isEmpty() || !QFileInfo::exists(file))
        return;
    QFile entry(file);
    if (!entry.remove())
        throw EConfigError(EConfigError::Operation::Write, file,
                           QStringLiteral("Unable to remove %1").arg(file), entry.errorString());
}
