#include "ScriptRunner.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Value_Input.H>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <vector>

#include "ConsoleWatch.h"
#include "ControlPanel.h"
#include "FrameBuffer.h"
#include "Scene.h"
#include "SceneCatalogue.h"

void ScriptConsole::Queue(const std::string& line) { lines_.push_back(line + "\n"); }

size_t ScriptConsole::Unread() const {
  bool partly = false;
  for (const char* p = gptr(); p != nullptr && p < egptr(); p++)
    if (!std::isspace(static_cast<unsigned char>(*p))) partly = true;
  return lines_.size() + (partly ? 1 : 0);
}

ScriptConsole::int_type ScriptConsole::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (lines_.empty()) {
    starved_ = true;
    return traits_type::eof();
  }
  current_ = std::move(lines_.front());
  lines_.pop_front();
  setg(current_.data(), current_.data(), current_.data() + current_.size());
  return traits_type::to_int_type(*gptr());
}

namespace {

enum class Kind { kButton, kRadio, kCheck, kValue, kText, kOther };

Kind KindOf(Fl_Widget* w) {
  if (dynamic_cast<Fl_Value_Input*>(w) != nullptr) return Kind::kValue;
  if (dynamic_cast<Fl_Input*>(w) != nullptr) return Kind::kText;
  if (auto* b = dynamic_cast<Fl_Button*>(w)) {
    if (b->type() == FL_RADIO_BUTTON) return Kind::kRadio;
    if (b->type() == FL_TOGGLE_BUTTON || dynamic_cast<Fl_Check_Button*>(w) != nullptr)
      return Kind::kCheck;
    return Kind::kButton;
  }
  return Kind::kOther;
}

const char* KindName(Kind k) {
  switch (k) {
    case Kind::kButton: return "a button: use \"press\"";
    case Kind::kRadio: return "a radio button: use \"select\"";
    case Kind::kCheck: return "a check button: use \"check\"";
    case Kind::kValue:
    case Kind::kText: return "an input: use \"set\"";
    case Kind::kOther: break;
  }
  return "not a control";
}

bool Takes(ScriptVerb verb, Kind k) {
  switch (verb) {
    case ScriptVerb::kSelect: return k == Kind::kRadio;
    case ScriptVerb::kSet: return k == Kind::kValue || k == Kind::kText;
    case ScriptVerb::kCheck: return k == Kind::kCheck;
    case ScriptVerb::kPress: return k == Kind::kButton;
    case ScriptVerb::kInput:
    case ScriptVerb::kKey:
    case ScriptVerb::kCopy:
    case ScriptVerb::kOpen: break;
  }
  return false;
}

const char* WantedName(ScriptVerb verb) {
  switch (verb) {
    case ScriptVerb::kSelect: return "radio button";
    case ScriptVerb::kSet: return "input";
    case ScriptVerb::kCheck: return "check button";
    default: return "button";
  }
}

// Every widget of the panel, groups' children included.
void Collect(Fl_Group* g, std::vector<Fl_Widget*>* out) {
  for (int i = 0; i < g->children(); i++) {
    Fl_Widget* w = g->child(i);
    out->push_back(w);
    if (Fl_Group* sub = w->as_group()) Collect(sub, out);
  }
}

std::string LabelOf(Fl_Widget* w) { return w->label() != nullptr ? w->label() : ""; }

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The widget `line` names: its label exactly, or else with the blanks
// around it left out; a near miss in letter case is named in the message.
Fl_Widget* FindWidget(const ScriptLine& line, const std::vector<Fl_Widget*>& widgets,
                      std::string* what) {
  for (int pass = 0; pass < 2; pass++) {
    std::vector<Fl_Widget*> found;
    for (Fl_Widget* w : widgets) {
      if (!Takes(line.verb, KindOf(w))) continue;
      const std::string label = LabelOf(w);
      if (pass == 0 ? label == line.label : TrimBlanks(label) == TrimBlanks(line.label))
        found.push_back(w);
    }
    if (found.size() == 1) return found[0];
    if (found.size() > 1) {
      *what = "\"" + line.label + "\" names " + std::to_string(found.size()) + " " +
              WantedName(line.verb) + "s of the panel";
      return nullptr;
    }
  }
  const std::string wanted = TrimBlanks(line.label);
  for (Fl_Widget* w : widgets) {
    if (KindOf(w) == Kind::kOther || TrimBlanks(LabelOf(w)) != wanted) continue;
    *what = "\"" + line.label + "\" is " + KindName(KindOf(w));
    return nullptr;
  }
  *what = std::string("no ") + WantedName(line.verb) + " labelled \"" + line.label +
          "\" on the panel";
  for (Fl_Widget* w : widgets) {
    if (!Takes(line.verb, KindOf(w)) || Lower(TrimBlanks(LabelOf(w))) != Lower(wanted)) continue;
    *what += "; did you mean \"" + LabelOf(w) + "\"?";
    break;
  }
  return nullptr;
}

// What the numeric input would take when typed: whole numbers in decimal
// where its step is whole, any finite number otherwise.
bool ValueTaken(Fl_Value_Input* input, const std::string& value, std::string* what) {
  const std::string name = "\"" + LabelOf(input) + "\"";
  if (value.empty()) {
    *what = name + " needs a value";
    return false;
  }
  const double step = input->step();
  if (step != 0 && step == std::floor(step)) {
    size_t i = value[0] == '-' || value[0] == '+' ? 1 : 0;
    const size_t digits = value.size() - i;
    bool whole = digits > 0;
    for (size_t k = i; k < value.size(); k++)
      if (!std::isdigit(static_cast<unsigned char>(value[k]))) whole = false;
    if (!whole) {
      *what = name + " takes a whole number, not \"" + value + "\"";
      return false;
    }
    if (digits > 1 && value[i] == '0') {
      *what = name + " takes \"" + value + "\" as an octal number; write it without the leading 0";
      return false;
    }
    return true;
  }
  char* end = nullptr;
  const double v = std::strtod(value.c_str(), &end);
  if (end == value.c_str() || *end != '\0' || !std::isfinite(v)) {
    *what = name + " takes a number, not \"" + value + "\"";
    return false;
  }
  return true;
}

const std::pair<int, const char*> kKeyNames[] = {
    {FL_Up, "Up"}, {FL_Down, "Down"}, {FL_Left, "Left"}, {FL_Right, "Right"}};

std::string KeyList() {
  std::string s;
  for (int key : FrameBuffer::kCameraKeys) {
    std::string name(1, char(key));
    for (const auto& [k, n] : kKeyNames)
      if (k == key) name = n;
    s += (s.empty() ? "" : " ") + name;
  }
  return s;
}

bool IsCameraKey(int key) {
  for (int k : FrameBuffer::kCameraKeys)
    if (k == key) return true;
  return false;
}

// Blank-separated words: a key name, or characters that are keys each.
bool ParseKeys(const std::string& text, std::vector<int>* keys, std::string* what) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) i++;
    size_t e = i;
    while (e < text.size() && !std::isspace(static_cast<unsigned char>(text[e]))) e++;
    if (e == i) break;
    const std::string word = text.substr(i, e - i);
    i = e;
    bool named = false;
    for (const auto& [k, n] : kKeyNames)
      if (word == n) {
        keys->push_back(k);
        named = true;
      }
    if (named) continue;
    for (char c : word) {
      if (!IsCameraKey(static_cast<unsigned char>(c))) {
        *what = std::string("'") + c + "' in \"" + word +
                "\" is not a camera key of the view window (the keys: " + KeyList() + ")";
        return false;
      }
      keys->push_back(static_cast<unsigned char>(c));
    }
  }
  return true;
}

