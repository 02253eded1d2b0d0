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
    bool counted = false; // a plural message: its form follows a count
};

// Counts that reach every form of Croatian and English: 1, 21 (not 11); 2-4, 22 (not 12-14); the rest.
const QList<int> formCounts = {0, 1, 2, 4, 5, 11, 12, 14, 21, 22, 25, 101, 111};

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
            message = Message{context, {}, {}, xml.attributes().value(QLatin1String("numerus")) == u"yes"};
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

// The text a translation stands for: the built-in Croatian one for the keyed message tables (of a
// counted message, its form for count), else the source text itself.
QString croatianOf(const Message &message, int count = -1)
{
    if (message.context == QStringLiteral("Poruke")) {
        const quint16 number = message.source.toUShort();
        return count < 0 ? MessageTable::croatianText(number) : MessageTable::croatianText(number, count);
    }
    if (message.context == QStringLiteral("PorukeCli")) {
        for (const CliMsg::Key key : CliMessageTable::keys())
            if (message.source == QLatin1String(CliMessageTable::moduleKey(key)))
                return count < 0 ? CliMessageTable::croatianText(key)
                                 : CliMessageTable::croatianText(key, count);
        return QString();
    }
    return message.source;
}

// The module's translation of a message; of a counted one, its form for count.
QString translationOf(const LanguageModule &module, const Message &message, int count = -1)
{
    return module.translator().translate(
        message.context.toUtf8().constData(), message.source.toUtf8().constData(),
        message.comment.isEmpty() ? nullptr : message.comment.toUtf8().constData(), count);
}

