// Scripted runs on the panel of a Scene: each line finds its widget by the
// label the panel gives it and delivers what a click, typing or a key
// press delivers, so a script writes exactly what the same clicks write,
// and buttons added to the panel later need nothing here.
#pragma once

#include <deque>
#include <iosfwd>
#include <streambuf>
#include <string>
#include <vector>

#include "ScriptText.h"

class Fl_Widget;
class Scene;

// The Scene's console input while a script runs: the lines queued by
// "input", in order. A read with nothing left finds the end of input, as
// a console closed with Ctrl-D would, and is remembered.
class ScriptConsole : public std::streambuf {
 public:
  void Queue(const std::string& line);
  bool Starved() const { return starved_; }
  // Queued lines not read yet; a line read in part counts when what is
  // left of it is not blank.
  size_t Unread() const;

 protected:
  int_type underflow() override;

 private:
  std::deque<std::string> lines_;
  std::string current_;
  bool starved_ = false;
};

// Checks every line against the panel, then runs the lines in order, each
// echoed on `err` as "[script <line>] <command>". Returns the exit status:
// 0 when the script is done; 2, with "script <name>:<line>: <what>" on
// `err`, when a line is refused (then nothing runs) or when a console read
// found no queued line (then the script stops after that line); 3 when an
// operation a line started refused or reported an error (IsFailureLine):
// the script stops after that line with "script <name>:<line>: <command>
// reported: <the first such console line>; the script stops here".
int RunScript(Scene& scene, const Script& script, std::ostream& err);

// What a line does with the panel, for a program that drives it as a
// script does: every widget of the panel in creation order, groups'
// children included; a click as the toolkit delivers it (press and release
// inside the widget); and the pause a user makes before the next click,
// in which a window a click showed appears and draws.
std::vector<Fl_Widget*> PanelWidgets(Scene& scene);
void ClickWidget(Fl_Widget* w);
void SettleWindows(Scene& scene);
