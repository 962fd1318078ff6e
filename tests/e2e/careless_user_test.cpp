// What a user who makes a mistake meets: a name longer than the command line
// takes, a data file whose reading stops early, a zero byte in a data line.
// The files and ResultCodes of a good run stay as they are; what is added is
// said on standard error and in the report's detail.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;

namespace {

bool Zawiera(const std::string& tekst, const std::string& fragment) { return tekst.find(fragment) != std::string::npos; }

// ---- /F and /W longer than 80 characters --------------------------------------

// A name of 89 characters whose first 80 name an existing file: the cut name
// is never used, the existing file keeps its content, nothing else appears.
TEST(DlugieNazwy, AreRefusedBeforeAnyFileIsOpened) {
  const std::string krotka = std::string(76, 'C') + ".TXT";  // 80 characters
  const std::string dluga = krotka + "123456789";
  const std::string cennik = Srodowisko::Wejscie(7, {"2\tMleko"});
  const struct {
    const char* opis;
    int kod;
    std::string wejscie, wyjscie;
    int wynik;
    std::string plik, szczegol;  // the file concerned in the report
  } przypadki[] = {
      {"/W of a reading command", 113, "WE.TXT", dluga, 8, "/W", dluga},
      {"/F of a writing command", 114, dluga, "", 6, "/F", dluga},
      {"/F before /W", 113, dluga, dluga, 6, "/F", dluga},
  };
  for (const auto& p : przypadki) {
    Stanowisko env;
    env.Konfig("$7\tCOM1:9600:MUX0:1\t1\r\n");
    env.Plik(krotka, cennik);
    env.Plik("WE.TXT", Srodowisko::Wejscie(7));
    const WynikKarvo w = env.Karvo(p.kod, p.wejscie, p.wyjscie);
    EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + std::to_string(p.wynik) + "\t; nie mozna otworzyc pliku ")) << p.opis << w.raport;
    EXPECT_TRUE(Zawiera(w.raport, " (" + p.szczegol + ": nazwa dluzsza niz 80 znakow)\r\n")) << p.opis << w.raport;
    EXPECT_TRUE(Zawiera(w.konsola, "karvo: the " + p.plik + " value is longer than 80 characters")) << p.opis << w.konsola;
    EXPECT_EQ(CzytajPlik(env.Sciezka(krotka)), cennik) << p.opis;
    EXPECT_EQ(CzytajPlik(env.Sciezka(dluga)), "") << p.opis;
    SprawdzLog(w);
  }
}

// Names of exactly 80 characters work as any other.
TEST(DlugieNazwy, EightyCharactersStillWork) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  const std::string wejscie = std::string(75, 'W') + "E.TXT", wyjscie = std::string(75, 'W') + "Y.TXT";
  env.Plik(wejscie, Srodowisko::Wejscie(7));
  const WynikKarvo w = env.Karvo(113, wejscie, wyjscie);
  EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + DOBRZE + "\r\n")) << w.raport;
  EXPECT_TRUE(Zawiera(w.wyjscie, "\r\n$07\r\n")) << w.wyjscie;
  EXPECT_EQ(w.konsola, "");
}

// ---- a reading that stops before the end of the file ----------------------------

struct Odczyt {
  const char* opis;
  std::string wejscie;
  int wynik;
  std::string komunikat;  // on standard error; empty: nothing there
};

// _OTowar reads the goods the data lines list; its reading ends at an empty
// or too long line as at the end of the file, and says so when lines follow.
TEST(UrwanyOdczyt, IsSaidOnStandardError) {
  const std::string dlugie = "$" + std::string(300, '1');
  const std::string lf = "#7\n#\n#\n" + std::string(30, '$') + "1\n" + std::string(250, ';') + "\n";
  const Odczyt przypadki[] = {
      {"an empty line before data", "#7\r\n#\r\n#\r\n$1\r\n\r\n$2\r\n", 0,
       "karvo: line 5 of WE.TXT is empty: the lines after it were not read\n"},
      {"an empty line at the end", "#7\r\n#\r\n#\r\n$1\r\n\r\n\r\n", 0, ""},
      {"a line over 255 bytes", "#7\r\n#\r\n#\r\n$1\r\n" + dlugie + "\r\n$2\r\n", 0,
       "karvo: line 5 of WE.TXT is longer than 255 bytes: it and the lines after it were not read\n"},
      {"a long file of LF lines", lf, 10,
       "karvo: line 1 of WE.TXT is longer than 255 bytes: it and the lines after it were not read (its lines end "
       "with LF alone; the driver reads lines that end with CR LF)\n"},
      {"a short file of LF lines after a comment", ";towary\n#7\n#\n#\n$1\n", 10,
       "karvo: WE.TXT was read as one line (its lines end with LF alone; the driver reads lines that end with CR LF)\n"},
  };
  for (const auto& p : przypadki) {
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {"towary-t.txt"}});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZSymulatorem(sim, 7);
    env.Plik("WE.TXT", p.wejscie);
    const WynikKarvo w = env.Karvo(22, "WE.TXT", "WY.TXT");
    EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + std::to_string(p.wynik) + "\t;")) << p.opis << w.raport;
    EXPECT_EQ(w.konsola, p.komunikat) << p.opis;
    if (p.wynik == 0) {
      EXPECT_TRUE(Zawiera(w.wyjscie, "\r\n$00001\tChleb")) << p.opis << w.wyjscie;
    }
    EXPECT_FALSE(Zawiera(w.wyjscie, "\r\n$00002")) << p.opis << w.wyjscie;
  }
}