// The counts a message is looked up with: each form of a counted message, the one text of any other.
QList<int> countsOf(const Message &message)
{
    return message.counted ? formCounts : QList<int>{-1};
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
            for (const int count : countsOf(message)) {
                const QString translation = translationOf(*module, message, count);
                const QString where = message.context + QStringLiteral(" \"") + message.source +
                                      QLatin1Char('"') +
                                      (count < 0 ? QString() : QStringLiteral(" n=%1").arg(count));
                const QString croatian = croatianOf(message, count);
                if (translation.isEmpty())
                    faults << where + QStringLiteral(": no translation");
                else if (shape(translation) != shape(croatian))
                    faults << where + QStringLiteral(": ") + shape(translation) +
                                  QStringLiteral(" instead of ") + shape(croatian);
            }
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
            for (const int count : countsOf(message))
                if (translationOf(*module, message, count) != croatianOf(message, count))
                    faults << message.context + QStringLiteral(" \"") + message.source + QLatin1Char('"') +
                                  (count < 0 ? QString() : QStringLiteral(" n=%1").arg(count));
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    // A count takes its language's form: Croatian has three (1 and 21 datoteka; 2-4 and 22 datoteke;
    // 5-20, 11-14 and 25 datoteka), English two (1 file; 0, 2 and 21 files), in phrases and sentences
    // alike, for the program's messages and the command line's.
    void countsTakeTheirLanguagesForm_data()
    {
        QTest::addColumn<QString>("abbreviation"); // empty: the built-in Croatian texts
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("text");
        const QString files = QString::number(Msg::CountFiles);
        const struct
        {
            qint64 count;
            const char *croatian;
            const char *english;
        } fileCounts[] = {
            {0, "datoteka", "files"},          {1, "datoteka", "file"},   {2, "datoteke", "files"},
            {4, "datoteke", "files"},          {5, "datoteka", "files"},  {11, "datoteka", "files"},
            {12, "datoteka", "files"},         {14, "datoteka", "files"}, {21, "datoteka", "files"},
            {22, "datoteke", "files"},         {25, "datoteka", "files"}, {111, "datoteka", "files"},
            {3000000002, "datoteke", "files"},
        };
        for (const auto &row : fileCounts) {
            const QString count = QString::number(row.count) + QLatin1Char(' ');
            for (const QString &abbreviation : {QString(), QStringLiteral("HRV")})
                QTest::addRow("%s %lld files", abbreviation.isEmpty() ? "built-in" : "HRV", row.count)
                    << abbreviation << QStringLiteral("Poruke") << files << row.count
                    << count + QLatin1String(row.croatian);
            QTest::addRow("ENU %lld files", row.count)
                << QStringLiteral("ENU") << QStringLiteral("Poruke") << files << row.count
                << count + QLatin1String(row.english);
        }
        const QString missing = QString::number(Msg::WarningSourcesMissing);
        QTest::newRow("built-in: 1 source missing")
            << QString() << QStringLiteral("Poruke") << missing << qint64(1)
            << QStringLiteral(
                   "Tijekom arhiviranja 1 datoteka ili mapa je\r\nbila nedostupna iz nekog razloga!");
        QTest::newRow("built-in: 3 sources missing")
            << QString() << QStringLiteral("Poruke") << missing << qint64(3)
            << QStringLiteral(
                   "Tijekom arhiviranja 3 datoteke ili mape su\r\nbile nedostupne iz nekog razloga!");
        QTest::newRow("ENU: 1 source missing")
            << QStringLiteral("ENU") << QStringLiteral("Poruke") << missing << qint64(1)
            << QStringLiteral("During the backup, 1 file or folder\r\nwas unavailable for some reason!");
        QTest::newRow("ENU: 21 sources missing")
            << QStringLiteral("ENU") << QStringLiteral("Poruke") << missing << qint64(21)
            << QStringLiteral("During the backup, 21 files or folders\r\nwere unavailable for some reason!");
        QTest::newRow("built-in: 1 entry verified")
            << QString() << QStringLiteral("PorukeCli") << QStringLiteral("verify-sound") << qint64(1)
            << QStringLiteral("Arhiva A je ispravna: provjeren je 1 zapis.");
        QTest::newRow("built-in: 3 entries verified")
            << QString() << QStringLiteral("PorukeCli") << QStringLiteral("verify-sound") << qint64(3)
            << QStringLiteral("Arhiva A je ispravna: provjerena su 3 zapisa.");
        QTest::newRow("ENU: 1 entry verified")
            << QStringLiteral("ENU") << QStringLiteral("PorukeCli") << QStringLiteral("verify-sound")
            << qint64(1) << QStringLiteral("The archive A is sound: 1 entry was checked.");
        QTest::newRow("ENU: 11 entries verified")
            << QStringLiteral("ENU") << QStringLiteral("PorukeCli") << QStringLiteral("verify-sound")
            << qint64(11) << QStringLiteral("The archive A is sound: 11 entries were checked.");
    }

    void countsTakeTheirLanguagesForm()
    {
        QFETCH(QString, abbreviation);
        QFETCH(QString, context);
        QFETCH(QString, key);
        QFETCH(qint64, count);
        std::unique_ptr<LanguageModule> module;
        if (!abbreviation.isEmpty()) {
            module = LanguageModule::open(ModuleFiles::builtModule(abbreviation));
            QVERIFY(module);
        }
        QString pattern;
        if (context == QStringLiteral("Poruke")) {
            MessageTable::setLanguageModule(module ? &module->translator() : nullptr);
            const auto builtInAgain = qScopeGuard([] { MessageTable::setLanguageModule(nullptr); });
            pattern = MessageTable::fill(MessageTable::text(key.toUShort(), count), {QString::number(count)});
        } else {
            const QList<CliMsg::Key> keys = CliMessageTable::keys();
            const auto found = std::find_if(keys.begin(), keys.end(), [&key](CliMsg::Key each) {
                return key == QLatin1String(CliMessageTable::moduleKey(each));
            });
            QVERIFY(found != keys.end());
            const QString text =
                module ? module->translator().translate("PorukeCli", CliMessageTable::moduleKey(*found),
                                                        nullptr, int(count))
                       : CliMessageTable::croatianText(*found, count);
            pattern = text.arg(QStringLiteral("A")).arg(count);
        }
        QTEST(pattern, "text");
    }

  private:
    QList<Message> m_texts;
};

QTEST_GUILESS_MAIN(TestLanguageModules)
#include "tst_LanguageModules.moc"
