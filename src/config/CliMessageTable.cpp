#include "config/CliMessageTable.h"

#include "config/LanguageModule.h"
#include "config/MessageTable.h"
#include "config/ResourceModules.h"

#include <QtGlobal>

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

constexpr const char *context = "PorukeCli";

struct Entry
{
    CliMsg::Key key;
    // Written for lupdate, which takes the keys into the language modules' context "PorukeCli".
    const char *moduleKey;
    QString croatian;
};

const QList<Entry> &entries()
{
    static const QList<Entry> table = {
        {CliMsg::Help, QT_TRANSLATE_NOOP("PorukeCli", "help"),
         QStringLiteral(
             "Uporaba: arkivoda-cli [lista]\n"
             "         arkivoda-cli --manual DATOTEKA [--overwrite] [lista]\n"
             "         arkivoda-cli --verify DATOTEKA\n"
             "         arkivoda-cli --list ARHIVA [UZORAK...]\n"
             "         arkivoda-cli --restore ARHIVA --to MAPA [UZORAK...] [--replace|--skip]\n"
             "         arkivoda-cli --copy DATOTEKA [lista]\n"
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
             "  --verify DATOTEKA     čita ZIP arhivu s diska i provjerava cijelu: završne\n"
             "                        zapise, središnji direktorij, lokalna zaglavlja i sadržaj\n"
             "                        svake datoteke (veličine i CRC-32)\n"
             "  --list ARHIVA         ispis stavki arhive (datum, veličina, naziv)\n"
             "  --restore ARHIVA      vraćanje stavki arhive u mapu zadanu s --to MAPA, svaka\n"
             "                        pod svojim nazivom u arhivi; UZORAK bira stavke (* i ?\n"
             "                        kao u ljusci, naziv mape bira sve u njoj)\n"
             "  --replace             uz --restore: postojeće datoteke se zamjenjuju\n"
             "  --skip                uz --restore: postojeće datoteke se zadržavaju; bez ovih\n"
             "                        opcija vraćanje preko postojećih datoteka se odbija\n"
             "  --copy DATOTEKA       šalje postojeću arhivu na udaljeni cilj iz postavki\n"
             "                        (Udaljeno/Cilj, preko programa rclone), kao nakon arhiviranja\n"
             "  -h, --help            ovaj tekst\n"
             "  --version             verzija programa\n"
             "\n"
             "Postavke i lista nalaze se u mapi $XDG_CONFIG_HOME/Arkivoda/ (obično ~/.config/Arkivoda/).\n"
             "Jezik ispisa je jezik programa iz postavki.\n"
             "\n"
             "Tijekom arhiviranja napredak se ispisuje na standardni izlaz za greške. Arhiva se\n"
             "zapisuje pod svojim nazivom s nastavkom .part i dobiva svoj naziv tek kad je cijela\n"
             "zapisana na disk. Prvi Ctrl+C (ili SIGTERM) prekida arhiviranje: trenutna datoteka\n"
             "se dovršava i arhiva se ispravno zatvara. Drugi Ctrl+C nasilno prekida arhiviranje:\n"
             "nedovršena arhiva ostaje pod nazivom s nastavkom .part.\n"
             "\n"
             "Kad je postavljen udaljeni cilj, potpuna arhiva se nakon arhiviranja šalje onamo\n"
             "naredbom rclone copyto i broji se tek kad je na cilju potvrđena njezina veličina\n"
             "(i kontrolni zbroj, gdje ga cilj nudi).\n"
             "\n"
             "Izlazni status:\n"
             "  0  arhiviranje je završeno i sve datoteke i mape s liste su arhivirane\n"
             "  1  arhiva je izrađena, ali neke datoteke ili mape nisu bile dostupne ili je\n"
             "     arhiviranje prekinuto\n"
             "  2  arhiviranje je odbijeno, nasilno prekinuto ili arhivu nije bilo moguće zapisati\n"
             "  3  arhiva nije ispravna (provjera nakon arhiviranja, --verify ili --copy)\n"
             "  4  kopija arhive na udaljeni cilj nije poslana ili potvrđena (lokalna arhiva\n"
             "     ostaje kakva jest); --copy bez cilja ili bez arhive završava sa statusom 2\n"
             "\n"
             "Kod vraćanja: 0 sve je vraćeno, 1 neke datoteke su preskočene ili nisu vraćene,\n"
             "2 vraćanje je odbijeno.\n")},
        {CliMsg::DesktopHelp, QT_TRANSLATE_NOOP("PorukeCli", "desktop-help"),
         QStringLiteral(
             "Uporaba: arkivoda [lista]\n"
             "\n"
             "Arkivoda arhivira sve datoteke i mape s liste za arhiviranje u jednu novu ZIP arhivu,\n"
             "na klik ili jednom dnevno, i prikazuje napredak u prozoru i u području obavijesti.\n"
             "Na istoj konfiguraciji radi samo jedan program: ponovno pokretanje dovodi prozor\n"
             "koji već radi u prvi plan.\n"
             "\n"
             "  lista                 naziv zasebne konfiguracije: koriste se datoteke\n"
             "                        lista_Arkivoda.ini i lista_Arkivoda_bcklst.txt\n"
             "  -h, --help            ovaj tekst\n"
             "  --version             verzija programa\n"
             "\n"
             "Postavke i lista nalaze se u mapi $XDG_CONFIG_HOME/Arkivoda/ (obično ~/.config/Arkivoda/).\n"
             "Arhiviranje bez prozora: arkivoda-cli --help\n")},
        {CliMsg::SeeHelp, QT_TRANSLATE_NOOP("PorukeCli", "see-help"),
         QStringLiteral("Upute: arkivoda-cli --help")},
        {CliMsg::UnknownOption, QT_TRANSLATE_NOOP("PorukeCli", "unknown-option"),
         QStringLiteral("Nepoznata opcija: %1")},
        {CliMsg::ManualWithoutFile, QT_TRANSLATE_NOOP("PorukeCli", "manual-without-file"),
         QStringLiteral("Opciji --manual nedostaje naziv arhivske datoteke.")},
        {CliMsg::SurplusArgument, QT_TRANSLATE_NOOP("PorukeCli", "surplus-argument"),
         QStringLiteral("Suvišan argument: %1")},
        {CliMsg::OverwriteWithoutManual, QT_TRANSLATE_NOOP("PorukeCli", "overwrite-without-manual"),
         QStringLiteral("Opcija --overwrite vrijedi samo uz --manual.")},
        {CliMsg::ListUnreadable, QT_TRANSLATE_NOOP("PorukeCli", "list-unreadable"),
         QStringLiteral("Listu datoteka za arhiviranje nije moguće pročitati: %1")},
        {CliMsg::TargetIsFolder, QT_TRANSLATE_NOOP("PorukeCli", "target-is-folder"),
         QStringLiteral("%1 je mapa, a ne arhivska datoteka.")},
        {CliMsg::TargetNotFile, QT_TRANSLATE_NOOP("PorukeCli", "target-not-file"),
         QStringLiteral("%1 nije obična datoteka (uređaj, cijev ili utičnica); arhiviranje je odbijeno.")},
        {CliMsg::UseOverwrite, QT_TRANSLATE_NOOP("PorukeCli", "use-overwrite"),
         QStringLiteral("Za arhiviranje preko postojeće datoteke upotrijebite --overwrite.")},
        {CliMsg::FailedNotWritable, QT_TRANSLATE_NOOP("PorukeCli", "failed-not-writable"),
         QStringLiteral("Arhiviranje nije uspjelo: arhivu %1 nije moguće zapisati (%2).")},
        {CliMsg::KilledIncomplete, QT_TRANSLATE_NOOP("PorukeCli", "killed-incomplete"),
         QStringLiteral("Arhiviranje je nasilno prekinuto: arhiva %1 je nepotpuna i neispravna.")},
        {CliMsg::KilledBeforeArchive, QT_TRANSLATE_NOOP("PorukeCli", "killed-before-archive"),
         QStringLiteral("Arhiviranje je nasilno prekinuto prije izrade arhive %1.")},
        {CliMsg::FailedNotCreated, QT_TRANSLATE_NOOP("PorukeCli", "failed-not-created"),
         QStringLiteral("Arhiviranje nije uspjelo: arhiva %1 nije izrađena.")},
        // Status, total percentage, elapsed time.
        {CliMsg::ProgressTotal, QT_TRANSLATE_NOOP("PorukeCli", "progress-total"),
         QStringLiteral("%1 | ukupno %2% | %3")},
        // Status, file percentage, total percentage, elapsed time; the file's path follows.
        {CliMsg::ProgressFile, QT_TRANSLATE_NOOP("PorukeCli", "progress-file"),
         QStringLiteral("%1 %2% | ukupno %3% | %4 | ")},
        {CliMsg::VerifyWithoutFile, QT_TRANSLATE_NOOP("PorukeCli", "verify-without-file"),
         QStringLiteral("Opciji --verify nedostaje naziv arhivske datoteke.")},
        // The archive, the number of entries checked.
        {CliMsg::VerifySound, QT_TRANSLATE_N_NOOP("PorukeCli", "verify-sound"),
         QStringLiteral("Arhiva %1 je ispravna: provjereno je %2 zapisa.")},
        // The archive, the first fault found.
        {CliMsg::VerifyFault, QT_TRANSLATE_NOOP("PorukeCli", "verify-fault"),
         QStringLiteral("Arhiva %1 nije ispravna: %2")},
        // The archive, the entries checked, the entries that could not be, why the first could not be.
        {CliMsg::VerifyUnchecked, QT_TRANSLATE_N_NOOP("PorukeCli", "verify-unchecked"),
         QStringLiteral("Arhiva %1 nije provjerena do kraja: provjereno je %2 zapisa bez greške, %3 nije "
                        "moguće provjeriti: %4")},
        // The incomplete archive's file.
        {CliMsg::PartLeft, QT_TRANSLATE_NOOP("PorukeCli", "part-left"),
         QStringLiteral("Nedovršena arhiva ostala je u datoteci %1.")},
        {CliMsg::MissingValue, QT_TRANSLATE_NOOP("PorukeCli", "missing-value"),
         QStringLiteral("Opciji %1 nedostaje vrijednost.")},
        {CliMsg::RestoreWithoutTo, QT_TRANSLATE_NOOP("PorukeCli", "restore-without-to"),
         QStringLiteral("Uz --restore navedite mapu za vraćanje: --to MAPA.")},
        {CliMsg::RestoreOnlyOption, QT_TRANSLATE_NOOP("PorukeCli", "restore-only-option"),
         QStringLiteral("Opcije --to, --replace i --skip vrijede samo uz --restore.")},
        {CliMsg::ConflictingOptions, QT_TRANSLATE_NOOP("PorukeCli", "conflicting-options"),
         QStringLiteral("Opcije --manual, --verify, --list i --restore ne mogu se kombinirati, kao ni "
                        "--replace i --skip.")},
        {CliMsg::ArchiveUnreadable, QT_TRANSLATE_NOOP("PorukeCli", "archive-unreadable"),
         QStringLiteral("Arhivu %1 nije moguće otvoriti: %2")},
        {CliMsg::NoEntryMatches, QT_TRANSLATE_NOOP("PorukeCli", "no-entry-matches"),
         QStringLiteral("Nijedna stavka arhive ne odgovara zadanim uzorcima.")},
        {CliMsg::FilesExist, QT_TRANSLATE_NOOP("PorukeCli", "files-exist"),
         QStringLiteral("Vraćanje je odbijeno: ove datoteke već postoje:")},
        {CliMsg::UseReplaceOrSkip, QT_TRANSLATE_NOOP("PorukeCli", "use-replace-or-skip"),
         QStringLiteral("Upotrijebite --replace za njihovu zamjenu ili --skip za njihovo zadržavanje.")},
        // Percentage of the bytes restored, the entry being restored.
        {CliMsg::RestoreProgress, QT_TRANSLATE_NOOP("PorukeCli", "restore-progress"),
         QStringLiteral("vraćeno %1% | %2")},
        // Entry name, reason.
        {CliMsg::RestoreFailed, QT_TRANSLATE_NOOP("PorukeCli", "restore-failed"),
         QStringLiteral("nije vraćeno: %1: %2")},
        {CliMsg::RestoreSkipped, QT_TRANSLATE_NOOP("PorukeCli", "restore-skipped"),
         QStringLiteral("preskočeno (već postoji): %1")},
        {CliMsg::RestoreStopped, QT_TRANSLATE_NOOP("PorukeCli", "restore-stopped"),
         QStringLiteral("Vraćanje je prekinuto.")},
        {CliMsg::RestoreLeftovers, QT_TRANSLATE_NOOP("PorukeCli", "restore-leftovers"),
         QStringLiteral("Privremene datoteke prekinutog vraćanja ostale su u odredištu (nisu obrisane):")},
        {CliMsg::RestoreSummary, QT_TRANSLATE_NOOP("PorukeCli", "restore-summary"),
         QStringLiteral("Vraćeno datoteka: %1, preskočeno: %2, nije vraćeno: %3")},
        // The settings file.
        {CliMsg::CopyNoTarget, QT_TRANSLATE_NOOP("PorukeCli", "copy-no-target"),
         QStringLiteral("Udaljeni cilj kopija nije postavljen (Cilj u odjeljku Udaljeno datoteke %1).")},
        {CliMsg::CopyNotFile, QT_TRANSLATE_NOOP("PorukeCli", "copy-not-file"),
         QStringLiteral("%1 nije arhivska datoteka; kopija nije poslana.")},
        // The archive, the first fault found.
        {CliMsg::CopyNotSound, QT_TRANSLATE_NOOP("PorukeCli", "copy-not-sound"),
         QStringLiteral("Arhiva %1 nije ispravna (%2); kopija nije poslana.")},
        // The archive, its folder, the reason.
        {CliMsg::TargetFolderNotWritable, QT_TRANSLATE_NOOP("PorukeCli", "target-folder-not-writable"),
         QStringLiteral("Arhivu %1 nije moguće spremiti u mapu %2 (%3); arhiviranje je odbijeno.")},
        // The file to replace, its folder.
        {CliMsg::TargetNotReplaceable, QT_TRANSLATE_NOOP("PorukeCli", "target-not-replaceable"),
         QStringLiteral("Datoteku %1 nije moguće zamijeniti: pripada drugom korisniku, a u mapi %2 datoteke "
                        "smiju zamijeniti samo njihovi vlasnici; arhiviranje je odbijeno.")},
        // The ".part" file in the way.
        {CliMsg::PartExists, QT_TRANSLATE_NOOP("PorukeCli", "part-exists"),
         QStringLiteral("Datoteka %1 već postoji, a arhiva se piše pod tim nazivom dok ne bude dovršena; "
                        "premjestite je ili izbrišite pa pokušajte ponovno. Arhiviranje je odbijeno.")},
        // The archive's name, the ".part" file that holds the complete archive.
        {CliMsg::PartLeftComplete, QT_TRANSLATE_NOOP("PorukeCli", "part-left-complete"),
         QStringLiteral("Arhiva je dovršena, ali nije mogla dobiti naziv %1: cijela je u datoteci %2.")},
    };
    return table;
}

