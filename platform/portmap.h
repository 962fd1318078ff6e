// The port map: which device or network port stands behind COMn, and the
// destination address of the port server for virtual ports. It plays the role
// of the reference platform's device namespace and its registry entries.
//
// The map is the file ports.conf in the platform directory ($KARVO_PLATFORM_DIR
// when set, else /etc/karvo). One line per port:
//   COMn<TAB>target[<TAB>destination-ip]
// "#" starts a comment; blank lines are ignored, a malformed line is passed
// over and said on standard error (file and line, once a run); when a port is
// named twice the later line wins. target is a device path or
// rfc2217://host:port. A port without a line is /dev/ttyS{n-1}.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platforma {

struct WpisMapyPortow {
  std::string cel;          // device path or rfc2217://host:port
  std::string adresSerwera;  // dotted IPv4 address of the port server, or empty
};

// The directory holding ports.conf.
std::string KatalogMapyPortow();

// The map's line for COMn, if the map has a usable one.
std::optional<WpisMapyPortow> WpisPortu(uint8_t numer);

// What opening COMn opens: the map's target, else /dev/ttyS{n-1}; empty for COM0
// without a line.
std::string CelPortu(uint8_t numer);

// The destination address of the virtual port COMn (dotted IPv4), or empty.
std::string AdresSerweraPortu(uint8_t numer);

// The port number of a device name of the reference platform: "COMn", "Comn"
// or "\\.\COMn" in any letter case, n in 0..255.
std::optional<uint8_t> NumerPortuZNazwy(const std::string& nazwa);

}  // namespace platforma
