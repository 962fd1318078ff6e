// The message bus: datagram layout, who receives a post, stale and full
// endpoints, paths that do not fit a socket address.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/bus.h"
#include "tests/unit/platform_dir.h"

namespace fs = std::filesystem;
using platforma::KomunikatOkna;
using platforma::PunktMagistrali;

namespace {

constexpr uint32_t N = 49321;

KomunikatOkna Komunikat(uint32_t w, char litera, uint32_t wartosc = 0) {
  return {N, w, platforma::ParametrKomunikatu(litera, wartosc)};
}

// Binds a socket at the path and closes it without removing the file: what a
// killed process leaves behind.
void MartweGniazdo(const fs::path& sciezka) {
  const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strcpy(a.sun_path, sciezka.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  close(fd);
}

std::vector<char> Litery(PunktMagistrali& p) {
  std::vector<char> litery;
  KomunikatOkna k;
  while (p.Odbierz(k)) litery.push_back(platforma::LiteraKomunikatu(k.LParam));
  return litery;
}

class Magistrala : public KatalogTestowy {
 protected:
  fs::path Bus() const { return dir / "bus" / std::to_string(N); }
};

}  // namespace

TEST(Datagram, TwelveLittleEndianBytes) {
  const KomunikatOkna k{0xC0DE, 0x01020304, 0xAABBCC41};
  uint8_t b[platforma::DlugoscDatagramu];
  platforma::ZakodowanieKomunikatu(k, b);
  const uint8_t oczekiwane[] = {0xDE, 0xC0, 0, 0, 0x04, 0x03, 0x02, 0x01, 0x41, 0xCC, 0xBB, 0xAA};
  EXPECT_EQ(0, std::memcmp(b, oczekiwane, sizeof b));
  KomunikatOkna z;
  ASSERT_TRUE(platforma::OdkodowanieKomunikatu(b, sizeof b, z));
  EXPECT_EQ(z.Numer, k.Numer);
  EXPECT_EQ(z.WParam, k.WParam);
  EXPECT_EQ(z.LParam, k.LParam);
  EXPECT_FALSE(platforma::OdkodowanieKomunikatu(b, 11, z));
  EXPECT_FALSE(platforma::OdkodowanieKomunikatu(b, 13, z));
}

TEST(Datagram, ValueIsCutTo24Bits) {
  const struct { uint32_t wartosc, lParam; } przypadki[] = {
      {0, 0x43},
      {1, 0x143},
      {16777215, 0xFFFFFF43},
      {16777216, 0xFFFFFF43},
      {0xFFFFFFFF, 0xFFFFFF43},
  };
  for (const auto& p : przypadki) {
    const uint32_t l = platforma::ParametrKomunikatu('C', p.wartosc);
    EXPECT_EQ(l, p.lParam) << p.wartosc;
    EXPECT_EQ(platforma::LiteraKomunikatu(l), 'C');
    EXPECT_EQ(platforma::WartoscKomunikatu(l), std::min(p.wartosc, 16777215u));
  }
}

TEST_F(Magistrala, DirectoriesArePrivateAndNamedAfterTheNumber) {
  EXPECT_EQ(platforma::KatalogMagistrali(N), Bus().string());
  PunktMagistrali p;
  ASSERT_TRUE(p.Otworz(N, "sTest"));
  EXPECT_TRUE(fs::is_socket(Bus() / "sTest"));
  EXPECT_EQ(fs::status(Bus()).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(fs::status(dir / "bus").permissions() & fs::perms::all, fs::perms::owner_all);
  p.Zamknij();
  EXPECT_FALSE(fs::exists(Bus() / "sTest"));
  EXPECT_FALSE(p.Otwarty());
}

TEST_F(Magistrala, DefaultDirectoryMustBeOursAndClosed) {
  unsetenv("KARVO_PLATFORM_DIR");
  EXPECT_EQ(platforma::KatalogPlatformy(), "/tmp/karvo-" + std::to_string(geteuid()));
  setenv("KARVO_PLATFORM_DIR", (dir.string() + "//").c_str(), 1);
  EXPECT_EQ(platforma::KatalogPlatformy(), dir.string());

  const fs::path nowy = dir / "prywatny";
  EXPECT_TRUE(platforma::KatalogPrywatny(nowy));
  EXPECT_EQ(fs::status(nowy).permissions() & fs::perms::all, fs::perms::owner_all);
  fs::permissions(nowy, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  EXPECT_FALSE(platforma::KatalogPrywatny(nowy)) << "others may enter it";
  fs::create_directory(dir / "cel");
  fs::permissions(dir / "cel", fs::perms::owner_all);
  fs::create_directory_symlink(dir / "cel", dir / "dowiazanie");
  EXPECT_FALSE(platforma::KatalogPrywatny(dir / "dowiazanie")) << "a link planted in /tmp";
  std::ofstream(dir / "plik") << "x";
  EXPECT_FALSE(platforma::KatalogPrywatny(dir / "plik"));
}

TEST_F(Magistrala, PostReachesEveryoneButTheSenderAndDriversSkipDrivers) {
  std::map<std::string, std::unique_ptr<PunktMagistrali>> punkty;
  for (const char* nazwa : {"d1", "d2", "s1", "s2"}) {
    punkty[nazwa] = std::make_unique<PunktMagistrali>();
    ASSERT_TRUE(punkty[nazwa]->Otworz(N, nazwa));
  }
  const struct {
    const char* nadawca;
    int przyjete;
    std::vector<std::string> odbiorcy;
  } przypadki[] = {
      {"d1", 2, {"s1", "s2"}},
      {"s1", 3, {"d1", "d2", "s2"}},
  };
  for (const auto& p : przypadki) {
    EXPECT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(7, 'A'), punkty[p.nadawca].get(), 0), p.przyjete);
    for (auto& [nazwa, punkt] : punkty) {
      const bool odbiorca = std::find(p.odbiorcy.begin(), p.odbiorcy.end(), nazwa) != p.odbiorcy.end();
      EXPECT_EQ(Litery(*punkt).size(), odbiorca ? 1u : 0u) << p.nadawca << " -> " << nazwa;
    }
  }
  // A sender without an endpoint reaches everybody.
  EXPECT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(7, 'a'), nullptr, 0), 4);
}

