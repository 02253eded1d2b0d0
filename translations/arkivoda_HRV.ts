<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="hr_HR" sourcelanguage="hr_HR">
<context>
    <name>Poruke</name>
    <message>
        <source>64976</source>
        <translation>Djelomično arhiviranje je izvršeno na mapi</translation>
    </message>
    <message>
        <source>64977</source>
        <translation>Arhiviranje je izvršeno na mapi</translation>
    </message>
    <message>
        <source>64978</source>
        <translation>Arhiva:</translation>
    </message>
    <message>
        <source>64979</source>
        <translation>aktualna lista:</translation>
    </message>
    <message>
        <source>64992</source>
        <translation>izrađujem popis datoteka i mapa za arhiviranje i provjeravam dostupnost lokacija...</translation>
    </message>
    <message>
        <source>64993</source>
        <translation>finaliziram arhivu i prekidam arhiviranje...</translation>
    </message>
    <message>
        <source>64994</source>
        <translation>arhiviram datoteku</translation>
    </message>
    <message>
        <source>64995</source>
        <translation>Došlo je do pogreške u radu s arhivom.</translation>
    </message>
    <message>
        <source>64996</source>
        <translation>preostalo vrijeme do sljedećeg automatskog arhiviranja: %s</translation>
    </message>
    <message>
        <source>64997</source>
        <translation>Arkivoda će pokrenuti automatsko arhiviranje za jednu minutu</translation>
    </message>
    <message>
        <source>64998</source>
        <translation>Ne nalazim listu datoteka za arhiviranje!</translation>
    </message>
    <message>
        <source>64999</source>
        <translation>Definirana arhivska mapa %s ne postoji ili je trenutno nedostupna! <byte value="xd"/>
Provjerite da li je dostupan uređaj na kojem se definirana mapa nalazi.</translation>
    </message>
    <message>
        <source>65000</source>
        <translation>%s<byte value="xd"/>
<byte value="xd"/>
%s<byte value="xd"/>
<byte value="xd"/>
u datoteku<byte value="xd"/>
<byte value="xd"/>
%s<byte value="xd"/>
<byte value="xd"/>
Broj arhiviranih datoteka: %s<byte value="xd"/>
Ukupna veličina arhiviranih datoteka: %s MB<byte value="xd"/>
Veličina arhive: %s MB<byte value="xd"/>
Postotak kompresije: %s<byte value="xd"/>
Trajanje arhiviranja: %s</translation>
    </message>
    <message numerus="yes">
        <source>65001</source>
        <translation>
            <numerusform>Tijekom arhiviranja %s datoteka ili mapa je<byte value="xd"/>
bila nedostupna iz nekog razloga!</numerusform>
            <numerusform>Tijekom arhiviranja %s datoteke ili mape su<byte value="xd"/>
bile nedostupne iz nekog razloga!</numerusform>
            <numerusform>Tijekom arhiviranja %s datoteka ili mapa je<byte value="xd"/>
bilo nedostupno iz nekog razloga!</numerusform>
        </translation>
    </message>
    <message>
        <source>65002</source>
        <translation>Datoteka %s u odabranoj mapi već postoji!<byte value="xd"/>
<byte value="xd"/>
Da li želite napraviti arhiviranje preko postojeće datoteke?</translation>
    </message>
    <message>
        <source>65003</source>
        <translation>Ne nalazim listu datoteka za arhiviranje</translation>
    </message>
    <message>
        <source>65004</source>
        <translation>Arhiviranje je završeno u arhivu</translation>
    </message>
    <message>
        <source>65005</source>
        <translation>finaliziram arhivu...</translation>
    </message>
    <message>
        <source>65006</source>
        <translation>arhiviranje je prekinuto, izrađena je djelomična arhiva</translation>
    </message>
    <message>
        <source>65007</source>
        <translation>arhiviranje je završeno</translation>
    </message>
    <message>
        <source>65008</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>65009</source>
        <translation>Odluka</translation>
    </message>
    <message>
        <source>65010</source>
        <translation>DA</translation>
    </message>
    <message>
        <source>65011</source>
        <translation>NE</translation>
    </message>
    <message>
        <source>65012</source>
        <translation>U redu</translation>
    </message>
    <message>
        <source>65013</source>
        <translation>Odustani</translation>
    </message>
    <message>
        <source>65014</source>
        <translation>Izbriši</translation>
    </message>
    <message>
        <source>65015</source>
        <translation>čekam...</translation>
    </message>
    <message>
        <source>65016</source>
        <translation>%s - aktualna lista: %s</translation>
    </message>
    <message>
        <source>65017</source>
        <translation>Arhivska datoteka (više) ne postoji ili trenutno nije dostupna!<byte value="xd"/>
Provjerite da li je dostupan uređaj na kojem se arhivska datoteka nalazi.</translation>
    </message>
    <message>
        <source>65018</source>
        <translation>Arhivska datoteka (više) ne postoji ili trenutno nije dostupna!<byte value="xd"/>
Provjerite da li je dostupan uređaj na kojem se arhivska datoteka nalazi.</translation>
    </message>
    <message>
        <source>65019</source>
        <translation>finaliziram arhivu i prekidam arhiviranje...</translation>
    </message>
    <message>
        <source>65020</source>
        <translation>Arhiviranje je pauzirano. Pritisnite U redu za nastavak...</translation>
    </message>
    <message>
        <source>65021</source>
        <translation>proteklo vrijeme arhiviranja:</translation>
    </message>
    <message>
        <source>65022</source>
        <translation>Molim potvrdite da želite nasilno prekinuti proces arhiviranja. To će rezultirati neispravnom datotekom arhive. Također se može pojaviti i poruka sistemske greške.</translation>
    </message>
    <message>
        <source>65023</source>
        <translation>nasilno prekidam arhiviranje...</translation>
    </message>
    <message>
        <source>65024</source>
        <translation>%s - aktualna lista: %s</translation>
    </message>
    <message>
        <source>65025</source>
        <translation>Datoteka ili mapa ne postoji!<byte value="xd"/>
<byte value="xd"/>
Provjerite da li je dostupan uređaj na kojem se datoteka ili mapa nalazi.</translation>
    </message>
    <message>
        <source>65026</source>
        <translation>Odabir mape arhiva</translation>
    </message>
    <message>
        <source>65027</source>
        <translation>Odabir</translation>
    </message>
    <message>
        <source>65028</source>
        <translation>Datoteka s popisom datoteka i mapa za arhiviranje ne postoji!</translation>
    </message>
    <message>
        <source>65029</source>
        <translation>Potvrdite brisanje zapisa<byte value="xd"/>
