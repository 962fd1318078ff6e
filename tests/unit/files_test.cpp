#include "platform/files.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "datafiles/data_files.h"
#include "state/session_state.h"
#include "temp_dir.h"

namespace {

using platforma::Udostepnianie;

TEST(DopasowanaSciezka, MatchesNamesWithoutRegardToCase) {
  KatalogTymczasowy k;
  k.Zapis("RAPORT.TXT", "r");
  k.Zapis("Dane/Sub/Towary.txt", "t");
  const std::string d = k.Katalog();
  const struct {
    std::string podana, oczekiwana;
  } przypadki[] = {
      {d + "/raport.txt", d + "/RAPORT.TXT"},
      {d + "/RAPORT.TXT", d + "/RAPORT.TXT"},
      {d + "/DANE/SUB/TOWARY.TXT", d + "/Dane/Sub/Towary.txt"},
      {d + "\\dane\\sub\\towary.TXT", d + "/Dane/Sub/Towary.txt"},
      {d + "/dane//sub/./towary.txt", d + "/Dane/Sub/./Towary.txt"},
      // A new file keeps its name as given, in the directory that was found.
      {d + "/dane/sub/Nowy.TXT", d + "/Dane/Sub/Nowy.TXT"},
      {d + "/dane/nowy/plik.txt", d + "/Dane/nowy/plik.txt"},
      {d + "/DANE/", d + "/Dane/"},
  };
  for (const auto& p : przypadki) EXPECT_EQ(platforma::DopasowanaSciezka(p.podana.c_str()), p.oczekiwana);
  EXPECT_EQ(platforma::DopasowanaSciezka(""), "");
}

TEST(DopasowanaSciezka, AnExactMatchWins) {
  KatalogTymczasowy k;
  k.Zapis("plik.txt", "mały");
  k.Zapis("PLIK.TXT", "duży");
  EXPECT_EQ(platforma::DopasowanaSciezka((k.Katalog() + "/PLIK.TXT").c_str()), k.Katalog() + "/PLIK.TXT");
  EXPECT_EQ(platforma::DopasowanaSciezka((k.Katalog() + "/plik.txt").c_str()), k.Katalog() + "/plik.txt");
  // Of two names that differ only in case, the first in byte order is taken.
  EXPECT_EQ(platforma::DopasowanaSciezka((k.Katalog() + "/Plik.txt").c_str()), k.Katalog() + "/PLIK.TXT");
}

TEST(DopasowanaSciezka, RelativePathsAndTheDirectoryChange) {
  KatalogTymczasowy k;
  k.Zapis("$$$/TOWARY.IN", "x");
  char poprzedni[4096];
  ASSERT_TRUE(getcwd(poprzedni, sizeof poprzedni));
  ASSERT_TRUE(platforma::ZmienKatalog(k.Katalog().c_str()));
  EXPECT_EQ(platforma::DopasowanaSciezka("$$$\\towary.in"), "$$$/TOWARY.IN");
  EXPECT_TRUE(platforma::ZmienKatalog("$$$"));
  EXPECT_TRUE(platforma::ZmienKatalog(".."));
  EXPECT_FALSE(platforma::ZmienKatalog("brak"));
  ASSERT_TRUE(platforma::ZmienKatalog(poprzedni));
}

TEST(TenSamPlik, SameFileByAnyPathOrCaseAlsoBeforeItExists) {
  KatalogTymczasowy k;
  k.Zapis("karvo.log", "x");
  k.Zapis("sub/inny.log", "y");
  std::filesystem::create_symlink(k.Sciezka("karvo.log"), k.Sciezka("dowiazanie"));
  const std::string d = k.Katalog();
  const struct {
    std::string a, b;
    bool ten;
  } przypadki[] = {
      {d + "/karvo.log", d + "/KARVO.LOG", true},      {d + "/sub/../karvo.log", d + "/./karvo.log", true},
      {d + "/dowiazanie", d + "/karvo.log", true},     {d + "/sub/inny.log", d + "/karvo.log", false},
      {d + "/Nowy.Log", d + "/NOWY.LOG", true},        // neither exists yet: one would create the other
      {d + "/nowy.log", d + "/sub/nowy.log", false},   {"", d + "/karvo.log", false},
  };
  for (const auto& p : przypadki) EXPECT_EQ(platforma::TenSamPlik(p.a.c_str(), p.b.c_str()), p.ten) << p.a << " " << p.b;
}

TEST(OtworzPlik, OpensTheFileFoundWithoutRegardToCase) {
  KatalogTymczasowy k;
  k.Zapis("RAPORT.TXT", "raport");
  k.Zapis("DANE/KONFIG.TXT", "konfig");
  int32_t u = -1;
  ASSERT_TRUE(OtwartoPlik(&u, (k.Katalog() + "/raport.txt").c_str(), 2));
  EXPECT_EQ(platforma::PiszPlik(u, "+", 1), 1);
  ZamknieciePliku(&u);
  EXPECT_EQ(KatalogTymczasowy::Odczyt(k.Sciezka("RAPORT.TXT")), "raport+");
  ASSERT_TRUE(OtwartoPlik(&u, (k.Katalog() + "\\dane\\konfig.txt").c_str(), 0));
  char bufor[8] = {};
  EXPECT_EQ(platforma::CzytajPlik(u, bufor, 6), 6);
  EXPECT_STREQ(bufor, "konfig");
  ZamknieciePliku(&u);
  EXPECT_TRUE(platforma::UsunPlik((k.Katalog() + "/Raport.Txt").c_str()));
  EXPECT_FALSE(PlikDajeSieOtworzyc(k.Sciezka("RAPORT.TXT").c_str(), 0));
}

// The exit code of a child process, waited for at most five seconds; -1 when
// it did not end in time (it is killed then) or did not exit.
int KodWyjsciaDziecka(pid_t dziecko) {
  if (dziecko < 0) return -1;
  for (int proba = 0; proba < 500; ++proba) {
    int stan = 0;
    if (waitpid(dziecko, &stan, WNOHANG) == dziecko) return WIFEXITED(stan) ? WEXITSTATUS(stan) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(dziecko, SIGKILL);
  waitpid(dziecko, nullptr, 0);
  return -1;
}

// The outcome of an open in a child process: 1 opened, 0 refused, -1 the
// child did not end in time.
int OtwarcieWInnymProcesie(const std::string& sciezka, uint8_t tryb, Udostepnianie u) {
  const pid_t dziecko = fork();
  if (dziecko == 0) _exit(platforma::OtworzPlik(sciezka.c_str(), tryb, u) >= 0 ? 1 : 0);
  return KodWyjsciaDziecka(dziecko);
}

TEST(OtworzPlik, SharingBetweenProcesses) {
  constexpr auto Wszystko = Udostepnianie::ZabronWszystko;
  constexpr auto Zapis = Udostepnianie::ZabronZapisu;
  constexpr auto Nic = Udostepnianie::Zezwol;
  const struct {
    uint8_t tryb1;
    Udostepnianie u1;
    uint8_t tryb2;
    Udostepnianie u2;
    int wynik;
  } przypadki[] = {
      // Deny all keeps everybody out, readers and writers alike.
      {0, Wszystko, 0, Nic, 0},
      {0, Wszystko, 0, Zapis, 0},
      {0, Wszystko, 2, Nic, 0},
      {1, Wszystko, 0, Nic, 0},
      {3, Wszystko, 3, Wszystko, 0},
      // Deny write lets readers in but no writer.
      {2, Zapis, 0, Nic, 1},
      {2, Zapis, 0, Zapis, 1},
      {0, Zapis, 0, Zapis, 1},
      {2, Zapis, 2, Nic, 0},
      {0, Zapis, 3, Zapis, 0},
      {1, Zapis, 0, Wszystko, 0},
      // Deny none lets readers and writers in.
      {2, Nic, 0, Nic, 1},
      {2, Nic, 2, Nic, 1},
      {3, Nic, 0, Zapis, 1},
  };
  KatalogTymczasowy k;
  const std::string sciezka = k.Zapis("wspolny.txt", "dane");
  for (const auto& p : przypadki) {
    const int32_t fd = platforma::OtworzPlik(sciezka.c_str(), p.tryb1, p.u1);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(OtwarcieWInnymProcesie(sciezka, p.tryb2, p.u2), p.wynik)
        << int(p.tryb1) << "/" << int(p.u1) << " then " << int(p.tryb2) << "/" << int(p.u2);
    EXPECT_TRUE(platforma::ZamknijPlik(fd));
  }
  // Once closed, the file is free for everybody.
  EXPECT_EQ(OtwarcieWInnymProcesie(sciezka, 3, Wszystko), 1);
}

TEST(OtworzPlik, ARefusedTruncatingOpenLeavesTheContents) {
  KatalogTymczasowy k;
  const std::string sciezka = k.Zapis("a.txt", "zawartosc");
  const int32_t fd = platforma::OtworzPlik(sciezka.c_str(), 0, Udostepnianie::ZabronWszystko);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(OtwarcieWInnymProcesie(sciezka, 1, Udostepnianie::ZabronWszystko), 0);
  EXPECT_EQ(platforma::OtworzPlik(sciezka.c_str(), 1, Udostepnianie::Zezwol), -1);  // same process, other open
  platforma::ZamknijPlik(fd);
  EXPECT_EQ(KatalogTymczasowy::Odczyt(sciezka), "zawartosc");
}

// A process that may only read a file can take no write lock on it; its
// deny-all open still keeps writers out, and lets readers in.
TEST(OtworzPlik, AnExclusiveOpenOfAFileThatCannotBeWrittenKeepsWritersOut) {
  KatalogTymczasowy k;
  const std::string sciezka = k.Zapis("tylko.txt", "r");
  ASSERT_EQ(chmod(k.Katalog().c_str(), 0755), 0);
  ASSERT_EQ(chmod(sciezka.c_str(), 0444), 0);
  int gotowe[2], koniec[2];
  ASSERT_EQ(pipe(gotowe), 0);
  ASSERT_EQ(pipe(koniec), 0);
  const pid_t dziecko = fork();
  if (dziecko == 0) {
    close(gotowe[0]);
    close(koniec[1]);
    // Root may write any file: the holder runs as an unprivileged user then.
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    const char wynik = platforma::OtworzPlik(sciezka.c_str(), 0, Udostepnianie::ZabronWszystko) >= 0 ? '1' : '0';
    char znak;
    if (write(gotowe[1], &wynik, 1) != 1 || read(koniec[0], &znak, 1) < 0) _exit(3);
    _exit(0);  // the parent closed its end: the test is over
  }
  close(gotowe[1]);
  close(koniec[0]);
  pollfd czekanie{gotowe[0], POLLIN, 0};
  char wynik = 0;
  if (dziecko > 0 && poll(&czekanie, 1, 5000) == 1 && read(gotowe[0], &wynik, 1) == 1) {
    EXPECT_EQ(wynik, '1');
    const int32_t pisarz = platforma::OtworzPlik(sciezka.c_str(), 2, Udostepnianie::Zezwol);
    EXPECT_EQ(pisarz, -1);
    platforma::ZamknijPlik(pisarz);
    const int32_t czytelnik = platforma::OtworzPlik(sciezka.c_str(), 0, Udostepnianie::Zezwol);
    EXPECT_GE(czytelnik, 0);
    platforma::ZamknijPlik(czytelnik);
  } else {
    ADD_FAILURE() << "the holder did not report";
  }
  close(gotowe[0]);
  close(koniec[1]);
  EXPECT_EQ(KodWyjsciaDziecka(dziecko), 0);
}

// The sharing that the data-file layer chooses for each file.
class UdostepnianiePlikow : public ::testing::Test {
 protected:
  void SetUp() override {
    ZerowanieDanychSesji();
    std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], sciezka("ECRTBUF.TXT").c_str());
    std::strcpy(Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], sciezka("wyj.txt").c_str());
    Sesja.JestPlikWynikowy = 1;
    for (const char* n : {"ECRTBUF.TXT", "wyj.txt", "inny.txt"}) k_.Zapis(n, "");
  }
  void TearDown() override {
    Proces.UdostepnianieWyjscia = 0;
    ZerowanieDanychSesji();
  }
  std::string sciezka(const char* nazwa) const { return k_.Sciezka(nazwa); }
  // Whether another process can read the file while this one holds it open for writing.
  int InnyCzytelnik(const char* nazwa) {
    int32_t u = -1;
    EXPECT_TRUE(OtwartoPlik(&u, sciezka(nazwa).c_str(), 2));
    const int wynik = OtwarcieWInnymProcesie(sciezka(nazwa), 0, Udostepnianie::Zezwol);
    ZamknieciePliku(&u);
    return wynik;
  }
  KatalogTymczasowy k_;
};

TEST_F(UdostepnianiePlikow, EachFileGetsItsSharing) {
  EXPECT_EQ(InnyCzytelnik("ECRTBUF.TXT"), 1);
  EXPECT_EQ(InnyCzytelnik("inny.txt"), 0);
  const struct {
    uint8_t udostepnianie;
    int wynik;
  } wyjscie[] = {{0, 0}, {1, 1}, {2, 1}};
  for (const auto& p : wyjscie) {
    Proces.UdostepnianieWyjscia = p.udostepnianie;
    EXPECT_EQ(InnyCzytelnik("wyj.txt"), p.wynik) << int(p.udostepnianie);
  }
  // Without an output file slot 2 names the Server file, which is not shared.
  Sesja.JestPlikWynikowy = 0;
  EXPECT_EQ(InnyCzytelnik("wyj.txt"), 0);
}

}  // namespace
