// What a hurried user is told on standard error: which line and field of a
// data file gave 11 and why, which device did not answer or open, which
// register number came back, a malformed ports.conf line, a file that did not
// open and why; and a run whose CommandCode selects nothing leaves no report
// that reads as its own. The report and the exit code stay as they were.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {

bool Zawiera(const std::string& tekst, const std::string& fragment) { return tekst.find(fragment) != std::string::npos; }

const std::string ZLA_LINIA = "\r\n#" + Opis(11, "bledna linia lub bledne pole w pliku wejsciowym", "Z.TXT") + "\r\n";

// A goods line of register family T (vin-t.txt) with field `pole` replaced.
std::string LiniaTowaru(int pole, const std::string& wartosc) {
  std::vector<std::string> pola = {"1", "Chleb zwykly 500g  ", "1", "1", "3", "1", "0", "5900000000017", "349", "0"};
  pola.at(static_cast<std::size_t>(pole - 1)) = wartosc;
  std::string linia;
  for (const auto& p : pola) linia += (linia.empty() ? "" : "\t") + p;
  return linia;
}

// ---- ResultCode 11: the line, the field and why -----------------------------

TEST(BladLinii, SaysTheLineTheFieldAndWhy) {
  const std::string naglowek = "#7\r\n#\r\n#\r\n";
  const struct {
    const char* opis;
    std::string wejscie;
    std::string komunikat;
  } przypadki[] = {
      {"a name one character short", naglowek + "$" + LiniaTowaru(2, "Chleb zwykly 500g ") + "\r\n",
       "karvo: Z.TXT line 4 field 2: 18 characters where 19 are needed\n"},
      {"a name one character long", naglowek + "$" + LiniaTowaru(2, "Chleb zwykly 500g   ") + "\r\n",
       "karvo: Z.TXT line 4 field 2: 20 characters where 19 are needed\n"},
      {"a name in UTF-8", naglowek + "$" + LiniaTowaru(2, "Chleb zwyk\xC5\x82y 500g  ") + "\r\n",
       "karvo: Z.TXT line 4 field 2: 20 characters where 19 are needed; it holds 1 UTF-8 letter of 2 or more bytes: "
       "write texts in the register's one-byte code page\n"},
      {"a decimal where an integer is needed", naglowek + "$" + LiniaTowaru(3, "1.50") + "\r\n",
       "karvo: Z.TXT line 4 field 3: \"1.50\" is not a whole number (0 to 255)\n"},
      {"a number above its type", naglowek + "$" + LiniaTowaru(4, "256") + "\r\n",
       "karvo: Z.TXT line 4 field 4: \"256\" is above 255\n"},
      {"an empty field", naglowek + "$" + LiniaTowaru(5, "") + "\r\n", "karvo: Z.TXT line 4 field 5: empty\n"},
      {"a line that ends early, after a comment", naglowek + ";\r\n$1\tChleb zwykly 500g  \t1\r\n",
       "karvo: Z.TXT line 5 field 4: missing (the line has 3 fields)\n"},
      {"the second line bad", naglowek + "$" + LiniaTowaru(1, "1") + "\r\n$" + LiniaTowaru(9, "x9") + "\r\n",
       "karvo: Z.TXT line 5 field 9: \"x9\" is not a number (0 to 4294967295)\n"},
      {"a line of no kind", naglowek + "Chleb\r\n",
       "karvo: Z.TXT line 4: the line begins with \"C\": a line begins with \"#\" (header), \"$\" (data) or \";\" "
       "(comment)\n"},
      {"a header line among the data lines", naglowek + "#\r\n",
       "karvo: Z.TXT line 4: a header line where a data line (\"$\") must stand\n"},
      {"a data line where the header must stand", "#7\r\n$1\r\n",
       "karvo: Z.TXT line 2: a data line where a header line (\"#\") must stand\n"},
      {"a byte order mark", "\xEF\xBB\xBF#7\r\n#\r\n#\r\n",
       "karvo: Z.TXT line 1: the file begins with a UTF-8 byte order mark: write it without one\n"},
      {"a register number that is no number", "#7a ; the shop\r\n#\r\n#\r\n",
       "karvo: Z.TXT line 1 field 1: \"7A\" is not a number (0 to 255)\n"},
  };
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.opis);
    env.Plik("Z.TXT", p.wejscie);
    const WynikKarvo w = env.Karvo(23, "Z.TXT");
    EXPECT_EQ(w.kodWyjscia, 0);
    EXPECT_TRUE(Zawiera(w.raport, ZLA_LINIA)) << w.raport;
    EXPECT_EQ(w.konsola, p.komunikat);
  }
  // A good line says nothing.
  env.Plik("Z.TXT", naglowek + "$" + LiniaTowaru(1, "1") + "\r\n");
  const WynikKarvo w = env.Karvo(23, "Z.TXT");
  EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + DOBRZE + "\r\n")) << w.raport;
  EXPECT_EQ(w.konsola, "");
}