<byte value="xd"/>
%s<byte value="xd"/>
<byte value="xd"/>
s liste datoteka i mapa za arhiviranje...</translation>
    </message>
    <message>
        <source>65030</source>
        <translation>Dodavanje mapa za arhiviranje (moguć odabir više mapa odjednom)</translation>
    </message>
    <message>
        <source>65031</source>
        <translation>Dodaj...</translation>
    </message>
    <message>
        <source>65032</source>
        <translation>Dodavanje mapa za arhiviranje</translation>
    </message>
    <message>
        <source>65033</source>
        <translation>lista datoteka i mapa koje nisu nađene ili nisu bile dostupne tijekom arhiviranja</translation>
    </message>
    <message>
        <source>65034</source>
        <translation>Preostalo vrijeme do</translation>
    </message>
    <message>
        <source>65035</source>
        <translation>zatvaranja programa</translation>
    </message>
    <message>
        <source>65036</source>
        <translation>odjave korisnika</translation>
    </message>
    <message>
        <source>65037</source>
        <translation>gašenja računala</translation>
    </message>
    <message>
        <source>65038</source>
        <translation>Upozorenje</translation>
    </message>
    <message>
        <source>65039</source>
        <translation>Greška</translation>
    </message>
    <message>
        <source>65047</source>
        <translation>Problem sa spajanjem na web stranicu programa!<byte value="xd"/>
Trenutno ne mogu utvrditi postoji li novija verzija.<byte value="xd"/>
Molim pokušajte kasnije.</translation>
    </message>
    <message>
        <source>65048</source>
        <translation>Pronađena je novija verzija programa.<byte value="xd"/>
<byte value="xd"/>
Aktualna verzija: %s<byte value="xd"/>
Verzija na poslužitelju: %s<byte value="xd"/>
<byte value="xd"/>
Da li želite posjetiti web stranicu da skinete najnoviju verziju?</translation>
    </message>
    <message>
        <source>65049</source>
        <translation>Koristite zadnju aktualnu verziju programa.</translation>
    </message>
    <message>
        <source>65050</source>
        <translation>o programu</translation>
    </message>
    <message>
        <source>65051</source>
        <translation>čekam...</translation>
    </message>
    <message>
        <source>65052</source>
        <translation>Lista datoteka i mapa za arhiviranje je prazna!<byte value="xd"/>
<byte value="xd"/>
Dodajte barem jednu datoteku ili mapu na listu.</translation>
    </message>
    <message>
        <source>65053</source>
        <translation>Definirana mapa arhiva ne postoji!<byte value="xd"/>
<byte value="xd"/>
Provjerite da li postoji mapa na definiranoj putanji,<byte value="xd"/>
odn. da li je dostupan uređaj na koji izvodite arhiviranje<byte value="xd"/>
ukoliko se radi o vanjskom disku ili mrežnoj mapi!</translation>
    </message>
    <message>
        <source>65054</source>
        <translation>Upišite prefiks arhivskih datoteka!</translation>
    </message>
    <message>
        <source>65055</source>
        <translation>postavke programa</translation>
    </message>
    <message>
        <source>65056</source>
        <translation>Prefiks arhivskih datoteka ne smije sadržavati znak &quot;/&quot; niti se sastojati samo od točaka!</translation>
    </message>
    <message>
        <source>65057</source>
        <translation>%s (naziv u arhivi bio bi dulji od 65.535 bajtova)</translation>
    </message>
    <message>
        <source>65058</source>
        <translation> (vraćeno)</translation>
    </message>
    <message>
        <source>65059</source>
        <translation>Datoteka %s već postoji.<byte value="xd"/>
Želite li je zamijeniti vraćenom, preskočiti ili zadržati obje?</translation>
    </message>
    <message>
        <source>65060</source>
        <translation>Zamijeni</translation>
    </message>
    <message>
        <source>65061</source>
        <translation>Preskoči</translation>
    </message>
    <message>
        <source>65062</source>
        <translation>Zadrži oboje</translation>
    </message>
    <message>
        <source>65063</source>
        <translation>Zamijeni za sve</translation>
    </message>
    <message>
        <source>65064</source>
        <translation>Preskoči za sve</translation>
    </message>
    <message>
        <source>65065</source>
        <translation>Zadrži oboje za sve</translation>
    </message>
    <message>
        <source>65066</source>
        <translation>Vraćeno datoteka: %s<byte value="xd"/>
Preskočeno datoteka: %s<byte value="xd"/>
Neuspjelo: %s</translation>
    </message>
    <message>
        <source>65067</source>
        <translation>Nije vraćeno:</translation>
    </message>
    <message>
        <source>65068</source>
        <translation>vraćam datoteku %s</translation>
    </message>
    <message>
        <source>65069</source>
        <translation>vraćanje datoteka je prekinuto</translation>
    </message>
    <message>
        <source>65070</source>
        <translation>vraćanje datoteka je završeno</translation>
    </message>
    <message>
        <source>65071</source>
        <translation>Odabir mape za vraćanje datoteka</translation>
    </message>
    <message>
        <source>65072</source>
        <translation>Otvaranje arhive</translation>
    </message>
    <message>
        <source>65073</source>
        <translation>ZIP arhiva (*.zip)</translation>
    </message>
    <message>
        <source>65074</source>
        <translation>Arhivu %s nije moguće otvoriti:<byte value="xd"/>
