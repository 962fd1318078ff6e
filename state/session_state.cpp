#include "state/session_state.h"

#include <cstring>

#include "state/result_codes.h"
#include "state/server_channel.h"
#include "text/codecs.h"

DaneSesji Sesja;
DaneProcesu Proces;

void ZerowanieDanychSesji() {
  for (auto& slot : Sesja.NazwyPlikowSesji) std::memset(slot, 0, DLUGOSC_NAPISU);
  std::memset(Sesja.ZapisanyRaport, 0, DLUGOSC_NAPISU);
  const int wiersze = Sesja.PelnaSesja ? 3 : 2;
  for (int i = 0; i < wiersze; ++i) std::memset(Sesja.WierszeNaglowka[i], 0, DLUGOSC_NAPISU);
  Sesja.UchwytWejscia = Sesja.UchwytWyjscia = Sesja.UchwytKonfig = -1;
  Sesja.UchwytRaportu = Sesja.UchwytBufora = Sesja.UchwytSerwera = -1;
  Sesja.BiezacyWynik = KodBledu(BezBledu);
  Sesja.OtwieranieSesji = 0;
  Sesja.PierwszyRozkaz = 0;
  Sesja.LiniaZakonczona = 1;
  // The inner sessions of a command that runs others (PelnaSesja 0) do not
  // identify the register again: they go on with what its own session read.
  if (Sesja.PelnaSesja) Sesja.Urzadzenie = DaneUrzadzenia{};
  Sesja.Wymiana = DaneWymiany{};
  Sesja.Ramki = DaneRamek{};
  Sesja.Opcje = DaneOpcji{};
  Sesja.Lacze = UstawieniaLacza{};
  Sesja.NumerKasyZadany = 0;
  Sesja.IdentyfikatorSterownika = 0;
  Sesja.LicznikRozkazow = 0;
  Sesja.LicznikLiniiWejscia = Sesja.LicznikLiniiWyjscia = 0;
  Sesja.OkresLicznika = Sesja.OkresLinii = Sesja.OkresLiniiWyjscia = 0;
  Sesja.ZapisKomunikatow = 0;
  Sesja.Wstrzymany = 0;
  Sesja.PokazPlikWRaporcie = 1;
  std::memset(Sesja.NazwaWKomunikatach, 0, DLUGOSC_NAPISU);
  OtwarcieKanaluSerwera(0);  // the channel stays closed until the session opens it
  Sesja.NumerKomunikatu = 0;
  // The prologue sets its flags right after the reset; clear them so that no
  // flag of an earlier command in this process survives.
  Sesja.JestPlikWynikowy = Sesja.NowyPlikWynikowy = Sesja.OdczytacNumerKasy = 0;
  Sesja.SprawdzacNumerKasy = Sesja.OdczytacTypKasy = Sesja.PolaczenieZKasa = 0;
  Sesja.ZachowanieWyniku = 0;
  Sesja.OdczytacPojemnoscPLU = 0;
  std::memset(Sesja.PlikiSterownika, 0, sizeof Sesja.PlikiSterownika);
}

static const char* TekstLubNic(const char* t) { return t[0] ? t : nullptr; }

const char* NazwaZeSlotu(uint8_t slot) { return slot < 4 ? TekstLubNic(Sesja.NazwyPlikowSesji[slot]) : nullptr; }
uint8_t SlotSerwera() { return Sesja.JestPlikWynikowy ? 3 : 2; }
const char* NazwaPlikuWejsciowegoLubNic() { return NazwaZeSlotu(NazwaPlikuWejsciowego); }
const char* NazwaPlikuWyjsciowegoLubNic() { return NazwaZeSlotu(NazwaPlikuWyjsciowego); }
const char* NazwaPlikuSerweraLubNic() { return NazwaZeSlotu(SlotSerwera()); }
bool JestNazwaPlikuWejsciowego() { return NazwaPlikuWejsciowegoLubNic() != nullptr; }
bool JestNazwaPlikuWyjsciowego() { return NazwaPlikuWyjsciowegoLubNic() != nullptr; }
bool JestNazwaPlikuSerwera() { return NazwaPlikuSerweraLubNic() != nullptr; }
