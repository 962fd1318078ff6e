#include "karvod/config.h"

#include <cctype>
#include <sstream>
#include <vector>

#include "karvod/util.h"

namespace karvod {

namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(sep, start);
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

std::string Trim(const std::string& s, const char* blanks = " \t\r") {
  const auto a = s.find_first_not_of(blanks);
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(blanks) - a + 1);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A field cleaned as the driver cleans a link description: the comment cut
// off, blanks trimmed, upper case.
std::string Cleaned(const std::string& field) {
  return Upper(Trim(field.substr(0, field.find(';')), " "));
}

std::optional<int> Number(const std::string& s, int max) {
  if (s.empty() || s.size() > 6) return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v > max) return std::nullopt;
  return v;
}

// The target of COMn in a ports map: the last usable line wins, as in the driver.
std::string PortTarget(const std::string& ports, int com) {
  std::string target;
  std::istringstream in(ports);
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    const auto fields = Split(line, '\t');
    if (fields.size() < 2) continue;
    const std::string name = Upper(Trim(fields[0], " \r"));
    if (name.rfind("COM", 0) != 0) continue;
    const auto n = Number(name.substr(3), 255);
    const std::string t = Trim(fields[1], " \r");
    if (n && *n == com && !t.empty()) target = t;
  }
  if (target.empty()) target = "/dev/ttyS" + std::to_string(com - 1);
  return target;
}

}  // namespace

std::string LineOf(const std::string& link, const std::string& field5, const std::string& ports) {
  const auto parts = Split(Cleaned(link), ':');
  if (parts.size() == 4 && parts[2] == "MUX5") {
    const auto f5 = Split(Trim(field5.substr(0, field5.find(';')), " "), ':');
    if (f5.size() >= 2) return "tcp:" + f5[0] + ":" + f5[1];
  }
  int com = 1;
  if (!parts.empty() && parts[0].rfind("COM", 0) == 0) com = Number(parts[0].substr(3), 255).value_or(1);
  return "serial:" + PortTarget(ports, com);
}

std::map<int, RegisterEntry> RegistersOf(const std::string& konfig, const std::string& ports) {
  std::map<int, RegisterEntry> regs;
  std::istringstream in(konfig);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] != '$') continue;
    const auto fields = Split(line.substr(1), '\t');
    if (fields.size() < 2) continue;
    const auto number = Number(Trim(fields[0], " "), 255);
    if (!number || *number < 1 || *number > 99 || regs.count(*number)) continue;
    const auto link = Split(Cleaned(fields[1]), ':');
    if (link.size() != 4 || link[0].rfind("COM", 0) != 0 || link[2].rfind("MUX", 0) != 0) continue;
    RegisterEntry e;
    e.Number = *number;
    e.Link = fields[1];
    e.Line = LineOf(fields[1], fields.size() > 4 ? fields[4] : "", ports);
    regs[*number] = e;
  }
  return regs;
}

std::string AbsolutePorts(const std::string& ports, const std::string& base) {
  std::string out;
  std::istringstream in(ports);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t tab = line.find('\t');
    const std::size_t hash = line.find('#');
    if (tab != std::string::npos && (hash == std::string::npos || hash > tab)) {
      const std::size_t start = line.find_first_not_of(' ', tab + 1);
      if (start != std::string::npos && start < hash && line[start] != '/' && line[start] != '\t' &&
          line.compare(start, 10, "rfc2217://") != 0 && line[start] != '\r') {
        std::size_t rel = start;
        if (line.compare(start, 2, "./") == 0) rel += 2;
        line = line.substr(0, start) + base + "/" + line.substr(rel);
      }
    }
    out += line + "\n";
  }
  return out;
}

std::optional<Configuration> ReadConfiguration(const std::string& dir, std::string& error) {
  Configuration c;
  c.Directory = AbsolutePath(dir);
  const auto konfig = ReadFile(c.Directory + "/KONFIG.TXT");
  if (!konfig) {
    error = "cannot read " + c.Directory + "/KONFIG.TXT";
    return std::nullopt;
  }
  c.Konfig = *konfig;
  auto ports = ReadFile(c.Directory + "/ports.conf");
  if (!ports) ports = ReadFile("/etc/karvo/ports.conf");
  c.Ports = AbsolutePorts(ports.value_or(""), c.Directory);
  auto koment = ReadFile(c.Directory + "/KOMENT.TXT");
  if (!koment) koment = ReadFile("/usr/share/karvo/KOMENT.TXT");
  c.Koment = koment.value_or("");
  c.Modkonf = ReadFile(c.Directory + "/MODKONF.TXT").value_or("");
  c.Registers = RegistersOf(c.Konfig, c.Ports);
  return c;
}

}  // namespace karvod
