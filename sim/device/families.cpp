#include "device/families.h"

namespace sim {

bool DrugaGeneracja(uint8_t typ) { return typ >= 100 && typ != 'o' && typ != 'p'; }

bool Norda(uint8_t typ) { return typ == 'u' || typ == 'v'; }

bool Nowa(uint8_t typ) { return typ >= 116 && !Norda(typ); }

bool Cenometr(uint8_t typ) {
  return typ == 'w' || typ == 'x' || typ == '\'' || typ == '9' || typ == 'm' || typ == 'n';
}

bool Ubo(uint8_t typ) { return typ == '%' || typ == '='; }

bool KasaOP(uint8_t typ) { return typ == 'o' || typ == 'p'; }

bool PlatnosciPoRekordzie(uint8_t typ) { return Nowa(typ); }

size_t LiczbaPlatnosciWTablicy(uint8_t typ) { return Norda(typ) ? 2 : 3; }

unsigned DlugoscIdentyfikatora(const StanKasy& stan) {
  const bool dluzszy = DrugaGeneracja(stan.typ) && stan.typ >= 100 && stan.typ <= 102 && stan.wersja == 1 &&
                       stan.litera == 'A';
  return dluzszy ? 12 : 11;
}

RodzinaTowarow Rodzina(uint8_t typ) {
  if (Norda(typ)) return RodzinaTowarow::V;
  if (typ == 'w' || typ == 'x') return RodzinaTowarow::W;
  if (typ == 'm' || typ == 'n') return RodzinaTowarow::M;
  if (typ >= 't') return RodzinaTowarow::T;
  return RodzinaTowarow::S;
}

}  // namespace sim
