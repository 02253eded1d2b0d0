#include "LanguageWords.h"
#include "ModuleFiles.h"
#include "TempTree.h"
#include "app/RemoteCopyGroup.h"
#include "config/LanguageModule.h"
#include "config/ResourceModules.h"
#include "run/RcloneProcess.h"
#include "ui/MyMessageDialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace Qt::StringLiterals;

// The settings window's remote copy group, laid out as the window lays it out.
class tst_RemoteCopyGroup : public QObject
{
    Q_OBJECT

  private slots:
    void cleanup()
    {
        SetResourceHInstance(nullptr);
        SetMessageDialogHook({});
        qunsetenv("RCLONE_CONFIG");
    }

    void aFailedCheckIsShownWholeInTheInterfaceLanguage_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("folderLength");
        for (const bool english : {false, true}) {
            const char *language = english ? "English" : "Croatian";
            QTest::addRow("%s, a short target", language) << english << 1;
            QTest::addRow("%s, a long target", language) << english << 120;
        }
    }

    // rclone's own error line is passed on as rclone wrote it, wrapped at the group's width rather than
    // cut at the window's edge, and in a box when the group has no room for all of it; the words
    // around it are the interface's.
    void aFailedCheckIsShownWholeInTheInterfaceLanguage()
    {
        QFETCH(bool, english);
        QFETCH(int, folderLength);
        if (RcloneProcess::program().isEmpty())
            QSKIP("rclone is not installed");
        if (english)
            QVERIFY(SetResourceHInstance(LanguageModule::open(ModuleFiles::builtModule(u"ENU"_s))));
        const TempTree tree;
        // A remote that rclone refuses at once, in its own words.
        qputenv("RCLONE_CONFIG", QFile::encodeName(tree.writeFile(
                                     u"rclone.conf"_s, "[zatvoreno]\ntype = sftp\nhost = 127.0.0.1\n"
                                                       "port = 1\nuser = x\n")));
        const QString target = u"zatvoreno:"_s + QString(folderLength, u'k');
        QList<MessageDialogRequest> dialogs;
        SetMessageDialogHook([&dialogs](const MessageDialogRequest &request) -> std::optional<int> {
            dialogs << request;
            return mrOk;
        });

        QGroupBox group;
        group.setGeometry(16, 594, 639, 102);
        QLineEdit edit(&group);
        QSpinBox keep(&group);
        QPushButton check(&group);
        QLabel note(&group);
        note.setGeometry(10, 63, 619, 15);
        QLabel hint(u"Udaljena mjesta postavljaju se naredbom rclone config."_s, &group);
        hint.setGeometry(10, 80, 619, 15);
        RemoteCopyGroup remote(&edit, &keep, &check, &note, &group);
        group.show();
        edit.setText(target);
        remote.checkConnection();

        const QString shown = note.text();
        QVERIFY2(shown.contains(u"SSH"_s), qPrintable(shown));
        QVERIFY(note.wordWrap());
        QVERIFY(note.geometry().bottom() <= group.rect().bottom());
        const bool fits = note.height() >= note.heightForWidth(note.width());
        QVERIFY2(fits || (dialogs.size() == 1 && dialogs.first().text == shown), qPrintable(shown));
        QCOMPARE(dialogs.size(), fits ? 0 : 1);
        // Ours is what comes before rclone's line: "... <target> ...: <rclone's line>".
        const qsizetype afterTarget = shown.indexOf(target) + target.size();
        const QString ours = shown.left(afterTarget) + shown.mid(afterTarget).section(u':', 0, 0);
        const QStringList foreign = LanguageWords::foreignWords(QString(ours).remove(target), english);
        QVERIFY2(foreign.isEmpty(), qPrintable(ours + u" <- "_s + foreign.join(u", "_s)));
    }
};

QTEST_MAIN(tst_RemoteCopyGroup)
#include "tst_RemoteCopyGroup.moc"
