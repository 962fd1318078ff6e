// Reading lines by kind: header "#", data "$", comments ";" skipped.
#include <cstring>
#include <string_view>

#include "datafiles/data_files.h"
#include "datafiles/line_errors.h"
#include "datafiles/reading_stops.h"
#include "platform/files.h"
#include "state/server_channel.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

// Bytes of a file read in blocks; what was read beyond the end of the line
// is given back by seeking, so the file stands right after the line as if
// it had been read byte by byte.
class CzytnikBajtow {
 public:
  explicit CzytnikBajtow(int32_t uchwyt) : uchwyt_(uchwyt) {}
  ~CzytnikBajtow() {
    const std::size_t wstecz = ile_ - pozycja_ + oddane_;
    if (wstecz > 0) platforma::UstawPozycjePliku(uchwyt_, -static_cast<int64_t>(wstecz), 1);
  }
  CzytnikBajtow(const CzytnikBajtow&) = delete;
  CzytnikBajtow& operator=(const CzytnikBajtow&) = delete;

  // False at the end of the file and on a read error.
  bool Nastepny(char& bajt) {
    if (pozycja_ == ile_) {
      const long n = platforma::CzytajPlik(uchwyt_, bufor_, sizeof bufor_);
      if (n <= 0) return false;
      ile_ = static_cast<std::size_t>(n);
      pozycja_ = 0;
    }
    bajt = bufor_[pozycja_++];
    return true;
  }
  // Gives the last ile bytes taken back to the file.
  void Oddaj(std::size_t ile) { oddane_ += ile; }

 private:
  int32_t uchwyt_;
  char bufor_[256];
  std::size_t pozycja_ = 0, ile_ = 0, oddane_ = 0;
};

// The line being read and the terminator bytes matched at its end so far.
// The matched bytes are always the longest tail of what was read that is a
// beginning of the terminator, so a terminator is found wherever it starts
// (a carriage return before CR LF stays in the line).
struct SkladanaLinia {
  explicit SkladanaLinia(std::string_view k) : koniec(k) {}
  std::string_view koniec;
  char tresc[2 * DLUGOSC_NAPISU];
  std::size_t dlugosc = 0;
  std::size_t dopasowane = 0;

  bool Dopasowanie() const {
    return koniec.substr(0, dopasowane) == std::string_view(tresc + dlugosc - dopasowane, dopasowane);
  }
  // Takes one byte; true when it completed the terminator.
  bool Bajt(char bajt) {
    tresc[dlugosc++] = bajt;
    for (++dopasowane; dopasowane > 0 && !Dopasowanie(); --dopasowane) {
    }
    if (dopasowane == 0 || dopasowane < koniec.size()) return false;
    dlugosc -= dopasowane;
    dopasowane = 0;
    return true;
  }
  std::size_t DlugoscTresci() const { return dlugosc - dopasowane; }
};

// One raw line and why the reading of it ended.
PowodKonca OdczytanieLiniiZPowodem(int32_t uchwyt, char* linia) {
  if (!linia) return PowodKonca::KoniecPliku;
  linia[0] = 0;
  // A handle that does not seek (a device) stands at its end for ever: it has no lines.
  if (Moje_feof(uchwyt)) return PowodKonca::KoniecPliku;
  SkladanaLinia skladana(WidokNapisu(Proces.ZnakiKoncaLinii));
  CzytnikBajtow czytnik(uchwyt);
  bool zakonczona = false, zero = false;
  for (char bajt; !zakonczona && czytnik.Nastepny(bajt);) {
    Sesja.LiniaZakonczona = 0;
    // A zero byte cannot stand in a text: it is dropped here, and the
    // readers by kind refuse the line that held it.
    if (bajt == 0) {
      zero = true;
      continue;
    }
    zakonczona = skladana.Bajt(bajt);
    if (skladana.DlugoscTresci() > NajdluzszyNapis) {
      // A reader that goes on after an overlong line must find its terminator
      // whole: the bytes of it already taken go back to the file.
      czytnik.Oddaj(skladana.dopasowane);
      return PowodKonca::ZaDluga;
    }
  }
  if (zakonczona) Sesja.LiniaZakonczona = 1;
  // A line that ends at the end of the file keeps even a partial terminator.
  if (skladana.dlugosc > NajdluzszyNapis) return PowodKonca::ZaDluga;
  std::memcpy(linia, skladana.tresc, skladana.dlugosc);
  linia[skladana.dlugosc] = 0;
  if (skladana.dlugosc == 0) return zakonczona ? PowodKonca::PustaLinia : PowodKonca::KoniecPliku;
  return zero ? PowodKonca::LiniaZZerem : PowodKonca::Linia;
}

}  // namespace

uint8_t OdczytanieLinii(int32_t uchwyt, char* linia) {
  const PowodKonca powod = OdczytanieLiniiZPowodem(uchwyt, linia);
  return powod == PowodKonca::Linia || powod == PowodKonca::LiniaZZerem;
}

uint8_t OdczytanoZPlikuKonkretnaLinie(int32_t uchwyt, char znacznik, char* linia, uint8_t* zlaLinia) {
  uint8_t zla = 0;
  uint8_t jest = 0;
  for (;;) {
    const PowodKonca powod = OdczytanieLiniiZPowodem(uchwyt, linia);
    if (powod != PowodKonca::Linia && powod != PowodKonca::LiniaZZerem) {
      ZapamietanieKoncaOdczytu(uchwyt, powod);
      break;
    }
    OdczytTrwa(uchwyt, linia);
    if (linia[0] == ZnakKomentarza) continue;
    if (powod == PowodKonca::Linia && linia[0] == znacznik) {
      std::memmove(linia, linia + 1, DlugoscNapisu(linia));  // the terminator moves too
      ZapamietanieLinii(uchwyt, linia);
      jest = 1;
      break;
    }
    if (powod == PowodKonca::LiniaZZerem) ZgloszenieBajtuZero(uchwyt);
    ZapamietanieZlejLinii(uchwyt, linia, znacznik, powod == PowodKonca::LiniaZZerem);
    linia[0] = 0;
    zla = 1;
    break;
  }
  if (zlaLinia) *zlaLinia = zla;
  return jest;
}

uint8_t OdczytanoZPlikuLinieNaglowka(int32_t uchwyt, char* linia, uint8_t* zlaLinia) {
  return OdczytanoZPlikuKonkretnaLinie(uchwyt, ZnakNaglowka, linia, zlaLinia);
}

uint8_t OdczytanoZPlikuLinieDanych(int32_t uchwyt, char* linia, uint8_t* zlaLinia) {
  if (!OdczytanoZPlikuKonkretnaLinie(uchwyt, ZnakDanych, linia, zlaLinia)) return 0;
  if (uchwyt >= 0 && uchwyt == Sesja.UchwytWejscia) {
    ++Sesja.LicznikLiniiWejscia;
    PowiadomienieOkresowe('L', Sesja.LicznikLiniiWejscia, Sesja.OkresLinii);
  }
  return 1;
}