struct Step {
  const ScriptLine* line = nullptr;
  Fl_Widget* widget = nullptr;
  std::vector<int> keys;
  // open: the clicks it stands for, a line each.
  std::vector<ScriptLine> clicks;
  std::vector<Fl_Widget*> clickWidgets;
};

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// "open": the files must be there; then what a user does with the panel:
// choose "Truck_gfb", type the number of states, press "Scene Setup".
bool BindOpen(const ScriptLine& line, const std::vector<Fl_Widget*>& widgets, Step* step,
              std::string* what) {
  std::vector<std::string> files = line.files;
  files.push_back(line.value);
  for (const std::string& f : files) {
    if (!FileExists(f)) {
      *what = "\"open\": " + f + ": no such file";
      return false;
    }
  }
  const int states = std::max(2, int(line.files.size()));
  auto click = [&](ScriptVerb verb, const std::string& label, const std::string& value) {
    ScriptLine c;
    c.number = line.number;
    c.verb = verb;
    c.label = label;
    c.value = value;
    step->clicks.push_back(c);
  };
  click(ScriptVerb::kSelect, FindCatalogueEntry(kOwnFilesEntry)->label, "");
  click(ScriptVerb::kSet, "Total Time Stamps", std::to_string(states));
  click(ScriptVerb::kPress, "Scene Setup", "");
  for (const ScriptLine& click : step->clicks) {
    Fl_Widget* w = FindWidget(click, widgets, what);
    if (w == nullptr) return false;
    step->clickWidgets.push_back(w);
  }
  return true;
}

bool Bind(const ScriptLine& line, const std::vector<Fl_Widget*>& widgets, Step* step,
          std::string* what) {
  step->line = &line;
  switch (line.verb) {
    case ScriptVerb::kInput:
    case ScriptVerb::kCopy: return true;
    case ScriptVerb::kKey: return ParseKeys(line.value, &step->keys, what);
    case ScriptVerb::kOpen: return BindOpen(line, widgets, step, what);
    default: break;
  }
  step->widget = FindWidget(line, widgets, what);
  if (step->widget == nullptr) return false;
  if (auto* input = dynamic_cast<Fl_Value_Input*>(step->widget))
    return ValueTaken(input, line.value, what);
  return true;
}