// The other two Croatian forms of the counted texts (plural messages in the modules), whose entry above
// holds the form for 0 and for 5 and up; the count is the second value.
struct CroatianCountForms
{
    CliMsg::Key key;
    QString one;
    QString few;
};

const QList<CroatianCountForms> &croatianCountForms()
{
    static const QList<CroatianCountForms> forms = {
        {CliMsg::VerifySound, QStringLiteral("Arhiva %1 je ispravna: provjeren je %2 zapis."),
         QStringLiteral("Arhiva %1 je ispravna: provjerena su %2 zapisa.")},
        {CliMsg::VerifyUnchecked,
         QStringLiteral("Arhiva %1 nije provjerena do kraja: provjeren je %2 zapis bez greške, %3 nije "
                        "moguće provjeriti: %4"),
         QStringLiteral("Arhiva %1 nije provjerena do kraja: provjerena su %2 zapisa bez greške, %3 nije "
                        "moguće provjeriti: %4")},
    };
    return forms;
}

const Entry &entry(CliMsg::Key key)
{
    for (const Entry &each : entries())
        if (each.key == key)
            return each;
    throw std::logic_error("a command-line text without an entry");
}

} // namespace

QString CliMessageTable::text(CliMsg::Key key)
{
    if (const LanguageModule *module = CurrentResourceModule())
        return module->translator().translate(context, entry(key).moduleKey);
    return croatianText(key);
}

