#include "config/CliMessageTable.h"
#include "config/LanguageModule.h"
#include "config/MessageTable.h"

#include "ModuleFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Message
{
    QString context;
    QString source;
    QString comment;
};

// Every text of the program as lupdate finds it in the sources today: window descriptions (.ui), tr()
// texts, and the keys of the message tables. A text added there and not to the modules shows up here.
QList<Message> programTexts(QString &problem)
{
    QTemporaryDir folder;
    const QString ts = folder.filePath(QStringLiteral("program.ts"));
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(ARKIVODA_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                   QStringLiteral(ARKIVODA_SOURCE_DIR "/src"), QStringLiteral("-ts"), ts});
    if (!lupdate.waitForFinished(120000) || lupdate.exitCode() != 0) {
        problem = QStringLiteral("lupdate failed: ") + QString::fromLocal8Bit(lupdate.readAll());
        return {};
    }
    QFile file(ts);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("lupdate wrote nothing");
        return {};
    }
    QList<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("message"))
            message = Message{context, {}, {}};
        else if (xml.name() == QLatin1String("source"))
            message.source = xml.readElementText();
        else if (xml.name() == QLatin1String("comment"))
            message.comment = xml.readElementText();
        else if (xml.name() == QLatin1String("translation"))
            messages << message;
    }
    if (xml.hasError())
        problem = xml.errorString();
    return messages;
}

// The text a translation stands for: the built-in Croatian one for the keyed message tables, else the
// source text itself.
QString croatianOf(const Message &message)
{
    if (message.context == QStringLiteral("Poruke"))
        return MessageTable::croatianText(message.source.toUShort());
    if (message.context == QStringLiteral("PorukeCli")) {
        for (const CliMsg::Key key : CliMessageTable::keys())
            if (message.source == QLatin1String(CliMessageTable::moduleKey(key)))
                return CliMessageTable::croatianText(key);
        return QString();
    }
    return message.source;
}

// What a translation must keep from its original: the placeholders ("%s", "%1"), the line breaks (CR LF
// in messages, LF elsewhere) and whether a letter is marked as the accelerator ("&", not "&&").
QString shape(const QString &text)
{
    QStringList placeholders;
    for (const QRegularExpressionMatch &match :
         QRegularExpression(QStringLiteral("%(s|\\d+)")).globalMatch(text))
        placeholders << match.captured();
    placeholders.sort();
    const bool accelerator = QString(text).remove(QStringLiteral("&&")).contains(QLatin1Char('&'));
    return placeholders.join(QLatin1Char(' ')) +
           QStringLiteral(" | %1 LF, %2 CR").arg(text.count(u'\n')).arg(text.count(u'\r')) +
           (accelerator ? QStringLiteral(" | &") : QString());
}

} // namespace

class TestLanguageModules : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        QString problem;
        m_texts = programTexts(problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // The message tables reach lupdate in full.
        for (int number = 64976; number <= 65055; ++number)
            if (MessageTable::contains(quint16(number)))
                QVERIFY(std::any_of(m_texts.begin(), m_texts.end(), [number](const Message &message) {
                    return message.context == QStringLiteral("Poruke") &&
                           message.source == QString::number(number);
                }));
        QVERIFY(std::count_if(m_texts.begin(), m_texts.end(), [](const Message &message) {
                    return message.context == QStringLiteral("PorukeCli");
                }) == CliMessageTable::keys().size());
    }

    // The pause box has one button, captioned with the OK button's text: its message tells the user to
    // press that very caption.
    void thePauseTextNamesItsButton_data()
    {
        QTest::addColumn<QString>("abbreviation");
        QTest::newRow("built-in") << QString();
        QTest::newRow("Croatian") << QStringLiteral("HRV");
        QTest::newRow("English") << QStringLiteral("ENU");
    }

    void thePauseTextNamesItsButton()
    {
        QFETCH(QString, abbreviation);
        std::unique_ptr<LanguageModule> module;
        if (!abbreviation.isEmpty()) {
            module = LanguageModule::open(ModuleFiles::builtModule(abbreviation));
            QVERIFY(module);
        }
        MessageTable::setLanguageModule(module ? &module->translator() : nullptr);
        const auto builtInAgain = qScopeGuard([] { MessageTable::setLanguageModule(nullptr); });
        const QString button = MessageTable::text(Msg::ButtonOk);
        const QString text = MessageTable::text(Msg::PauseBoxText);
        QVERIFY2(text.contains(QStringLiteral(" ") + button + QStringLiteral(" ")), qPrintable(text));
    }

    void everyTextIsTranslated_data()
    {
        QTest::addColumn<QString>("abbreviation");
        QTest::newRow("Croatian") << QStringLiteral("HRV");
        QTest::newRow("English") << QStringLiteral("ENU");
    }

    // Every message number, command-line text and window text has a non-empty translation of the same
    // shape in each module.
    void everyTextIsTranslated()
    {
        QFETCH(QString, abbreviation);
        const std::unique_ptr<LanguageModule> module =
            LanguageModule::open(ModuleFiles::builtModule(abbreviation));
        QVERIFY(module);
        QStringList faults;
        for (const Message &message : std::as_const(m_texts)) {
            const QString translation = module->translator().translate(
                message.context.toUtf8().constData(), message.source.toUtf8().constData(),
                message.comment.isEmpty() ? nullptr : message.comment.toUtf8().constData());
            const QString where = message.context + QStringLiteral(" \"") + message.source + QLatin1Char('"');
            const QString croatian = croatianOf(message);
            if (translation.isEmpty())
                faults << where + QStringLiteral(": no translation");
            else if (shape(translation) != shape(croatian))
                faults << where + QStringLiteral(": ") + shape(translation) + QStringLiteral(" instead of ") +
                              shape(croatian);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    // The Croatian module carries the built-in texts themselves, so a switch back changes nothing.
    void theCroatianModuleIsTheBuiltInText()
    {
        const std::unique_ptr<LanguageModule> module =
            LanguageModule::open(ModuleFiles::builtModule(QStringLiteral("HRV")));
        QVERIFY(module);
        QStringList faults;
        for (const Message &message : std::as_const(m_texts)) {
            const QString translation = module->translator().translate(
                message.context.toUtf8().constData(), message.source.toUtf8().constData(),
                message.comment.isEmpty() ? nullptr : message.comment.toUtf8().constData());
            if (translation != croatianOf(message))
                faults << message.context + QStringLiteral(" \"") + message.source + QLatin1Char('"');
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

  private:
    QList<Message> m_texts;
};

QTEST_GUILESS_MAIN(TestLanguageModules)
#include "tst_LanguageModules.moc"
