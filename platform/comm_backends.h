// The line backends behind OtworzLinie (platform layer only).
#pragma once

#include <memory>
#include <string>

#include "platform/comm.h"

namespace platforma {

int OtworzLinieTty(const std::string& sciezka, std::unique_ptr<Linia>& linia, RodzajBleduOtwarcia& rodzaj);
// adres: host:port after the rfc2217:// prefix.
int OtworzLinieRfc2217(const std::string& adres, std::unique_ptr<Linia>& linia, RodzajBleduOtwarcia& rodzaj);

// The kind of an errno code from opening a device or connecting to a server.
RodzajBleduOtwarcia RodzajBledu(int kod);

}  // namespace platforma
