// Scripts: the text read into commands, the lines refused before anything
// runs, the panel driven by label, the queued console lines, and the
// program's arguments.
#include <FL/Fl.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Value_Input.H>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

#include "ConsoleWatch.h"
#include "ControlPanel.h"
#include "FrameBuffer.h"
#include "Scene.h"
#include "SceneFixture.h"
#include "ScriptRunner.h"
#include "TestSupport.h"

namespace {

Script Parsed(const std::string& text, std::string* err = nullptr) {
  std::istringstream in(text);
  std::ostringstream e;
  Script s;
  const bool ok = ParseScript(in, "t", &s, e);
  if (err) *err = e.str();
  EXPECT_EQ(ok, e.str().empty()) << e.str();
  return s;
}

// The names in the working directory (none but . and ..: empty).
bool DirectoryEmpty() {
  return std::system("test -z \"$(ls -A)\"") == 0;
}

}  // namespace

TEST(ScriptText, ReadsEveryFormOfTheVocabulary) {
  const Script s = Parsed(
      "\xEF\xBB\xBF# a comment after a byte-order mark\n"
      "\n"
      "  select Truck_gfb\r\n"
      "press \"Scene Setup\"\n"
      "press Cmp Log files  \n"
      "set Total Time Stamps 2\n"
      "set \"Seg# \" 3\n"
      "set \"\" images/a b.tif\n"
      "check Switch Moving/Static Cam on\n"
      "input  39 45 \n"
      "key Up qq\n"
      "    # indented comment; a # inside a line stays\n"
      "press Seg# \n"
      "copy VisibilityRecord/Control/Result.txt  \"Visibility Record/GFB A.txt\"\n");
  struct Want {
    int number;
    ScriptVerb verb;
    const char *label, *value, *echo;
  } want[] = {
      {3, ScriptVerb::kSelect, "Truck_gfb", "", "select \"Truck_gfb\""},
      {4, ScriptVerb::kPress, "Scene Setup", "", "press \"Scene Setup\""},
      {5, ScriptVerb::kPress, "Cmp Log files", "", "press \"Cmp Log files\""},
      {6, ScriptVerb::kSet, "Total Time Stamps", "2", "set \"Total Time Stamps\" 2"},
      {7, ScriptVerb::kSet, "Seg# ", "3", "set \"Seg# \" 3"},
      {8, ScriptVerb::kSet, "", "images/a b.tif", "set \"\" images/a b.tif"},
      {9, ScriptVerb::kCheck, "Switch Moving/Static Cam", "on",
       "check \"Switch Moving/Static Cam\" on"},
      {10, ScriptVerb::kInput, "", "39 45", "input 39 45"},
      {11, ScriptVerb::kKey, "", "Up qq", "key Up qq"},
      {13, ScriptVerb::kPress, "Seg#", "", "press \"Seg#\""},
      {14, ScriptVerb::kCopy, "VisibilityRecord/Control/Result.txt", "Visibility Record/GFB A.txt",
       "copy \"VisibilityRecord/Control/Result.txt\" \"Visibility Record/GFB A.txt\""},
  };
  ASSERT_EQ(s.lines.size(), std::size(want));
  for (size_t i = 0; i < s.lines.size(); i++) {
    SCOPED_TRACE(want[i].echo);
    EXPECT_EQ(s.lines[i].number, want[i].number);
    EXPECT_EQ(s.lines[i].verb, want[i].verb);
    EXPECT_EQ(s.lines[i].label, want[i].label);
    EXPECT_EQ(s.lines[i].value, want[i].value);
    EXPECT_EQ(ScriptLineText(s.lines[i]), want[i].echo);
  }
}

TEST(ScriptText, OpenNamesStatesAndACamera) {
  const Script s = Parsed("open scans/a.ply \"my scans/b.ply\" camera view.ppc\n");
  ASSERT_EQ(s.lines.size(), 1u);
  EXPECT_EQ(s.lines[0].verb, ScriptVerb::kOpen);
  EXPECT_EQ(s.lines[0].files, (std::vector<std::string>{"scans/a.ply", "my scans/b.ply"}));
  EXPECT_EQ(s.lines[0].value, "view.ppc");
  EXPECT_EQ(ScriptLineText(s.lines[0]), "open scans/a.ply \"my scans/b.ply\" camera view.ppc");
}

