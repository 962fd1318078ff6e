// The helpers a command file is written with: field readers, the output line
// builder, parameter packing, answer reading and the CommandCode table.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "commands/command.h"

namespace {

class Pomocnicy : public ::testing::Test {
 protected:
  void SetUp() override { ZerowanieDanychSesji(); }
};

TEST_F(Pomocnicy, NumberFieldsGive11WhenMissingOrMalformed) {
  const char* linia = "7\t\t300\t70000\t1\t$FF\tx";
  const struct { uint8_t k; bool byte, word, long_, boolean; } przypadki[] = {
      {1, true, true, true, false},    {2, false, false, false, false}, {3, false, true, true, false},
      {4, false, false, true, false},  {5, true, true, true, true},     {6, true, true, true, false},
      {7, false, false, false, false}, {9, false, false, false, false},
  };
  for (const auto& p : przypadki) {
    uint8_t b = 0;
    uint16_t w = 0;
    uint32_t l = 0;
    const std::pair<bool, bool> wyniki[] = {{PoleByte(linia, p.k, b), p.byte},
                                            {PoleWord(linia, p.k, w), p.word},
                                            {PoleLong(linia, p.k, l), p.long_},
                                            {PoleBoolean(linia, p.k, b), p.boolean}};
    for (const auto& [wynik, oczekiwany] : wyniki) {
      EXPECT_EQ(wynik, oczekiwany) << int(p.k);
    }
    UstawBlad(BezBledu);
  }
  uint16_t w = 0;
  EXPECT_TRUE(PoleWord(linia, 3, w));
  EXPECT_EQ(w, 300);
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_FALSE(PoleWord(linia, 4, w));
  EXPECT_EQ(Sesja.BiezacyWynik, 11);
  uint8_t liczba[6] = {};
  UstawBlad(BezBledu);
  EXPECT_TRUE(PoleSzesciobajtowe(linia, 4, liczba));
  EXPECT_EQ(WartoscBajtow(liczba, 6), 70000u);
}

TEST_F(Pomocnicy, TextFieldsOfExactAndLeastLength) {
  const char* linia = "abcd\tab \t\t12345678";
  Napis tekst{};
  EXPECT_TRUE(PoleTekst(linia, 1, 4, tekst));
  EXPECT_STREQ(tekst, "abcd");
  EXPECT_TRUE(PoleTekst(linia, 2, 3, tekst));  // a trailing space counts
  EXPECT_FALSE(PoleTekst(linia, 1, 3, tekst));
  EXPECT_EQ(Sesja.BiezacyWynik, 11);
  UstawBlad(BezBledu);
  EXPECT_TRUE(PoleTekstCoNajmniej(linia, 3, 0, tekst));  // missing is the empty text
  EXPECT_FALSE(PoleTekstCoNajmniej(linia, 3, 1, tekst));
  EXPECT_TRUE(PoleTekstCoNajmniej(linia, 4, 6, tekst));
  EXPECT_STREQ(tekst, "12345678");
}

TEST_F(Pomocnicy, RangesSetTheirOwnCode) {
  EXPECT_TRUE(WZakresie(1, 1, 99));
  EXPECT_TRUE(WZakresie(99, 1, 99));
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_FALSE(WZakresie(100, 1, 99));
  EXPECT_EQ(Sesja.BiezacyWynik, 19);
  EXPECT_FALSE(WZakresie(0, 1, 30, 210));
  EXPECT_EQ(Sesja.BiezacyWynik, 210);
}

std::string Tekst(const Fragment& f) { return std::string(std::string_view(f)); }

TEST_F(Pomocnicy, NumbersAsText) {
  EXPECT_EQ(Tekst(Liczba(7, 2)), "07");
  EXPECT_EQ(Tekst(Liczba(12345, 2)), "12345");
  EXPECT_EQ(Tekst(Liczba(0)), "0");
  EXPECT_EQ(Tekst(Liczba(~uint64_t{0})), "18446744073709551615");
  const uint8_t kod[6] = {0x39, 0x30, 0, 0, 0, 0};  // 12345
  EXPECT_EQ(Tekst(Szesciobajtowa(kod, 13)), "0000000012345");
  const uint8_t osiem[8] = {0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(Tekst(Osmiobajtowa(osiem)), "72057594037927936");
  EXPECT_EQ(Tekst(Hex(0x5A)), "5A");
  EXPECT_EQ(Tekst(Hex(0x07)), "07");
}

TEST_F(Pomocnicy, BytesWithDecimalPlaces) {
  const uint8_t ilosc[] = {0xD2, 0x04, 0, 0};  // 1234
  const uint8_t ujemna[] = {0xFE, 0xFF, 0xFF, 0xFF};  // -2 as 32 bits
  const uint8_t najmniejsza[] = {0x00, 0x80};
  const uint8_t zero[] = {0, 0};
  const struct { const uint8_t* bajty; uint8_t od, do_, miejsca; bool znak; const char* tekst; } przypadki[] = {
      {ilosc, 0, 3, 3, false, "1.234"}, {ilosc, 0, 3, 5, false, "0.01234"}, {ilosc, 0, 3, 0, false, "1234"},
      {ilosc, 0, 0, 0, false, "210"},   {ilosc, 1, 1, 1, false, "0.4"},     {ujemna, 0, 3, 0, true, "-2"},
      {ujemna, 0, 3, 2, true, "-0.02"}, {ujemna, 0, 3, 0, false, "4294967294"},
      {najmniejsza, 0, 1, 0, true, "-32768"}, {zero, 0, 1, 2, true, "0.00"},
  };
  for (const auto& p : przypadki)
    EXPECT_EQ(Tekst(LiczbaBajtowNaTekst(p.bajty, p.od, p.do_, p.miejsca, p.znak)), p.tekst) << p.tekst;
}

TEST_F(Pomocnicy, LineOfFieldsAndParts) {
  const uint8_t zegar[] = {0, 8, 1, 2, 2, 6, 1, 4, 3, 5};
  LiniaWyniku linia;
  EXPECT_TRUE(linia.Pusta());
  auto b = [&](int i) { return Liczba(zegar[i]); };
  linia.Pole(b(0), b(1), ".", b(2), b(3), ".", b(4), b(5)).Pole(b(6), b(7), ":", b(8), b(9));
  EXPECT_STREQ(linia.Tekst(), "08.12.26\t14:35");

  const uint8_t nazwa[] = {'A', 'B', 0, 'C'};
  const uint8_t rekord[] = {0x1F, 0x0A, 0xFF};
  LiniaWyniku druga;
  druga.Pole("").Pole(Znaki(nazwa, 4)).PoleBezZer(nazwa, 4).PoleHexH(rekord, 3);
  EXPECT_STREQ(druga.Tekst(), "\tAB\tABC\t1fH:0aH:ffH");

  LiniaWyniku dluga;
  for (int i = 0; i < 100; ++i) dluga.Pole("abcd");
  EXPECT_EQ(std::strlen(dluga.Tekst()), 255u);
}

TEST_F(Pomocnicy, ParametersAreLittleEndian) {
  const uint8_t kod[6] = {1, 2, 3, 4, 5, 6};
  Parametry p;
  p.Bajt(9).Word(0x1234).Long(0xA1B2C3D4).Tekst("ab", 4).Tekst("xyz", 2, 0).Bajty(kod, 6).Wielobajtowa(0x0102, 3);
  const uint8_t oczekiwane[] = {9, 0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 'a', 'b', ' ', ' ', 'x', 'y',
                                1, 2,    3,    4,    5,    6,    2,    1,    0};
  ASSERT_EQ(p.Ile(), sizeof oczekiwane);
  EXPECT_EQ(std::memcmp(Sesja.Wymiana.ObszarParametrow, oczekiwane, sizeof oczekiwane), 0);
  Parametry od(254);
  od.Word(0xBBAA).Bajt(1);  // nothing passes byte 255
  EXPECT_EQ(od.Ile(), 256);
  EXPECT_EQ(Sesja.Wymiana.ObszarParametrow[255], 0xBB);
}

TEST_F(Pomocnicy, AnswerNumbers) {
  const uint8_t dane[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};
  std::memcpy(Sesja.Wymiana.ObszarOdpowiedzi, dane, sizeof dane);
  EXPECT_EQ(OdpowiedzByte(2), 0x03);
  EXPECT_EQ(OdpowiedzWord(0), 0x0201);
  EXPECT_EQ(OdpowiedzLong(1), 0x05040302u);
  EXPECT_EQ(OdpowiedzLiczba(0, 5), 0x0504030201u);
  EXPECT_EQ(OdpowiedzLiczba(1, 8), 0x0908070605040302u);
  EXPECT_EQ(OdpowiedzWordOdStarszego(0), 0x0102);
  EXPECT_EQ(XorOdpowiedzi(0, 3), 0x01 ^ 0x02 ^ 0x03);
  EXPECT_EQ(OdpowiedzByte(600), 0);  // beyond the area
  EXPECT_EQ(Odpowiedz(4)[0], 0x05);
}

TEST(TablicaFunkcji, EveryCommandOnceWithItsOwnCode) {
  std::size_t liczba = 0;
  const PozycjaFunkcji* pozycje = PozycjeFunkcji(liczba);
  ASSERT_GE(liczba, 2u);
  std::set<int32_t> kody;
  std::set<std::string> nazwy;
  for (std::size_t i = 0; i < liczba; ++i) {
    const OpisFunkcji& o = *pozycje[i].Opis;
    EXPECT_TRUE(kody.insert(o.Kod).second) << o.Kod;
    EXPECT_TRUE(nazwy.insert(o.Nazwa).second) << o.Nazwa;
    EXPECT_GE(o.Kod, 11);
    EXPECT_LE(o.Kod, 412);
    EXPECT_EQ(o.Nazwa[0], '_');
    EXPECT_EQ(o.JestPlikWynikowy != 0, pozycje[i].WejscieIWyjscie != nullptr) << o.Nazwa;
    EXPECT_EQ(o.JestPlikWynikowy == 0, pozycje[i].Wejscie != nullptr) << o.Nazwa;
    // _SortPak's own session has no body: it runs _Sorter and _Paker after it.
    if (o.Kod != 34) {
      EXPECT_NE(o.Cialo, nullptr) << o.Nazwa;
    }
  }
  const PozycjaFunkcji* odczyt = ZnalezienieFunkcji(113);
  ASSERT_NE(odczyt, nullptr);
  EXPECT_STREQ(odczyt->Opis->Nazwa, "_ONrKasy");
  EXPECT_EQ(odczyt->Opis->SprawdzacNumerKasy, 0);
  EXPECT_EQ(odczyt->WejscieIWyjscie, &Karvo_ONrKasy);
  const PozycjaFunkcji* zapis = ZnalezienieFunkcji(114);
  ASSERT_NE(zapis, nullptr);
  EXPECT_EQ(zapis->Wejscie, &Karvo_ZNrKasy);
  EXPECT_EQ(ZnalezienieFunkcji(20), nullptr);
}

}  // namespace
