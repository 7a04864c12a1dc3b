#include "ScriptText.h"

#include <iostream>

namespace {

struct VerbName {
  ScriptVerb verb;
  const char* name;
};
const VerbName kVerbs[] = {{ScriptVerb::kSelect, "select"}, {ScriptVerb::kSet, "set"},
                           {ScriptVerb::kCheck, "check"},   {ScriptVerb::kPress, "press"},
                           {ScriptVerb::kInput, "input"},   {ScriptVerb::kKey, "key"},
                           {ScriptVerb::kCopy, "copy"}, {ScriptVerb::kOpen, "open"}};

const char* NameOf(ScriptVerb verb) {
  for (const VerbName& v : kVerbs)
    if (v.verb == verb) return v.name;
  return "?";
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A label in quotes at the start of `rest`: the label and what follows the
// closing quote, trimmed.
bool QuotedLabel(const std::string& rest, std::string* label, std::string* after,
                 std::string* what) {
  const size_t close = rest.find('"', 1);
  if (close == std::string::npos) {
    *what = "the label's closing quote is missing";
    return false;
  }
  *label = rest.substr(1, close - 1);
  *after = TrimBlanks(rest.substr(close + 1));
  return true;
}

// One file name at the start of `rest`: in double quotes, or up to the
// next blank. The rest, trimmed, goes to `after`.
bool FileName(const std::string& rest, std::string* name, std::string* after, std::string* what) {
  if (!rest.empty() && rest[0] == '"') return QuotedLabel(rest, name, after, what);
  size_t end = 0;
  while (end < rest.size() && !Blank(rest[end])) end++;
  *name = rest.substr(0, end);
  *after = TrimBlanks(rest.substr(end));
  return true;
}

// Files a script copies stay in the working directory.
bool InWorkingDirectory(const std::string& path, std::string* what) {
  bool up = path.empty() || path[0] == '/';
  for (size_t b = 0; b <= path.size() && !up;) {
    size_t e = path.find('/', b);
    if (e == std::string::npos) e = path.size();
    up = path.compare(b, e - b, "..") == 0 && e - b == 2;
    b = e + 1;
  }
  if (!up) return true;
  *what = "\"copy\" takes files of the working directory, not \"" + path + "\"";
  return false;
}

// Blank-separated words; a word in double quotes may hold blanks.
bool Words(const std::string& text, std::vector<std::string>* words, std::string* what) {
  size_t i = 0;
  while (true) {
    while (i < text.size() && Blank(text[i])) i++;
    if (i >= text.size()) return true;
    if (text[i] == '"') {
      const size_t close = text.find('"', i + 1);
      if (close == std::string::npos) {
        *what = "a closing quote is missing";
        return false;
      }
      words->push_back(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      size_t e = i;
      while (e < text.size() && !Blank(text[e])) e++;
      words->push_back(text.substr(i, e - i));
      i = e;
    }
  }
}

// "open STATE... camera CAM".
bool ParseOpen(const std::string& rest, ScriptLine* line, std::string* what) {
  std::vector<std::string> words;
  if (!Words(rest, &words, what)) return false;
  if (words.size() < 3 || words[words.size() - 2] != "camera") {
    *what = "\"open\" needs state files, then \"camera\" and a camera file";
    return false;
  }
  line->files.assign(words.begin(), words.end() - 2);
  line->value = words.back();
  return true;
}

std::string Quoted(const std::string& s) {
  return s.find_first_of(" \t") == std::string::npos ? s : "\"" + s + "\"";
}

}  // namespace

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && Blank(s[b])) b++;
  while (e > b && Blank(s[e - 1])) e--;
  return s.substr(b, e - b);
}

bool ParseScriptLine(const std::string& text, ScriptLine* line, std::string* what) {
  const std::string t = TrimBlanks(text);
  size_t end = 0;
  while (end < t.size() && !Blank(t[end])) end++;
  const std::string word = t.substr(0, end);
  const std::string rest = TrimBlanks(t.substr(end));
  const VerbName* verb = nullptr;
  for (const VerbName& v : kVerbs)
    if (word == v.name) verb = &v;
  if (verb == nullptr) {
    *what = "unknown command \"" + word +
            "\" (the commands are select, set, check, press, input, key, copy and open)";
    return false;
  }
  line->verb = verb->verb;
  line->label.clear();
  line->value.clear();
  line->files.clear();
  const std::string name = verb->name;

  switch (verb->verb) {
    case ScriptVerb::kCopy: {
      std::string after, rest2;
      if (!FileName(rest, &line->label, &after, what) ||
          !FileName(after, &line->value, &rest2, what))
        return false;
      if (line->label.empty() || line->value.empty() || !rest2.empty()) {
        *what = "\"copy\" needs a source and a target file, nothing more";
        return false;
      }
      return InWorkingDirectory(line->label, what) && InWorkingDirectory(line->value, what);
    }
    case ScriptVerb::kOpen:
      return ParseOpen(rest, line, what);
    case ScriptVerb::kInput:
    case ScriptVerb::kKey:
      if (rest.empty()) {
        *what = verb->verb == ScriptVerb::kInput ? "\"input\" needs the line to queue"
                                                 : "\"key\" needs at least one key";
        return false;
      }
      line->value = rest;
      return true;
    case ScriptVerb::kSelect:
    case ScriptVerb::kPress:
      if (rest.empty()) {
        *what = "\"" + name + "\" needs a label";
        return false;
      }
      if (rest[0] != '"') {
        line->label = rest;
        return true;
      }
      {
        std::string after;
        if (!QuotedLabel(rest, &line->label, &after, what)) return false;
        if (!after.empty()) {
          *what = "text after the quoted label: " + after;
          return false;
        }
      }
      return true;
    case ScriptVerb::kSet:
    case ScriptVerb::kCheck: {
      const std::string missing =
          "\"" + name + "\" needs a label and a " + (verb->verb == ScriptVerb::kSet ? "value" : "state, on or off");
      if (rest.empty()) {
        *what = missing;
        return false;
      }
      if (rest[0] == '"') {
        if (!QuotedLabel(rest, &line->label, &line->value, what)) return false;
      } else {
        // Unquoted, the value is the last word.
        size_t split = rest.size();
        while (split > 0 && !Blank(rest[split - 1])) split--;
        if (split > 0) {
          line->label = TrimBlanks(rest.substr(0, split));
          line->value = rest.substr(split);
        }
      }
      if (line->value.empty()) {
        *what = missing;
        return false;
      }
      if (verb->verb == ScriptVerb::kCheck && line->value != "on" && line->value != "off") {
        *what = "a check button is set \"on\" or \"off\", not \"" + line->value + "\"";
        return false;
      }
      return true;
    }
  }
  return false;
}