TEST(ScriptText, RefusesLinesThatAreNotCommands) {
  const std::pair<const char*, const char*> bad[] = {
      {"click Scene Setup", "unknown command \"click\" (the commands are select, set, check, "
                            "press, input, key, copy and open)"},
      {"copy a.txt", "\"copy\" needs a source and a target file, nothing more"},
      {"copy a.txt b.txt c.txt", "\"copy\" needs a source and a target file, nothing more"},
      {"copy /etc/passwd b.txt", "\"copy\" takes files of the working directory, not "
                                 "\"/etc/passwd\""},
      {"copy a.txt logs/../../b.txt", "\"copy\" takes files of the working directory, not "
                                      "\"logs/../../b.txt\""},
      {"open a.ply b.ply", "\"open\" needs state files, then \"camera\" and a camera file"},
      {"open camera v.ppc", "\"open\" needs state files, then \"camera\" and a camera file"},
      {"open \"a b.ply camera v.ppc", "a closing quote is missing"},
      {"press", "\"press\" needs a label"},
      {"select \"Truck", "the label's closing quote is missing"},
      {"press \"ASL\" now", "text after the quoted label: now"},
      {"set \"ASL factor\"", "\"set\" needs a label and a value"},
      {"set Sampling", "\"set\" needs a label and a value"},
      {"check \"Switch Frustum Culling\"", "\"check\" needs a label and a state, on or off"},
      {"check Switch Frustum Culling yes",
       "a check button is set \"on\" or \"off\", not \"yes\""},
      {"input", "\"input\" needs the line to queue"},
      {"key  ", "\"key\" needs at least one key"},
  };
  for (auto [line, message] : bad) {
    std::string err;
    const Script s = Parsed("select TID\n# fine so far\n" + std::string(line) + "\npress ASL\n", &err);
    const std::string want = "script t:3: " + std::string(message);
    EXPECT_EQ(err.substr(0, want.size()), want) << line;
    EXPECT_EQ(err.back(), '\n');
  }
}

TEST(ScriptWatch, FailureLinesAreRefusalsAndErrors) {
  for (const char* line :
       {"\"Play\": refused: the scene has 1 loaded states", "\"ASL\": no scene is set up",
        "ERROR: cannot write file: x", "[ERROR] bad", "Step bounds must be two integers",
        "Could not open file for writing", "Failed to write in the File",
        "\r12/100 processed\r\"DBG\": mode \"x\" refused"})
    EXPECT_TRUE(IsFailureLine(line)) << line;
  for (const char* line :
       {"INFO: \"GFB_DBG\": the scene has one state", "Total Missing: 3/10", "\"quoted\" words",
        "\"\": empty label", "\"DBG\": mode\r100/100 processed", "", "Culled out: 4",
        " ERROR indented"})
    EXPECT_FALSE(IsFailureLine(line)) << line;

  // The streams still get everything; the first failure is kept, once per
  // stream named twice, and each stream gets its own buffer back.
  std::ostringstream out, err;
  std::streambuf* const outBuffer = out.rdbuf();
  std::string kept;
  {
    ConsoleWatch watch({&out, &err, &out});
    out << "\r1/2\r2/2\n" << "Done" << std::endl;
    EXPECT_EQ(watch.Failure(), "");
    err << "ERROR: first" << std::endl;
    out << "\"Play\": refused" << std::endl;
    kept = watch.Failure();
  }
  EXPECT_EQ(kept, "ERROR: first");
  EXPECT_EQ(out.rdbuf(), outBuffer);
  EXPECT_EQ(out.str(), "\r1/2\r2/2\nDone\n\"Play\": refused\n");
  EXPECT_EQ(err.str(), "ERROR: first\n");
}

namespace {

class ScriptPanel : public SharedScene<ScriptPanel> {
 protected:
  static void SetUpTestSuite() { StartSuite(); }
  // Runs `text` as the script "t"; its exit status, with what it printed.
  static int Run(const std::string& text, Console* console = nullptr) {
    const Script s = Parsed(text);
    int status = -1;
    const Console c = ConsoleOf([&] { status = RunScript(*owner_, s, std::cerr); });
    if (console) *console = c;
    return status;
  }
  ScratchDir testDir_;
};

}  // namespace