%s</translation>
    </message>
    <message>
        <source>65075</source>
        <translation>Odaberite datoteke ili mape koje želite vratiti.</translation>
    </message>
    <message numerus="yes">
        <source>65076</source>
        <translation>
            <numerusform>arhiva %s: %s stavka</numerusform>
            <numerusform>arhiva %s: %s stavke</numerusform>
            <numerusform>arhiva %s: %s stavki</numerusform>
        </translation>
    </message>
    <message>
        <source>65077</source>
        <translation>prekidam vraćanje datoteka...</translation>
    </message>
    <message>
        <source>65078</source>
        <translation>pod istim je nazivom već vraćen drugi zapis arhive</translation>
    </message>
    <message>
        <source>65079</source>
        <translation>U odredišnim mapama ostale su privremene datoteke prekinutog vraćanja (nisu obrisane):</translation>
    </message>
    <message>
        <source>65080</source>
        <translation>Datoteku %s upravo mijenja drugi proces Arkivode i ni nakon %s s čekanja nije slobodna; promjena nije spremljena.</translation>
    </message>
    <message>
        <source>65110</source>
        <translation>provjeravam arhivu... %s%</translation>
    </message>
    <message>
        <source>65111</source>
        <translation>Arhiva je provjerena: ispravna</translation>
    </message>
    <message>
        <source>65112</source>
        <translation>Arhiva nije ispravna: %s</translation>
    </message>
    <message>
        <source>65113</source>
        <translation>Arhiva nije provjerena: provjera je prekinuta.</translation>
    </message>
    <message>
        <source>65114</source>
        <translation>U mapi arhiva ostale su nedovršene arhive ranijih pokretanja (nisu obrisane):</translation>
    </message>
    <message>
        <source>65115</source>
        <translation>u mapi arhiva ima nedovršenih arhiva: %s</translation>
    </message>
    <message>
        <source>65116</source>
        <translation>Obrisane su starije arhive ove konfiguracije:</translation>
    </message>
    <message>
        <source>65117</source>
        <translation>Stariju arhivu nije moguće obrisati: %s</translation>
    </message>
    <message>
        <source>65118</source>
        <translation>Izostavljeno po izuzecima i mapi arhiva: %s, %s</translation>
    </message>
    <message>
        <source>65119</source>
        <translation>Starije arhive nisu obrisane jer ova arhiva nije provjerena.</translation>
    </message>
    <message>
        <source>65120</source>
        <translation>Starije arhive nisu obrisane jer neke datoteke ili mape nisu bile dostupne.</translation>
    </message>
    <message>
        <source>65121</source>
        <translation>Arhive s datumom nakon ovog arhiviranja (nisu brojane ni obrisane; provjerite sat računala):</translation>
    </message>
    <message numerus="yes">
        <source>65122</source>
        <translation>
            <numerusform>Nepotpuno arhiviranje (%s datoteka ili mapa nije bila dostupna) je izvršeno na mapi</numerusform>
            <numerusform>Nepotpuno arhiviranje (%s datoteke ili mape nisu bile dostupne) je izvršeno na mapi</numerusform>
            <numerusform>Nepotpuno arhiviranje (%s datoteka ili mapa nije bilo dostupno) je izvršeno na mapi</numerusform>
        </translation>
    </message>
    <message>
        <source>65123</source>
        <translation>Arhiviranje je prekinuto; djelomična arhiva spremljena je u</translation>
    </message>
    <message numerus="yes">
        <source>65124</source>
        <translation>
            <numerusform>Arhiviranje je završeno bez %s nedostupne datoteke ili mape u arhivu</numerusform>
            <numerusform>Arhiviranje je završeno bez %s nedostupne datoteke ili mape u arhivu</numerusform>
            <numerusform>Arhiviranje je završeno bez %s nedostupnih datoteka ili mapa u arhivu</numerusform>
        </translation>
    </message>
    <message>
        <source>65159</source>
        <translation>Zapis zadnjeg automatskog arhiviranja (Timer/Zadnje=%s) nije ispravan i zanemaren je.</translation>
    </message>
    <message>
        <source>65160</source>
        <translation>Propušteno dnevno arhiviranje u %s pokreće se sada</translation>
    </message>
    <message>
        <source>65161</source>
        <translation>Zadnje uspješno arhiviranje: %s</translation>
    </message>
    <message>
        <source>65162</source>
        <translation>danas</translation>
    </message>
    <message>
        <source>65163</source>
        <translation>jučer</translation>
    </message>
    <message>
        <source>65164</source>
        <translation>prije %s dana</translation>
    </message>
    <message>
        <source>65165</source>
        <translation>prije %s dan</translation>
    </message>
    <message>
        <source>65166</source>
        <translation>još nijedno</translation>
    </message>
    <message>
        <source>65167</source>
        <translation>Arhiviranje kasni! %s</translation>
    </message>
    <message>
        <source>65100</source>
        <translation>Sustav nije prihvatio zahtjev za gašenje računala:<byte value="xd"/>
%s</translation>
    </message>
    <message>
        <source>65101</source>
        <translation>Sustav nije prihvatio zahtjev za odjavu korisnika:<byte value="xd"/>
%s</translation>
    </message>
    <message>
        <source>65102</source>
        <translation>upravitelj sesija (systemd-logind) nije dostupan.</translation>
    </message>
    <message>
        <source>65103</source>
        <translation>Arhiviranje u tijeku</translation>
    </message>
    <message>
        <source>65140</source>
        <translation>Ne mogu zapisati datoteku %s.</translation>
    </message>
    <message>
        <source>65141</source>
        <translation>Ne mogu pročitati datoteku %s.</translation>
    </message>
    <message>
        <source>65142</source>
        <translation>Ne mogu otvoriti mapu %s.<byte value="xd"/>
