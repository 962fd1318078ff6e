// Writing lines: the text and the terminator in one write.
#include <cstring>
#include <string_view>

#include "datafiles/data_files.h"
#include "platform/files.h"
#include "state/server_channel.h"
#include "state/session_state.h"
#include "text/codecs.h"
#include "text/progress.h"

namespace {

bool PlikWyjsciowy(int32_t uchwyt) { return uchwyt >= 0 && uchwyt == Sesja.UchwytWyjscia; }

// An appended output file is flushed to the disk line by line, so that what
// the register gave up (a sales readout) survives a crash of the machine.
uint8_t ZapisanieLinii(int32_t uchwyt, std::string_view znacznik, std::string_view tekst) {
  char bufor[3 * DLUGOSC_NAPISU];
  const std::string_view koniec = WidokNapisu(Proces.ZnakiKoncaLinii);
  std::size_t dlugosc = 0;
  for (const std::string_view czesc : {znacznik, tekst, koniec}) {
    if (czesc.empty()) continue;  // an empty view may have no data pointer at all
    std::memcpy(bufor + dlugosc, czesc.data(), czesc.size());
    dlugosc += czesc.size();
  }
  if (platforma::PiszPlik(uchwyt, bufor, dlugosc) != static_cast<long>(dlugosc)) return 0;
  if (PlikWyjsciowy(uchwyt) && !Sesja.NowyPlikWynikowy) return platforma::SynchronizujPlik(uchwyt);
  return 1;
}

// The whole given text: 255 bytes of a text buffer, or all 256 when it has no terminator.
std::string_view TekstDoZapisu(const char* tekst) { return {tekst ? tekst : "", tekst ? strnlen(tekst, DLUGOSC_NAPISU) : 0}; }

}  // namespace

uint8_t ZapisanoDoPlikuLinie(int32_t uchwyt, const char* tekst) { return ZapisanieLinii(uchwyt, {}, TekstDoZapisu(tekst)); }

uint8_t ZapisanoDoPlikuLinieDanych(int32_t uchwyt, const char* tekst) {
  if (!ZapisanieLinii(uchwyt, std::string_view(&ZnakDanych, 1), TekstDoZapisu(tekst))) return 0;
  if (PlikWyjsciowy(uchwyt)) {
    ++Sesja.LicznikLiniiWyjscia;
    PowiadomienieOkresowe('O', Sesja.LicznikLiniiWyjscia, Sesja.OkresLiniiWyjscia);
    PostepRekordu();
  }
  return 1;
}

uint8_t ZapisanoDoPlikuLinieNaglowka(int32_t uchwyt, const char* tekst) {
  return ZapisanieLinii(uchwyt, std::string_view(&ZnakNaglowka, 1), WidokNapisu(tekst));
}
