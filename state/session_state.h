// The one process-wide record of the running command. Every module reads and
// writes its fields directly; ZerowanieDanychSesji clears it at the start of
// every command entry point.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/device_data.h"
#include "state/engine_data.h"
#include "state/framing_data.h"
#include "state/option_data.h"

constexpr std::size_t DLUGOSC_NAPISU = 256;  // text buffers: at most 255 bytes and the terminator
using Napis = char[DLUGOSC_NAPISU];

enum SlotNazwy : uint8_t { NazwaFunkcji = 0, NazwaPlikuWejsciowego = 1, NazwaPlikuWyjsciowego = 2, NazwaPlikuSerwera = 3 };
enum PlikSterownika : uint8_t { PlikKonfig = 0, PlikRaport = 1, PlikKoment = 2, PlikModkonf = 3, PlikEcrtbuf = 4 };
enum WierszNaglowka : uint8_t { NaglowekKonfiguracji = 0, WierszWyniku = 1, NaglowekUrzadzenia = 2 };
// The log in the current directory that the program appends every report to.
constexpr const char* NAZWA_LOGU = "karvo.log";

// Link settings taken from the register's KONFIG.TXT line.
struct UstawieniaLacza {
  uint8_t NumerPortu = 1;
  uint32_t Predkosc = 9600;
  uint8_t RodzajLacza = 0;  // the digit after MUX
  uint8_t Kanal = 1;
  uint32_t CzasOczekiwania = 0;  // field 3, seconds: both time-outs of InitializePort on serial kinds
  // For the modem and network kinds the configured speed and channel are kept
  // here, while the port itself runs at 19200 on channel 2.
  uint32_t PredkoscZadana = 0;
  uint8_t KanalZadany = 0;
  // Field 5 of the modem kind (MUX2).
  char TrybWybierania = 0;  // 'P' pulse or 'T' tone
  Napis NumerTelefonu{};
  uint32_t CzasPolaczenia = 0;
  // Field 5 of the network kind (MUX5).
  Napis AdresModulu{};
  uint32_t PortModulu = 0;
  Napis TekstDodatkowy{};      // part 3: checked and kept, not used
  uint32_t SlowoDodatkowe = 0;  // part 4: checked and kept, not used
  // Both kinds.
  Napis HasloModulu{};             // exactly 8 characters
  uint32_t CzasOczekiwaniaRamki = 0;  // the time-out word of the link layer (seconds)
  uint8_t LimitPowtorzen = 0;      // repeat limit of the frame recovery
  // The fields as written in KONFIG.TXT (header line 0, header line 2).
  Napis Pole1{}, Pole2{}, Pole3{}, Pole5{};
  Napis TekstIdentyfikacji{};  // start of the third report header line
};

struct DaneSesji {
  Napis NazwyPlikowSesji[4]{};
  Napis PlikiSterownika[5]{};
  Napis ZastrzezoneNazwy[5]{};
  Napis WierszeNaglowka[3]{};
  Napis ZapisanyRaport{};  // where this command wrote its report; empty when it wrote none

  int32_t UchwytWejscia = -1, UchwytWyjscia = -1, UchwytKonfig = -1, UchwytRaportu = -1, UchwytBufora = -1,
          UchwytSerwera = -1;

  uint8_t BiezacyWynik = 0;
  uint8_t LiniaZakonczona = 1;
  uint32_t LicznikLiniiWejscia = 0, LicznikLiniiWyjscia = 0;

  // Prologue flags, set by each command entry point.
  uint8_t JestPlikWynikowy = 0, NowyPlikWynikowy = 0, OdczytacNumerKasy = 0, SprawdzacNumerKasy = 0,
          OdczytacTypKasy = 0, PolaczenieZKasa = 0;
  uint8_t ZachowanieWyniku = 0;  // an output file with data lines is kept as a numbered copy, not emptied
  uint8_t OdczytacPojemnoscPLU = 0;  // determine the goods capacity (every command entry point sets it)

  // Session flags. PelnaSesja survives the reset.
  uint8_t PelnaSesja = 1;
  uint8_t OtwieranieSesji = 0, PierwszyRozkaz = 0;

  // Server settings.
  int32_t NumerKomunikatu = 0;
  int32_t IdentyfikatorSterownika = 0;
  uint32_t OkresLicznika = 0, OkresLinii = 0, OkresLiniiWyjscia = 0;
  uint32_t LicznikRozkazow = 0;
  uint8_t ZapisKomunikatow = 0, Wstrzymany = 0;
  Napis NazwaWKomunikatach{};
  uint8_t PokazPlikWRaporcie = 1;
  int32_t BiezacyNumerKomunikatu = 0;  // the channel's current message number; 0 = closed

  uint8_t NumerKasyZadany = 0;
  UstawieniaLacza Lacze{};

  // Register data, owned by the protocol modules.
  DaneUrzadzenia Urzadzenie{};
  DaneWymiany Wymiana{};
  DaneRamek Ramki{};
  DaneOpcji Opcje{};
};

// Process-wide items that the reset leaves alone.
struct DaneProcesu {
  Napis ZnakiKoncaLinii{"\r\n"};  // line terminator; the Server file may replace it
  uint8_t UdostepnianieWyjscia = 0;  // sharing of the output file: 0 deny all, 1 deny write, 2 deny none
};

extern DaneSesji Sesja;
extern DaneProcesu Proces;

void ZerowanieDanychSesji();

// Accessors of the name slots: the text, or nullptr when the slot is empty.
const char* NazwaZeSlotu(uint8_t slot);
uint8_t SlotSerwera();  // 3 with an output file, else 2
const char* NazwaPlikuWejsciowegoLubNic();
const char* NazwaPlikuWyjsciowegoLubNic();
const char* NazwaPlikuSerweraLubNic();
bool JestNazwaPlikuWejsciowego();
bool JestNazwaPlikuWyjsciowego();
bool JestNazwaPlikuSerwera();
