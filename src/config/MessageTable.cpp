#include "config/MessageTable.h"

#include <QHash>
#include <QTranslator>

#include <atomic>

namespace {

std::atomic<const QTranslator *> g_languageModule{nullptr};

const QHash<quint16, QString> &croatianTable()
{
    static const QHash<quint16, QString> table = {
        {64976, QStringLiteral("Djelomično arhiviranje je izvršeno na mapi")},
        {64977, QStringLiteral("Arhiviranje je izvršeno na mapi")},
        {64978, QStringLiteral("Arhiva:")},
        {64979, QStringLiteral("aktualna lista:")},
        {64992, QStringLiteral(
                    "izrađujem popis datoteka i mapa za arhiviranje i provjeravam dostupnost lokacija...")},
        {64993, QStringLiteral("finaliziram arhivu i prekidam arhiviranje...")},
        {64994, QStringLiteral("arhiviram datoteku")},
        {64995, QStringLiteral("Došlo je do pogreške u radu s arhivom.")},
        {64996, QStringLiteral("preostalo vrijeme do sljedećeg automatskog arhiviranja: %s")},
        {64997, QStringLiteral("Arkivoda će pokrenuti automatsko arhiviranje za jednu minutu")},
        {64998, QStringLiteral("Ne nalazim listu datoteka za arhiviranje!")},
        {64999, QStringLiteral("Definirana arhivska mapa %s ne postoji ili je trenutno nedostupna! \r\n"
                               "Provjerite da li je dostupan uređaj na kojem se definirana mapa nalazi.")},
        {65000,
         QStringLiteral("%s\r\n\r\n%s\r\n\r\nu datoteku\r\n\r\n%s\r\n\r\nBroj arhiviranih datoteka: %s\r\n"
                        "Ukupna veličina arhiviranih datoteka: %s MB\r\nVeličina arhive: %s MB\r\n"
                        "Postotak kompresije: %s\r\nTrajanje arhiviranja: %s")},
        {65001,
         QStringLiteral("Tijekom arhiviranja %s datoteka ili mapa je\r\nbilo nedostupno iz nekog razloga!")},
        {65002, QStringLiteral("Datoteka %s u odabranoj mapi već postoji!\r\n\r\n"
                               "Da li želite napraviti arhiviranje preko postojeće datoteke?")},
        {65003, QStringLiteral("Ne nalazim listu datoteka za arhiviranje")},
        {65004, QStringLiteral("Arhiviranje je završeno u arhivu")},
        {65005, QStringLiteral("finaliziram arhivu...")},
        {65006, QStringLiteral("arhiviranje je prekinuto, izrađena je djelomična arhiva")},
        {65007, QStringLiteral("arhiviranje je završeno")},
        {65008, QStringLiteral("Info")},
        {65009, QStringLiteral("Odluka")},
        {65010, QStringLiteral("DA")},
        {65011, QStringLiteral("NE")},
        {65012, QStringLiteral("U redu")},
        {65013, QStringLiteral("Odustani")},
        {65014, QStringLiteral("Izbriši")},
        {65015, QStringLiteral("čekam...")},
        {65016, QStringLiteral("%s - aktualna lista: %s")},
        {65017, QStringLiteral("Arhivska datoteka (više) ne postoji ili trenutno nije dostupna!\r\n"
                               "Provjerite da li je dostupan uređaj na kojem se arhivska datoteka nalazi.")},
        {65018, QStringLiteral("Arhivska datoteka (više) ne postoji ili trenutno nije dostupna!\r\n"
                               "Provjerite da li je dostupan uređaj na kojem se arhivska datoteka nalazi.")},
        {65019, QStringLiteral("finaliziram arhivu i prekidam arhiviranje...")},
        {65020, QStringLiteral("Arhiviranje je pauzirano. Pritisnite tipku OK za nastavak...")},
        {65021, QStringLiteral("proteklo vrijeme arhiviranja:")},
        {65022,
         QStringLiteral("Molim potvrdite da želite nasilno prekinuti proces arhiviranja. To će rezultirati "
                        "neispravnom datotekom arhive. Također se može pojaviti i poruka sistemske greške.")},
        {65023, QStringLiteral("nasilno prekidam arhiviranje...")},
        {65024, QStringLiteral("%s - aktualna lista: %s")},
        {65025, QStringLiteral("Datoteka ili mapa ne postoji!\r\n\r\n"
                               "Provjerite da li je dostupan uređaj na kojem se datoteka ili mapa nalazi.")},
        {65026, QStringLiteral("Odabir mape arhiva")},
        {65027, QStringLiteral("Odabir")},
        {65028, QStringLiteral("Datoteka s popisom datoteka i mapa za arhiviranje ne postoji!")},
        {65029, QStringLiteral(
                    "Potvrdite brisanje zapisa\r\n\r\n%s\r\n\r\ns liste datoteka i mapa za arhiviranje...")},
        {65030, QStringLiteral("Dodavanje mapa za arhiviranje (moguć odabir više mapa odjednom)")},
        {65031, QStringLiteral("Dodaj...")},
        {65032, QStringLiteral("Dodavanje mapa za arhiviranje")},
        {65033,
         QStringLiteral("lista datoteka i mapa koje nisu nađene ili nisu bile dostupne tijekom arhiviranja")},
        {65034, QStringLiteral("Preostalo vrijeme do")},
        {65035, QStringLiteral("zatvaranja programa")},
        {65036, QStringLiteral("odjave korisnika")},
        {65037, QStringLiteral("gašenja računala")},
        {65038, QStringLiteral("Upozorenje")},
        {65039, QStringLiteral("Greška")},
        {65047,
         QStringLiteral("Problem sa spajanjem na web stranicu programa!\r\n"
                        "Trenutno ne mogu utvrditi postoji li novija verzija.\r\nMolim pokušajte kasnije.")},
        {65048, QStringLiteral("Pronađena je novija verzija programa.\r\n\r\nAktualna verzija: %s\r\n"
                               "Verzija na poslužitelju: %s\r\n\r\n"
                               "Da li želite posjetiti web stranicu da skinete najnoviju verziju?")},
        {65049, QStringLiteral("Koristite zadnju aktualnu verziju programa.")},
        {65050, QStringLiteral("o programu")},
        {65051, QStringLiteral("čekam...")},
        {65052, QStringLiteral("Lista datoteka i mapa za arhiviranje je prazna!\r\n\r\n"
                               "Dodajte barem jednu datoteku ili mapu na listu.")},
        {65053, QStringLiteral("Definirana mapa arhiva ne postoji!\r\n\r\n"
                               "Provjerite da li postoji mapa na definiranoj putanji,\r\n"
                               "odn. da li je dostupan uređaj na koji izvodite arhiviranje\r\n"
                               "ukoliko se radi o vanjskom disku ili mrežnoj mapi!")},
        {65054, QStringLiteral("Upišite prefiks arhivskih datoteka!")},
        {65055, QStringLiteral("postavke programa")},
    };
    return table;
}

} // namespace

QString MessageTable::text(quint16 number)
{
    if (const QTranslator *module = g_languageModule.load()) {
        // A number the module lacks reads as empty text, as with a resource string table.
        const QByteArray key = QByteArray::number(number);
        return module->translate("Poruke", key.constData());
    }
    return croatianText(number);
}

QString MessageTable::croatianText(quint16 number)
{
    return croatianTable().value(number);
}

bool MessageTable::contains(quint16 number)
{
    return croatianTable().contains(number);
}

QString MessageTable::fill(const QString &pattern, const QStringList &values)
{
    static const QString placeholder = QStringLiteral("%s");
    QString result;
    result.reserve(pattern.size());
    qsizetype from = 0;
    for (const QString &value : values) {
        const qsizetype at = pattern.indexOf(placeholder, from);
        if (at < 0)
            break;
        result += QStringView(pattern).mid(from, at - from);
        result += value;
        from = at + placeholder.size();
    }
    result += QStringView(pattern).mid(from);
    return result;
}

void MessageTable::setLanguageModule(const QTranslator *module)
{
    g_languageModule.store(module);
}