TEST_F(ScriptPanel, EveryKindOfWidgetIsDrivenByItsLabel) {
  Scene& s = *owner_;
  ControlPanel& p = *s.controlPanel;
  Console c;
  ASSERT_EQ(Run("select Forest\n"
                "set Total Time Stamps 7\n"
                "set Seg# 3\n"
                "set \"ASL factor\" 2.5\n"
                "set \"\" shot\n"
                "check Switch Moving/Static Cam on\n"
                "check Switch Frustum Culling off\n"
                "check Switch Frustum Culling off\n"
                "select TID\n"
                "select ASL\n"
                "set Sampling Step 1\n"
                "press Set Rendering factor\n",
                &c),
            0);
  EXPECT_EQ(s.settings.sceneId, dataset::kForest);
  EXPECT_EQ((std::vector<double>{p.timeStampsInput->value(), p.segmentInput->value(),
                                 p.aslFactorInput->value()}),
            (std::vector<double>{7, 3, 2.5}));
  EXPECT_STREQ(p.fileInput->value(), "shot");
  EXPECT_EQ((std::vector<int>{s.settings.movingCamera, s.settings.frustumCulling,
                              s.views.viewWindow->renderMode, p.VisibilitySource(),
                              s.settings.renderingFactor}),
            (std::vector<int>{1, 0, render_mode::kTid, 1, 1}));
  EXPECT_EQ(c.err.rfind("[script 1] select \"Forest\"\n[script 2] set \"Total Time Stamps\" 7\n"
                        "[script 3] set \"Seg#\" 3\n",
                        0),
            0u)
      << c.err;

  // Back as the panel starts; "ASL" pressed is the button, not the radio.
  ASSERT_EQ(Run("select Truck_gfb\nset Total Time Stamps 2\nset Seg# 1\nset ASL factor 1\n"
                "set \"\" images/HW1.tif\ncheck Switch Moving/Static Cam off\n"
                "check Switch Frustum Culling on\nselect Point\nselect Truth\n"
                "set Sampling Step 100\npress Set Rendering factor\n",
                &c),
            0);
  EXPECT_EQ(
      (std::vector<int>{s.settings.sceneId, s.settings.movingCamera, s.settings.frustumCulling,
                        s.settings.renderingFactor, p.VisibilitySource()}),
      (std::vector<int>{dataset::kTruckGfb, 0, 1, 100, 0}));
}

// An operation that refuses stops the script after its line, with status
// 3 and the console line that said so; the lines after it do not run.
TEST_F(ScriptPanel, ARefusedOperationStopsTheScript) {
  Scene& s = *owner_;
  Console c;
  EXPECT_EQ(Run("press ASL\nselect Forest\n", &c), 3);
  EXPECT_NE(c.out.find("\"ASL\": no scene is set up"), std::string::npos) << c.out;
  EXPECT_EQ(c.err,
            "[script 1] press \"ASL\"\nscript t:1: press \"ASL\" reported: \"ASL\": no scene is "
            "set up; choose a scene and press \"Scene Setup\" first; the script stops here\n");
  EXPECT_EQ(s.settings.sceneId, dataset::kTruckGfb);

  // An error on the error stream stops it too; queued lines are reported.
  s.settings.renderingFactor = 100;
  s.controlPanel->samplingStepInput->value(0);
  EXPECT_EQ(Run("input 1 2\npress Set Rendering factor\nselect Forest\n", &c), 3);
  EXPECT_NE(c.err.find("script t:2: press \"Set Rendering factor\" reported: ERROR: rendering "
                       "factor 0 refused (must be at least 1); keeping 100; the script stops "
                       "here\nscript t: 1 queued \"input\" line was never read\n"),
            std::string::npos)
      << c.err;
  EXPECT_EQ(s.settings.sceneId, dataset::kTruckGfb);
  s.controlPanel->samplingStepInput->value(100);
  EXPECT_TRUE(DirectoryEmpty());

  // "copy" copies byte for byte; a file it cannot read stops the script.
  WriteText("a.txt", std::string("0:1,2,\n\0x", 9));
  EXPECT_EQ(Run("copy a.txt b.txt\ncopy missing.txt c.txt\nselect Forest\n", &c), 3);
  EXPECT_EQ(ReadText("b.txt"), std::string("0:1,2,\n\0x", 9));
  EXPECT_NE(c.err.find("script t:2: copy \"missing.txt\" \"c.txt\" reported: ERROR: copy: cannot "
                       "read missing.txt; the script stops here\n"),
            std::string::npos)
      << c.err;
  EXPECT_FALSE(FileExists("c.txt"));
  EXPECT_EQ(s.settings.sceneId, dataset::kTruckGfb);
}

