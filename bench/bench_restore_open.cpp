// Opens a large archive in the restore window and reports how long it takes until the tree is shown:
// the central directory read, the tree model built and the view laid out. Without an argument it
// makes an archive of 300,000 small entries in nested folders first (in the temporary folder).
//
//   build/bin/bench_restore_open [ARCHIVE]        (QT_QPA_PLATFORM=offscreen works)

#include "app/TVracanjeDatoteka.h"
#include "zip/TZipFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    QString archive = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (archive.isEmpty()) {
        archive = temporary.filePath(QStringLiteral("entries-300000.zip"));
        TZipFile zip;
        zip.Open(QFile::encodeName(archive).toStdString(), zmWrite);
        const TBytes content = {'x'};
        for (int i = 0; i < 300000; ++i) {
            // 30 top folders, 100 below each, 100 files in each of those.
            const std::string name = "home/ana/Projekti " + std::to_string(i / 10000) + "/mapa " +
                                     std::to_string(i / 100 % 100) + "/datoteka " + std::to_string(i) +
                                     ".txt";
            zip.Add(content, name, zcStored);
        }
        zip.Close();
    }
    TVracanjeDatoteka window(QString(), QStringLiteral("-"), nullptr);
    window.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    if (!window.openArchive(archive))
        return 2;
    QCoreApplication::processEvents();
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("opened %s in %.3f s (target: under 2 s)\n", qPrintable(archive), seconds);
    return seconds < 2.0 ? 0 : 1;
}
