// README.md lists exactly the commands of the CommandCode table: the same
// codes, names and output files, so the table a newcomer reads is the program's.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "commands/command_entry.h"

namespace {

using Wiersz = std::tuple<int, std::string, std::string>;  // code, name, output file

std::set<Wiersz> WierszeReadme() {
  std::ifstream plik(std::string(KARVO_SOURCE_DIR) + "/README.md");
  std::set<Wiersz> wiersze;
  const std::regex wzor(R"(^\| (\d+) \| `(_\w+)` \| (yes, appended|yes|no) \|)");
  bool wTabeli = false;
  for (std::string linia; std::getline(plik, linia);) {
    if (linia == "<!-- commands -->") wTabeli = true;
    if (linia == "<!-- /commands -->") wTabeli = false;
    std::smatch m;
    if (wTabeli && std::regex_search(linia, m, wzor)) wiersze.insert({std::stoi(m[1]), m[2], m[3]});
  }
  return wiersze;
}

TEST(Readme, ListsEveryCommandOfTheTable) {
  std::size_t liczba = 0;
  const PozycjaFunkcji* pozycje = PozycjeFunkcji(liczba);
  std::set<Wiersz> tabela;
  for (std::size_t i = 0; i < liczba; ++i) {
    const OpisFunkcji& o = *pozycje[i].Opis;
    tabela.insert({o.Kod, o.Nazwa, !o.JestPlikWynikowy ? "no" : o.NowyPlikWynikowy ? "yes" : "yes, appended"});
  }
  ASSERT_FALSE(tabela.empty());
  EXPECT_EQ(WierszeReadme(), tabela) << "run scripts/commands_table.sh --update";
}

}  // namespace