TEST_F(ScriptPanel, RefusedLinesRunNothing) {
  const std::pair<const char*, const char*> bad[] = {
      {"press Scene Stup", "no button labelled \"Scene Stup\" on the panel"},
      {"press scene setup", "no button labelled \"scene setup\" on the panel; did you mean "
                            "\"Scene Setup\"?"},
      {"select Scene Setup", "\"Scene Setup\" is a button: use \"press\""},
      {"check Truck on", "\"Truck\" is a radio button: use \"select\""},
      {"press ASL factor", "\"ASL factor\" is an input: use \"set\""},
      {"set Total Time Stamps 2.5", "\"Total Time Stamps\" takes a whole number, not \"2.5\""},
      {"set Total Time Stamps 1e3", "\"Total Time Stamps\" takes a whole number, not \"1e3\""},
      {"set Seg# 010", "\"Seg# \" takes \"010\" as an octal number; write it without the "
                       "leading 0"},
      {"set ASL factor four", "\"ASL factor\" takes a number, not \"four\""},
      {"key Up x", "'x' in \"x\" is not a camera key of the view window (the keys: Up Down . , 2 "
                   "1 Left Right q w p o a z)"},
  };
  const PPC camera = *owner_->views.viewCamera;
  for (auto [line, message] : bad) {
    Console c;
    EXPECT_EQ(Run("select Forest\ncheck Switch Frustum Culling off\n" + std::string(line) +
                      "\npress Scene Setup\n",
                  &c),
              2)
        << line;
    EXPECT_EQ(c.err, "script t:3: " + std::string(message) + "\n");
    EXPECT_EQ(c.out, "");
  }
  EXPECT_EQ(owner_->settings.sceneId, dataset::kTruckGfb);
  EXPECT_EQ(owner_->settings.frustumCulling, 1);
  EXPECT_EQ(owner_->views.viewCamera->eye, camera.eye);
  EXPECT_TRUE(DirectoryEmpty());
}

TEST_F(ScriptPanel, KeysMoveTheCameraAsTheViewWindowsKeysDo) {
  PPC& camera = *owner_->views.viewCamera;
  const PPC start = camera;
  ASSERT_EQ(Run("key Up Up q\nkey , Left z\n"), 0);
  const PPC scripted = camera;
  camera = start;
  for (int key : {int(FL_Up), int(FL_Up), int('q'), int(','), int(FL_Left), int('z')}) {
    Fl::e_keysym = key;
    owner_->views.viewWindow->handle(FL_KEYBOARD);
  }
  EXPECT_EQ((std::vector<Vex3_quarn>{scripted.eye, scripted.a, scripted.b, scripted.corner}),
            (std::vector<Vex3_quarn>{camera.eye, camera.a, camera.b, camera.corner}));
  EXPECT_NE(scripted.eye, start.eye);
  camera = start;
}

