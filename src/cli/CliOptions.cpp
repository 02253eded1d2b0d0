#include "cli/CliOptions.h"

CliOptions CliOptions::parse(const QStringList &arguments)
{
    CliOptions options;
    bool onlyOperands = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!onlyOperands && argument == QStringLiteral("--")) {
            onlyOperands = true;
        } else if (!onlyOperands &&
                   (argument == QStringLiteral("--help") || argument == QStringLiteral("-h"))) {
            options.help = true;
        } else if (!onlyOperands && argument == QStringLiteral("--overwrite")) {
            options.overwrite = true;
        } else if (!onlyOperands && argument == QStringLiteral("--manual")) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                options.error = QStringLiteral("Opciji --manual nedostaje naziv arhivske datoteke.");
                return options;
            }
            options.manual = true;
            options.manualFile = arguments.at(++i);
        } else if (!onlyOperands && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            options.error = QStringLiteral("Nepoznata opcija: %1").arg(argument);
            return options;
        } else if (!options.lista) {
            options.lista = argument;
        } else {
            options.error = QStringLiteral("Suvišan argument: %1").arg(argument);
            return options;
        }
    }
    if (options.overwrite && !options.manual)
        options.error = QStringLiteral("Opcija --overwrite vrijedi samo uz --manual.");
    return options;
}

QString CliOptions::helpText()
{
    return QStringLiteral(
        "Uporaba: arkivoda-cli [lista]\n"
        "         arkivoda-cli --manual DATOTEKA [--overwrite] [lista]\n"
        "\n"
        "Arkivoda arhivira sve datoteke i mape s liste za arhiviranje u jednu novu ZIP arhivu.\n"
        "\n"
        "Bez opcija radi automatsko arhiviranje: arhiva se sprema u arhivsku mapu iz postavki\n"
        "pod nazivom PREFIKS_gggg.mm.dd__hh.mm.ss.zip, a njezina se putanja bilježi kao zadnja\n"
        "automatska arhiva.\n"
        "\n"
        "  lista                 naziv zasebne konfiguracije: koriste se datoteke\n"
        "                        lista_Arkivoda.ini i lista_Arkivoda_bcklst.txt\n"
        "  --manual DATOTEKA     ručno arhiviranje u navedenu datoteku (bilježi se kao\n"
        "                        zadnja ručna arhiva)\n"
        "  --overwrite           uz --manual: postojeća datoteka se zamjenjuje; bez ove\n"
        "                        opcije arhiviranje preko postojeće datoteke se odbija\n"
        "  -h, --help            ovaj tekst\n"
        "\n"
        "Postavke i lista nalaze se u mapi $XDG_CONFIG_HOME/Arkivoda/ (obično ~/.config/Arkivoda/).\n"
        "\n"
        "Tijekom arhiviranja napredak se ispisuje na standardni izlaz za greške.\n"
        "Prvi Ctrl+C (ili SIGTERM) prekida arhiviranje: trenutna datoteka se dovršava i arhiva\n"
        "se ispravno zatvara. Drugi Ctrl+C nasilno prekida arhiviranje: arhiva ostaje\n"
        "nedovršena i neispravna.\n"
        "\n"
        "Izlazni status:\n"
        "  0  arhiviranje je završeno i sve datoteke i mape s liste su arhivirane\n"
        "  1  arhiva je izrađena, ali neke datoteke ili mape nisu bile dostupne ili je\n"
        "     arhiviranje prekinuto\n"
        "  2  arhiviranje je odbijeno, nasilno prekinuto ili arhivu nije bilo moguće zapisati\n");
}