QString CliMessageTable::text(CliMsg::Key key, qint64 count)
{
    if (const LanguageModule *module = CurrentResourceModule()) {
        // As in the program's message table: the module's rule reads the count's last digits.
        const int n = count > std::numeric_limits<int>::max() ? int(1'000'000'000 + count % 100)
                                                              : int(std::max<qint64>(count, 0));
        return module->translator().translate(context, entry(key).moduleKey, nullptr, n);
    }
    return croatianText(key, count);
}

QString CliMessageTable::croatianText(CliMsg::Key key)
{
    return entry(key).croatian;
}

QString CliMessageTable::croatianText(CliMsg::Key key, qint64 count)
{
    for (const CroatianCountForms &forms : croatianCountForms()) {
        if (forms.key != key)
            continue;
        switch (MessageTable::croatianCountForm(count)) {
        case MessageTable::CountForm::One:
            return forms.one;
        case MessageTable::CountForm::Few:
            return forms.few;
        case MessageTable::CountForm::Many:
            break;
        }
    }
    return croatianText(key);
}

const char *CliMessageTable::moduleKey(CliMsg::Key key)
{
    return entry(key).moduleKey;
}

QList<CliMsg::Key> CliMessageTable::keys()
{
    QList<CliMsg::Key> all;
    for (const Entry &each : entries())
        all << each.key;
    return all;
}
