#include "cli/CliOptions.h"

#include "config/CliMessageTable.h"

#include <QCommandLineParser>

#include <tuple>

CliOptions CliOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-abc" is three short options, "--name" a long one, and "--" ends the options, as elsewhere on Linux.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    const QCommandLineOption manualOption(QStringLiteral("manual"), QString(), QStringLiteral("file"));
    const QCommandLineOption overwriteOption(QStringLiteral("overwrite"));
    const QCommandLineOption listOption(QStringLiteral("list"), QString(), QStringLiteral("archive"));
    const QCommandLineOption restoreOption(QStringLiteral("restore"), QString(), QStringLiteral("archive"));
    const QCommandLineOption toOption(QStringLiteral("to"), QString(), QStringLiteral("folder"));
    const QCommandLineOption replaceOption(QStringLiteral("replace"));
    const QCommandLineOption skipOption(QStringLiteral("skip"));
    const QCommandLineOption verifyOption(QStringLiteral("verify"), QString(), QStringLiteral("file"));
    const QCommandLineOption copyOption(QStringLiteral("copy"), QString(), QStringLiteral("file"));
    parser.addOptions({helpOption, versionOption, manualOption, overwriteOption, verifyOption, listOption,
                       restoreOption, toOption, replaceOption, skipOption, copyOption});

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
            // An option that takes a value came last, without it.
            const QString last = arguments.isEmpty() ? QString() : arguments.last();
            if (last == QStringLiteral("--manual")) {
                options.problem = Problem::ManualWithoutFile;
            } else if (last == QStringLiteral("--verify")) {
                options.problem = Problem::VerifyWithoutFile;
            } else {
                options.problem = Problem::MissingValue;
                options.problemArgument = last;
            }
        }
        return options;
    }
    if (parser.isSet(copyOption)) {
        // The copy sends one archive with the target of the configuration named by the operand; it
        // runs no backup, so every other option is a mistake.
        options.copy = true;
        options.copyFile = parser.value(copyOption);
        const QCommandLineOption *others[] = {&manualOption,  &overwriteOption, &verifyOption,  &listOption,
                                              &restoreOption, &toOption,        &replaceOption, &skipOption};
        for (const QCommandLineOption *other : others) {
            if (parser.isSet(*other)) {
                options.problem = Problem::SurplusArgument;
                options.problemArgument = QStringLiteral("--") + other->names().constFirst();
                return options;
            }
        }
        if (options.copyFile.isEmpty()) {
            options.problem = Problem::MissingValue;
            options.problemArgument = QStringLiteral("--copy");
        } else if (operands.size() > 1) {
            options.problem = Problem::SurplusArgument;
            options.problemArgument = operands.at(1);
        }
        return options;
    }
    if ((parser.isSet(listOption) || parser.isSet(restoreOption)) && parser.isSet(verifyOption)) {
        options.problem = Problem::ConflictingOptions;
        return options;
    }
    if (parser.isSet(listOption) || parser.isSet(restoreOption))
        return parseRestore(
            parser, options,
            {manualOption, overwriteOption, listOption, restoreOption, toOption, replaceOption, skipOption});
    if (parser.isSet(toOption) || parser.isSet(replaceOption) || parser.isSet(skipOption)) {
        options.problem = Problem::RestoreOnlyOption;
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

CliOptions &CliOptions::parseRestore(const QCommandLineParser &parser, CliOptions &options,
                                     const QList<QCommandLineOption> &restoreOptions)
{
    const auto &[manual, overwrite, list, restore, to, replace, skip] =
        std::tie(restoreOptions[0], restoreOptions[1], restoreOptions[2], restoreOptions[3],
                 restoreOptions[4], restoreOptions[5], restoreOptions[6]);
    // The operands are patterns here, not a configuration's name.
    options.lista.reset();
    options.patterns = parser.positionalArguments();
    options.listArchive = parser.value(list);
    options.restoreArchive = parser.value(restore);
    options.restoreFolder = parser.value(to);
    options.replace = parser.isSet(replace);
    options.skip = parser.isSet(skip);
    const bool both = parser.isSet(list) && parser.isSet(restore);
    if (both || parser.isSet(manual) || parser.isSet(overwrite) || (options.replace && options.skip)) {
        options.problem = Problem::ConflictingOptions;
        return options;
    }
    if (parser.isSet(list) && options.listArchive.isEmpty()) {
        options.problem = Problem::MissingValue;
        options.problemArgument = QStringLiteral("--list");
    } else if (parser.isSet(restore) && options.restoreArchive.isEmpty()) {
        options.problem = Problem::MissingValue;
        options.problemArgument = QStringLiteral("--restore");
    } else if (options.listing() && (parser.isSet(to) || options.replace || options.skip)) {
        options.problem = Problem::RestoreOnlyOption;
    } else if (options.restoring() && options.restoreFolder.isEmpty()) {
        options.problem = Problem::RestoreWithoutTo;
    }
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
    case Problem::MissingValue:
        return CliMessageTable::text(CliMsg::MissingValue).arg(problemArgument);
    case Problem::RestoreWithoutTo:
        return CliMessageTable::text(CliMsg::RestoreWithoutTo);
    case Problem::RestoreOnlyOption:
        return CliMessageTable::text(CliMsg::RestoreOnlyOption);
    case Problem::ConflictingOptions:
        return CliMessageTable::text(CliMsg::ConflictingOptions);
    }
    return QString();
}

QString CliOptions::helpText()
{
    return CliMessageTable::text(CliMsg::Help);
}