<byte value="xd"/>
Na računalu nije pronađen upravitelj datotekama.</translation>
    </message>
    <message>
        <source>65143</source>
        <translation>Otvori mapu</translation>
    </message>
    <message>
        <source>65144</source>
        <translation>Ne mogu napraviti mapu postavki %s, pa se postavke ne mogu spremiti (%s).</translation>
    </message>
    <message>
        <source>65180</source>
        <translation>šaljem kopiju na %s … %s %</translation>
    </message>
    <message>
        <source>65181</source>
        <translation>Kopija je poslana i provjerena: %s</translation>
    </message>
    <message>
        <source>65182</source>
        <translation>Kopija nije poslana na %s: %s</translation>
    </message>
    <message>
        <source>65183</source>
        <translation>slanje je prekinuto</translation>
    </message>
    <message>
        <source>65184</source>
        <translation>rclone nije instaliran (instalirajte paket rclone)</translation>
    </message>
    <message>
        <source>65185</source>
        <translation>kopija na odredištu ne odgovara arhivi (%s)</translation>
    </message>
    <message>
        <source>65186</source>
        <translation>rclone nije završio u %s s</translation>
    </message>
    <message>
        <source>65187</source>
        <translation>rclone je završio s greškom %s</translation>
    </message>
    <message>
        <source>65188</source>
        <translation>Obrisane starije kopije na odredištu: %s</translation>
    </message>
    <message>
        <source>65189</source>
        <translation>Starije kopije na odredištu nije bilo moguće obrisati: %s</translation>
    </message>
    <message numerus="yes">
        <source>65190</source>
        <translation>
            <numerusform>Veza radi: %s sadrži mapa: %s.</numerusform>
            <numerusform>Veza radi: %s sadrži mapa: %s.</numerusform>
            <numerusform>Veza radi: %s sadrži mapa: %s.</numerusform>
        </translation>
    </message>
    <message>
        <source>65191</source>
        <translation>Veza radi, ali mapa %s još ne postoji; nastat će pri prvoj kopiji.</translation>
    </message>
    <message>
        <source>65192</source>
        <translation>Veza s %s nije uspjela: %s</translation>
    </message>
    <message>
        <source>65193</source>
        <translation>rclone nije instaliran: kopije se ne šalju dok se ne instalira paket rclone.</translation>
    </message>
    <message>
        <source>65194</source>
        <translation>provjeravam vezu...</translation>
    </message>
    <message>
        <source>65195</source>
        <translation>prekidam slanje kopije...</translation>
    </message>
    <message>
        <source>65196</source>
        <translation>Kopije na odredištu s datumom nakon ove arhive (nisu brojane ni obrisane): %s</translation>
    </message>
    <message>
        <source>65197</source>
        <translation>odredište nije ni udaljeni cilj oblika udaljeni:putanja ni apsolutna putanja mape</translation>
    </message>
    <message>
        <source>65198</source>
        <translation>rclone ne poznaje udaljeni cilj %s (rclone listremotes)</translation>
    </message>
    <message>
        <source>65199</source>
        <translation>Odredište kopije %s nije prihvatljivo: %s</translation>
    </message>
    <message>
        <source>65260</source>
        <translation>%s (nije pročitano: %s)</translation>
    </message>
    <message>
        <source>65261</source>
        <translation>pristup odbijen</translation>
    </message>
    <message>
        <source>65262</source>
        <translation>ne postoji</translation>
    </message>
    <message>
        <source>65263</source>
        <translation>već postoji</translation>
    </message>
    <message>
        <source>65264</source>
        <translation>datotečni sustav je samo za čitanje</translation>
    </message>
    <message>
        <source>65265</source>
        <translation>pogreška ulaza/izlaza</translation>
    </message>
    <message>
        <source>65266</source>
        <translation>previše razina simboličkih poveznica</translation>
    </message>
    <message>
        <source>65267</source>
        <translation>naziv je predug</translation>
    </message>
    <message>
        <source>65268</source>
        <translation>previše otvorenih datoteka</translation>
    </message>
    <message>
        <source>65269</source>
        <translation>nedovoljno memorije</translation>
    </message>
    <message>
        <source>65270</source>
        <translation>promijenilo se tijekom čitanja</translation>
    </message>
    <message>
        <source>65271</source>
        <translation>pogreška sustava %s</translation>
    </message>
    <message numerus="yes">
        <source>65390</source>
        <translation>
            <numerusform>%s datoteka</numerusform>
            <numerusform>%s datoteke</numerusform>
            <numerusform>%s datoteka</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>65391</source>
        <translation>
            <numerusform>%s mapa</numerusform>
            <numerusform>%s mape</numerusform>
            <numerusform>%s mapa</numerusform>
        </translation>
    </message>
    <message>
        <source>65360</source>
        <translation>vraćanje datoteka je završeno s pogreškama, neuspjelo: %s</translation>
    </message>
    <message>
        <source>65361</source>
        <translation>arhiva %s više nije dostupna</translation>
    </message>
    <message numerus="yes">
        <source>65362</source>
        <translation>
            <numerusform>%s bajt</numerusform>
            <numerusform>%s bajta</numerusform>
            <numerusform>%s bajtova</numerusform>
        </translation>
    </message>
    <message>
        <source>65300</source>
        <translation>arhiva je oštećena ili nepotpuna (nema završnog zapisa središnjeg direktorija)</translation>
    </message>
    <message>
        <source>65301</source>
        <translation>oštećen središnji direktorij arhive</translation>
    </message>
    <message>
        <source>65302</source>
        <translation>oštećeni ZIP64 završni zapisi arhive</translation>
    </message>
    <message>
        <source>65303</source>
        <translation>stavke arhive se preklapaju</translation>
    </message>
    <message>
        <source>65304</source>
        <translation>oštećeno lokalno zaglavlje stavke</translation>
    </message>
    <message>
        <source>65305</source>
        <translation>lokalno zaglavlje stavke ne odgovara središnjem direktoriju</translation>
    </message>
    <message>
        <source>65306</source>
        <translation>lokalni naziv stavke razlikuje se od naziva u središnjem direktoriju</translation>
    </message>
    <message>
        <source>65307</source>
        <translation>nepoznata verzija potrebna za raspakiravanje (%s)</translation>
    </message>
    <message>
        <source>65308</source>
        <translation>oštećeno dodatno polje zaglavlja</translation>
    </message>
    <message>
        <source>65309</source>
        <translation>CRC-32 se ne podudara</translation>
    </message>
    <message>
        <source>65310</source>
        <translation>veličina se ne podudara</translation>
    </message>
    <message>
        <source>65311</source>
        <translation>komprimirani podaci završavaju prerano</translation>
    </message>
    <message>
        <source>65312</source>
        <translation>komprimirani podaci su oštećeni</translation>
    </message>
    <message>
        <source>65313</source>
        <translation>stavka bez naziva sadrži podatke</translation>
    </message>
    <message>
        <source>65314</source>
        <translation>šifrirane stavke nisu podržane</translation>
    </message>
    <message>
        <source>65315</source>
        <translation>šifrirano: ne može se provjeriti bez lozinke</translation>
    </message>
    <message>
        <source>65316</source>
        <translation>nepodržana metoda kompresije %s</translation>
    </message>
    <message>
        <source>65317</source>
        <translation>ne može se provjeriti: metoda kompresije %s</translation>
    </message>
    <message>
        <source>65318</source>
        <translation>ne može se provjeriti: LZMA rječnik od %s MiB</translation>
    </message>
    <message>
        <source>65319</source>
        <translation>stavka je prevelika za čitanje u memoriju</translation>
    </message>
    <message>
        <source>65320</source>
        <translation>stavka nije u arhivi</translation>
    </message>
    <message>
        <source>65321</source>
        <translation>nesiguran naziv u arhivi</translation>
    </message>
    <message>
        <source>65322</source>
        <translation>poveznice se ne raspakiravaju</translation>
    </message>
    <message>
        <source>65323</source>
        <translation>posebne datoteke se ne raspakiravaju</translation>
    </message>
    <message>
        <source>65324</source>
        <translation>nije obična datoteka</translation>
    </message>
    <message>
        <source>65325</source>
        <translation>arhiva se ne može pročitati do kraja</translation>
    </message>
    <message>
        <source>65326</source>
        <translation>arhiva se ne može zapisati</translation>
    </message>
    <message>
        <source>65327</source>
        <translation>naziv stavke dulji je od 65535 bajtova</translation>
    </message>
    <message>
        <source>65328</source>
        <translation>kompresija nije uspjela</translation>
    </message>
    <message>
        <source>65329</source>
        <translation>kompresija je zaustavljena</translation>
    </message>
    <message>
        <source>65330</source>
        <translation>unutarnja pogreška programa</translation>
    </message>
    <message>
        <source>65331</source>
        <translation>nema mjesta na disku</translation>
    </message>
    <message>
        <source>65332</source>
        <translation>datoteka je prevelika</translation>
    </message>
    <message>
        <source>65333</source>
        <translation>prekoračena je kvota diska</translation>
    </message>
    <message>
        <source>65334</source>
        <translation>arhiva ima manje stavaka nego što je odabrano</translation>
    </message>
</context>
<context>
    <name>PorukeCli</name>
    <message>
        <source>help</source>
        <translation>Uporaba: arkivoda-cli [lista]
         arkivoda-cli --manual DATOTEKA [--overwrite] [lista]
         arkivoda-cli --verify DATOTEKA
         arkivoda-cli --list ARHIVA [UZORAK...]
         arkivoda-cli --restore ARHIVA --to MAPA [UZORAK...] [--replace|--skip]
         arkivoda-cli --copy DATOTEKA [lista]

