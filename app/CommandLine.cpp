#include "CommandLine.h"

#include <fstream>
#include <iostream>
#include <string>

CommandLine ReadCommandLine(int argc, const char* const* argv, std::istream& standardInput,
                            std::ostream& out, std::ostream& err) {
  CommandLine c;
  const std::string first = argc > 1 ? argv[1] : "";
  if (argc <= 1) return c;
  if (first == "--help" || first == "-h") {
    if (argc == 2) {
      out << ScriptHelp();
      c.exitStatus = 0;
      return c;
    }
  } else if (first == "--script" && argc == 3) {
    const std::string path = argv[2];
    Script script;
    bool parsed = false;
    if (path == "-") {
      parsed = ParseScript(standardInput, "<stdin>", &script, err);
    } else {
      std::ifstream file(path);
      if (!file) {
        err << "script " << path << ": cannot be read" << std::endl;
        c.exitStatus = 2;
        return c;
      }
      parsed = ParseScript(file, path, &script, err);
    }
    if (!parsed) {
      c.exitStatus = 2;
      return c;
    }
    c.script = std::move(script);
    return c;
  }
  err << "workbench: unexpected arguments";
  for (int i = 1; i < argc; i++) err << " " << argv[i];
  err << "\n\n" << ScriptHelp();
  c.exitStatus = 2;
  return c;
}