// _Paker goes on past an empty line: nothing was left out, nothing is said.
TEST(UrwanyOdczyt, NotSaidWhereTheReadingGoesOn) {
  Stanowisko env;
  env.Konfig("$7\tCOM1:9600:MUX0:1\t1\r\n");
  env.Plik("WE.TXT", "#7\r\n#\r\n#\r\n$1\r\n\r\n$2\r\n");
  const WynikKarvo w = env.Karvo(33, "WE.TXT", "WY.TXT");
  EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + DOBRZE + "\r\n")) << w.raport;
  EXPECT_TRUE(Zawiera(w.wyjscie, "\r\n$1\r\n$2\r\n")) << w.wyjscie;
  EXPECT_EQ(w.konsola, "");
}

// ---- a zero byte in a data line ---------------------------------------------------

// "$4", a zero byte, "2" was once sent as 42: the line is a bad line, and
// the register's number is never written.
TEST(BajtZero, MakesTheLineABadLine) {
  for (const std::string& linia : {std::string("4\0" "2", 3), std::string("\0" "42", 3), std::string("42\0", 3)}) {
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZSymulatorem(sim, 7);
    env.Plik("WE.TXT", Srodowisko::Wejscie(7, {linia}));
    const WynikKarvo w = env.Karvo(114, "WE.TXT");
    EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + Opis(11, "bledna linia lub bledne pole w pliku wejsciowym", "WE.TXT") + "\r\n"))
        << w.raport;
    EXPECT_EQ(w.konsola, "karvo: line 4 of WE.TXT holds a zero byte: it is a bad line\n");
    sim.Zatrzymaj();
    EXPECT_EQ(IleRazy(sim.Dziennik(), 0x43), 0);
  }
}

// ---- progress of a long readout on a terminal ----------------------------------

// karvo with its standard error on a pseudo-terminal (a person watching it);
// answers what appeared there.
std::string KarvoNaTerminalu(const Srodowisko& env, const std::vector<std::string>& argumenty) {
  const int glowny = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (glowny < 0 || ::grantpt(glowny) != 0 || ::unlockpt(glowny) != 0) return "(no pseudo-terminal)";
  const std::string podrzedny = ::ptsname(glowny);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int terminal = ::open(podrzedny.c_str(), O_RDWR | O_NOCTTY);
    const int nic = ::open("/dev/null", O_RDWR);
    ::dup2(nic, 0);
    ::dup2(nic, 1);
    ::dup2(terminal, 2);
    if (::chdir(env.Katalog().Sciezka().c_str()) != 0) ::_exit(127);
    ::setenv("KARVO_PLATFORM_DIR", env.Katalog().Sciezka().c_str(), 1);
    std::vector<char*> a;
    for (const auto& x : argumenty) a.push_back(const_cast<char*>(x.c_str()));
    a.push_back(nullptr);
    ::execv(a[0], a.data());
    ::_exit(127);
  }
  std::string tekst;
  const auto koniec = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int status = 0;
  for (bool dziala = true; dziala && std::chrono::steady_clock::now() < koniec;) {
    dziala = ::waitpid(pid, &status, WNOHANG) == 0;
    pollfd p{glowny, POLLIN, 0};
    while (::poll(&p, 1, dziala ? 100 : 0) > 0 && (p.revents & POLLIN)) {
      char bufor[512];
      const ssize_t n = ::read(glowny, bufor, sizeof bufor);
      if (n <= 0) break;
      tekst.append(bufor, static_cast<std::size_t>(n));
    }
  }
  ::close(glowny);
  return tekst;
}

// _TowarMax of 40 more goods at 9600 bit/s takes a few seconds: the terminal gets
// a redrawn line with the records, the rate and the time left, cleared at the
// end; the files are those of a run whose standard error is a pipe.
TEST(Postep, ShownOnATerminalOnly) {
  std::string stan = CzytajPlik(Urzadzenie("towary-t.txt"));
  for (int numer = 16; numer <= 55; ++numer)
    stan += "$towar\t" + std::to_string(numer) + "\tTowar " + std::to_string(numer) + "\t1\t1\t3\t1\t0\t59000000001" + std::to_string(10 + numer) + "\t" +
            std::to_string(100 + numer) + "\t0\r\n";
  Stanowisko env;
  env.Plik("sklep.txt", stan);
  Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("sklep.txt")}, .baud = 9600});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  const std::string terminal = KarvoNaTerminalu(env, env.ArgumentyKarvo(21, "WE.TXT", "TERMINAL.TXT"));
  EXPECT_NE(terminal.find("\rkarvo: "), std::string::npos) << terminal;
  EXPECT_NE(terminal.find(" records, "), std::string::npos) << terminal;
  EXPECT_NE(terminal.find(" left\033[K"), std::string::npos) << terminal;
  EXPECT_EQ(terminal.substr(terminal.size() - 4), "\r\033[K") << terminal;
  const WynikKarvo w = env.Karvo(21, "WE.TXT", "RURA.TXT");
  EXPECT_EQ(w.konsola, "");
  EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + DOBRZE + "\r\n")) << w.raport;
  EXPECT_TRUE(Zawiera(w.wyjscie, "\r\n$00055\t")) << w.wyjscie;
  // The same data lines (the header names the output file and, the second
  // time, the identification from ECRTBUF.TXT).
  const std::string naTerminalu = CzytajPlik(env.Sciezka("TERMINAL.TXT"));
  EXPECT_EQ(naTerminalu.substr(naTerminalu.find("\r\n$")), w.wyjscie.substr(w.wyjscie.find("\r\n$")));
}

}  // namespace
