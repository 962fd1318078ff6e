// The service's configuration directory: the KONFIG.TXT and ports.conf that
// its runs use, in the driver's own formats. The service reads them only to
// know the registers and which of them share a line; the driver reads its
// own copy in every run.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace karvod {

struct RegisterEntry {
  int Number = 0;
  std::string Link;  // field 2 as written ("COM1:9600:MUX0:1")
  std::string Line;  // what the register's requests travel over: its queue
};

struct Configuration {
  std::string Directory;
  std::string Konfig;     // KONFIG.TXT, bytes
  std::string Ports;      // ports.conf as the runs get it (relative targets made absolute)
  std::string Koment;     // KOMENT.TXT (may be empty)
  std::string Modkonf;    // MODKONF.TXT (may be empty)
  std::map<int, RegisterEntry> Registers;
};

// Reads DIR/KONFIG.TXT (required), DIR/ports.conf (else /etc/karvo/ports.conf,
// else none), DIR/KOMENT.TXT (else the delivered one), DIR/MODKONF.TXT.
// nullopt with a reason when KONFIG.TXT cannot be read.
std::optional<Configuration> ReadConfiguration(const std::string& dir, std::string& error);

// The registers of a KONFIG.TXT text: data lines whose field 1 is 1 to 99 and
// whose field 2 is a link description; the first line of a number counts, as
// in the driver. `ports` is the map the line of a serial port is looked up in.
std::map<int, RegisterEntry> RegistersOf(const std::string& konfig, const std::string& ports);

// The line of a register: "tcp:HOST:PORT" for the network kind (MUX5, the
// module's address from field 5), else "serial:TARGET" with the port's target
// in the ports map (or /dev/ttyS<n-1>, as the driver takes a missing one).
std::string LineOf(const std::string& link, const std::string& field5, const std::string& ports);

// ports.conf with every relative target taken from `base` instead of the
// directory of the run.
std::string AbsolutePorts(const std::string& ports, const std::string& base);

}  // namespace karvod
