// _ZTPojemn: links goods to containers from the input lines (goods number,
// container number), one request each. The register reports the outcome of
// this request in a status byte the exchange hands over as data; a status
// other than 0 is the register's refusal and ends the command with its
// ResultCode, as the status of any other write would.
#include "commands/cashdesk/container_records.h"

#include "protocol/engine.h"

namespace {

void ZapisPowiazania() {
  WykonanieRozkazu({KodRozkazu::ZapisPojemnikaTowaru, 1, 3, 1});
  if (BrakBledu() && Sesja.Wymiana.StatusRozkazu != 0) UstawWynik(WynikStatusu(Sesja.Wymiana.StatusRozkazu));
}

void ZapisPowiazan() {
  if (KasaMaPojemniki()) CialoZapisuLiniami({{}, WordIBajtJakoParametry, ZapisPowiazania});
}

}  // namespace

KARVO_FUNKCJA(ZTPojemn, .Kod = 54, .Cialo = ZapisPowiazan);
