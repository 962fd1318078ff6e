// The program entry as a caller sees it: the real karvo binary in a temporary directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "driver/program.h"

namespace fs = std::filesystem;

namespace {

struct Wynik {
  int Kod;
  std::string Wyjscie, Bledy;
};

std::string Cytat(const std::string& s) {
  std::string w = "'";
  for (char c : s) w += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return w + "'";
}

std::string Zawartosc(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class Katalog : public ::testing::Test {
 protected:
  void SetUp() override {
    char wzor[] = "/tmp/karvo-driver-XXXXXX";
    ASSERT_NE(mkdtemp(wzor), nullptr);
    dir = wzor;
  }
  void TearDown() override { fs::remove_all(dir); }

  Wynik Uruchom(const std::vector<std::string>& argumenty) {
    std::string polecenie = "cd " + Cytat(dir.string()) + " && " + Cytat(KARVO_BINARY);
    for (const auto& a : argumenty) polecenie += " " + Cytat(a);
    polecenie += " >stdout.bin 2>stderr.bin";
    const int status = std::system(polecenie.c_str());
    Wynik w{WEXITSTATUS(status), Zawartosc(dir / "stdout.bin"), Zawartosc(dir / "stderr.bin")};
    fs::remove(dir / "stdout.bin");
    fs::remove(dir / "stderr.bin");
    return w;
  }

  fs::path dir;
};

// The exit codes stay those of the command line; standard error says why
// nothing ran (standard output stays empty).
TEST_F(Katalog, ExitCodesOfTheCommandLine) {
  const struct {
    std::vector<std::string> argumenty;
    int kod;
    const char* komunikat;  // a part of standard error
  } przypadki[] = {
      {{}, 1, "usage: karvo /K<CommandCode>"},
      {{"/K"}, 1, "CommandCode 0 is outside 11 to 412"},  // /K alone is 0
      {{"K22"}, 1, "\"K22\" is not an option"},             // no leading slash
      {{"/K22", "plik"}, 1, "\"plik\" is not an option"},   // a bad argument after a good one
      {{"/K10"}, 1, "CommandCode 10 is outside"},
      {{"/K413"}, 1, "CommandCode 413 is outside"},
      {{"/K-5"}, 1, "CommandCode -5 is outside"},
      {{"/Q2"}, 1, "no CommandCode"},
      {{"/K20"}, 0, "CommandCode 20 selects no command"},  // unassigned inside 11..412: nothing runs
      {{"/k20"}, 0, "CommandCode 20 selects"},
      {{"/K 20"}, 0, "CommandCode 20 selects"},  // atol skips leading blanks
      {{"/K20abc"}, 0, "CommandCode 20 selects"},
      {{"/x5", "/K20"}, 0, "CommandCode 20 selects"},
      {{"/K500", "/K20"}, 0, "CommandCode 20 selects"},  // the later option wins
      {{"/K20", "/K500"}, 1, "CommandCode 500 is outside"},
  };
  for (const auto& p : przypadki) {
    const Wynik w = Uruchom(p.argumenty);
    std::string opis;
    for (const auto& a : p.argumenty) opis += a + " ";
    EXPECT_EQ(w.Kod, p.kod) << opis;
    EXPECT_EQ(w.Wyjscie, "") << opis;
    EXPECT_NE(w.Bledy.find(p.komunikat), std::string::npos) << opis << ": " << w.Bledy;
  }
  EXPECT_FALSE(fs::exists(dir / "karvo.log"));
  EXPECT_FALSE(fs::exists(dir / "RAPORT.TXT"));
}

// --help and --version answer on standard output with 0, as every program of
// the package does; the first argument decides, as /V does.
TEST_F(Katalog, HelpAndVersionAnswerOnStandardOutput) {
  const struct {
    std::vector<std::string> argumenty;
    const char* wyjscie;  // a part of standard output
  } przypadki[] = {
      {{"--help"}, "usage: karvo /K<CommandCode>"},
      {{"-h"}, "man karvo"},
      {{"--help", "/K22"}, "usage: karvo"},
      {{"--version"}, "karvo 2.14 (library WIN 8.55)\n"},
      {{"--version", "bad"}, "karvo 2.14 (library WIN 8.55)\n"},
  };
  for (const auto& p : przypadki) {
    const Wynik w = Uruchom(p.argumenty);
    EXPECT_EQ(w.Kod, 0) << p.argumenty[0];
    EXPECT_NE(w.Wyjscie.find(p.wyjscie), std::string::npos) << w.Wyjscie;
    EXPECT_EQ(w.Bledy, "") << p.argumenty[0];
  }
  EXPECT_FALSE(fs::exists(dir / "karvo.log"));
}

TEST_F(Katalog, VersionTextByteForByte) {
  const std::regex wzor(
      "\nSkompilowano [A-Z][a-z]{2} [ 123][0-9] [0-9]{4} o godz\\. [0-9]{2}:[0-9]{2}:[0-9]{2} wer\\. 2\\.14\n"
      "Biblioteka KARVO wer\\. WIN 8\\.55\n");
  for (const auto& argumenty : std::vector<std::vector<std::string>>{
           {"/V"}, {"/v"}, {"/K22", "/V"}, {"/V", "bad"}, {"/Q2", "/K20", "/Vxyz", "/K1"}}) {
    const Wynik w = Uruchom(argumenty);
    EXPECT_EQ(w.Kod, 0);
    EXPECT_TRUE(std::regex_match(w.Wyjscie, wzor)) << w.Wyjscie;
  }
  EXPECT_FALSE(fs::exists(dir / "karvo.log"));
}

TEST_F(Katalog, BadArgumentBeforeVersionEndsFirst) {
  const Wynik w = Uruchom({"bad", "/V"});
  EXPECT_EQ(w.Kod, 1);
  EXPECT_EQ(w.Wyjscie, "");
}

class Log : public Katalog {
 protected:
  void SetUp() override {
    Katalog::SetUp();
    poprzedni = fs::current_path();
    fs::current_path(dir);
  }
  void TearDown() override {
    fs::current_path(poprzedni);
    Katalog::TearDown();
  }
  fs::path poprzedni;
};

TEST_F(Log, AppendsTheReportAndASeparatorPerRun) {
  std::ofstream(dir / "RAPORT.TXT", std::ios::binary) << "#a\r\n#0\t; ok\r\n#\r\n";
  ASSERT_EQ(DopisanieRaportuDoLogu(), 1);
  ASSERT_EQ(DopisanieRaportuDoLogu(), 1);
  const std::string blok = "#a\r\n#0\t; ok\r\n#\r\n" + std::string(80, '-') + "\r\n";
  EXPECT_EQ(Zawartosc(dir / "karvo.log"), blok + blok);
}

// The message of the reference platform stays byte for byte (standard error
// is no terminal here); a line after it names the file and the system's reason.
TEST_F(Log, MissingReportIsReportedInCodePage852) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(DopisanieRaportuDoLogu(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Nie mo\xbe" "na otworzy\x86 pliku z raportem.\n"
            "karvo: the report raport.txt cannot be opened (No such file or directory): nothing was added to karvo.log\n");
  EXPECT_FALSE(fs::exists(dir / "karvo.log"));
}

// A run that wrote no report of its own adds nothing, whatever report lies
// in the directory; one written elsewhere is the one that goes to the log.
TEST_F(Log, OnlyTheReportThisRunWroteGoesToTheLog) {
  std::ofstream(dir / "RAPORT.TXT", std::ios::binary) << "#another run\r\n";
  testing::internal::CaptureStderr();
  EXPECT_EQ(DopisanieRaportuDoLogu(nullptr), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Nie mo\xbe" "na otworzy\x86 pliku z raportem.\n"
            "karvo: the run wrote no report: nothing was added to karvo.log\n");
  EXPECT_FALSE(fs::exists(dir / "karvo.log"));
  fs::create_directory(dir / "serwer");
  std::ofstream(dir / "serwer" / "RAPORT.TXT", std::ios::binary) << "#this run\r\n";
  ASSERT_EQ(DopisanieRaportuDoLogu("serwer/RAPORT.TXT"), 1);
  EXPECT_EQ(Zawartosc(dir / "karvo.log"), "#this run\r\n" + std::string(80, '-') + "\r\n");
}

TEST_F(Log, UnwritableLogIsReported) {
  std::ofstream(dir / "raport.txt") << "x";
  fs::create_directory(dir / "karvo.log");  // a directory cannot be opened for appending
  testing::internal::CaptureStderr();
  EXPECT_EQ(DopisanieRaportuDoLogu(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Nie mo\xbe" "na otworzy\x86 pliku LOG.\n"
            "karvo: karvo.log cannot be opened (Is a directory): the report of this run is only in raport.txt\n");
}

TEST(WypisanieWyniku, PrintsOnlyForSelectorTwo) {
  for (char selektor : {'0', '1', '\0', '3'}) {
    testing::internal::CaptureStdout();
    WypisanieWyniku(selektor, "_OTowar", 22);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  }
  testing::internal::CaptureStdout();
  WypisanieWyniku('2', "_ModilDzw", 255);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nFunkcja _ModilDzw zakonczyla sie wynikiem 255.");
}

}  // namespace
