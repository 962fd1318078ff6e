#include "driver/program.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/command_table.h"
#include "platform/files.h"
#include "platform/process.h"
#include "protocol/wire_capture.h"
#include "state/session_state.h"
#include "state/versions.h"

namespace {

constexpr std::size_t DlugoscOpcji = 80;

struct Opcje {
  std::string Wejscie, Wyjscie;
  int32_t KodRozkazu = -1;
  char Selektor = '0';
};

void WypisanieWersji() {
  std::printf("\nSkompilowano %s o godz. %s wer. %4.2f\n", __DATE__, __TIME__, WersjaSterownika);
  std::printf("Biblioteka KARVO wer. %s\n", WersjaBiblioteki);
  std::fflush(stdout);
}

// Applies one option; answers false when the run must end at once with exitKod.
bool ZastosowanieOpcji(const char* arg, Opcje& o, int& exitKod) {
  if (arg[0] != '/') {
    exitKod = 1;
    return false;
  }
  const char litera = static_cast<char>(std::toupper(static_cast<unsigned char>(arg[1])));
  const char* wartosc = arg[1] ? arg + 2 : arg + 1;
  switch (litera) {
    case 'F': o.Wejscie.assign(wartosc, strnlen(wartosc, DlugoscOpcji)); break;
    case 'W': o.Wyjscie.assign(wartosc, strnlen(wartosc, DlugoscOpcji)); break;
    case 'K': o.KodRozkazu = static_cast<int32_t>(std::atol(wartosc)); break;
    case 'Q': o.Selektor = wartosc[0]; break;
    case 'V':
      WypisanieWersji();
      exitKod = 0;
      return false;
    default: break;  // any other letter is ignored
  }
  return true;
}

}  // namespace

int ProgramGlowny(int argc, const char* const* argv) {
  Opcje o;
  for (int i = 1; i < argc; ++i) {
    int exitKod = 0;
    if (!ZastosowanieOpcji(argv[i], o, exitKod)) return exitKod;
  }
  if (o.KodRozkazu < 11 || o.KodRozkazu > 412) return 1;
  const PozycjaRozkazu* pozycja = ZnajdzRozkaz(o.KodRozkazu);
  if (!RozkazWybiera(pozycja)) return 0;
  platforma::PrzechwytywanieSygnalowKonca();
  RozpoczeciePodsluchu(argc, argv);
  const uint8_t wynik = pozycja->ZPlikiemWynikowym ? pozycja->WejscieIWyjscie(o.Wejscie.c_str(), o.Wyjscie.c_str())
                                                   : pozycja->Wejscie(o.Wejscie.c_str());
  // Only the report this run wrote goes to the log: one left by another run
  // would give it a block that is not this run's.
  DopisanieRaportuDoLogu(Sesja.ZapisanyRaport[0] ? Sesja.ZapisanyRaport : nullptr);
  ZakonczeniePodsluchu();
  WypisanieWyniku(o.Selektor, pozycja->NazwaWydruku ? pozycja->NazwaWydruku : pozycja->Nazwa, wynik);
  return 0;
}

uint8_t DopisanieRaportuDoLogu(const char* raport) {
  std::FILE* plik = raport ? std::fopen(platforma::DopasowanaSciezka(raport).c_str(), "rb") : nullptr;
  if (!plik) {
    // "Nie można otworzyć pliku z raportem.\n" in code page 852
    std::fputs("Nie mo\xbe" "na otworzy\x86 pliku z raportem.\n", stderr);
    return 0;
  }
  // One write of the whole block: the log never holds half of it, nor a block
  // of another run in its middle.
  std::string blok;
  for (int c; (c = std::fgetc(plik)) != EOF;) blok.push_back(static_cast<char>(c));
  std::fclose(plik);
  blok += std::string(80, '-') + "\r\n";  // the log is a text file of the reference platform
  const int32_t log = platforma::OtworzPlik(NAZWA_LOGU, 2, platforma::Udostepnianie::Zezwol);
  const bool dopisano = log >= 0 && platforma::PiszPlik(log, blok.data(), blok.size()) == static_cast<long>(blok.size());
  platforma::ZamknijPlik(log);
  if (!dopisano) {
    // "Nie można otworzyć pliku LOG.\n" in code page 852
    std::fputs("Nie mo\xbe" "na otworzy\x86 pliku LOG.\n", stderr);
    return 0;
  }
  return 1;
}

void WypisanieWyniku(char selektor, const char* nazwa, uint8_t wynik) {
  if (selektor != '2') return;
  std::printf("\nFunkcja %s zakonczyla sie wynikiem %u.", nazwa, static_cast<unsigned>(wynik));
  std::fflush(stdout);
}