Arkivoda arhivira sve datoteke i mape s liste za arhiviranje u jednu novu ZIP arhivu.

Bez opcija radi automatsko arhiviranje: arhiva se sprema u arhivsku mapu iz postavki
pod nazivom PREFIKS_gggg.mm.dd__hh.mm.ss.zip, a njezina se putanja bilježi kao zadnja
automatska arhiva.

  lista                 naziv zasebne konfiguracije: koriste se datoteke
                        lista_Arkivoda.ini i lista_Arkivoda_bcklst.txt
  --manual DATOTEKA     ručno arhiviranje u navedenu datoteku (bilježi se kao
                        zadnja ručna arhiva)
  --overwrite           uz --manual: postojeća datoteka se zamjenjuje; bez ove
                        opcije arhiviranje preko postojeće datoteke se odbija
  --verify DATOTEKA     čita ZIP arhivu s diska i provjerava cijelu: završne
                        zapise, središnji direktorij, lokalna zaglavlja i sadržaj
                        svake datoteke (veličine i CRC-32)
  --list ARHIVA         ispis stavki arhive (datum, veličina, naziv)
  --restore ARHIVA      vraćanje stavki arhive u mapu zadanu s --to MAPA, svaka
                        pod svojim nazivom u arhivi; UZORAK bira stavke (* i ?
                        kao u ljusci, naziv mape bira sve u njoj)
  --replace             uz --restore: postojeće datoteke se zamjenjuju
  --skip                uz --restore: postojeće datoteke se zadržavaju; bez ovih
                        opcija vraćanje preko postojećih datoteka se odbija
  --copy DATOTEKA       šalje postojeću arhivu na udaljeni cilj iz postavki
                        (Udaljeno/Cilj, preko programa rclone), kao nakon arhiviranja
  -h, --help            ovaj tekst
  --version             verzija programa

Postavke i lista nalaze se u mapi $XDG_CONFIG_HOME/Arkivoda/ (obično ~/.config/Arkivoda/).
Jezik ispisa je jezik programa iz postavki.

Tijekom arhiviranja napredak se ispisuje na standardni izlaz za greške. Arhiva se
zapisuje pod svojim nazivom s nastavkom .part i dobiva svoj naziv tek kad je cijela
zapisana na disk. Prvi Ctrl+C (ili SIGTERM) prekida arhiviranje: trenutna datoteka
se dovršava i arhiva se ispravno zatvara. Drugi Ctrl+C nasilno prekida arhiviranje:
nedovršena arhiva ostaje pod nazivom s nastavkom .part.

Kad je postavljen udaljeni cilj, potpuna arhiva se nakon arhiviranja šalje onamo
naredbom rclone copyto i broji se tek kad je na cilju potvrđena njezina veličina
(i kontrolni zbroj, gdje ga cilj nudi).

Izlazni status:
  0  arhiviranje je završeno i sve datoteke i mape s liste su arhivirane
  1  arhiva je izrađena, ali neke datoteke ili mape nisu bile dostupne ili je
     arhiviranje prekinuto
  2  arhiviranje je odbijeno, nasilno prekinuto ili arhivu nije bilo moguće zapisati
  3  arhiva nije ispravna (provjera nakon arhiviranja, --verify ili --copy)
  4  kopija arhive na udaljeni cilj nije poslana ili potvrđena (lokalna arhiva
     ostaje kakva jest); --copy bez cilja ili bez arhive završava sa statusom 2

Kod vraćanja: 0 sve je vraćeno, 1 neke datoteke su preskočene ili nisu vraćene,
2 vraćanje je odbijeno.
</translation>
    </message>
    <message>
        <source>see-help</source>
        <translation>Upute: arkivoda-cli --help</translation>
    </message>
    <message>
        <source>unknown-option</source>
        <translation>Nepoznata opcija: %1</translation>
    </message>
    <message>
        <source>manual-without-file</source>
        <translation>Opciji --manual nedostaje naziv arhivske datoteke.</translation>
    </message>
    <message>
        <source>surplus-argument</source>
        <translation>Suvišan argument: %1</translation>
    </message>
    <message>
        <source>overwrite-without-manual</source>
        <translation>Opcija --overwrite vrijedi samo uz --manual.</translation>
    </message>
    <message>
        <source>list-unreadable</source>
        <translation>Listu datoteka za arhiviranje nije moguće pročitati: %1</translation>
    </message>
    <message>
        <source>target-is-folder</source>
        <translation>%1 je mapa, a ne arhivska datoteka.</translation>
    </message>
    <message>
        <source>use-overwrite</source>
        <translation>Za arhiviranje preko postojeće datoteke upotrijebite --overwrite.</translation>
    </message>
    <message>
        <source>cannot-delete</source>
        <translation type="vanished">Postojeću datoteku %1 nije moguće izbrisati; arhiviranje je odbijeno.</translation>
    </message>
    <message>
        <source>failed-not-writable</source>
        <translation>Arhiviranje nije uspjelo: arhivu %1 nije moguće zapisati (%2).</translation>
    </message>
    <message>
        <source>killed-incomplete</source>
        <translation>Arhiviranje je nasilno prekinuto: arhiva %1 je nepotpuna i neispravna.</translation>
    </message>
    <message>
        <source>killed-before-archive</source>
        <translation>Arhiviranje je nasilno prekinuto prije izrade arhive %1.</translation>
    </message>
    <message>
        <source>failed-not-created</source>
        <translation>Arhiviranje nije uspjelo: arhiva %1 nije izrađena.</translation>
    </message>
    <message>
        <source>progress-total</source>
        <translation>%1 | ukupno %2% | %3</translation>
    </message>
    <message>
        <source>progress-file</source>
        <translation>%1 %2% | ukupno %3% | %4 | </translation>
    </message>
    <message>
        <source>target-not-file</source>
        <translation>%1 nije obična datoteka (uređaj, cijev ili utičnica); arhiviranje je odbijeno.</translation>
    </message>
    <message>
        <source>part-left</source>
        <translation>Nedovršena arhiva ostala je u datoteci %1.</translation>
    </message>
    <message>
        <source>verify-without-file</source>
        <translation>Opciji --verify nedostaje naziv arhivske datoteke.</translation>
    </message>
    <message numerus="yes">
        <source>verify-sound</source>
        <translation>
            <numerusform>Arhiva %1 je ispravna: provjeren je %2 zapis.</numerusform>
            <numerusform>Arhiva %1 je ispravna: provjerena su %2 zapisa.</numerusform>
            <numerusform>Arhiva %1 je ispravna: provjereno je %2 zapisa.</numerusform>
        </translation>
    </message>
    <message>
        <source>verify-fault</source>
        <translation>Arhiva %1 nije ispravna: %2</translation>
    </message>
    <message numerus="yes">
        <source>verify-unchecked</source>
        <translation>
            <numerusform>Arhiva %1 nije provjerena do kraja: provjeren je %2 zapis bez greške, %3 nije moguće provjeriti: %4</numerusform>
            <numerusform>Arhiva %1 nije provjerena do kraja: provjerena su %2 zapisa bez greške, %3 nije moguće provjeriti: %4</numerusform>
            <numerusform>Arhiva %1 nije provjerena do kraja: provjereno je %2 zapisa bez greške, %3 nije moguće provjeriti: %4</numerusform>
        </translation>
    </message>
    <message>
        <source>missing-value</source>
        <translation>Opciji %1 nedostaje vrijednost.</translation>
    </message>
    <message>
        <source>restore-without-to</source>
        <translation>Uz --restore navedite mapu za vraćanje: --to MAPA.</translation>
    </message>
    <message>
        <source>restore-only-option</source>
        <translation>Opcije --to, --replace i --skip vrijede samo uz --restore.</translation>
    </message>
    <message>
        <source>conflicting-options</source>
        <translation>Opcije --manual, --verify, --list i --restore ne mogu se kombinirati, kao ni --replace i --skip.</translation>
    </message>
    <message>
        <source>archive-unreadable</source>
        <translation>Arhivu %1 nije moguće otvoriti: %2</translation>
    </message>
    <message>
        <source>no-entry-matches</source>
        <translation>Nijedna stavka arhive ne odgovara zadanim uzorcima.</translation>
    </message>
    <message>
        <source>files-exist</source>
        <translation>Vraćanje je odbijeno: ove datoteke već postoje:</translation>
    </message>
    <message>
        <source>use-replace-or-skip</source>
        <translation>Upotrijebite --replace za njihovu zamjenu ili --skip za njihovo zadržavanje.</translation>
    </message>
    <message>
        <source>restore-progress</source>
        <translation>vraćeno %1% | %2</translation>
    </message>
    <message>
        <source>restore-failed</source>
        <translation>nije vraćeno: %1: %2</translation>
    </message>
    <message>
        <source>restore-skipped</source>
        <translation>preskočeno (već postoji): %1</translation>
    </message>
    <message>
        <source>restore-stopped</source>
        <translation>Vraćanje je prekinuto.</translation>
    </message>
    <message>
        <source>restore-leftovers</source>
        <translation>Privremene datoteke prekinutog vraćanja ostale su u odredištu (nisu obrisane):</translation>
    </message>
    <message>
        <source>restore-summary</source>
        <translation>Vraćeno datoteka: %1, preskočeno: %2, nije vraćeno: %3</translation>
    </message>
    <message>
        <source>desktop-help</source>
        <translation>Uporaba: arkivoda [lista]

