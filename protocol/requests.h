// The request catalogue: every request code that the driver sends to the
// register, named once, and the one struct that describes a request for the
// commands, the engine and the frame builder alike.
#pragma once

#include <cstdint>

// One request: the code sent after the escape byte and its three lengths.
// A pure read of n bytes is {code, 1 + n, 0, 0}; a write of n parameter bytes
// {code, 1, n, 1}; a read that takes n parameters and answers m bytes {code, 1, n, 1 + m}.
enum class KodRozkazu : uint8_t;

struct Rozkaz {
  KodRozkazu Kod;
  uint8_t DlugoscPierwszej;  // bytes of the first answer, its acknowledgement included; 0: none is read
  uint8_t LiczbaParametrow;  // bytes of ObszarParametrow sent after the first answer
  uint8_t DlugoscDrugiej;    // bytes of the second answer, its status byte included; 0: none is read
};

// Request codes. Where one code serves several purposes (the register
// families reuse some), the name says each of them.
enum class KodRozkazu : uint8_t {
  // ---- the line and the device ----
  WyborKanaluMultipleksera = 0x01,  // MUX3: parameter byte 0 = the channel
  OdczytNumeruKasy = 0xC0,
  ZapisNumeruKasy = 0x43,           // the number as two decimal characters
  OdczytTypuKasy = 0xFE,            // type code, version, version letter
  OdczytTypuKasyStary = 0xFF,       // type code only, on registers that refuse 0xFE
  OdczytStatusu0 = 0x5B,            // status byte 0; on older registers its high nibble is the version
  OdczytStatusu1 = 0x54,
  OdczytStatusu2 = 0x55,
  OdczytStatusu3 = 0x56,
  OdczytStatusu4 = 0x57,            // family T registers only
  OdczytIdentyfikatora = 0x71,
  OdczytPojemnosciPLU = 0x6F,

  // ---- goods records (the families of the goods commands) ----
  ZapisTowaruWM = 0x02,
  OdczytTowaruVW = 0x03,
  ZapisTowaruVKasowanieWM = 0x04,   // family V writes with it, families W and M delete
  OdczytNajnizszegoNumeruV = 0x05,
  OdczytNajnizszegoNumeruW = 0x15,
  OdczytNajwyzszegoNumeru = 0x91,
  ZapisTowaruS = 0x9E,              // type codes 100 and above, not 'o' or 'p'
  ZapisTowaruSStary = 0xA9,
  KasowanieTowaruVS = 0x9F,
  KasowanieTowaruSStary = 0xF1,
  OdczytTowaru = 0xAC,              // the full record layout; also probes the goods capacity
  OdczytTowaruT = 0xBD,
  ZapisTowaruT = 0xBE,
  KasowanieTowaruT = 0xBF,
  ZapisCenyTowaru = 0xA6,
  ZapisBlokadyTowaru = 0xA4,
  KasowanieWszystkichTowarow = 0x63,
  OdczytBajtuTowaru = 0xE6,         // one byte of a goods record; also probes the goods capacity

  // ---- option bytes: the indexed form and one code per set ----
  OdczytZestawuOpcji = 0xDF,
  ZapisZestawuOpcji = 0xDE,
  OdczytOpcji0 = 0xC3,
  OdczytOpcji1 = 0xB4,
  OdczytOpcji2 = 0xDB,
  OdczytOpcji3 = 0xDD,
  ZapisOpcji0 = 0xC2,
  ZapisOpcji1 = 0xB3,
  ZapisOpcji2 = 0xDA,
  ZapisOpcji3 = 0xDC,

  // ---- barcodes, keys and links ----
  OdczytDodatkowychKodow = 0xEA,
  ZapisDodatkowegoKodu = 0xEB,
  KasowanieDodatkowegoKodu = 0xED,
  KasowanieKodowTowaru = 0xEC,
  OdczytTablicyKodow = 0xD9,
  ZapisTablicyKodow = 0xD8,
  OdczytKlawisza = 0xF3,
  ZapisKlawisza = 0xF2,
  OdczytWiazan = 0xE7,
  ZapisWiazania = 0xAA,
  KasowanieWiazania = 0xAB,

  // ---- units, groups, payments, discounts, header, clock, discount cards ----
  OdczytJednostek = 0xC5,
  ZapisJednostki = 0xC4,
  OdczytGrupy = 0xC7,
  ZapisGrupy = 0xC6,
  OdczytPlatnosci = 0xD7,
  OdczytTablicyPlatnosci = 0xC9,
  ZapisPlatnosci = 0xC8,
  OdczytRabatu = 0xCD,
  ZapisRabatu = 0xCC,
  OdczytLiczbyWierszy = 0xC1,
  ZapisLiczbyWierszy = 0x46,
  OdczytLiniiNaglowka = 0xCF,
  ZapisLiniiNaglowka = 0xCE,
  OdczytZegara = 0x35,
  OdczytKartyRabatowej = 0xBA,
  ZapisKartyRabatowej = 0xB9,

