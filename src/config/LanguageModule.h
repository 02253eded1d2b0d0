#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QTranslator>

#include <memory>

// One language module: a compiled Qt translation file (.qm) with the window descriptions of the
// program (one translation context per window class) and its message tables.
class LanguageModule
{
  public:
    // Loads the module from exactly this file; nullptr when the file is missing or is not a module.
    static std::unique_ptr<LanguageModule> open(const QString &fileName);

    const QString &fileName() const { return m_fileName; }
    const QTranslator &translator() const { return m_translator; }
    QTranslator &translator() { return m_translator; }
    // Whether the module holds any text of the context (a window class or a message table).
    bool hasContext(const QByteArray &context) const { return m_contexts.contains(context); }

    // Only open() makes a module; the key keeps everyone else from it.
    struct OpenKey
    {
    };
    explicit LanguageModule(OpenKey) {}

  private:
    QString m_fileName;
    // The translator reads from this buffer for as long as it lives.
    QByteArray m_data;
    QTranslator m_translator;
    QSet<QByteArray> m_contexts;
};
