#include "config/MessageTable.h"

#include <QHash>
#include <QTranslator>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <limits>

namespace {

std::atomic<const QTranslator *> g_languageModule{nullptr};

// The numbers are written as the keys of context "Poruke" so that lupdate takes every one of them into
// the language modules' sources; a number added here shows up there, untranslated, until it is done.
struct CroatianEntry
{
    const char *key;
    QString text;
};

const QHash<quint16, QString> &croatianTable()
{
    static const QHash<quint16, QString> table = [] {
        const CroatianEntry entries[] = {
            {QT_TRANSLATE_NOOP("Poruke", "64976"),
             QStringLiteral("Djelomično arhiviranje je izvršeno na mapi")},
            {QT_TRANSLATE_NOOP("Poruke", "64977"), QStringLiteral("Arhiviranje je izvršeno na mapi")},
            {QT_TRANSLATE_NOOP("Poruke", "64978"), QStringLiteral("Arhiva:")},
            {QT_TRANSLATE_NOOP("Poruke", "64979"), QStringLiteral("aktualna lista:")},
            {QT_TRANSLATE_NOOP("Poruke", "64992"),
             QStringLiteral(
                 "izrađujem popis datoteka i mapa za arhiviranje i provjeravam dostupnost lokacija...")},
            {QT_TRANSLATE_NOOP("Poruke", "64993"),
             QStringLiteral("finaliziram arhivu i prekidam arhiviranje...")},
            {QT_TRANSLATE_NOOP("Poruke", "64994"), QStringLiteral("arhiviram datoteku")},
            {QT_TRANSLATE_NOOP("Poruke", "64995"), QStringLiteral("Došlo je do pogreške u radu s arhivom.")},
            {QT_TRANSLATE_NOOP("Poruke", "64996"),
             QStringLiteral("preostalo vrijeme do sljedećeg automatskog arhiviranja: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "64997"),
             QStringLiteral("Arkivoda će pokrenuti automatsko arhiviranje za jednu minutu")},
            {QT_TRANSLATE_NOOP("Poruke", "64998"),
             QStringLiteral("Ne nalazim listu datoteka za arhiviranje!")},
            {QT_TRANSLATE_NOOP("Poruke", "64999"),
             QStringLiteral("Definirana arhivska mapa %s ne postoji ili je trenutno nedostupna! \r\n"
                            "Provjerite da li je dostupan uređaj na kojem se definirana mapa nalazi.")},
            {QT_TRANSLATE_NOOP("Poruke", "65000"),
             QStringLiteral(
                 "%s\r\n\r\n%s\r\n\r\nu datoteku\r\n\r\n%s\r\n\r\nBroj arhiviranih datoteka: %s\r\n"
                 "Ukupna veličina arhiviranih datoteka: %s MB\r\nVeličina arhive: %s MB\r\n"
                 "Postotak kompresije: %s\r\nTrajanje arhiviranja: %s")},
            {QT_TRANSLATE_N_NOOP("Poruke", "65001"),
             QStringLiteral(
                 "Tijekom arhiviranja %s datoteka ili mapa je\r\nbilo nedostupno iz nekog razloga!")},
            {QT_TRANSLATE_NOOP("Poruke", "65002"),
             QStringLiteral("Datoteka %s u odabranoj mapi već postoji!\r\n\r\n"
                            "Da li želite napraviti arhiviranje preko postojeće datoteke?")},
            {QT_TRANSLATE_NOOP("Poruke", "65003"),
             QStringLiteral("Ne nalazim listu datoteka za arhiviranje")},
            {QT_TRANSLATE_NOOP("Poruke", "65004"), QStringLiteral("Arhiviranje je završeno u arhivu")},
            {QT_TRANSLATE_NOOP("Poruke", "65005"), QStringLiteral("finaliziram arhivu...")},
            {QT_TRANSLATE_NOOP("Poruke", "65006"),
             QStringLiteral("arhiviranje je prekinuto, izrađena je djelomična arhiva")},
            {QT_TRANSLATE_NOOP("Poruke", "65007"), QStringLiteral("arhiviranje je završeno")},
            {QT_TRANSLATE_NOOP("Poruke", "65008"), QStringLiteral("Info")},
            {QT_TRANSLATE_NOOP("Poruke", "65009"), QStringLiteral("Odluka")},
            {QT_TRANSLATE_NOOP("Poruke", "65010"), QStringLiteral("DA")},
            {QT_TRANSLATE_NOOP("Poruke", "65011"), QStringLiteral("NE")},
            {QT_TRANSLATE_NOOP("Poruke", "65012"), QStringLiteral("U redu")},
            {QT_TRANSLATE_NOOP("Poruke", "65013"), QStringLiteral("Odustani")},
            {QT_TRANSLATE_NOOP("Poruke", "65014"), QStringLiteral("Izbriši")},
            {QT_TRANSLATE_NOOP("Poruke", "65015"), QStringLiteral("čekam...")},
            {QT_TRANSLATE_NOOP("Poruke", "65016"), QStringLiteral("%s - aktualna lista: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65017"),
             QStringLiteral("Arhivska datoteka (više) ne postoji ili trenutno nije dostupna!\r\n"
                            "Provjerite da li je dostupan uređaj na kojem se arhivska datoteka nalazi.")},
            {QT_TRANSLATE_NOOP("Poruke", "65018"),
             QStringLiteral("Arhivska datoteka (više) ne postoji ili trenutno nije dostupna!\r\n"
                            "Provjerite da li je dostupan uređaj na kojem se arhivska datoteka nalazi.")},
            {QT_TRANSLATE_NOOP("Poruke", "65019"),
             QStringLiteral("finaliziram arhivu i prekidam arhiviranje...")},
            {QT_TRANSLATE_NOOP("Poruke", "65020"),
             QStringLiteral("Arhiviranje je pauzirano. Pritisnite U redu za nastavak...")},
            {QT_TRANSLATE_NOOP("Poruke", "65021"), QStringLiteral("proteklo vrijeme arhiviranja:")},
            {QT_TRANSLATE_NOOP("Poruke", "65022"),
             QStringLiteral(
                 "Molim potvrdite da želite nasilno prekinuti proces arhiviranja. To će rezultirati "
                 "neispravnom datotekom arhive. Također se može pojaviti i poruka sistemske greške.")},
            {QT_TRANSLATE_NOOP("Poruke", "65023"), QStringLiteral("nasilno prekidam arhiviranje...")},
            {QT_TRANSLATE_NOOP("Poruke", "65024"), QStringLiteral("%s - aktualna lista: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65025"),
             QStringLiteral("Datoteka ili mapa ne postoji!\r\n\r\n"
                            "Provjerite da li je dostupan uređaj na kojem se datoteka ili mapa nalazi.")},
            {QT_TRANSLATE_NOOP("Poruke", "65026"), QStringLiteral("Odabir mape arhiva")},
            {QT_TRANSLATE_NOOP("Poruke", "65027"), QStringLiteral("Odabir")},
            {QT_TRANSLATE_NOOP("Poruke", "65028"),
             QStringLiteral("Datoteka s popisom datoteka i mapa za arhiviranje ne postoji!")},
            {QT_TRANSLATE_NOOP("Poruke", "65029"),
             QStringLiteral(
                 "Potvrdite brisanje zapisa\r\n\r\n%s\r\n\r\ns liste datoteka i mapa za arhiviranje...")},
            {QT_TRANSLATE_NOOP("Poruke", "65030"),
             QStringLiteral("Dodavanje mapa za arhiviranje (moguć odabir više mapa odjednom)")},
            {QT_TRANSLATE_NOOP("Poruke", "65031"), QStringLiteral("Dodaj...")},
            {QT_TRANSLATE_NOOP("Poruke", "65032"), QStringLiteral("Dodavanje mapa za arhiviranje")},
            {QT_TRANSLATE_NOOP("Poruke", "65033"),
             QStringLiteral(
                 "lista datoteka i mapa koje nisu nađene ili nisu bile dostupne tijekom arhiviranja")},
            {QT_TRANSLATE_NOOP("Poruke", "65034"), QStringLiteral("Preostalo vrijeme do")},
            {QT_TRANSLATE_NOOP("Poruke", "65035"), QStringLiteral("zatvaranja programa")},
            {QT_TRANSLATE_NOOP("Poruke", "65036"), QStringLiteral("odjave korisnika")},
            {QT_TRANSLATE_NOOP("Poruke", "65037"), QStringLiteral("gašenja računala")},
            {QT_TRANSLATE_NOOP("Poruke", "65038"), QStringLiteral("Upozorenje")},
            {QT_TRANSLATE_NOOP("Poruke", "65039"), QStringLiteral("Greška")},
            {QT_TRANSLATE_NOOP("Poruke", "65047"),
             QStringLiteral(
                 "Problem sa spajanjem na web stranicu programa!\r\n"
                 "Trenutno ne mogu utvrditi postoji li novija verzija.\r\nMolim pokušajte kasnije.")},
            {QT_TRANSLATE_NOOP("Poruke", "65048"),
             QStringLiteral("Pronađena je novija verzija programa.\r\n\r\nAktualna verzija: %s\r\n"
                            "Verzija na poslužitelju: %s\r\n\r\n"
                            "Da li želite posjetiti web stranicu da skinete najnoviju verziju?")},
            {QT_TRANSLATE_NOOP("Poruke", "65049"),
             QStringLiteral("Koristite zadnju aktualnu verziju programa.")},
            {QT_TRANSLATE_NOOP("Poruke", "65050"), QStringLiteral("o programu")},
            {QT_TRANSLATE_NOOP("Poruke", "65051"), QStringLiteral("čekam...")},
            {QT_TRANSLATE_NOOP("Poruke", "65052"),
             QStringLiteral("Lista datoteka i mapa za arhiviranje je prazna!\r\n\r\n"
                            "Dodajte barem jednu datoteku ili mapu na listu.")},
            {QT_TRANSLATE_NOOP("Poruke", "65053"),
             QStringLiteral("Definirana mapa arhiva ne postoji!\r\n\r\n"
                            "Provjerite da li postoji mapa na definiranoj putanji,\r\n"
                            "odn. da li je dostupan uređaj na koji izvodite arhiviranje\r\n"
                            "ukoliko se radi o vanjskom disku ili mrežnoj mapi!")},
            {QT_TRANSLATE_NOOP("Poruke", "65054"), QStringLiteral("Upišite prefiks arhivskih datoteka!")},
            {QT_TRANSLATE_NOOP("Poruke", "65055"), QStringLiteral("postavke programa")},
            {QT_TRANSLATE_NOOP("Poruke", "65056"),
             QStringLiteral("Prefiks arhivskih datoteka ne smije sadržavati znak \"/\" niti se sastojati "
                            "samo od točaka!")},
            {QT_TRANSLATE_NOOP("Poruke", "65057"),
             QStringLiteral("%s (naziv u arhivi bio bi dulji od 65.535 bajtova)")},
            {QT_TRANSLATE_NOOP("Poruke", "65058"), QStringLiteral(" (vraćeno)")},
            {QT_TRANSLATE_NOOP("Poruke", "65059"),
             QStringLiteral("Datoteka %s već postoji.\r\nŽelite li je zamijeniti vraćenom, preskočiti ili "
                            "zadržati obje?")},
            {QT_TRANSLATE_NOOP("Poruke", "65060"), QStringLiteral("Zamijeni")},
            {QT_TRANSLATE_NOOP("Poruke", "65061"), QStringLiteral("Preskoči")},
            {QT_TRANSLATE_NOOP("Poruke", "65062"), QStringLiteral("Zadrži oboje")},
            {QT_TRANSLATE_NOOP("Poruke", "65063"), QStringLiteral("Zamijeni za sve")},
            {QT_TRANSLATE_NOOP("Poruke", "65064"), QStringLiteral("Preskoči za sve")},
            {QT_TRANSLATE_NOOP("Poruke", "65065"), QStringLiteral("Zadrži oboje za sve")},
            {QT_TRANSLATE_NOOP("Poruke", "65066"),
             QStringLiteral("Vraćeno datoteka: %s\r\nPreskočeno datoteka: %s\r\nNeuspjelo: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65067"), QStringLiteral("Nije vraćeno:")},
            {QT_TRANSLATE_NOOP("Poruke", "65068"), QStringLiteral("vraćam datoteku %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65069"), QStringLiteral("vraćanje datoteka je prekinuto")},
            {QT_TRANSLATE_NOOP("Poruke", "65070"), QStringLiteral("vraćanje datoteka je završeno")},
            {QT_TRANSLATE_NOOP("Poruke", "65071"), QStringLiteral("Odabir mape za vraćanje datoteka")},
            {QT_TRANSLATE_NOOP("Poruke", "65072"), QStringLiteral("Otvaranje arhive")},
            {QT_TRANSLATE_NOOP("Poruke", "65073"), QStringLiteral("ZIP arhiva (*.zip)")},
            {QT_TRANSLATE_NOOP("Poruke", "65074"), QStringLiteral("Arhivu %s nije moguće otvoriti:\r\n%s")},
            {QT_TRANSLATE_NOOP("Poruke", "65075"),
             QStringLiteral("Odaberite datoteke ili mape koje želite vratiti.")},
            {QT_TRANSLATE_N_NOOP("Poruke", "65076"), QStringLiteral("arhiva %s: %s stavki")},
            {QT_TRANSLATE_NOOP("Poruke", "65077"), QStringLiteral("prekidam vraćanje datoteka...")},
            {QT_TRANSLATE_NOOP("Poruke", "65078"),
             QStringLiteral("pod istim je nazivom već vraćen drugi zapis arhive")},
            {QT_TRANSLATE_NOOP("Poruke", "65079"),
             QStringLiteral("U odredišnim mapama ostale su privremene datoteke prekinutog vraćanja (nisu "
                            "obrisane):")},
            {QT_TRANSLATE_NOOP("Poruke", "65080"),
             QStringLiteral("Datoteku %s upravo mijenja drugi proces Arkivode i ni nakon %s s čekanja nije "
                            "slobodna; promjena nije spremljena.")},
            {QT_TRANSLATE_NOOP("Poruke", "65110"), QStringLiteral("provjeravam arhivu... %s%")},
            {QT_TRANSLATE_NOOP("Poruke", "65111"), QStringLiteral("Arhiva je provjerena: ispravna")},
            {QT_TRANSLATE_NOOP("Poruke", "65112"), QStringLiteral("Arhiva nije ispravna: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65113"),
             QStringLiteral("Arhiva nije provjerena: provjera je prekinuta.")},
            {QT_TRANSLATE_NOOP("Poruke", "65114"),
             QStringLiteral("U mapi arhiva ostale su nedovršene arhive ranijih pokretanja (nisu obrisane):")},
            {QT_TRANSLATE_NOOP("Poruke", "65115"),
             QStringLiteral("u mapi arhiva ima nedovršenih arhiva: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65116"),
             QStringLiteral("Obrisane su starije arhive ove konfiguracije:")},
            {QT_TRANSLATE_NOOP("Poruke", "65117"), QStringLiteral("Stariju arhivu nije moguće obrisati: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65118"),
             QStringLiteral("Izostavljeno po izuzecima i mapi arhiva: %s, %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65119"),
             QStringLiteral("Starije arhive nisu obrisane jer ova arhiva nije provjerena.")},
            {QT_TRANSLATE_NOOP("Poruke", "65120"),
             QStringLiteral("Starije arhive nisu obrisane jer neke datoteke ili mape nisu bile dostupne.")},
            {QT_TRANSLATE_NOOP("Poruke", "65121"),
             QStringLiteral("Arhive s datumom nakon ovog arhiviranja (nisu brojane ni obrisane; provjerite "
                            "sat računala):")},
            {QT_TRANSLATE_N_NOOP("Poruke", "65122"),
             QStringLiteral(
                 "Nepotpuno arhiviranje (%s datoteka ili mapa nije bilo dostupno) je izvršeno na mapi")},
            {QT_TRANSLATE_NOOP("Poruke", "65123"),
             QStringLiteral("Arhiviranje je prekinuto; djelomična arhiva spremljena je u")},
            {QT_TRANSLATE_N_NOOP("Poruke", "65124"),
             QStringLiteral("Arhiviranje je završeno bez %s nedostupnih datoteka ili mapa u arhivu")},
            {QT_TRANSLATE_NOOP("Poruke", "65159"),
             QStringLiteral(
                 "Zapis zadnjeg automatskog arhiviranja (Timer/Zadnje=%s) nije ispravan i zanemaren je.")},
            {QT_TRANSLATE_NOOP("Poruke", "65160"),
             QStringLiteral("Propušteno dnevno arhiviranje u %s pokreće se sada")},
            {QT_TRANSLATE_NOOP("Poruke", "65161"), QStringLiteral("Zadnje uspješno arhiviranje: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65162"), QStringLiteral("danas")},
            {QT_TRANSLATE_NOOP("Poruke", "65163"), QStringLiteral("jučer")},
            {QT_TRANSLATE_NOOP("Poruke", "65164"), QStringLiteral("prije %s dana")},
            {QT_TRANSLATE_NOOP("Poruke", "65165"), QStringLiteral("prije %s dan")},
            {QT_TRANSLATE_NOOP("Poruke", "65166"), QStringLiteral("još nijedno")},
            {QT_TRANSLATE_NOOP("Poruke", "65167"), QStringLiteral("Arhiviranje kasni! %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65100"),
             QStringLiteral("Sustav nije prihvatio zahtjev za gašenje računala:\r\n%s")},
            {QT_TRANSLATE_NOOP("Poruke", "65101"),
             QStringLiteral("Sustav nije prihvatio zahtjev za odjavu korisnika:\r\n%s")},
            {QT_TRANSLATE_NOOP("Poruke", "65102"),
             QStringLiteral("upravitelj sesija (systemd-logind) nije dostupan.")},
            {QT_TRANSLATE_NOOP("Poruke", "65103"), QStringLiteral("Arhiviranje u tijeku")},
            {QT_TRANSLATE_NOOP("Poruke", "65140"), QStringLiteral("Ne mogu zapisati datoteku %s.")},
            {QT_TRANSLATE_NOOP("Poruke", "65141"), QStringLiteral("Ne mogu pročitati datoteku %s.")},
            {QT_TRANSLATE_NOOP("Poruke", "65142"),
             QStringLiteral(
                 "Ne mogu otvoriti mapu %s.\r\n\r\nNa računalu nije pronađen upravitelj datotekama.")},
            {QT_TRANSLATE_NOOP("Poruke", "65143"), QStringLiteral("Otvori mapu")},
            {QT_TRANSLATE_NOOP("Poruke", "65144"),
             QStringLiteral("Ne mogu napraviti mapu postavki %s, pa se postavke ne mogu spremiti (%s).")},
            {QT_TRANSLATE_NOOP("Poruke", "65180"), QStringLiteral("šaljem kopiju na %s … %s %")},
            {QT_TRANSLATE_NOOP("Poruke", "65181"), QStringLiteral("Kopija je poslana i provjerena: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65182"), QStringLiteral("Kopija nije poslana na %s: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65183"), QStringLiteral("slanje je prekinuto")},
            {QT_TRANSLATE_NOOP("Poruke", "65184"),
             QStringLiteral("rclone nije instaliran (instalirajte paket rclone)")},
            {QT_TRANSLATE_NOOP("Poruke", "65185"),
             QStringLiteral("kopija na odredištu ne odgovara arhivi (%s)")},
            {QT_TRANSLATE_NOOP("Poruke", "65186"), QStringLiteral("rclone nije završio u %s s")},
            {QT_TRANSLATE_NOOP("Poruke", "65187"), QStringLiteral("rclone je završio s greškom %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65188"),
             QStringLiteral("Obrisane starije kopije na odredištu: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65189"),
             QStringLiteral("Starije kopije na odredištu nije bilo moguće obrisati: %s")},
            {QT_TRANSLATE_N_NOOP("Poruke", "65190"), QStringLiteral("Veza radi: %s sadrži mapa: %s.")},
            {QT_TRANSLATE_NOOP("Poruke", "65191"),
             QStringLiteral("Veza radi, ali mapa %s još ne postoji; nastat će pri prvoj kopiji.")},
            {QT_TRANSLATE_NOOP("Poruke", "65192"), QStringLiteral("Veza s %s nije uspjela: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65193"),
             QStringLiteral("rclone nije instaliran: kopije se ne šalju dok se ne instalira paket rclone.")},
            {QT_TRANSLATE_NOOP("Poruke", "65194"), QStringLiteral("provjeravam vezu...")},
            {QT_TRANSLATE_NOOP("Poruke", "65195"), QStringLiteral("prekidam slanje kopije...")},
            {QT_TRANSLATE_NOOP("Poruke", "65196"),
             QStringLiteral("Kopije na odredištu s datumom nakon ove arhive (nisu brojane ni obrisane): %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65197"),
             QStringLiteral(
                 "odredište nije ni udaljeni cilj oblika udaljeni:putanja ni apsolutna putanja mape")},
            {QT_TRANSLATE_NOOP("Poruke", "65198"),
             QStringLiteral("rclone ne poznaje udaljeni cilj %s (rclone listremotes)")},
            {QT_TRANSLATE_NOOP("Poruke", "65199"),
             QStringLiteral("Odredište kopije %s nije prihvatljivo: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65260"), QStringLiteral("%s (nije pročitano: %s)")},
            {QT_TRANSLATE_NOOP("Poruke", "65261"), QStringLiteral("pristup odbijen")},
            {QT_TRANSLATE_NOOP("Poruke", "65262"), QStringLiteral("ne postoji")},
            {QT_TRANSLATE_NOOP("Poruke", "65263"), QStringLiteral("već postoji")},
            {QT_TRANSLATE_NOOP("Poruke", "65264"), QStringLiteral("datotečni sustav je samo za čitanje")},
            {QT_TRANSLATE_NOOP("Poruke", "65265"), QStringLiteral("pogreška ulaza/izlaza")},
            {QT_TRANSLATE_NOOP("Poruke", "65266"), QStringLiteral("previše razina simboličkih poveznica")},
            {QT_TRANSLATE_NOOP("Poruke", "65267"), QStringLiteral("naziv je predug")},
            {QT_TRANSLATE_NOOP("Poruke", "65268"), QStringLiteral("previše otvorenih datoteka")},
            {QT_TRANSLATE_NOOP("Poruke", "65269"), QStringLiteral("nedovoljno memorije")},
            {QT_TRANSLATE_NOOP("Poruke", "65270"), QStringLiteral("promijenilo se tijekom čitanja")},
            {QT_TRANSLATE_NOOP("Poruke", "65271"), QStringLiteral("pogreška sustava %s")},
            {QT_TRANSLATE_N_NOOP("Poruke", "65390"), QStringLiteral("%s datoteka")},
            {QT_TRANSLATE_N_NOOP("Poruke", "65391"), QStringLiteral("%s mapa")},
            {QT_TRANSLATE_NOOP("Poruke", "65360"),
             QStringLiteral("vraćanje datoteka je završeno s pogreškama, neuspjelo: %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65361"), QStringLiteral("arhiva %s više nije dostupna")},
            {QT_TRANSLATE_N_NOOP("Poruke", "65362"), QStringLiteral("%s bajtova")},
            {QT_TRANSLATE_NOOP("Poruke", "65300"),
             QStringLiteral(
                 "arhiva je oštećena ili nepotpuna (nema završnog zapisa središnjeg direktorija)")},
            {QT_TRANSLATE_NOOP("Poruke", "65301"), QStringLiteral("oštećen središnji direktorij arhive")},
            {QT_TRANSLATE_NOOP("Poruke", "65302"), QStringLiteral("oštećeni ZIP64 završni zapisi arhive")},
            {QT_TRANSLATE_NOOP("Poruke", "65303"), QStringLiteral("stavke arhive se preklapaju")},
            {QT_TRANSLATE_NOOP("Poruke", "65304"), QStringLiteral("oštećeno lokalno zaglavlje stavke")},
            {QT_TRANSLATE_NOOP("Poruke", "65305"),
             QStringLiteral("lokalno zaglavlje stavke ne odgovara središnjem direktoriju")},
            {QT_TRANSLATE_NOOP("Poruke", "65306"),
             QStringLiteral("lokalni naziv stavke razlikuje se od naziva u središnjem direktoriju")},
            {QT_TRANSLATE_NOOP("Poruke", "65307"),
             QStringLiteral("nepoznata verzija potrebna za raspakiravanje (%s)")},
            {QT_TRANSLATE_NOOP("Poruke", "65308"), QStringLiteral("oštećeno dodatno polje zaglavlja")},
            {QT_TRANSLATE_NOOP("Poruke", "65309"), QStringLiteral("CRC-32 se ne podudara")},
            {QT_TRANSLATE_NOOP("Poruke", "65310"), QStringLiteral("veličina se ne podudara")},
            {QT_TRANSLATE_NOOP("Poruke", "65311"), QStringLiteral("komprimirani podaci završavaju prerano")},
            {QT_TRANSLATE_NOOP("Poruke", "65312"), QStringLiteral("komprimirani podaci su oštećeni")},
            {QT_TRANSLATE_NOOP("Poruke", "65313"), QStringLiteral("stavka bez naziva sadrži podatke")},
            {QT_TRANSLATE_NOOP("Poruke", "65314"), QStringLiteral("šifrirane stavke nisu podržane")},
            {QT_TRANSLATE_NOOP("Poruke", "65315"),
             QStringLiteral("šifrirano: ne može se provjeriti bez lozinke")},
            {QT_TRANSLATE_NOOP("Poruke", "65316"), QStringLiteral("nepodržana metoda kompresije %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65317"),
             QStringLiteral("ne može se provjeriti: metoda kompresije %s")},
            {QT_TRANSLATE_NOOP("Poruke", "65318"),
             QStringLiteral("ne može se provjeriti: LZMA rječnik od %s MiB")},
            {QT_TRANSLATE_NOOP("Poruke", "65319"),
             QStringLiteral("stavka je prevelika za čitanje u memoriju")},
            {QT_TRANSLATE_NOOP("Poruke", "65320"), QStringLiteral("stavka nije u arhivi")},
            {QT_TRANSLATE_NOOP("Poruke", "65321"), QStringLiteral("nesiguran naziv u arhivi")},
            {QT_TRANSLATE_NOOP("Poruke", "65322"), QStringLiteral("poveznice se ne raspakiravaju")},
            {QT_TRANSLATE_NOOP("Poruke", "65323"), QStringLiteral("posebne datoteke se ne raspakiravaju")},
            {QT_TRANSLATE_NOOP("Poruke", "65324"), QStringLiteral("nije obična datoteka")},
            {QT_TRANSLATE_NOOP("Poruke", "65325"), QStringLiteral("arhiva se ne može pročitati do kraja")},
            {QT_TRANSLATE_NOOP("Poruke", "65326"), QStringLiteral("arhiva se ne može zapisati")},
            {QT_TRANSLATE_NOOP("Poruke", "65327"), QStringLiteral("naziv stavke dulji je od 65535 bajtova")},
            {QT_TRANSLATE_NOOP("Poruke", "65328"), QStringLiteral("kompresija nije uspjela")},
            {QT_TRANSLATE_NOOP("Poruke", "65329"), QStringLiteral("kompresija je zaustavljena")},
            {QT_TRANSLATE_NOOP("Poruke", "65330"), QStringLiteral("unutarnja pogreška programa")},
            {QT_TRANSLATE_NOOP("Poruke", "65331"), QStringLiteral("nema mjesta na disku")},
            {QT_TRANSLATE_NOOP("Poruke", "65332"), QStringLiteral("datoteka je prevelika")},
            {QT_TRANSLATE_NOOP("Poruke", "65333"), QStringLiteral("prekoračena je kvota diska")},
            {QT_TRANSLATE_NOOP("Poruke", "65334"),
             QStringLiteral("arhiva ima manje stavaka nego što je odabrano")},
        };
        QHash<quint16, QString> byNumber;
        for (const CroatianEntry &entry : entries)
            byNumber.insert(QByteArray(entry.key).toUShort(), entry.text);
        return byNumber;
    }();
    return table;
}

// The counted messages (marked for lupdate with QT_TRANSLATE_N_NOOP, plural messages in the modules)
// hold the Croatian form for 0 and for 5 and up in the table above; here are their other two forms.
struct CroatianCountForms
{
    QString one; // 1, 21, 31, ... but not 11
    QString few; // 2-4, 22-24, ... but not 12-14
};

const QHash<quint16, CroatianCountForms> &croatianCountForms()
{
    static const QHash<quint16, CroatianCountForms> forms = {
        {Msg::WarningSourcesMissing,
         {QStringLiteral("Tijekom arhiviranja %s datoteka ili mapa je\r\nbila nedostupna iz nekog razloga!"),
          QStringLiteral(
              "Tijekom arhiviranja %s datoteke ili mape su\r\nbile nedostupne iz nekog razloga!")}},
        {Msg::StatusArchiveOpened,
         {QStringLiteral("arhiva %s: %s stavka"), QStringLiteral("arhiva %s: %s stavke")}},
        {Msg::HeadlineMissing,
         {QStringLiteral(
              "Nepotpuno arhiviranje (%s datoteka ili mapa nije bila dostupna) je izvršeno na mapi"),
          QStringLiteral(
              "Nepotpuno arhiviranje (%s datoteke ili mape nisu bile dostupne) je izvršeno na mapi")}},
        {Msg::BalloonRunMissing,
         {QStringLiteral("Arhiviranje je završeno bez %s nedostupne datoteke ili mape u arhivu"),
          QStringLiteral("Arhiviranje je završeno bez %s nedostupne datoteke ili mape u arhivu")}},
        {Msg::CheckConnectionFound,
         {QStringLiteral("Veza radi: %s sadrži mapa: %s."),
          QStringLiteral("Veza radi: %s sadrži mapa: %s.")}},
        {Msg::CountFiles, {QStringLiteral("%s datoteka"), QStringLiteral("%s datoteke")}},
        {Msg::CountFolders, {QStringLiteral("%s mapa"), QStringLiteral("%s mape")}},
        {Msg::CountBytes, {QStringLiteral("%s bajt"), QStringLiteral("%s bajta")}},
    };
    return forms;
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

QString MessageTable::text(quint16 number, qint64 count)
{
    if (const QTranslator *module = g_languageModule.load()) {
        const QByteArray key = QByteArray::number(number);
        // The module picks the form by its own language's rule, which reads a count's last digits: a
        // count beyond an int keeps its last two. A negative count would pick no form at all.
        const int n = count > std::numeric_limits<int>::max() ? int(1'000'000'000 + count % 100)
                                                              : int(std::max<qint64>(count, 0));
        return module->translate("Poruke", key.constData(), nullptr, n);
    }
    return croatianText(number, count);
}

QString MessageTable::croatianText(quint16 number, qint64 count)
{
    const auto forms = croatianCountForms().constFind(number);
    if (forms == croatianCountForms().constEnd())
        return croatianText(number);
    switch (croatianCountForm(count)) {
    case CountForm::One:
        return forms->one;
    case CountForm::Few:
        return forms->few;
    case CountForm::Many:
        break;
    }
    return croatianText(number);
}

MessageTable::CountForm MessageTable::croatianCountForm(qint64 count)
{
    const qint64 units = std::abs(count) % 10;
    const qint64 tensAndUnits = std::abs(count) % 100;
    if (units == 1 && tensAndUnits != 11)
        return CountForm::One;
    if (units >= 2 && units <= 4 && (tensAndUnits < 12 || tensAndUnits > 14))
        return CountForm::Few;
    return CountForm::Many;
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