  // ---- sales data ----
  OdczytSprzedazy = 0xA2,
  OdczytDalszejSprzedazy = 0xA3,
  OdczytRekordowZSuma = 0xA1,       // parameter byte 0 selects the record list (bit 7: its next part)
  OdczytSprzedazyTowaru = 0xCB,
  OdczytOpakowan = 0xA5,
  OdczytObrotuRabatow = 0xA7,
  KasowanieSprzedazy = 0xA8,
  KasowanieLicznikow = 0x90,        // parameters "CNT" or "CLR"
  OdczytOkresowejSprzedazy = 0xAD,
  OdczytDalszejOkresowejSprzedazy = 0xAE,
  OdczytOkresowejSprzedazyRozszerzonej = 0xEE,
  OdczytDalszejOkresowejSprzedazyRozszerzonej = 0xE9,
  OdczytOkresowejSprzedazyDlugiej = 0xD6,
  OdczytDalszejOkresowejSprzedazyDlugiej = 0xD5,
  OdczytRekorduSprzedazyZArgumentem = 0x61,

  // ---- cash desk ----
  OdczytPodatkow = 0xD0,
  OdczytKasjera = 0xB0,
  ZapisKasjera = 0xB1,
  ZapisUprawnienKasjera = 0xB2,
  KasowanieKasjera = 0xF0,
  OdczytZmianyKasjera = 0xB5,
  OdczytDalszejZmianyKasjera = 0xB6,
  OdczytZalogowanegoKasjera = 0xB7,
  ZerowanieZmianyKasjera = 0xB8,
  WyplataGotowki = 0xD1,
  OdczytPojemnika = 0xFB,
  ZapisPojemnika = 0xFA,
  OdczytPojemnikaTowaru = 0xFD,
  ZapisPojemnikaTowaru = 0xFC,      // its status byte is reported, not an error

  // ---- periodic data and fiscal records ----
  OdczytDatyARG = 0xE0,
  OdczytDatyPRG = 0xE2,
  OdczytDanychARG = 0xE1,
  OdczytDanychPRG = 0xE3,
  UstawienieDatyAktualnej = 0xE8,
  OdczytRekorduFiskalnego = 0x9A,   // registers of type code 100 and above; status reported
  OdczytRekorduFiskalnegoStary = 0xE5,  // first generation; the status chooses the length
  OdczytNumeruRekordu = 0xE4,
  OdczytNumeruParagonu = 0x66,
  OdczytNumeruRaportu = 0xCA,

  // ---- codes whose answer rules the engine knows although no command sends them ----
  OdczytListy0A = 0x0A,
  OdczytListy0B = 0x0B,
  OdczytListy47 = 0x47,
  OdczytListy48 = 0x48,
  Rozkaz4D = 0x4D,
  RozkazA0 = 0xA0,
  RozkazDanych11 = 0x11,
  RozkazDanych31 = 0x31,
  RozkazDanych72 = 0x72,
  RozkazDanychF9 = 0xF9,
  RozkazDanych94 = 0x94,
  RozkazDanych95 = 0x95,
  RozkazDanych96 = 0x96,
  RozkazDanych9B = 0x9B,
};

// The byte a request code is sent as.
constexpr uint8_t BajtKodu(KodRozkazu kod) { return static_cast<uint8_t>(kod); }

// ---- the answer rules: what the engine must know of a request ----

// How the engine takes the status byte that opens the second answer.
enum class StatusOdpowiedzi : uint8_t {
  Sprawdzany,         // 0 is success, anything else an error (100 + status and the others)
  Zglaszany,          // copied to StatusRozkazu, never an error; answer byte 0 becomes 0
  ZglaszanyZDlugoscia,  // as Zglaszany, and the status says how many bytes follow (0xE5)
  Dana,               // a data byte like the rest, not checked
  PotwierdzenieJakoSukces,  // as Sprawdzany, but 0x06 counts as success
};

// Where the end-marker record length of a request comes from.
enum class RekordZnacznika : uint8_t {
  Brak,
  Staly,              // always DlugoscRekordu
  PelnaLista,         // DlugoscRekordu only for the whole-list read (110, 0, 0)
  WedlugListy,        // 0xA1: parameter byte 0 selects the record list and so its length
};

struct RegulyRozkazu {
  KodRozkazu Kod;
  RekordZnacznika Rekord = RekordZnacznika::Brak;
  uint8_t DlugoscRekordu = 0;
  bool DanePierwszej = false;  // the first answer carries data from its first byte, no acknowledgement
  StatusOdpowiedzi Status = StatusOdpowiedzi::Sprawdzany;
  bool StatusDanaWRamce = false;  // the frame tells the module that the status byte is data
  // The status rules above hold only on registers whose type code is below
  // 0x74; on the others the request has the default rules.
  bool TylkoStarszeKasy = false;
};

// The rules of a request code (the default rules for a code without a row).
const RegulyRozkazu& RegulyDla(uint8_t kod);

// The rules of one request as they apply now: the conditions on its lengths,
// its first parameter byte and the register's type code resolved.
struct ZasadyWymiany {
  uint8_t DlugoscRekordu;  // 0: the answer has no end marker
  bool DanePierwszej;
  StatusOdpowiedzi Status;
  bool StatusJestDana;     // the frame's flag
};
ZasadyWymiany ZasadyDla(const Rozkaz& rozkaz);

// The end-marker record length of a request, 0 when its answer has none.
uint8_t DlugoscRekorduZnacznika(const Rozkaz& rozkaz);
// Whether the register's status byte of this request is data (the frame's flag).
bool StatusJestDana(uint8_t kod);
