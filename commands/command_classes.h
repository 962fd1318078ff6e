// What each command does to the register, for a program that runs the driver
// on behalf of others (a spooler, the karvod service): whether a command that
// was cut off may simply be run again, and whether a failed one may be retried.
//
// The table stands on its own: it includes nothing of the driver, so a program
// outside it may compile it in. A unit test holds it to the CommandCode table.
#pragma once

#include <cstddef>
#include <cstdint>

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

// Every command, in ascending order of CommandCode.
const CommandInfo* CommandTable(std::size_t& count);
// nullptr when no command has the code.
const CommandInfo* FindCommand(int32_t code);
// By entry point name, "_TowarMax"; the underscore may be left out and letter
// case does not matter. nullptr when no command has the name.
const CommandInfo* FindCommand(const char* name);
const char* CommandClassName(CommandClass c);  // "read", "write", "clear", "payout", "file-only"
// True for the classes whose run may be repeated without changing the register twice.
inline bool RepeatableClass(CommandClass c) { return c == CommandClass::Read || c == CommandClass::FileOnly; }