// The file a script copies, byte for byte; what goes wrong is an error
// line, which stops the script.
void CopyFile(const std::string& from, const std::string& to, std::ostream& err) {
  std::ifstream in(from, std::ios::binary);
  if (!in) {
    err << "ERROR: copy: cannot read " << from << std::endl;
    return;
  }
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  // An empty file inserts nothing, which a stream counts as a failure.
  if (out && in.peek() != std::ifstream::traits_type::eof()) out << in.rdbuf();
  if (!out.flush()) err << "ERROR: copy: cannot write " << to << std::endl;
}

void Fire(Scene& scene, const Step& step, ScriptConsole& console) {
  const ScriptLine& line = *step.line;
  switch (line.verb) {
    case ScriptVerb::kOpen: {
      scene.settings.ownFiles.states = line.files;
      scene.settings.ownFiles.camera = line.value;
      for (size_t i = 0; i < step.clicks.size(); i++) {
        Step click;
        click.line = &step.clicks[i];
        click.widget = step.clickWidgets[i];
        Fire(scene, click, console);
      }
      return;
    }
    case ScriptVerb::kInput:
      console.Queue(line.value);
      return;
    case ScriptVerb::kCopy:
      CopyFile(line.label, line.value, *scene.errors);
      return;
    case ScriptVerb::kKey:
      for (int key : step.keys) scene.views.viewWindow->CameraKey(key);
      return;
    case ScriptVerb::kSelect:
    case ScriptVerb::kPress:
      ClickWidget(step.widget);
      return;
    case ScriptVerb::kCheck:
      // A click toggles; a button already in the state asked for is left.
      if ((static_cast<Fl_Button*>(step.widget)->value() != 0) != (line.value == "on"))
        ClickWidget(step.widget);
      return;
    case ScriptVerb::kSet:
      if (auto* v = dynamic_cast<Fl_Value_Input*>(step.widget)) {
        // The inner text field parses what is typed into it on each change.
        v->input.value(line.value.c_str());
        v->input.do_callback();
      } else {
        static_cast<Fl_Input*>(step.widget)->value(line.value.c_str());
      }
      return;
  }
}

// The Scene reads the queued lines while the script runs.
class ConsoleSwap {
 public:
  ConsoleSwap(Scene& scene, std::istream* in) : scene_(scene), old_(scene.input) {
    scene.input = in;
  }
  ~ConsoleSwap() { scene_.input = old_; }
  ConsoleSwap(const ConsoleSwap&) = delete;
  ConsoleSwap& operator=(const ConsoleSwap&) = delete;

 private:
  Scene& scene_;
  std::istream* old_;
};

}  // namespace

std::vector<Fl_Widget*> PanelWidgets(Scene& scene) {
  std::vector<Fl_Widget*> widgets;
  Collect(scene.controlPanel->window.get(), &widgets);
  return widgets;
}

void ClickWidget(Fl_Widget* w) {
  Fl::e_x = w->x() + w->w() / 2;
  Fl::e_y = w->y() + w->h() / 2;
  Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
  w->handle(FL_PUSH);
  w->handle(FL_RELEASE);
}

void SettleWindows(Scene& scene) {
  if (scene.views.viewWindow->shown()) scene.views.viewWindow->wait_for_expose();
  Fl::check();
}

int RunScript(Scene& scene, const Script& script, std::ostream& err) {
  const std::vector<Fl_Widget*> widgets = PanelWidgets(scene);
  std::vector<Step> steps(script.lines.size());
  for (size_t i = 0; i < script.lines.size(); i++) {
    std::string what;
    if (!Bind(script.lines[i], widgets, &steps[i], &what)) {
      err << ScriptWhere(script.name, script.lines[i].number) << what << std::endl;
      return 2;
    }
  }

  ScriptConsole console;
  std::istream in(&console);
  ConsoleSwap swap(scene, &in);
  int status = 0;
  for (const Step& step : steps) {
    // Reports so far come before the echo in a log that takes both streams.
    scene.output->flush();
    std::fflush(stdout);
    err << "[script " << step.line->number << "] " << ScriptLineText(*step.line) << std::endl;
    std::string failure;
    {
      // What the line's operations print, until its windows have drawn.
      ConsoleWatch watch({scene.output, scene.errors, &std::cout, &std::cerr});
      Fire(scene, step, console);
      // As a user would before the next click: let a window the line
      // showed appear and draw, so that reports come in the order the
      // clicks give.
      if (!console.Starved()) SettleWindows(scene);
      failure = watch.Failure();
    }
    scene.output->flush();
    std::fflush(stdout);
    const std::string where = ScriptWhere(script.name, step.line->number);
    if (console.Starved()) {
      err << where << ScriptLineText(*step.line)
          << " read the console, but no \"input\" line was left; queue its lines with \"input\" "
             "before it"
          << std::endl;
      return 2;
    }
    // A refusal or an error ends the script: what follows would run on
    // what the line failed to make.
    if (!failure.empty()) {
      err << where << ScriptLineText(*step.line) << " reported: " << failure
          << "; the script stops here" << std::endl;
      status = 3;
      break;
    }
  }
  if (const size_t left = console.Unread())
    err << "script " << script.name << ": " << left << " queued \"input\" line"
        << (left == 1 ? " was" : "s were") << " never read" << std::endl;
  return status;
}
