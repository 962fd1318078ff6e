#include "datafiles/line_errors.h"

#include <cstdio>
#include <cstring>

#include "datafiles/data_files.h"
#include "datafiles/reading_stops.h"
#include "platform/files.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

// The last line handed out, and why it failed when it did.
struct OstatniaLinia {
  int32_t uchwyt = -1;
  std::string tekst;
  int64_t pozycja = -1;  // right after the line
  bool zakonczona = false;
  bool jestBlad = false;
  std::string blad;  // "field 2: ..." or "...": what follows "FILE line N"
} Linia;

std::string Gdzie() {
  const char* nazwa = NazwaPlikuUzytkownika(Linia.uchwyt);
  if (!nazwa || Linia.pozycja < 0) return "";
  return std::string(nazwa) + " line " +
         std::to_string(NumerLiniiKonczacejSieNa(Linia.uchwyt, Linia.pozycja, Linia.zakonczona));
}

// A byte as a person reads it in a message: printable ASCII as it stands.
std::string Znak(char znak) {
  const auto bajt = static_cast<unsigned char>(znak);
  if (bajt >= 0x20 && bajt < 0x7F) return std::string("\"") + znak + "\"";
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", bajt);
  return hex;
}

std::string PowodZlejLinii(const char* surowa, char oczekiwany) {
  const char* rodzajOczekiwany = oczekiwany == ZnakDanych ? "a data line (\"$\")" : "a header line (\"#\")";
  if (std::strncmp(surowa, "\xEF\xBB\xBF", 3) == 0)
    return "the file begins with a UTF-8 byte order mark: write it without one";
  if (surowa[0] == ZnakNaglowka) return std::string("a header line where ") + rodzajOczekiwany + " must stand";
  if (surowa[0] == ZnakDanych) return std::string("a data line where ") + rodzajOczekiwany + " must stand";
  return "the line begins with " + Znak(surowa[0]) + ": a line begins with \"#\" (header), \"$\" (data) or \";\" (comment)";
}

bool TaSamaLinia(const char* linia) {
  if (Linia.tekst == linia) return true;
  // The first header line is taken cleaned (comment cut, trimmed, upper case).
  Napis oczyszczona{};
  KopiowanieNapisu(oczyszczona, Linia.tekst.c_str());
  OczyszczenieNapisu(oczyszczona);
  return std::strcmp(oczyszczona, linia) == 0;
}

}  // namespace

void ZapamietanieLinii(int32_t uchwyt, const char* tekst) {
  Linia = {uchwyt, tekst, platforma::UstawPozycjePliku(uchwyt, 0, 1), Sesja.LiniaZakonczona != 0, false, {}};
}

void ZapamietanieZlejLinii(int32_t uchwyt, const char* surowa, char oczekiwany, bool powiedziano) {
  ZapamietanieLinii(uchwyt, surowa);
  Linia.jestBlad = true;
  if (!powiedziano) Linia.blad = PowodZlejLinii(surowa, oczekiwany);
}

void ZapamietanieBleduPola(const char* linia, uint8_t k, const std::string& dlaczego) {
  if (Linia.jestBlad) return;  // the first failure of a line is what stopped it
  // A text that is not the line last read (a command's own) is told without a place.
  if (!linia || !TaSamaLinia(linia)) Linia = {};
  Linia.jestBlad = true;
  Linia.blad = "field " + std::to_string(k) + ": " + dlaczego;
}

std::string OpisBleduLinii() {
  if (!Linia.jestBlad || Linia.blad.empty()) return "";
  const std::string gdzie = Gdzie();
  if (gdzie.empty()) return Linia.blad;
  // "FILE line N field M: why", "FILE line N: why"
  return gdzie + (Linia.blad.compare(0, 6, "field ") == 0 ? " " : ": ") + Linia.blad;
}

void ZgloszenieBleduLinii() {
  if (JestBlad(BladLiniiWejscia)) {
    std::string opis = OpisBleduLinii();
    if (opis.empty() && !Linia.jestBlad && !Gdzie().empty())
      opis = Gdzie() + ": the line does not hold the fields this command takes";
    if (!opis.empty()) std::fprintf(stderr, "karvo: %s\n", opis.c_str());
    std::fflush(stderr);
  }
  Linia = {};
}
