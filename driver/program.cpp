#include "driver/program.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/command_entry.h"
#include "karvo_version.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "protocol/wire_capture.h"
#include "session/report_log.h"
#include "session/session_open.h"
#include "state/session_state.h"
#include "state/versions.h"

namespace {

constexpr std::size_t DlugoscOpcji = 80;

struct Opcje {
  // The values as given: one longer than the limit is refused by the session
  // (a cut name may be another file), not cut.
  std::string Wejscie, Wyjscie;
  int32_t KodRozkazu = -1;
  bool PodanoKod = false;
  char Selektor = '0';
};

void WypisanieWersji() {
  std::printf("\nSkompilowano %s o godz. %s wer. %4.2f\n", __DATE__, __TIME__, WersjaSterownika);
  std::printf("Biblioteka KARVO wer. %s\n", WersjaBiblioteki);
  std::fflush(stdout);
}

// The short usage: on standard output when it was asked for (--help), on
// standard error when it answers a command line that cannot run.
void WypisaniePomocy(std::FILE* dokad) {
  std::fputs(
      "usage: karvo /K<CommandCode> /F<input>[;<second>[;<third>]] [/W<output>] [/Q2]\n"
      "       karvo /V\n"
      "  /K  the command, 11 to 412 (the table of commands: README.md, docs/commands.md)\n"
      "  /F  the input data file, at most 80 characters; further names after \";\" (the Server file)\n"
      "  /W  the output data file of a reading command, at most 80 characters\n"
      "  /Q2 print \"Funkcja _Name zakonczyla sie wynikiem N.\" at the end\n"
      "  /V  print the version and end\n"
      "  --help, --version  this text, the version (exit code 0)\n"
      "The outcome is the ResultCode in RAPORT.TXT (also appended to karvo.log); KONFIG.TXT\n"
      "says where each register is. More: man karvo, and the guide\n"
      "(/usr/share/doc/karvo/guide.md, docs/guide.md in the sources).\n",
      dokad);
}

// The version as the other programs give it; /V keeps the driver's own text.
void WypisanieWersjiProgramu() {
  std::printf("karvo %s (library %s)\n", KARVO_VERSION, WersjaBiblioteki);
  std::fflush(stdout);
}

// Applies one option; answers false when the run must end at once with exitKod.
bool ZastosowanieOpcji(const char* arg, Opcje& o, int& exitKod) {
  if (arg[0] != '/') {
    exitKod = 0;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      WypisaniePomocy(stdout);
      std::fflush(stdout);
    } else if (std::strcmp(arg, "--version") == 0) {
      WypisanieWersjiProgramu();
    } else {
      std::fprintf(stderr, "karvo: \"%s\" is not an option: every option begins with \"/\" (karvo --help)\n", arg);
      exitKod = 1;
    }
    return false;
  }
  const char litera = static_cast<char>(std::toupper(static_cast<unsigned char>(arg[1])));
  const char* wartosc = arg[1] ? arg + 2 : arg + 1;
  switch (litera) {
    case 'F': o.Wejscie = wartosc; break;
    case 'W': o.Wyjscie = wartosc; break;
    case 'K':
      o.KodRozkazu = static_cast<int32_t>(std::atol(wartosc));
      o.PodanoKod = true;
      break;
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
  if (argc < 2) {
    WypisaniePomocy(stderr);
    return 1;
  }
  if (o.KodRozkazu < 11 || o.KodRozkazu > 412) {
    if (!o.PodanoKod)
      std::fputs("karvo: no CommandCode: give /K<CommandCode> (karvo --help)\n", stderr);
    else
      std::fprintf(stderr, "karvo: CommandCode %d is outside 11 to 412\n", static_cast<int>(o.KodRozkazu));
    return 1;
  }
  const PozycjaFunkcji* pozycja = ZnalezienieFunkcji(o.KodRozkazu);
  if (!pozycja) {
    std::fprintf(stderr, "karvo: CommandCode %d selects no command: nothing was run\n", static_cast<int>(o.KodRozkazu));
    for (const std::string& raport : UsuniecieRaportuBezRozkazu(o.Wejscie.c_str(), o.Wyjscie.c_str()))
      std::fprintf(stderr, "karvo: the report of an earlier run, %s, was removed (karvo.log keeps it)\n", raport.c_str());
    return 0;
  }
  NazwyDluzszeNizOpcja(o.Wejscie.size() > DlugoscOpcji, o.Wyjscie.size() > DlugoscOpcji);
  platforma::PrzechwytywanieSygnalowKonca();
  RozpoczeciePodsluchu(argc, argv);
  // A command that runs others leaves each inner report in the log as it goes.
  UstawienieLoguRaportow(DopisanieRaportuDoLogu);
  const OpisFunkcji& opis = *pozycja->Opis;
  const uint8_t wynik = opis.JestPlikWynikowy ? pozycja->WejscieIWyjscie(o.Wejscie.c_str(), o.Wyjscie.c_str())
                                              : pozycja->Wejscie(o.Wejscie.c_str());
  // Only the report this run wrote goes to the log: one left by another run
  // would give it a block that is not this run's.
  DopisanieRaportuDoLogu(Sesja.ZapisanyRaport[0] ? Sesja.ZapisanyRaport : nullptr);
  ZakonczeniePodsluchu();
  // 56 is also the Server's BREAK: say that a signal, not a Server, ended the run.
  if (const int sygnal = platforma::SygnalKonca())
    std::fprintf(stderr, "karvo: %s ended the command: ResultCode %u\n", platforma::NazwaSygnalu(sygnal).c_str(),
                 static_cast<unsigned>(wynik));
  WypisanieWyniku(o.Selektor, opis.NazwaWydruku ? opis.NazwaWydruku : opis.Nazwa, wynik);
  return 0;
}

uint8_t DopisanieRaportuDoLogu(const char* raport) {
  std::FILE* plik = raport ? std::fopen(platforma::DopasowanaSciezka(raport).c_str(), "rb") : nullptr;
  if (!plik) {
    const int blad = errno;
    // "Nie można otworzyć pliku z raportem.\n" in code page 852
    platforma::KomunikatCp852("Nie mo\xbe" "na otworzy\x86 pliku z raportem.\n");
    if (raport)
      std::fprintf(stderr, "karvo: the report %s cannot be opened (%s): nothing was added to %s\n", raport,
                   std::strerror(blad), NAZWA_LOGU);
    else
      std::fprintf(stderr, "karvo: the run wrote no report: nothing was added to %s\n", NAZWA_LOGU);
    return 0;
  }
  // One write of the whole block: the log never holds half of it, nor a block
  // of another run in its middle.
  std::string blok;
  for (int c; (c = std::fgetc(plik)) != EOF;) blok.push_back(static_cast<char>(c));
  std::fclose(plik);
  blok += std::string(80, '-') + "\r\n";  // the log is a text file of the reference platform
  const int32_t log = platforma::OtworzPlik(NAZWA_LOGU, 2, platforma::Udostepnianie::Zezwol);
  const std::string powod = log < 0 ? platforma::PowodNieotwarcia() : "";
  const bool dopisano = log >= 0 && platforma::PiszPlik(log, blok.data(), blok.size()) == static_cast<long>(blok.size());
  const int bladZapisu = errno;
  platforma::ZamknijPlik(log);
  if (!dopisano) {
    // "Nie można otworzyć pliku LOG.\n" in code page 852
    platforma::KomunikatCp852("Nie mo\xbe" "na otworzy\x86 pliku LOG.\n");
    std::fprintf(stderr, "karvo: %s %s (%s): the report of this run is only in %s\n", NAZWA_LOGU,
                 log < 0 ? "cannot be opened" : "cannot be written", log < 0 ? powod.c_str() : std::strerror(bladZapisu),
                 raport);
    return 0;
  }
  return 1;
}

void WypisanieWyniku(char selektor, const char* nazwa, uint8_t wynik) {
  if (selektor != '2') return;
  std::printf("\nFunkcja %s zakonczyla sie wynikiem %u.", nazwa, static_cast<unsigned>(wynik));
  std::fflush(stdout);
}
