// The answer rules of the request catalogue, as one constant table.
#include "protocol/requests.h"

#include <array>
#include <iterator>

#include "protocol/identification.h"
#include "state/session_state.h"

namespace {

using enum KodRozkazu;
using enum RekordZnacznika;
using enum StatusOdpowiedzi;

// Every request whose answer the engine treats otherwise than the default:
// first answer acknowledged with 0x06, status 0 for success, no end marker.
constexpr RegulyRozkazu REGULY[] = {
    // Record lists that end early at a record whose first byte is 0xFF.
    {.Kod = OdczytListy0A, .Rekord = PelnaLista, .DlugoscRekordu = 27},
    {.Kod = OdczytListy0B, .Rekord = PelnaLista, .DlugoscRekordu = 27},
    {.Kod = OdczytListy47, .Rekord = Staly, .DlugoscRekordu = 13},
    {.Kod = OdczytListy48, .Rekord = Staly, .DlugoscRekordu = 13},
    {.Kod = OdczytRekorduSprzedazyZArgumentem, .Rekord = Staly, .DlugoscRekordu = 38},
    {.Kod = OdczytRekordowZSuma, .Rekord = WedlugListy},
    {.Kod = OdczytSprzedazy, .Rekord = Staly, .DlugoscRekordu = 11},
    {.Kod = OdczytDalszejSprzedazy, .Rekord = Staly, .DlugoscRekordu = 11},
    {.Kod = OdczytOpakowan, .Rekord = Staly, .DlugoscRekordu = 11},
    {.Kod = OdczytOkresowejSprzedazy, .Rekord = Staly, .DlugoscRekordu = 16},
    {.Kod = OdczytDalszejOkresowejSprzedazy, .Rekord = Staly, .DlugoscRekordu = 16},
    {.Kod = OdczytOkresowejSprzedazyDlugiej, .Rekord = Staly, .DlugoscRekordu = 29},
    {.Kod = OdczytDalszejOkresowejSprzedazyDlugiej, .Rekord = Staly, .DlugoscRekordu = 29},
    {.Kod = OdczytWiazan, .Rekord = Staly, .DlugoscRekordu = 4},
    {.Kod = OdczytOkresowejSprzedazyRozszerzonej, .Rekord = Staly, .DlugoscRekordu = 20},
    {.Kod = OdczytDalszejOkresowejSprzedazyRozszerzonej, .Rekord = Staly, .DlugoscRekordu = 20},
    {.Kod = OdczytDodatkowychKodow, .Rekord = Staly, .DlugoscRekordu = 8},
    // Answers with data from their first byte.
    {.Kod = RozkazDanych9B, .DanePierwszej = true},
    {.Kod = RozkazDanych94, .DanePierwszej = true},
    {.Kod = RozkazDanych95, .DanePierwszej = true},
    {.Kod = RozkazDanych96, .DanePierwszej = true},
    // Second answers whose status byte is not an error.
    {.Kod = OdczytRekorduFiskalnegoStary, .Status = ZglaszanyZDlugoscia, .StatusDanaWRamce = true},
    {.Kod = OdczytRekorduFiskalnego, .Status = Zglaszany, .StatusDanaWRamce = true},
    {.Kod = ZapisPojemnikaTowaru, .Status = Zglaszany, .StatusDanaWRamce = true},
    // 0x4D reports its status like 0x9A and 0xFC, but the frame's status-is-data
    // flag stays clear: the flag's list is given twice, for the engine and for
    // the frame, and both times without 0x4D, while the status rule names it;
    // no command sends 0x4D, so the two rules are kept as they are given.
    {.Kod = Rozkaz4D, .Status = Zglaszany},
    {.Kod = RozkazDanych72, .Status = Dana, .StatusDanaWRamce = true},
    {.Kod = RozkazDanych31, .Status = Dana, .StatusDanaWRamce = true},
    {.Kod = RozkazDanychF9, .Status = Dana, .StatusDanaWRamce = true},
    {.Kod = RozkazDanych11, .Status = Dana, .StatusDanaWRamce = true},
    {.Kod = RozkazA0, .Status = PotwierdzenieJakoSukces, .StatusDanaWRamce = true, .TylkoStarszeKasy = true},
};

// Indexed by the request code, so the engine finds the rules of every request in one step.
constexpr std::array<RegulyRozkazu, 256> TABLICA = [] {
  std::array<RegulyRozkazu, 256> t{};
  for (unsigned kod = 0; kod < t.size(); ++kod) t[kod].Kod = static_cast<KodRozkazu>(kod);
  for (const RegulyRozkazu& r : REGULY) t[BajtKodu(r.Kod)] = r;
  return t;
}();

constexpr bool KazdyKodRaz() {
  for (std::size_t i = 0; i < std::size(REGULY); ++i)
    for (std::size_t j = i + 1; j < std::size(REGULY); ++j)
      if (REGULY[i].Kod == REGULY[j].Kod) return false;
  return true;
}
static_assert(KazdyKodRaz(), "a request code has two rows of rules");

// The lists of request 0xA1, chosen by parameter byte 0 (bit 7 asks for the next part).
uint8_t DlugoscRekorduListy(uint8_t lista) {
  switch (lista & 0x7F) {
    case 0x00: return 17;
    case 0x01: return 21;
    case 0x02: return KasaNorda() ? 33 : 30;
    case 0x03: return 38;
    case 0x10: return 12;
    default: return 0;
  }
}

uint8_t DlugoscRekordu(const RegulyRozkazu& r, const Rozkaz& rozkaz) {
  switch (r.Rekord) {
    case Staly: return r.DlugoscRekordu;
    case PelnaLista:
      return rozkaz.DlugoscPierwszej == 110 && rozkaz.LiczbaParametrow == 0 && rozkaz.DlugoscDrugiej == 0
                 ? r.DlugoscRekordu
                 : 0;
    case WedlugListy: return DlugoscRekorduListy(Sesja.Wymiana.ObszarParametrow[0]);
    case Brak: break;
  }
  return 0;
}

constexpr RegulyRozkazu DOMYSLNE{};

const RegulyRozkazu& Obowiazujace(uint8_t kod) {
  const RegulyRozkazu& r = TABLICA[kod];
  return r.TylkoStarszeKasy && !KasaStarszaNizT() ? DOMYSLNE : r;
}

}  // namespace

const RegulyRozkazu& RegulyDla(uint8_t kod) { return TABLICA[kod]; }

ZasadyWymiany ZasadyDla(const Rozkaz& rozkaz) {
  const RegulyRozkazu& r = Obowiazujace(BajtKodu(rozkaz.Kod));
  return {DlugoscRekordu(r, rozkaz), r.DanePierwszej, r.Status, r.StatusDanaWRamce};
}

uint8_t DlugoscRekorduZnacznika(const Rozkaz& rozkaz) { return DlugoscRekordu(TABLICA[BajtKodu(rozkaz.Kod)], rozkaz); }

bool StatusJestDana(uint8_t kod) { return Obowiazujace(kod).StatusDanaWRamce; }