TEST_F(Magistrala, ReceiveNeverBlocksAndWaitEndsOnArrival) {
  PunktMagistrali s, d;
  ASSERT_TRUE(s.Otworz(N, "s1"));
  ASSERT_TRUE(d.Otworz(N, "d1"));
  KomunikatOkna k;
  EXPECT_FALSE(s.Odbierz(k));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(s.Czekaj(50));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
  ASSERT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(5, 'L', 300), &d, 0), 1);
  EXPECT_TRUE(s.Czekaj(1000));
  ASSERT_TRUE(s.Odbierz(k));
  EXPECT_EQ(k.Numer, N);
  EXPECT_EQ(k.WParam, 5u);
  EXPECT_EQ(k.LParam, (300u << 8) | 'L');
  EXPECT_FALSE(s.Odbierz(k));
}

TEST_F(Magistrala, DatagramsOfAnotherLengthAreDropped) {
  PunktMagistrali s;
  ASSERT_TRUE(s.Otworz(N, "s1"));
  const char krotki[5] = {1, 2, 3, 4, 5};
  const char dlugi[40] = {};
  SurowyDatagram(Bus() / "s1", krotki, sizeof krotki);
  SurowyDatagram(Bus() / "s1", dlugi, sizeof dlugi);
  ASSERT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(1, 'O', 9), nullptr, 0), 1);
  KomunikatOkna k;
  ASSERT_TRUE(s.Odbierz(k));
  EXPECT_EQ(platforma::LiteraKomunikatu(k.LParam), 'O');
  EXPECT_FALSE(s.Odbierz(k));
}