// ---- the line to the register ---------------------------------------------------

// Each way the line to the register fails: its whole report, and on standard
// error the device and speed (or both register numbers) it concerns.
TEST(Lacze, AFailedLineSaysWhatAndWhere) {
  const std::string modul = "127.0.0.1:1:x:0:HASLO123:1:2";
  const struct {
    const char* opis;
    const char* usterka;  // of register 7 of vin-t.txt on COM1 ("": none); nullptr: no simulator but `konfig`
    int kasa, rozkaz;
    std::string konfig, lacze, nazwa, wynik, trzecia;  // the report: its header, result and third line
    std::string konsola;  // "@" stands for the device: the simulator's, or COM9's that is not there
  } przypadki[] = {
      {"no answer", "0xFE:silent", 7, 113, "", "COM1:9600:MUX0:1", "ONrKasy", Opis(21, "brak odpowiedzi kasy"),
       "Symulator (identyfikator z pliku KONFIG.TXT)",
       "karvo: no answer from register 7 (COM1: @; 9600 bit/s): ResultCode 21\n"},
      {"a register of another number", "", 8, 120, "", "COM1:9600:MUX0:1", "OZegar",
       Opis(22, "numer kasy rozny od numeru podanego w pliku wejsciowym"), "Vin 20000 PLU II gen. ver. 02" + ZRODLO,
       "karvo: the register on COM1: @ has the number 7, the input file asks for 8: ResultCode 22\n"},
      {"a port that does not open", nullptr, 3, 113, "$3\tCOM9:9600:MUX0:1\t1\r\n", "COM9:9600:MUX0:1", "ONrKasy",
       Opis(62, "nie mozna otworzyc portu lub polaczenia z kasa", "COM9: @"), "Karvo (identyfikator domyslny)",
       "karvo: cannot open the line to register 3 (COM9: @; 9600 bit/s): ResultCode 62\n"},
      {"a network link to nobody", nullptr, 3, 113, "$3\tCOM1:9600:MUX5:1\t1\tModul\t" + modul + "\r\n",
       "COM1:9600:MUX5:1", "ONrKasy", Opis(65, "blad polaczenia sieciowego"),
       "Modul (identyfikator z pliku KONFIG.TXT)\t" + modul, ""},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.opis);
    Stanowisko env;
    std::optional<Symulator> sim;
    if (p.usterka) {
      sim.emplace(env.Katalog(), OpcjeSymulatora{.urzadzenia = {"vin-t.txt"},
                                                 .usterki = *p.usterka ? std::vector<std::string>{p.usterka}
                                                                       : std::vector<std::string>{}});
      ASSERT_TRUE(sim->Gotowy());
      env.PolaczZSymulatorem(*sim, p.kasa);
    } else {
      env.Konfig(p.konfig);
      env.Porty("COM9\t" + env.Sciezka("nothing-here") + "\n");
    }
    const auto podstaw = [&, urzadzenie = sim ? sim->Cel() : env.Sciezka("nothing-here")](std::string t) {
      if (const std::size_t i = t.find('@'); i != std::string::npos) t.replace(i, 1, urzadzenie);
      return t;
    };
    env.Plik("WE.TXT", Srodowisko::Wejscie(p.kasa));
    const WynikKarvo w = env.Karvo(p.rozkaz, "WE.TXT", "WY.TXT");
    EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(p.kasa, p.lacze, p.nazwa, "WY.TXT"), podstaw(p.wynik), p.trzecia}));
    EXPECT_EQ(w.konsola, podstaw(p.konsola));
    SprawdzLog(w);
  }
}

// A port that ports.conf does not map: the device it falls back to is named,
// with the map that lacks it; a malformed line of the map is said with its number.
TEST(Lacze, AnUnmappedPortAndAMalformedMapLineAreSaid) {
  Stanowisko env;
  env.Konfig("$7\tCOM9:9600:MUX0:1\t1\tKasa\r\n");
  env.Porty("# the map\nCOM9 " + env.Sciezka("nic") + "\nCOM2\t./COM2\t10.0.0\nCOMX\t./COM3\nCOM4\t./COM4\n");
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  const std::string mapa = env.Sciezka("ports.conf");
  EXPECT_TRUE(Zawiera(w.konsola, "karvo: " + mapa +
                                     " line 2: no target after the port (the fields are separated by a tab): the line "
                                     "is passed over\n"))
      << w.konsola;
  EXPECT_TRUE(Zawiera(w.konsola, "karvo: " + mapa + " line 3: \"10.0.0\" is not a dotted IPv4 address: the line is passed over\n"))
      << w.konsola;
  EXPECT_TRUE(Zawiera(w.konsola, "karvo: " + mapa + " line 4: \"COMX\" is not COM0 to COM255: the line is passed over\n"))
      << w.konsola;
  EXPECT_FALSE(Zawiera(w.konsola, " line 5:")) << w.konsola;
  // Each malformed line once, however often the run reads the map.
  EXPECT_EQ(w.konsola.find(" line 2:"), w.konsola.rfind(" line 2:")) << w.konsola;
  const std::string urzadzenie = "COM9: /dev/ttyS8, not in " + env.Katalog().Sciezka() + "/ports.conf";
  const int kod = Kod(w);
  ASSERT_TRUE(kod == 62 || kod == 21) << w.raport;  // whether this machine has a /dev/ttyS8
  if (kod == 62) {
    EXPECT_TRUE(Zawiera(w.raport, " (" + urzadzenie + ")\r\n")) << w.raport;
  }
  EXPECT_TRUE(Zawiera(w.konsola, "register 7 (" + urzadzenie + "; 9600 bit/s): ResultCode " + std::to_string(kod)))
      << w.konsola;
}

