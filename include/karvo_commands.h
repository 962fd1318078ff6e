// What each command does to the register, for a program that runs the driver
// on behalf of others (a spooler, the karvod service): whether a command that
// was cut off may simply be run again, and whether a failed one may be retried.
//
// C++ only, header-only constant data: it includes nothing of the driver and
// holds no state, so a program outside the driver may include it. The driver's
// unit tests hold it to the driver's CommandCode table.
#pragma once

#ifndef __cplusplus
#error "karvo_commands.h is a C++ header"
#endif

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace karvo {

enum class CommandClass : uint8_t {
  Read,      // reads the register, changes nothing: safe to run again
  Write,     // writes to the register (or to its communication module)
  Clear,     // deletes or zeroes data in the register (also a read that zeroes what it read)
  Payout,    // books cash out of the drawer
  FileOnly,  // works on data files only, never talks to a register
};

struct CommandInfo {
  int32_t Code;         // the CommandCode
  const char* Name;     // the entry point's name, "_TowarMax"
  bool HasOutput;       // takes an output file (/W)
  CommandClass Class;
};

// Every command, in ascending order of CommandCode. A command named with "_O"
// reads, "_Z" writes, "_K" deletes; the exceptions are spelled out here:
// _OIKasZZ zeroes the shift counters it reads, _OSpOpMax runs a sequence that
// clears the sales it read, _ZBPTowar writes although it has an output file,
// the modem commands change the module's state, and the sorting and packing
// commands touch files only.
inline constexpr CommandInfo Commands[] = {
    {11, "_OBajty", true, CommandClass::Read},
    {12, "_ZBajty", false, CommandClass::Write},
    {13, "_ODBajty", true, CommandClass::Read},
    {14, "_ZDBajty", false, CommandClass::Write},
    {15, "_OJednost", true, CommandClass::Read},
    {16, "_ZJednost", false, CommandClass::Write},
    {17, "_OGrupa", true, CommandClass::Read},
    {18, "_ZGrupa", false, CommandClass::Write},
    {19, "_OPlat", true, CommandClass::Read},
    {21, "_TowarMax", true, CommandClass::Read},
    {22, "_OTowar", true, CommandClass::Read},
    {23, "_ZTowar", false, CommandClass::Write},
    {24, "_ZBPTowar", true, CommandClass::Write},
    {25, "_ZCTowar", false, CommandClass::Write},
    {26, "_KTowar", false, CommandClass::Clear},
    {27, "_ZBlok", false, CommandClass::Write},
    {28, "_ONNazwa", true, CommandClass::Read},
    {29, "_OWiaz", true, CommandClass::Read},
    {31, "_OSprzed", true, CommandClass::Read},
    {32, "_Sorter", false, CommandClass::FileOnly},
    {33, "_Paker", true, CommandClass::FileOnly},
    {34, "_SortPak", true, CommandClass::FileOnly},
    {35, "_OOpak", true, CommandClass::Read},
    {36, "_OTSprzed", true, CommandClass::Read},
    {37, "_OTSpMax", true, CommandClass::Read},
    {38, "_OObrRab", true, CommandClass::Read},
    {39, "_KSprOp", false, CommandClass::Clear},
    {41, "_OKasjer", true, CommandClass::Read},
    {42, "_ZKasjer", false, CommandClass::Write},
    {43, "_KKasjer", false, CommandClass::Clear},
    {44, "_OUprKas", true, CommandClass::Read},
    {45, "_ZUprKas", false, CommandClass::Write},
    {46, "_OIKas", true, CommandClass::Read},
    {47, "_OIKasZZ", true, CommandClass::Clear},
    {48, "_OIKasOtw", true, CommandClass::Read},
    {49, "_OIKasZam", true, CommandClass::Read},
    {51, "_OPojemn", true, CommandClass::Read},
    {52, "_ZPojemn", false, CommandClass::Write},
    {53, "_OTPojemn", true, CommandClass::Read},
    {54, "_ZTPojemn", false, CommandClass::Write},
    {61, "_ModStart", false, CommandClass::Write},
    {62, "_ModStop", false, CommandClass::Write},
    {63, "_ModHaslo", false, CommandClass::Write},
    {64, "_ModNrWer", true, CommandClass::Read},
    {65, "_ModIlDzw", false, CommandClass::Write},
    {110, "_ZPlat", false, CommandClass::Write},
    {111, "_ORabat", true, CommandClass::Read},
    {112, "_ZRabat", false, CommandClass::Write},
    {113, "_ONrKasy", true, CommandClass::Read},
    {114, "_ZNrKasy", false, CommandClass::Write},
    {115, "_OWiersz", true, CommandClass::Read},
    {116, "_ZWiersz", false, CommandClass::Write},
    {117, "_OLinia", true, CommandClass::Read},
    {118, "_ZLinia", false, CommandClass::Write},
    {119, "_OStatus", true, CommandClass::Read},
    {120, "_OZegar", true, CommandClass::Read},
    {121, "_ONrUnik", true, CommandClass::Read},
    {122, "_OKartRab", true, CommandClass::Read},
    {123, "_ZKartRab", false, CommandClass::Write},
    {124, "_ODKBajty", true, CommandClass::Read},
    {125, "_ZDKBajty", false, CommandClass::Write},
    {126, "_ODNBajty", true, CommandClass::Read},
    {127, "_ZDNBajty", false, CommandClass::Write},
    {210, "_ZWiaz", false, CommandClass::Write},
    {211, "_KWiaz", false, CommandClass::Clear},
    {212, "_OKlawisz", true, CommandClass::Read},
    {213, "_ZKlawisz", false, CommandClass::Write},
    {214, "_KKlawisz", false, CommandClass::Clear},
    {215, "_ODBarkod", true, CommandClass::Read},
    {216, "_ZDBarkod", false, CommandClass::Write},
    {217, "_KDBarkod", false, CommandClass::Clear},
    {218, "_KTBarkod", false, CommandClass::Clear},
    {219, "_KTowMax", false, CommandClass::Clear},
    {221, "_OPBarkod", true, CommandClass::Read},
    {222, "_ZPBarkod", false, CommandClass::Write},
    {310, "_OPSprzed", true, CommandClass::Read},
    {311, "_OPSpRoz", true, CommandClass::Read},
    {312, "_ODaneARG", true, CommandClass::Read},
    {313, "_ODanePRG", true, CommandClass::Read},
    {314, "_ODataARG", true, CommandClass::Read},
    {315, "_ODataPRG", true, CommandClass::Read},
    {316, "_ZDataAkt", false, CommandClass::Write},
    {317, "_ODaneRek", true, CommandClass::Read},
    {318, "_RekorMax", true, CommandClass::Read},
    {319, "_ONrRekor", true, CommandClass::Read},
    {320, "_ONrRap", true, CommandClass::Read},
    {321, "_ONrParag", true, CommandClass::Read},
    {322, "_OPodatek", true, CommandClass::Read},
    {323, "_OPSpRozN", true, CommandClass::Read},
    {324, "_OSpOpMax", false, CommandClass::Clear},
    {410, "_OIKasWla", true, CommandClass::Read},
    {411, "_ONKasWla", true, CommandClass::Read},
    {412, "_WyplGot", false, CommandClass::Payout},
};

namespace detail {

constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

constexpr bool Ascending() {
  for (std::size_t i = 1; i < sizeof Commands / sizeof Commands[0]; ++i)
    if (Commands[i - 1].Code >= Commands[i].Code) return false;
  return true;
}

}  // namespace detail

static_assert(detail::Ascending(), "the commands stand in ascending order of CommandCode, each once");

// nullptr when no command has the code.
constexpr const CommandInfo* FindCommand(int32_t code) {
  for (const CommandInfo& c : Commands)
    if (c.Code == code) return &c;
  return nullptr;
}

// By entry point name, "_TowarMax"; the underscore may be left out and letter
// case does not matter. nullptr when no command has the name.
constexpr const CommandInfo* FindCommand(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const CommandInfo& c : Commands) {
    const std::string_view own = c.Name;
    if (detail::SameName(own, name) || (name[0] != '_' && detail::SameName(own.substr(1), name))) return &c;
  }
  return nullptr;
}
constexpr const CommandInfo* FindCommand(const char* name) {
  return name ? FindCommand(std::string_view(name)) : nullptr;
}

// "read", "write", "clear", "payout", "file-only".
constexpr const char* CommandClassName(CommandClass c) {
  switch (c) {
    case CommandClass::Read: return "read";
    case CommandClass::Write: return "write";
    case CommandClass::Clear: return "clear";
    case CommandClass::Payout: return "payout";
    case CommandClass::FileOnly: return "file-only";
  }
  return "?";
}

// True for the classes whose run may be repeated without changing the register twice.
constexpr bool RepeatableClass(CommandClass c) { return c == CommandClass::Read || c == CommandClass::FileOnly; }

}  // namespace karvo
