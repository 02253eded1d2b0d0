#include "cli/CliOptions.h"

#include "config/CliMessageTable.h"

#include <QCommandLineParser>

CliOptions CliOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-abc" is three short options, "--name" a long one, and "--" ends the options, as elsewhere on Linux.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    const QCommandLineOption manualOption(QStringLiteral("manual"), QString(), QStringLiteral("file"));
    const QCommandLineOption overwriteOption(QStringLiteral("overwrite"));
    const QCommandLineOption verifyOption(QStringLiteral("verify"), QString(), QStringLiteral("file"));
    parser.addOptions({helpOption, versionOption, manualOption, overwriteOption, verifyOption});

    CliOptions options;
    const bool parsed = parser.parse(arguments);
    // Help and version are answered whatever else the command line holds.
    options.help = parser.isSet(helpOption);
    options.version = parser.isSet(versionOption);
    const QStringList operands = parser.positionalArguments();
    if (!operands.isEmpty())
        options.lista = operands.first();
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            options.problem = Problem::UnknownOption;
            const QString &name = unknown.first();
            options.problemArgument = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        } else {
            // A value is missing: the options with one are --manual and --verify, and only the last
            // argument can lack its value.
            options.problem = arguments.last() == QStringLiteral("--verify") ? Problem::VerifyWithoutFile
                                                                             : Problem::ManualWithoutFile;
        }
        return options;
    }
    if (parser.isSet(manualOption)) {
        options.manual = true;
        options.manualFile = parser.value(manualOption);
        if (options.manualFile.isEmpty()) {
            options.problem = Problem::ManualWithoutFile;
            return options;
        }
    }
    options.overwrite = parser.isSet(overwriteOption);
    if (parser.isSet(verifyOption)) {
        options.verify = true;
        options.verifyFile = parser.value(verifyOption);
        if (options.verifyFile.isEmpty()) {
            options.problem = Problem::VerifyWithoutFile;
            return options;
        }
        // The check reads one file and runs nothing: any other option or operand is a mistake.
        if (options.manual || options.overwrite || !operands.isEmpty()) {
            options.problem = Problem::SurplusArgument;
            options.problemArgument = options.manual      ? QStringLiteral("--manual")
                                      : options.overwrite ? QStringLiteral("--overwrite")
                                                          : operands.first();
            return options;
        }
    }
    if (operands.size() > 1) {
        options.problem = Problem::SurplusArgument;
        options.problemArgument = operands.at(1);
        return options;
    }
    if (options.overwrite && !options.manual)
        options.problem = Problem::OverwriteWithoutManual;
    return options;
}

QString CliOptions::errorText() const
{
    switch (problem) {
    case Problem::None:
        return QString();
    case Problem::UnknownOption:
        return CliMessageTable::text(CliMsg::UnknownOption).arg(problemArgument);
    case Problem::ManualWithoutFile:
        return CliMessageTable::text(CliMsg::ManualWithoutFile);
    case Problem::SurplusArgument:
        return CliMessageTable::text(CliMsg::SurplusArgument).arg(problemArgument);
    case Problem::OverwriteWithoutManual:
        return CliMessageTable::text(CliMsg::OverwriteWithoutManual);
    case Problem::VerifyWithoutFile:
        return CliMessageTable::text(CliMsg::VerifyWithoutFile);
    }
    return QString();
}

QString CliOptions::helpText()
{
    return CliMessageTable::text(CliMsg::Help);
}