bool ParseScript(std::istream& in, const std::string& name, Script* script, std::ostream& err) {
  script->name = name;
  script->lines.clear();
  std::string text;
  for (int number = 1; std::getline(in, text); number++) {
    // Some editors start a UTF-8 file with a byte-order mark.
    if (number == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    const std::string t = TrimBlanks(text);
    if (t.empty() || t[0] == '#') continue;
    ScriptLine line;
    line.number = number;
    std::string what;
    if (!ParseScriptLine(t, &line, &what)) {
      err << ScriptWhere(name, number) << what << std::endl;
      return false;
    }
    script->lines.push_back(line);
  }
  if (in.bad()) {  // a folder, or a read error
    err << "script " << name << ": cannot be read" << std::endl;
    return false;
  }
  return true;
}

std::string ScriptLineText(const ScriptLine& line) {
  std::string s = NameOf(line.verb);
  switch (line.verb) {
    case ScriptVerb::kSelect:
    case ScriptVerb::kPress:
      return s + " \"" + line.label + "\"";
    case ScriptVerb::kSet:
    case ScriptVerb::kCheck:
      return s + " \"" + line.label + "\" " + line.value;
    case ScriptVerb::kInput:
    case ScriptVerb::kKey:
      return s + " " + line.value;
    case ScriptVerb::kCopy:
      return s + " \"" + line.label + "\" \"" + line.value + "\"";
    case ScriptVerb::kOpen:
      for (const std::string& f : line.files) s += " " + Quoted(f);
      return s + " camera " + Quoted(line.value);
  }
  return s;
}

std::string ScriptWhere(const std::string& name, int line) {
  return "script " + name + ":" + std::to_string(line) + ": ";
}

const char* ScriptHelp() {
  return R"(usage: workbench                  start the control panel
       workbench --script FILE    run the panel operations of FILE, then exit
       workbench --script -       the same, reading the script from standard input
       workbench --help           this text

A script runs in the working directory, with the windows shown as usual (it
needs a display: on a machine without one, xvfb-run -a workbench --script FILE).
One command a line; blank lines and lines starting with # are skipped.

  select LABEL          click a radio button: a scene ("Truck_gfb") or a
                        drawing mode ("TID"), or a visibility source ("Control")
  set LABEL VALUE       type VALUE into an input ("Total Time Stamps" 2,
                        "ASL factor" 4, "View ID" 1); set "" TEXT types into the
                        unlabelled text input that "Save Image" reads
  check LABEL on|off    set a check button ("Switch Moving/Static Cam" on)
  press LABEL           click a button ("Scene Setup", "GFB_DBG", "Cmp Log files")
  input TEXT            queue TEXT as one console line for the operations that
                        read the console (step bounds, the cell's row and column,
                        the mode number); put it before the press that reads it
  key KEYS              press camera keys of the view window: the names Up, Down,
                        Left and Right, and words of the keys . , 1 2 q w p o a z
                        (each character one press), separated by blanks
  copy FROM TO          copy a file of the working directory, for example a run's
                        log to the names "Cmp Log files" compares (a name with
                        blanks in double quotes)
  open STATE... camera CAM
                        load one's own state files (PLY, OBJ, glTF/GLB, STL or
                        the workbench's own) and camera file (.ppc) as the
                        "Truck_gfb" scene, as "Scene Setup" would; that entry
                        keeps them for the rest of the script

LABEL is exactly as on the panel: either in double quotes, or unquoted as the
rest of the line (for set and check: everything before the last word). A
label's leading and trailing blanks may be left out ("Seg#" for "Seg# ").

The whole script is checked before anything runs: an unknown command or label,
a missing value or a value the input would refuse prints
"script FILE:LINE: <what is wrong>" and exits with status 2. Each line run is
echoed on standard error ("[script 3] press "Scene Setup""). A console read
with no queued line left ends the script with status 2. An operation that
refuses or reports an error (a console line that starts with a button's
label in double quotes, or with ERROR) ends the script after its line with
status 3 and "script FILE:LINE: <line> reported: <that console line>; the
script stops here". Otherwise the program exits with status 0 when the
script is done.
)";
}
