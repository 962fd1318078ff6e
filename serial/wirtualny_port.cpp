#include "serial/wirtualny_port.h"

#include "platform/portmap.h"

std::string OdczytAdresuIP(uint8_t port) { return platforma::AdresSerweraPortu(port); }

bool PrzygotowanieWirtualnegoPortu(uint8_t) { return false; }