TEST_F(ScriptPanel, ConsoleReadsTakeTheQueuedLinesAndStopWhenNoneIsLeft) {
  // The terrain cell is read before any file is touched.
  Console c;
  EXPECT_EQ(Run("select RTI_Subdivided\npress Scene Setup\ninput 1 1\nselect Truck_gfb\n", &c), 2);
  EXPECT_NE(c.out.find("RTI_Subdivided: type the cell's row and column"), std::string::npos);
  EXPECT_NE(c.err.find("[script 2] press \"Scene Setup\"\n"), std::string::npos) << c.err;
  const std::string stop =
      "script t:2: press \"Scene Setup\" read the console, but no \"input\" line was left; queue "
      "its lines with \"input\" before it\n";
  ASSERT_GE(c.err.size(), stop.size());
  EXPECT_EQ(c.err.substr(c.err.size() - stop.size()), stop);
  EXPECT_EQ(c.err.find("[script 3]"), std::string::npos);
  EXPECT_TRUE(DirectoryEmpty());
  EXPECT_EQ(owner_->input, &std::cin);

  // Queued first, the cell is read; the scene's files are missing here,
  // which stops the script, and a line nobody reads is reported.
  EXPECT_EQ(Run("input 2 1\ninput 5\npress Scene Setup\nselect Truck_gfb\n", &c), 3);
  EXPECT_NE(c.err.find("script t:3: press \"Scene Setup\" reported: ERROR: Scene Setup: missing "
                       "file Geometry/RTI_subdivided/View2/Cell_2_1.rdd"),
            std::string::npos)
      << c.err;
  EXPECT_NE(c.err.find("script t: 1 queued \"input\" line was never read\n"), std::string::npos);
  EXPECT_EQ(owner_->settings.sceneId, dataset::kRtiSubdivided);
  EXPECT_EQ(Run("select Truck_gfb\n"), 0);
}

namespace {

// The workbench program run in the working directory; its status, with
// standard output and error.
int Workbench(const std::string& args, const std::string& standardInput, Console* c) {
  WriteText("stdin.txt", standardInput);
  const int raw = std::system((std::string("'") + WB_WORKBENCH + "' " + args +
                               " < stdin.txt > stdout.txt 2> stderr.txt")
                                  .c_str());
  *c = {ReadText("stdout.txt"), ReadText("stderr.txt")};
  for (const char* f : {"stdin.txt", "stdout.txt", "stderr.txt"}) std::remove(f);
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

TEST(ScriptCommandLine, HelpRefusalsAndScriptsFromStandardInput) {
  ScratchDir dir;
  Console c;
  EXPECT_EQ(Workbench("--help", "", &c), 0);
  EXPECT_EQ(c.out, ScriptHelp());
  EXPECT_EQ(Workbench("--script", "", &c), 2);
  EXPECT_EQ(c.err.rfind("workbench: unexpected arguments --script\n\nusage:", 0), 0u) << c.err;
  EXPECT_EQ(Workbench("--script nowhere.txt", "", &c), 2);
  EXPECT_EQ(c.err, "script nowhere.txt: cannot be read\n");
  EXPECT_EQ(Workbench("--script .", "", &c), 2);  // a folder
  EXPECT_EQ(c.err, "script .: cannot be read\n");
  EXPECT_EQ(Workbench("--script -", "select TID\nbogus\n", &c), 2);
  EXPECT_EQ(c.err, "script <stdin>:2: unknown command \"bogus\" (the commands are select, set, "
                   "check, press, input, key, copy and open)\n");
  EXPECT_TRUE(DirectoryEmpty());
  if (std::getenv("DISPLAY") == nullptr) return;

  EXPECT_EQ(Workbench("--script -", "select TID\npress Scene Stup\n", &c), 2);
  EXPECT_EQ(c.err, "script <stdin>:2: no button labelled \"Scene Stup\" on the panel\n");
  EXPECT_EQ(Workbench("--script -", "# panel settings only\nselect TID\ncheck Switch Frustum "
                                    "Culling off\npress Set Rendering factor\n",
                      &c),
            0);
  EXPECT_EQ(c.err, "[script 2] select \"TID\"\n[script 3] check \"Switch Frustum Culling\" off\n"
                   "[script 4] press \"Set Rendering factor\"\n");
  // A refused operation ends the program with status 3.
  EXPECT_EQ(Workbench("--script -", "press GFB_DBG\nselect TID\n", &c), 3);
  EXPECT_EQ(c.err, "[script 1] press \"GFB_DBG\"\nscript <stdin>:1: press \"GFB_DBG\" reported: "
                   "\"GFB_DBG\": no scene is set up; choose a scene and press \"Scene Setup\" "
                   "first; the script stops here\n");
  EXPECT_TRUE(DirectoryEmpty());
}
