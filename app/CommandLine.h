// The program's arguments: none starts the panel; "--script FILE" (or "-"
// for standard input) runs a script; "--help" prints the usage.
#pragma once

#include <iosfwd>
#include <optional>

#include "ScriptText.h"

struct CommandLine {
  // Set when the program ends before the Scene is made (help, a refused
  // argument, a script that cannot be read or is not a script).
  std::optional<int> exitStatus;
  std::optional<Script> script;  // the script to run, read and parsed
};

// Reads the arguments and, for "--script", the script; help goes to `out`,
// refusals to `err`.
CommandLine ReadCommandLine(int argc, const char* const* argv, std::istream& standardInput,
                            std::ostream& out, std::ostream& err);
