#include "session/report_log.h"

#include "include/karvo.h"
#include "platform/files.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

DopisanieDoLogu Log = nullptr;
// The name of the report written aside: the configured one with this after it.
constexpr const char* ODLOZONY = ".~~~";

}  // namespace

void UstawienieLoguRaportow(DopisanieDoLogu dopisanie) { Log = dopisanie; }

void DopisanieOstatniegoRaportu() {
  if (!Log || !Sesja.ZapisanyRaport[0]) return;
  Log(Sesja.ZapisanyRaport);
  ZerowanieNapisu(Sesja.ZapisanyRaport);
}

void OdlozenieRaportuSesji() {
  ZamknieciePliku(&Sesja.UchwytRaportu);
  DopisanieNapisu(Sesja.PlikiSterownika[PlikRaport], ODLOZONY);
}

void UsuniecieOdlozonegoRaportu() {
  if (Sesja.ZapisanyRaport[0]) platforma::UsunPlik(Sesja.ZapisanyRaport);
  ZerowanieNapisu(Sesja.ZapisanyRaport);
}
