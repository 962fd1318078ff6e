#include <gtest/gtest.h>

#include "common/data_file.h"

using sim::PlikDanych;

TEST(PlikDanych, ReadsRecordsAndKeepsEveryLineForTheWriteBack) {
  const std::string tekst = "; a register\r\n#header\r\n$typ\t0x24\r\n$odrzuca\t0xFE\t\t0x6F\r\n\r\n$typ\t9\r\n";
  std::string blad;
  auto plik = PlikDanych::ZTekstu(tekst, blad);
  ASSERT_TRUE(plik) << blad;
  EXPECT_EQ(plik->Pierwszy("typ"), (PlikDanych::Rekord{"0x24"}));
  EXPECT_EQ(plik->Pierwszy("odrzuca"), (PlikDanych::Rekord{"0xFE", "", "0x6F"}));  // an empty field stays in place
  EXPECT_EQ(plik->Wszystkie("typ").size(), 2u);
  EXPECT_FALSE(plik->Pierwszy("brak"));
  EXPECT_EQ(plik->Tekst(), tekst);
  EXPECT_FALSE(plik->Zmieniony());
}

TEST(PlikDanych, ReplacesARecordInPlaceAndAppendsANewOne) {
  std::string blad;
  auto plik = PlikDanych::ZTekstu("; c\n$a\t1\n$b\t2\n$a\t3\n", blad);
  ASSERT_TRUE(plik);
  plik->Ustaw("a", {"9", "x"});
  plik->Ustaw("c", {"new"});
  EXPECT_TRUE(plik->Zmieniony());
  EXPECT_EQ(plik->Tekst(), "; c\n$a\t9\tx\n$b\t2\n$c\tnew\n");  // LF files stay LF
  plik->UstawWszystkie("b", {{"1"}, {"2"}});
  EXPECT_EQ(plik->Tekst(), "; c\n$a\t9\tx\n$b\t1\n$b\t2\n$c\tnew\n");
}

TEST(PlikDanych, RefusesALineOfAnotherKind) {
  for (const char* tekst : {"typ\t1\r\n", "$a\r\n x\r\n", "\t$a\r\n"}) {
    std::string blad;
    EXPECT_FALSE(PlikDanych::ZTekstu(tekst, blad)) << tekst;
    EXPECT_NE(blad.find("line"), std::string::npos);
  }
}
