#include "config/AutostartEntry.h"

#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// The autostart entry in a configuration folder of the test's own.
class TestAutostartEntry : public QObject
{
    Q_OBJECT

    static QByteArray bytes(const QString &fileName)
    {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private slots:
    void init()
    {
        m_tree = std::make_unique<TempTree>();
        qputenv("XDG_CONFIG_HOME", m_tree->path(QStringLiteral("config")).toUtf8());
    }

    void writtenAndRemoved_data()
    {
        QTest::addColumn<QString>("configuration");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("nameLine");
        QTest::addColumn<QByteArray>("execLine");
        QTest::newRow("default configuration")
            << QString() << "arkivoda"
            << "arkivoda.desktop" << QByteArray("Name=Arkivoda") << QByteArray("Exec=arkivoda");
        QTest::newRow("named configuration") << "Posao"
                                             << "arkivoda"
                                             << "arkivoda-Posao.desktop" << QByteArray("Name=Arkivoda Posao")
                                             << QByteArray("Exec=arkivoda Posao");
        QTest::newRow("a name with a space")
            << "Moj posao"
            << "arkivoda"
            << "arkivoda-Moj_posao.desktop" << QByteArray("Name=Arkivoda Moj posao")
            << QByteArray("Exec=arkivoda \"Moj posao\"");
        // Inside quotes "$" and "\" are escaped for the Exec line, then "\" once more for the value;
        // "%" is doubled so that it is no field code.
        QTest::newRow("a name the shell would read")
            << "a$b\\c%d"
            << "arkivoda"
            << "arkivoda-a_b_c_d.desktop" << QByteArray("Name=Arkivoda a$b\\\\c%d")
            << QByteArray("Exec=arkivoda \"a\\\\$b\\\\\\\\c%%d\"");
        QTest::newRow("a program outside the PATH")
            << "Posao"
            << "/opt/moji programi/arkivoda"
            << "arkivoda-Posao.desktop" << QByteArray("Name=Arkivoda Posao")
            << QByteArray("Exec=\"/opt/moji programi/arkivoda\" Posao");
    }

    void writtenAndRemoved()
    {
        QFETCH(QString, configuration);
        QFETCH(QString, program);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, nameLine);
        QFETCH(QByteArray, execLine);
        const QString other =
            m_tree->writeFile(QStringLiteral("config/autostart/drugi.desktop"), "[Desktop Entry]\n");
        const AutostartEntry entry(configuration);
        QCOMPARE(entry.fileName(), m_tree->path(QStringLiteral("config/autostart/")) + fileName);
        QVERIFY(!entry.exists());

        entry.write(program);

        QVERIFY(entry.exists());
        const QList<QByteArray> lines = bytes(entry.fileName()).split('\n');
        QCOMPARE(lines.first(), QByteArray("[Desktop Entry]"));
        QVERIFY2(lines.contains(nameLine), bytes(entry.fileName()).constData());
        QVERIFY2(lines.contains(execLine), bytes(entry.fileName()).constData());
        QVERIFY(lines.contains("Type=Application"));
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validator.isEmpty()) {
            QProcess validate;
            validate.start(validator, {entry.fileName()});
            QVERIFY(validate.waitForFinished());
            QCOMPARE(validate.readAllStandardOutput() + validate.readAllStandardError(), QByteArray());
            QCOMPARE(validate.exitCode(), 0);
        }

        entry.remove();
        QVERIFY(!entry.exists());
        entry.remove(); // nothing left to remove is no error
        QVERIFY(QFile::exists(other));
    }

    void theFolderIsMadeWhenMissing()
    {
        const AutostartEntry entry(QString{});
        QVERIFY(!QDir(m_tree->path(QStringLiteral("config/autostart"))).exists());
        entry.write(QStringLiteral("arkivoda"));
        QVERIFY(entry.exists());
    }

    void aProgramOffThePathIsNamedInFull()
    {
        QCOMPARE(AutostartEntry::programCommand(QStringLiteral("/nema/takvog/arkivoda")),
                 QStringLiteral("/nema/takvog/arkivoda"));
    }

  private:
    std::unique_ptr<TempTree> m_tree;
};

QTEST_GUILESS_MAIN(TestAutostartEntry)
#include "tst_AutostartEntry.moc"
