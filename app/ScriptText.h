// The text of a script for scripted runs: one panel operation a line, read
// into commands before anything runs. Which widgets the labels name is
// settled later against the panel (ScriptRunner.h).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

enum class ScriptVerb { kSelect, kSet, kCheck, kPress, kInput, kKey, kCopy, kOpen };

struct ScriptLine {
  int number = 0;  // line of the file, from 1
  ScriptVerb verb = ScriptVerb::kPress;
  std::string label;  // select, set, check, press: the widget's label; copy: the source
  // set: the value as written; check: "on" or "off"; input: the line to
  // queue; key: the keys as written; copy: the target; open: the camera
  // file.
  std::string value;
  std::vector<std::string> files;  // open: the state files
};

// A script read from a file: the name its messages give and its commands.
struct Script {
  std::string name;
  std::vector<ScriptLine> lines;
};

// Reads every line of `in`. Blank lines and lines whose first non-blank
// character is '#' are skipped; so are trailing blanks and carriage
// returns. False at the first line that is not a command, with the message
// "script <name>:<line>: <what is wrong>" on `err`, or when `in` cannot be
// read ("script <name>: cannot be read").
bool ParseScript(std::istream& in, const std::string& name, Script* script, std::ostream& err);

// One line; false with what is wrong in `what`.
bool ParseScriptLine(const std::string& text, ScriptLine* line, std::string* what);

// The line as it is echoed: the command, the label in quotes, the value.
std::string ScriptLineText(const ScriptLine& line);

// `s` without leading and trailing blanks (spaces, tabs, line ends).
std::string TrimBlanks(const std::string& s);

// "script <name>:<line>: " for a message about the line.
std::string ScriptWhere(const std::string& name, int line);

// The command-line help: usage and the script vocabulary.
const char* ScriptHelp();