Arkivoda arhivira sve datoteke i mape s liste za arhiviranje u jednu novu ZIP arhivu,
na klik ili jednom dnevno, i prikazuje napredak u prozoru i u području obavijesti.
Na istoj konfiguraciji radi samo jedan program: ponovno pokretanje dovodi prozor
koji već radi u prvi plan.

  lista                 naziv zasebne konfiguracije: koriste se datoteke
                        lista_Arkivoda.ini i lista_Arkivoda_bcklst.txt
  -h, --help            ovaj tekst
  --version             verzija programa

Postavke i lista nalaze se u mapi $XDG_CONFIG_HOME/Arkivoda/ (obično ~/.config/Arkivoda/).
Arhiviranje bez prozora: arkivoda-cli --help
</translation>
    </message>
    <message>
        <source>copy-no-target</source>
        <translation>Udaljeni cilj kopija nije postavljen (Cilj u odjeljku Udaljeno datoteke %1).</translation>
    </message>
    <message>
        <source>copy-not-file</source>
        <translation>%1 nije arhivska datoteka; kopija nije poslana.</translation>
    </message>
    <message>
        <source>copy-not-sound</source>
        <translation>Arhiva %1 nije ispravna (%2); kopija nije poslana.</translation>
    </message>
    <message>
        <source>target-folder-not-writable</source>
        <translation>Arhivu %1 nije moguće spremiti u mapu %2 (%3); arhiviranje je odbijeno.</translation>
    </message>
    <message>
        <source>target-not-replaceable</source>
        <translation>Datoteku %1 nije moguće zamijeniti: pripada drugom korisniku, a u mapi %2 datoteke smiju zamijeniti samo njihovi vlasnici; arhiviranje je odbijeno.</translation>
    </message>
    <message>
        <source>part-exists</source>
        <translation>Datoteka %1 već postoji, a arhiva se piše pod tim nazivom dok ne bude dovršena; premjestite je ili izbrišite pa pokušajte ponovno. Arhiviranje je odbijeno.</translation>
    </message>
    <message>
        <source>part-left-complete</source>
        <translation>Arhiva je dovršena, ali nije mogla dobiti naziv %1: cijela je u datoteci %2.</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>informacije o programu i povijest razvoja</source>
        <translation>informacije o programu i povijest razvoja</translation>
    </message>
    <message>
        <source>Izrađeno pomoću:</source>
        <translation>Izrađeno pomoću:</translation>
    </message>
    <message>
        <source>Qt i zlib</source>
        <translation>Qt i zlib</translation>
    </message>
    <message>
        <source>Autori ikona:</source>
        <translation>Autori ikona:</translation>
    </message>
    <message>
        <source>Tim Arkivode</source>
        <translation>Tim Arkivode</translation>
    </message>
    <message>
        <source>Službena web stranica:</source>
        <translation>Službena web stranica:</translation>
    </message>
    <message>
        <source>Arkivoda je program za automatizaciju pohrane datoteka u zip arhive s naglaskom na jednostavnost korištenja, podršku za arhiviranje datoteka u korištenju i podršku zip arhivama većim od 4GB.</source>
        <translation>Arkivoda je program za automatizaciju pohrane datoteka u zip arhive s naglaskom na jednostavnost korištenja, podršku za arhiviranje datoteka u korištenju i podršku zip arhivama većim od 4GB.</translation>
    </message>
    <message>
        <source>Program možete pokretati s parametrom [lista] (bez uglatih zagrada) gdje lista predstavlja proizvoljni naziv liste datoteka i mapa za arhiviranje čime je omogućeno arhiviranje proizvoljnog broja zasebnih lista datoteka i mapa.</source>
        <translation>Program možete pokretati s parametrom [lista] (bez uglatih zagrada) gdje lista predstavlja proizvoljni naziv liste datoteka i mapa za arhiviranje čime je omogućeno arhiviranje proizvoljnog broja zasebnih lista datoteka i mapa.</translation>
    </message>
    <message>
        <source>&amp;Potraži novu verziju</source>
        <translation>&amp;Potraži novu verziju</translation>
    </message>
    <message>
        <source>&amp;Zatvori</source>
        <translation>&amp;Zatvori</translation>
    </message>
