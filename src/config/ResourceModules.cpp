#include "config/ResourceModules.h"

#include "config/EResNotFound.h"
#include "config/LanguageModule.h"
#include "config/MessageTable.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

struct TextSource
{
    QString programFile;
    std::unique_ptr<LanguageModule> module;
    // Qt's own texts (standard buttons, file dialogs) in the language of the module.
    std::unique_ptr<QTranslator> qtTexts;
};

TextSource &textSource()
{
    static TextSource source;
    return source;
}

} // namespace

std::optional<quint32> LocaleOfLanguageCode(const QString &code)
{
    if (code == QStringLiteral("HR"))
        return localeCroatian;
    if (code == QStringLiteral("EN"))
        return localeEnglish;
    return std::nullopt;
}

QString LocaleAbbreviation(quint32 locale)
{
    switch (locale) {
    case localeCroatian:
        return QStringLiteral("HRV");
    case localeEnglish:
        return QStringLiteral("ENU");
    default:
        return QString();
    }
}

QString ResourceModuleFileName(const QString &programFile, const QString &abbreviation)
{
    const QString extension = QStringLiteral(".exe");
    const qsizetype at = programFile.indexOf(extension, 0, Qt::CaseInsensitive);
    if (at < 0)
        return programFile + QLatin1Char('.') + abbreviation;
    return QString(programFile).replace(at, extension.size(), QLatin1Char('.') + abbreviation);
}

QString ResourceProgramFile()
{
    const QString &set = textSource().programFile;
    return set.isEmpty() ? QCoreApplication::applicationFilePath() : set;
}

void SetResourceProgramFile(const QString &programFile)
{
    textSource().programFile = programFile;
}

std::unique_ptr<LanguageModule> OpenResourceModule(quint32 locale)
{
    const QString abbreviation = LocaleAbbreviation(locale);
    if (abbreviation.isEmpty())
        return nullptr;
    const QString programFile = ResourceProgramFile();
    std::unique_ptr<LanguageModule> module =
        LanguageModule::open(ResourceModuleFileName(programFile, abbreviation));
    if (!module)
        module = LanguageModule::open(ResourceModuleFileName(programFile, abbreviation.left(2)));
    return module;
}

LanguageModule *LoadNewResourceModule(quint32 locale)
{
    std::unique_ptr<LanguageModule> module = OpenResourceModule(locale);
    if (!module)
        return nullptr;
    LanguageModule *loaded = SetResourceHInstance(std::move(module));
    UseQtTranslations(locale);
    return loaded;
}

void UseQtTranslations(quint32 locale)
{
    QString language;
    if (locale == localeCroatian)
        language = QStringLiteral("hr");
    else if (locale == localeEnglish)
        language = QStringLiteral("en");
    auto next = std::make_unique<QTranslator>();
    if (language.isEmpty() ||
        !next->load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        next.reset();
    std::unique_ptr<QTranslator> &current = textSource().qtTexts;
    std::unique_ptr<QTranslator> previous = std::move(current);
    current = std::move(next);
    if (previous)
        QCoreApplication::removeTranslator(previous.get());
    if (current)
        QCoreApplication::installTranslator(current.get());
}

LanguageModule *SetResourceHInstance(std::unique_ptr<LanguageModule> module)
{
    std::unique_ptr<LanguageModule> &current = textSource().module;
    // The old module is released only after nothing reads it any more.
    std::unique_ptr<LanguageModule> previous = std::move(current);
    current = std::move(module);
    MessageTable::setLanguageModule(current ? &current->translator() : nullptr);
    if (previous)
        QCoreApplication::removeTranslator(&previous->translator());
    if (current)
        QCoreApplication::installTranslator(&current->translator());
    else
        UseQtTranslations(localeCroatian);
    return current.get();
}

const LanguageModule *CurrentResourceModule()
{
    return textSource().module.get();
}

bool HasWindowDescription(const char *windowClass)
{
    const LanguageModule *module = CurrentResourceModule();
    return !module || module->hasContext(QByteArray(windowClass));
}

void RequireWindowDescription(const char *windowClass)
{
    if (!HasWindowDescription(windowClass))
        throw EResNotFound(windowClass);
}
