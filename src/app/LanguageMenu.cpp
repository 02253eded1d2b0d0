#include "app/LanguageMenu.h"

#include "config/ProgramSettings.h"
#include "config/ResourceModules.h"
#include "run/ZipReason.h"
#include "ui/ApplicationError.h"
#include "ui/ReinitializeForms.h"

#include <QAction>
#include <QWidget>

namespace {

const QString croatianCode = QStringLiteral("HR");
const QString englishCode = QStringLiteral("EN");

} // namespace

LanguageMenu::LanguageMenu(QAction *croatian, QAction *english, ProgramSettings &settings, QWidget *window)
    : QObject(window), m_croatian(croatian), m_english(english), m_settings(settings), m_window(window)
{
    // A click toggles a checkable item by itself; the switch decides the check marks, so the toggle
    // is undone first.
    connect(m_english, &QAction::triggered, this, [this](bool checked) {
        m_english->setChecked(!checked);
        chooseEnglish();
    });
    connect(m_croatian, &QAction::triggered, this, [this](bool checked) {
        m_croatian->setChecked(!checked);
        chooseCroatian();
    });
}

void LanguageMenu::applyStored()
{
    m_croatian->setChecked(true);
    m_english->setChecked(false);
    // The built-in texts are Croatian, and so are Qt's until a module says otherwise.
    UseQtTranslations(localeCroatian);
    const QString &code = m_settings.GLOBAL_Jezik;
    if (code == croatianCode) {
        if (LoadNewResourceModule(localeCroatian))
            ReinitializeForms();
    } else if (code == englishCode) {
        if (LoadNewResourceModule(localeEnglish)) {
            ReinitializeForms();
            m_croatian->setChecked(false);
            m_english->setChecked(true);
        } else {
            // In memory only: the file keeps "EN" for a start that finds the module.
            m_settings.GLOBAL_Jezik = croatianCode;
        }
    }
}

void LanguageMenu::chooseCroatian()
{
    choose(localeCroatian, croatianCode, m_croatian, m_english);
}

void LanguageMenu::chooseEnglish()
{
    choose(localeEnglish, englishCode, m_english, m_croatian);
}

void LanguageMenu::choose(quint32 locale, const QString &code, QAction *chosen, QAction *other)
{
    // Without the module nothing changes, silently: texts, stored choice and check marks stay.
    std::unique_ptr<LanguageModule> module = OpenResourceModule(locale);
    if (!module)
        return;
    // The choice is stored before anything switches, so a failed store leaves the texts, the module in
    // use, the check marks and the stored choice all in the old language.
    try {
        WriteLanguage(m_settings, code);
    } catch (const EConfigError &failure) {
        // The settings file cannot be written: the error is shown and the switch goes no further.
        ShowApplicationError(m_window, ConfigErrorText(failure));
        return;
    } catch (const std::exception &failure) {
        ShowApplicationError(m_window, ZipReason::text(failure));
        return;
    }
    SetResourceHInstance(std::move(module));
    UseQtTranslations(locale);
    ReinitializeForms();
    m_settings.GLOBAL_Jezik = code;
    chosen->setChecked(true);
    other->setChecked(false);
    emit switched();
}
