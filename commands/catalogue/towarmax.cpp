// _TowarMax: the whole goods catalogue, one goods line per goods, from the
// lowest goods number of the register to its highest or to its capacity.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"

namespace {

void OdczytKatalogu() {
  ZakresTowarow zakres;
  if (OdczytanieZakresuTowarow(zakres)) PrzejscieTowarow(zakres, OdczytanieTowaru);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(TowarMax, .Kod = 21, .Cialo = OdczytKatalogu);