</context>
<context>
    <name>TForm_FilesMissing</name>
    <message>
        <source>&amp;Zatvori</source>
        <translation>&amp;Zatvori</translation>
    </message>
</context>
<context>
    <name>TGasenjeBox</name>
    <message>
        <source>&amp;Prekini</source>
        <translation>&amp;Prekini</translation>
    </message>
</context>
<context>
    <name>TGlavni</name>
    <message>
        <source>&amp;Automatsko arhiviranje</source>
        <translation>&amp;Automatsko arhiviranje</translation>
    </message>
    <message>
        <source>arhiviranje datoteka u predefiniranu mapu</source>
        <translation>arhiviranje datoteka u predefiniranu mapu</translation>
    </message>
    <message>
        <source>&amp;Ručno arhiviranje</source>
        <translation>&amp;Ručno arhiviranje</translation>
    </message>
    <message>
        <source>arhiviranje datoteka u proizvoljnu arhivu</source>
        <translation>arhiviranje datoteka u proizvoljnu arhivu</translation>
    </message>
    <message>
        <source>Predefinirana arhivska mapa:</source>
        <translation>Predefinirana arhivska mapa:</translation>
    </message>
    <message>
        <source>Status:</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>Datoteka:</source>
        <translation>Datoteka:</translation>
    </message>
    <message>
        <source>Pauziraj arhiviranje</source>
        <translation>Pauziraj arhiviranje</translation>
    </message>
    <message>
        <source>Ukupno:</source>
        <translation>Ukupno:</translation>
    </message>
    <message>
        <source>Prekini arhiviranje</source>
        <translation>Prekini arhiviranje</translation>
    </message>
    <message>
        <source>Nasilno prekini arhiviranje</source>
        <translation>Nasilno prekini arhiviranje</translation>
    </message>
    <message>
        <source>Zatvori program po završetku</source>
        <translation>Zatvori program po završetku</translation>
    </message>
    <message>
        <source>Ugasi računalo po završetku</source>
        <translation>Ugasi računalo po završetku</translation>
    </message>
    <message>
        <source>Odjavi korisnika po završetku</source>
        <translation>Odjavi korisnika po završetku</translation>
    </message>
    <message>
        <source>Arhivska datoteka zadnjeg izvršenog arhiviranja u predefiniranu mapu:</source>
        <translation>Arhivska datoteka zadnjeg izvršenog arhiviranja u predefiniranu mapu:</translation>
    </message>
    <message>
        <source>Arhivska datoteka zadnjeg izvršenog arhiviranja u proizvoljnu datoteku:</source>
        <translation>Arhivska datoteka zadnjeg izvršenog arhiviranja u proizvoljnu datoteku:</translation>
    </message>
    <message>
        <source>&amp;Izlaz</source>
        <translation type="vanished">&amp;Izlaz</translation>
    </message>
    <message>
        <source>zatvaranje programa</source>
        <translation>zatvaranje programa</translation>
    </message>
    <message>
        <source>&amp;Program</source>
        <translation>&amp;Program</translation>
    </message>
    <message>
        <source>&amp;Jezik</source>
        <translation>&amp;Jezik</translation>
    </message>
    <message>
        <source>&amp;Informacije</source>
        <translation>&amp;Informacije</translation>
    </message>
    <message>
        <source>&amp;Postavke programa</source>
        <translation>&amp;Postavke programa</translation>
    </message>
    <message>
        <source>I&amp;zlaz</source>
        <translation>I&amp;zlaz</translation>
    </message>
    <message>
        <source>&amp;Engleski</source>
        <translation>&amp;Engleski</translation>
    </message>
    <message>
        <source>&amp;Hrvatski</source>
        <translation>&amp;Hrvatski</translation>
    </message>
    <message>
        <source>&amp;O programu</source>
        <translation>&amp;O programu</translation>
    </message>
    <message>
        <source>Otvori &amp;program</source>
        <translation>Otvori &amp;program</translation>
    </message>
    <message>
        <source>Navedite naziv arhivske datoteke...</source>
        <translation>Navedite naziv arhivske datoteke...</translation>
    </message>
    <message>
        <source>ZIP arhiva (*.zip)</source>
        <translation>ZIP arhiva (*.zip)</translation>
    </message>
    <message>
        <source>Postojeću datoteku %1 nije moguće izbrisati; arhiviranje je odbijeno.</source>
        <translation type="vanished">Postojeću datoteku %1 nije moguće izbrisati; arhiviranje je odbijeno.</translation>
    </message>
    <message>
        <source>&amp;Vraćanje datoteka…</source>
        <translation>&amp;Vraćanje datoteka…</translation>
    </message>