TEST_F(Magistrala, StaleSocketsAreSkippedAndRemovedOtherFilesLeftAlone) {
  PunktMagistrali s, d;
  ASSERT_TRUE(s.Otworz(N, "s1"));
  ASSERT_TRUE(d.Otworz(N, "d1"));
  MartweGniazdo(Bus() / "s999");
  MartweGniazdo(Bus() / "d999");
  std::ofstream(Bus() / "notatka") << "not a socket";
  fs::create_directory(Bus() / "katalog");

  EXPECT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(1, 'A'), &d, 0), 1);
  EXPECT_FALSE(fs::exists(Bus() / "s999"));
  EXPECT_TRUE(fs::exists(Bus() / "d999")) << "a driver does not post to drivers";
  EXPECT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(1, 'a'), &s, 0), 1);
  EXPECT_FALSE(fs::exists(Bus() / "d999"));
  EXPECT_TRUE(fs::exists(Bus() / "notatka"));
  EXPECT_TRUE(fs::exists(Bus() / "katalog"));
  EXPECT_EQ(Litery(s), std::vector<char>{'A'});
  EXPECT_EQ(Litery(d), std::vector<char>{'a'});
}

TEST_F(Magistrala, NameOfAKilledProcessIsTakenOverButNotALiveOne) {
  fs::create_directories(Bus());
  MartweGniazdo(Bus() / "d42");
  PunktMagistrali p, drugi;
  EXPECT_TRUE(p.Otworz(N, "d42"));
  EXPECT_FALSE(drugi.Otworz(N, "d42"));
  EXPECT_TRUE(fs::is_socket(Bus() / "d42"));
  EXPECT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(1, 'a'), nullptr, 0), 1);
  EXPECT_EQ(Litery(p).size(), 1u);
  for (const char* zla : {"", ".", "..", "a/b"}) EXPECT_FALSE(drugi.Otworz(N, zla)) << zla;
}

TEST_F(Magistrala, FullQueueIsSkippedAtOnceOrTriedAgainWithinTheTime) {
  PunktMagistrali s;
  ASSERT_TRUE(s.Otworz(N, "s1"));
  int wyslane = 0;
  while (platforma::RozeslanieKomunikatu(N, Komunikat(1, 'C', wyslane), nullptr, 0) == 1) ASSERT_LT(++wyslane, 100000);
  EXPECT_GT(wyslane, 0);
  EXPECT_TRUE(fs::exists(Bus() / "s1")) << "a full queue is not a dead owner";

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(1, 'C'), nullptr, 100), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));

  KomunikatOkna k;
  ASSERT_TRUE(s.Odbierz(k));
  EXPECT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(1, 'C'), nullptr, 0), 1);
}

TEST_F(Magistrala, PathTooLongForASocketFailsAndCreatesNothing) {
  const fs::path gleboki = dir / std::string(100, 'x');
  setenv("KARVO_PLATFORM_DIR", gleboki.c_str(), 1);
  PunktMagistrali p;
  EXPECT_FALSE(p.Otworz(N, "d1"));
  EXPECT_FALSE(p.Otwarty());
  EXPECT_FALSE(fs::exists(gleboki));
  EXPECT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(1, 'A'), &p, 0), 0);
  // Exactly 107 bytes still fit.
  setenv("KARVO_PLATFORM_DIR", (dir / std::string(60, 'y')).c_str(), 1);
  const std::string katalog = platforma::KatalogMagistrali(N);
  const std::string nazwa(platforma::NajdluzszaSciezkaGniazda - katalog.size() - 1, 'd');
  EXPECT_TRUE(p.Otworz(N, nazwa));
  EXPECT_FALSE(p.Otworz(N, nazwa + "d"));
}

TEST_F(Magistrala, ChildAfterForkNeverRemovesTheParentsEndpoint) {
  PunktMagistrali p;
  ASSERT_TRUE(p.Otworz(N, "s1"));
  const pid_t dziecko = fork();
  ASSERT_GE(dziecko, 0);
  if (dziecko == 0) {
    const bool otwarty = p.Otwarty();
    p.Zamknij();
    _exit(otwarty ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(dziecko, &status, 0), dziecko);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the child saw the parent's endpoint as its own";
  EXPECT_TRUE(fs::is_socket(Bus() / "s1"));
  EXPECT_EQ(platforma::RozeslanieKomunikatu(N, Komunikat(1, 'A'), nullptr, 0), 1);
}