// ---- files that do not open ---------------------------------------------------

TEST(Pliki, AFileThatDoesNotOpenIsNamedWithTheSystemsReason) {
  Stanowisko env;
  env.Konfig("$7\tCOM1:9600:MUX0:1\t1\r\n");
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  ::mkdir(env.Sciezka("KATALOG").c_str(), 0755);
  const struct {
    const char* opis;
    std::string wejscie, wyjscie;
    int kod;
    std::string komunikat;
  } przypadki[] = {
      {"a missing input file", "BRAK.TXT", "WY.TXT", 6,
       "karvo: the input file BRAK.TXT cannot be opened (No such file or directory): ResultCode 6\n"},
      {"an output file that is a directory", "WE.TXT", "KATALOG", 8,
       "karvo: the output file KATALOG cannot be opened (Is a directory): ResultCode 8\n"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.opis);
    const WynikKarvo w = env.Karvo(113, p.wejscie, p.wyjscie);
    EXPECT_EQ(Kod(w), p.kod) << w.raport;
    EXPECT_EQ(w.konsola, p.komunikat);
  }
}

// ---- a CommandCode that selects nothing ---------------------------------------

// The report of an earlier run would read as this run's: it goes (karvo.log
// keeps it), wherever a command with these names would have written it.
TEST(BezRozkazu, TheReportOfAnEarlierRunIsRemoved) {
  // A Server file whose third line names the report RAP/RAPORT.TXT.
  std::string serwer = "$13:10\r\n$KONFIG.TXT\r\n$RAP/RAPORT.TXT\r\n$KOMENT.TXT\r\n$MODKONF.TXT\r\n$ECRTBUF.TXT\r\n";
  serwer += "$0\r\n$0\r\n$0\r\n$0\r\n$0\r\n$0\r\n$0\r\n";
  const struct {
    const char* opis;
    std::string wejscie;  // the /F value
    std::string raport;   // where the earlier run's report lies
    bool wSerwerze;
  } przypadki[] = {
      {"beside KONFIG.TXT", "WE.TXT", "RAPORT.TXT", false},
      {"in the input file's directory", "SKLEP/WE.TXT", "SKLEP/RAPORT.TXT", false},
      {"where the Server file says", "WE.TXT;WY.TXT;SERWER.TXT", "RAP/RAPORT.TXT", true},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.opis);
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZSymulatorem(sim, 7);
    const std::string wejscie = p.wejscie.substr(0, p.wejscie.find(';'));
    const std::string katalog = std::filesystem::path(env.Sciezka(wejscie)).parent_path();
    std::filesystem::create_directories(katalog);
    std::filesystem::create_directories(env.Sciezka("RAP"));
    if (p.raport == "SKLEP/RAPORT.TXT") {
      std::filesystem::rename(env.Sciezka("KONFIG.TXT"), katalog + "/KONFIG.TXT");
      std::filesystem::copy_file(env.Sciezka("KOMENT.TXT"), katalog + "/KOMENT.TXT");
    }
    if (p.wSerwerze) env.Plik("SERWER.TXT", serwer);
    env.Plik(wejscie, Srodowisko::Wejscie(7));
    const WynikKarvo dobry = env.Karvo(113, p.wejscie, "WY.TXT");
    ASSERT_TRUE(Zawiera(CzytajPlik(env.Sciezka(p.raport)), "\r\n#" + DOBRZE + "\r\n")) << dobry.konsola;
    // A report that no command with these names would write stays.
    const std::string obcy = p.raport == "RAPORT.TXT" ? "RAP/RAPORT.TXT" : "RAPORT.TXT";
    env.Plik(obcy, "#another application's\r\n");

    std::string konsola;
    const int kod = Uruchom({KARVO_BINARY, "/K20", "/F" + p.wejscie, "/WWY.TXT", "/Q2"}, env.Katalog().Sciezka(),
                            {"KARVO_PLATFORM_DIR=" + env.Katalog().Sciezka()}, 10s, konsola);
    EXPECT_EQ(kod, 0);
    EXPECT_FALSE(std::filesystem::exists(env.Sciezka(p.raport)));
    EXPECT_EQ(CzytajPlik(env.Sciezka(obcy)), "#another application's\r\n");
    EXPECT_EQ(konsola, "karvo: CommandCode 20 selects no command: nothing was run\n"
                       "karvo: the report of an earlier run, " + p.raport + ", was removed (karvo.log keeps it)\n");
    EXPECT_EQ(CzytajPlik(env.Sciezka("karvo.log")), dobry.log) << "the log is left as it was";
  }
}