</context>
<context>
    <name>TOdabirBaze</name>
    <message>
        <source>Lista datoteka i mapa za arhiviranje:</source>
        <translation>Lista datoteka i mapa za arhiviranje:</translation>
    </message>
    <message>
        <source>Dodavanje datoteka na listu</source>
        <translation>Dodavanje datoteka na listu</translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
    <message>
        <source>Datoteke</source>
        <translation>Datoteke</translation>
    </message>
    <message>
        <source>Dodavanje mapa na listu</source>
        <translation>Dodavanje mapa na listu</translation>
    </message>
    <message>
        <source>Mape</source>
        <translation>Mape</translation>
    </message>
    <message>
        <source>Brisanje označene datoteke ili mape s liste</source>
        <translation>Brisanje označene datoteke ili mape s liste</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Uklanjanje</source>
        <translation>Uklanjanje</translation>
    </message>
    <message>
        <source>Mapa datoteka lista</source>
        <translation>Mapa datoteka lista</translation>
    </message>
    <message>
        <source>Putanja na koju će se izvoditi automatsko arhiviranje:</source>
        <translation>Putanja na koju će se izvoditi automatsko arhiviranje:</translation>
    </message>
    <message>
        <source>Odabir mape arhiva...</source>
        <translation>Odabir mape arhiva...</translation>
    </message>
    <message>
        <source>Prefiks naziva arhiva (datum i vrijeme će također biti dodano):</source>
        <translation>Prefiks naziva arhiva (datum i vrijeme će također biti dodano):</translation>
    </message>
    <message>
        <source>Upozorenje: u nazivu prefiksa nemojte koristiti sljedeće znakove: . (točka) &quot; (navodnici) \ (kosa crta lijevo) / (kosa crta desno)</source>
        <translation>Upozorenje: u nazivu prefiksa nemojte koristiti sljedeće znakove: . (točka) &quot; (navodnici) \ (kosa crta lijevo) / (kosa crta desno)</translation>
    </message>
    <message>
        <source>Prikazuj program samo kao ikonu u sistemskoj traci</source>
        <translation>Prikazuj program samo kao ikonu u sistemskoj traci</translation>
    </message>
    <message>
        <source>Minimiziraj program umjesto gašenja</source>
        <translation>Minimiziraj program umjesto gašenja</translation>
    </message>
    <message>
        <source>Minimiziraj program prilikom pokretanja</source>
        <translation>Minimiziraj program prilikom pokretanja</translation>
    </message>
    <message>
        <source>Prikaži rezime po završetku arhiviranja</source>
        <translation>Prikaži rezime po završetku arhiviranja</translation>
    </message>
    <message>
        <source>Provjeri arhivu nakon arhiviranja</source>
        <translation>Provjeri arhivu nakon arhiviranja</translation>
    </message>
    <message>
        <source>Broj arhiva koje se čuvaju:</source>
        <translation>Broj arhiva koje se čuvaju:</translation>
    </message>
    <message>
        <source>Nakon automatskog arhiviranja koje je završeno i provjereno brišu se najstarije arhive ove liste u mapi arhiva dok ih ne ostane ovoliko; 0 čuva sve arhive</source>
        <translation>Nakon automatskog arhiviranja koje je završeno i provjereno brišu se najstarije arhive ove liste u mapi arhiva dok ih ne ostane ovoliko; 0 čuva sve arhive</translation>
    </message>
    <message>
        <source>sve</source>
        <translation>sve</translation>
    </message>
    <message>
        <source>Izuzeci:</source>
        <translation>Izuzeci:</translation>
    </message>
    <message>
        <source>Uzorci odvojeni s ; koji se ne arhiviraju, npr. *.tmp;node_modules/;.cache/ (uzorak sa / na kraju odnosi se na mape, ostali na nazive datoteka)</source>
        <translation>Uzorci odvojeni s ; koji se ne arhiviraju, npr. *.tmp;node_modules/;.cache/ (uzorak sa / na kraju odnosi se na mape, ostali na nazive datoteka)</translation>
    </message>
    <message>
        <source>Nakon arhiviranja arhiva se ponovno čita s diska i provjerava se svaka datoteka u njoj</source>
        <translation>Nakon arhiviranja arhiva se ponovno čita s diska i provjerava se svaka datoteka u njoj</translation>
    </message>
    <message>
        <source>Vrijeme automatskog arhiviranja:</source>
        <translation>Vrijeme automatskog arhiviranja:</translation>
    </message>
    <message>
        <source>&amp;Spremanje postavki i nastavak rada</source>
        <translation>&amp;Spremanje postavki i nastavak rada</translation>
    </message>
    <message>
        <source>Zatvaranje prog&amp;rama</source>
        <translation>Zatvaranje prog&amp;rama</translation>
    </message>
    <message>
        <source>&amp;Nastavak rada bez spremanja postavki</source>
        <translation>&amp;Nastavak rada bez spremanja postavki</translation>
    </message>
    <message>
        <source>Dodaj &amp;datoteke</source>
        <translation>Dodaj &amp;datoteke</translation>
    </message>
    <message>
        <source>Dodaj &amp;mape</source>
        <translation>Dodaj &amp;mape</translation>
    </message>
    <message>
        <source>&amp;Uklanjanje označenog zapisa s liste</source>
        <translation>&amp;Uklanjanje označenog zapisa s liste</translation>
    </message>
    <message>
        <source>&amp;Otvori mapu u kojoj se nalazi datoteka</source>
        <translation>&amp;Otvori mapu u kojoj se nalazi datoteka</translation>
    </message>
    <message>
        <source>Dodavanje datoteka za arhiviranje (moguć odabir više datoteka odjednom)</source>
        <translation>Dodavanje datoteka za arhiviranje (moguć odabir više datoteka odjednom)</translation>
    </message>
    <message>
        <source>Sve vrste datoteka (*)</source>
        <translation>Sve vrste datoteka (*)</translation>
    </message>
    <message>
        <source>Nadoknadi propušteno dnevno arhiviranje</source>
        <translation>Nadoknadi propušteno dnevno arhiviranje</translation>
    </message>
    <message>
        <source>Pokreni program pri prijavi</source>
        <translation>Pokreni program pri prijavi</translation>
    </message>
    <message>
        <source>Pomakni označeni zapis gore</source>
        <translation>Pomakni označeni zapis gore</translation>
    </message>
    <message>
        <source>Pomakni označeni zapis dolje</source>
        <translation>Pomakni označeni zapis dolje</translation>
    </message>
    <message>
        <source>Udaljena kopija</source>
        <translation>Udaljena kopija</translation>
    </message>
    <message>
        <source>Cilj kopije (udaljeno mjesto i mapa, npr. nas:backup/arkivoda):</source>
        <translation>Cilj kopije (udaljeno mjesto i mapa, npr. nas:backup/arkivoda):</translation>
    </message>
    <message>
        <source>Prazno: kopija se ne šalje.</source>
        <translation>Prazno: kopija se ne šalje.</translation>
    </message>
    <message>
        <source>Pro&amp;vjeri vezu</source>
        <translation>Pro&amp;vjeri vezu</translation>
    </message>
    <message>
        <source>Zadrži na cilju (0 = sve):</source>
        <translation>Zadrži na cilju (0 = sve):</translation>
    </message>
    <message>
        <source>Udaljena mjesta postavljaju se naredbom rclone config; lozinke čuva rclone, a ne Arkivoda.</source>
        <translation>Udaljena mjesta postavljaju se naredbom rclone config; lozinke čuva rclone, a ne Arkivoda.</translation>
    </message>
</context>
<context>
    <name>TVracanjeDatoteka</name>
    <message>
        <source>Vraćanje datoteka</source>
        <translation>Vraćanje datoteka</translation>
    </message>
    <message>
        <source>Arhive:</source>
        <translation>Arhive:</translation>
    </message>
    <message>
        <source>Arhiva</source>
        <translation>Arhiva</translation>
    </message>
    <message>
        <source>Datum</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Veličina</source>
        <translation>Veličina</translation>
    </message>
    <message>
        <source>Stavki</source>
        <translation>Stavki</translation>
    </message>
    <message>
        <source>&amp;Otvori arhivu…</source>
        <translation>&amp;Otvori arhivu…</translation>
    </message>
    <message>
        <source>traži</source>
        <translation>traži</translation>
    </message>
    <message>
        <source>&amp;Vrati odabrano…</source>
        <translation>&amp;Vrati odabrano…</translation>
    </message>
    <message>
        <source>Vrati na &amp;izvorno mjesto</source>
        <translation>Vrati na &amp;izvorno mjesto</translation>
    </message>
    <message>
        <source>&amp;Zatvori</source>
        <translation>&amp;Zatvori</translation>
    </message>
    <message>
        <source>Za&amp;ustavi vraćanje</source>
        <translation>Za&amp;ustavi vraćanje</translation>
    </message>
    <message>
        <source>Naziv</source>
        <translation>Naziv</translation>
    </message>
</context>
</TS>
