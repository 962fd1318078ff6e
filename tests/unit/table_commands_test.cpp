// The commands on the register's tables, settings and option bits are in the
// CommandCode table under their codes and names, with their output files.
#include <gtest/gtest.h>


#include "commands/command_entry.h"

namespace {

TEST(PoleceniaTabel, EachIsRegisteredWithItsCodeNameAndOutput) {
  const struct {
    int32_t kod;
    const char* nazwa;
    bool wyjscie;
  } polecenia[] = {
      {11, "_OBajty", true},    {12, "_ZBajty", false},   {13, "_ODBajty", true},   {14, "_ZDBajty", false},
      {15, "_OJednost", true},  {16, "_ZJednost", false}, {17, "_OGrupa", true},    {18, "_ZGrupa", false},
      {19, "_OPlat", true},     {110, "_ZPlat", false},   {111, "_ORabat", true},   {112, "_ZRabat", false},
      {115, "_OWiersz", true},  {116, "_ZWiersz", false}, {117, "_OLinia", true},   {118, "_ZLinia", false},
      {119, "_OStatus", true},  {120, "_OZegar", true},   {121, "_ONrUnik", true},  {122, "_OKartRab", true},
      {123, "_ZKartRab", false}, {124, "_ODKBajty", true}, {125, "_ZDKBajty", false}, {126, "_ODNBajty", true},
      {127, "_ZDNBajty", false},
  };
  for (const auto& p : polecenia) {
    const PozycjaFunkcji* f = ZnalezienieFunkcji(p.kod);
    ASSERT_NE(f, nullptr) << p.kod;
    const OpisFunkcji& o = *f->Opis;
    EXPECT_STREQ(o.Nazwa, p.nazwa);
    EXPECT_EQ(o.JestPlikWynikowy != 0, p.wyjscie) << p.nazwa;
    EXPECT_EQ(o.NazwaWydruku, nullptr) << p.nazwa;
    // Every flag of the prologue keeps its common value.
    EXPECT_EQ(o.NowyPlikWynikowy + o.OdczytacNumerKasy + o.SprawdzacNumerKasy + o.OdczytacTypKasy + o.PolaczenieZKasa,
              5)
        << p.nazwa;
  }
}

}  // namespace
