#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Arkivoda"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ARKIVODA_VERSION));
    QTextStream(stdout) << QStringLiteral("Arkivoda %1 – sigurnosno kopiranje u ZIP arhive.\n"
                                          "Naredbeni redak još nije dovršen.\n")
                               .arg(QCoreApplication::applicationVersion());
    return 0;
}