TEST(BezRozkazu, WithoutAnEarlierReportNothingIsRemoved) {
  Stanowisko env;
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  std::string konsola;
  const int kod = Uruchom({KARVO_BINARY, "/K20", "/FWE.TXT"}, env.Katalog().Sciezka(), {}, 10s, konsola);
  EXPECT_EQ(kod, 0);
  EXPECT_EQ(konsola, "karvo: CommandCode 20 selects no command: nothing was run\n");
  EXPECT_EQ(CzytajPlik(env.Sciezka("WE.TXT")), Srodowisko::Wejscie(7));
  EXPECT_FALSE(std::filesystem::exists(env.Sciezka("karvo.log")));
}

// ---- the driver's Polish messages on a terminal -------------------------------

// Runs karvo with its standard error on a new pseudo-terminal; answers what
// the terminal showed.
std::string NaTerminalu(const std::vector<std::string>& argumenty, const std::string& katalog,
                        const std::vector<std::string>& srodowisko) {
  const int glowny = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (glowny < 0 || ::grantpt(glowny) != 0 || ::unlockpt(glowny) != 0) return "no pseudo-terminal";
  const std::string podrzedny = ::ptsname(glowny);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();
    const int t = ::open(podrzedny.c_str(), O_RDWR);
    const int nic = ::open("/dev/null", O_RDWR);
    ::dup2(nic, 0);
    ::dup2(nic, 1);
    ::dup2(t, 2);
    if (::chdir(katalog.c_str()) != 0) ::_exit(127);
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_CTYPE");
    ::unsetenv("LANG");
    for (const auto& z : srodowisko) ::putenv(const_cast<char*>(z.c_str()));
    std::vector<char*> argv;
    for (const auto& a : argumenty) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  std::string wynik;
  char bufor[512];
  for (;;) {
    pollfd p{glowny, POLLIN, 0};
    if (::poll(&p, 1, 5000) <= 0) break;
    const ssize_t n = ::read(glowny, bufor, sizeof bufor);
    if (n <= 0) break;  // EIO: the terminal's last user closed it
    wynik.append(bufor, static_cast<std::size_t>(n));
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(glowny);
  return wynik;
}

TEST(Terminal, PolishMessagesAreConvertedOnlyForAUtf8Terminal) {
  // A run that can write no report: RAPORT.TXT is a directory.
  Stanowisko env;
  env.Konfig("$7\tCOM1:9600:MUX0:1\t1\r\n");
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  ::mkdir(env.Sciezka("RAPORT.TXT").c_str(), 0755);
  const std::vector<std::string> argumenty = {KARVO_BINARY, "/K113", "/FWE.TXT", "/WWY.TXT"};
  const std::string cp852 = "Nie mo\xBEna otworzy\x86 pliku z raportem.";
  const std::string utf8 = "Nie mo\xC5\xBCna otworzy\xC4\x87 pliku z raportem.";
  const struct {
    const char* opis;
    std::vector<std::string> srodowisko;
    std::string oczekiwany;
  } przypadki[] = {
      {"LANG of UTF-8", {"LANG=C.UTF-8"}, utf8},
      {"LC_ALL of UTF-8 over LANG", {"LANG=C", "LC_ALL=C.UTF-8"}, utf8},
      {"a UTF-8 locale that is not installed", {"LANG=xx_YY.UTF-8"}, utf8},
      {"the C locale", {"LANG=C"}, cp852},
      {"no locale at all", {}, cp852},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.opis);
    const std::string terminal = NaTerminalu(argumenty, env.Katalog().Sciezka(), p.srodowisko);
    EXPECT_TRUE(Zawiera(terminal, p.oczekiwany)) << terminal;
  }
  // Redirected, the bytes stay as they are whatever the locale.
  std::string konsola;
  Uruchom(argumenty, env.Katalog().Sciezka(), {"LANG=C.UTF-8", "LC_ALL=C.UTF-8"}, 10s, konsola);
  EXPECT_TRUE(Zawiera(konsola, cp852 + "\n")) << konsola;
}

}  // namespace
