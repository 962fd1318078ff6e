#include "session/report_log.h"

#include <cstring>
#include <string>

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

void PrzywrocenieOdlozonegoRaportu() {
  const std::string odlozony = Sesja.ZapisanyRaport;
  const std::size_t przyrostek = std::strlen(ODLOZONY);
  if (odlozony.size() <= przyrostek || odlozony.compare(odlozony.size() - przyrostek, przyrostek, ODLOZONY) != 0) return;
  const std::string wlasciwy = odlozony.substr(0, odlozony.size() - przyrostek);
  int32_t zrodlo = -1, cel = -1;
  std::string tresc;
  if (OtwartoPlik(&zrodlo, odlozony.c_str(), 0)) {
    char bufor[1024];
    for (long ile; (ile = platforma::CzytajPlik(zrodlo, bufor, sizeof bufor)) > 0;) tresc.append(bufor, static_cast<std::size_t>(ile));
    ZamknieciePliku(&zrodlo);
  }
  if (!OtwartoPlik(&cel, wlasciwy.c_str(), 1)) return;
  const bool zapisano = platforma::PiszPlik(cel, tresc.data(), tresc.size()) == static_cast<long>(tresc.size());
  ZamknieciePliku(&cel);
  if (!zapisano) return;
  platforma::UsunPlik(odlozony.c_str());
  KopiowanieNapisu(Sesja.ZapisanyRaport, wlasciwy.c_str());
}
