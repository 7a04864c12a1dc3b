// Scripted runs on the generated sample working directory: the example
// scripts of the README write, byte for byte, what the same clicks write.
#include <FL/Fl.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Value_Input.H>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "ControlPanel.h"
#include "FrameBuffer.h"
#include "Scene.h"
#include "ScriptRunner.h"
#include "StandardFiles.h"
#include "TestSupport.h"
#include "Workdir.h"

namespace {

// The first widget with the label, in creation order ("ASL" the button).
Fl_Widget* Widget(Scene& scene, const char* label) {
  for (Fl_Widget* w : PanelWidgets(scene))
    if (w->label() != nullptr && std::strcmp(w->label(), label) == 0) return w;
  ADD_FAILURE() << "no widget " << label;
  return nullptr;
}

// A click and the pause a user makes after it.
void Click(Scene& scene, const char* label) {
  if (Fl_Widget* w = Widget(scene, label)) ClickWidget(w);
  SettleWindows(scene);
}

class ScriptRuns : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (std::getenv("DISPLAY") == nullptr) return;
    root_ = new ScratchDir();
    WorkdirOptions options;
    options.cgSource = WB_CG_SOURCE_DIR;
    options.only = {"truck", "images"};
    ASSERT_TRUE(Quiet([&] { return MakeWorkdir("base", options); }));
  }
  static void TearDownTestSuite() {
    delete root_;
    root_ = nullptr;
  }
  void SetUp() override {
    if (root_ == nullptr) GTEST_SKIP() << "no DISPLAY";
  }

  // In a fresh copy `name` of the generated directory, a new Scene goes
  // through `run`; returns its standard output.
  static std::string InCopy(const std::string& name, const std::function<void(Scene&)>& run) {
    EXPECT_EQ(std::system(("rm -rf " + name + " && cp -a base " + name).c_str()), 0);
    EXPECT_EQ(chdir(name.c_str()), 0);
    std::string out = StdoutOf([&] {
      auto scene = std::make_unique<Scene>();
      scene->controlPanel->scene = scene.get();
      run(*scene);
      scene->controlPanel->scene = nullptr;
    });
    EXPECT_EQ(chdir(root_->path().c_str()), 0);
    return out;
  }
  // The example script `file` in the copy "script"; its echo and status,
  // and its reports in `out`.
  static std::string RunExample(const char* file, int* status, std::string* out) {
    std::string echo;
    *out = InCopy("script", [&](Scene& scene) {
      std::ifstream in(std::string(WB_EXAMPLE_DIR) + "/" + file);
      Script script;
      std::ostringstream err;
      ASSERT_TRUE(ParseScript(in, file, &script, err)) << err.str();
      *status = RunScript(scene, script, err);
      echo = err.str();
    });
    return echo;
  }
  // Same directories, same files, same bytes.
  static bool SameTrees(const std::string& a, const std::string& b) {
    return std::system(("diff -r " + a + " " + b + " >&2").c_str()) == 0;
  }
  static ScratchDir* root_;
};
ScratchDir* ScriptRuns::root_ = nullptr;

}  // namespace

TEST_F(ScriptRuns, AslReferenceAsClicked) {
  int status = -1;
  std::string reports;
  const std::string echo = RunExample("asl_reference.script", &status, &reports);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(echo,
            "[script 3] select \"Truck_gfb\"\n[script 4] set \"Total Time Stamps\" 2\n"
            "[script 5] press \"Scene Setup\"\n[script 6] press \"ASL\"\n"
            "[script 7] press \"ASL Control\"\n");
  const std::string clicked = InCopy("clicks", [](Scene& scene) {
    Click(scene, "Truck_gfb");
    scene.controlPanel->timeStampsInput->value(2);
    for (const char* b : {"Scene Setup", "ASL", "ASL Control"}) Click(scene, b);
  });
  EXPECT_EQ(reports, clicked);
  EXPECT_TRUE(FileExists("script/ASL_Visibility/Whoknowswhat_control.txt"));
  EXPECT_TRUE(FileExists("script/Images/WTF.tif"));
  EXPECT_TRUE(SameTrees("script", "clicks"));
  EXPECT_FALSE(SameTrees("base", "script"));  // the runs wrote their results
}

// The comparison reads the logs the script's two runs wrote, not the
// generator's stand-ins (20 steps each).
TEST_F(ScriptRuns, LogComparisonComparesWhatTheScriptComputed) {
  int status = -1;
  std::string reports;
  const std::string echo = RunExample("log_comparison.script", &status, &reports);
  EXPECT_EQ(status, 0) << echo;
  const std::string a = ReadText("script/VisibilityRecord/GFB_A.txt");
  const std::string b = ReadText("script/VisibilityRecord/GFB_B.txt");
  EXPECT_EQ(b, ReadText("script/VisibilityRecord/Control/Result.txt"));
  EXPECT_NE(a, b);  // the camera moved
  EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), 100);
  EXPECT_EQ(a.rfind("0:", 0), 0u);
  const std::string perStep = ReadText("script/VisibilityRecord/GFB_A_vs_B_perStep.txt");
  size_t steps = 0;
  for (size_t at = perStep.find("State #"); at != std::string::npos;
       at = perStep.find("State #", at + 1))
    steps++;
  EXPECT_EQ(steps, 100u);
  EXPECT_NE(reports.find("Done with state 99\n"), std::string::npos);
  EXPECT_EQ(ReadText("script/VisibilityRecord/GFB_A_vs_B_overall.txt").rfind("State All:\n", 0), 0u);
}

TEST_F(ScriptRuns, IntervalRunAndImageAsClicked) {
  int status = -1;
  std::string reports;
  RunExample("interval_image.script", &status, &reports);
  EXPECT_EQ(status, 0);
  const std::string clicked = InCopy("clicks", [](Scene& scene) {
    Click(scene, "Truck_gfb");
    scene.controlPanel->timeStampsInput->value(2);
    Click(scene, "Scene Setup");
    for (int i = 0; i < 2; i++) {
      Fl::e_keysym = FL_Up;
      scene.views.viewWindow->handle(FL_KEYBOARD);
    }
    SettleWindows(scene);
    Click(scene, "GFB_DBG");
    scene.controlPanel->fileInput->value("images/truck_interval");
    Click(scene, "Save Image");
  });
  EXPECT_EQ(reports, clicked);
  EXPECT_TRUE(FileExists("script/images/truck_interval_Edged.tif"));
  EXPECT_TRUE(SameTrees("script", "clicks"));
}

TEST_F(ScriptRuns, OpenRunsTheButtonsOnOnesOwnFiles) {
  // Two states in a standard format and a camera, opened into "Truck_gfb":
  // "GFB_DBG" then writes what the command-line tool writes for them.
  int status = -1;
  std::string echo;
  InCopy("own", [&](Scene& scene) {
    const PolyScene slats = Slats(2, 4);
    WritePlyBinary("a.ply", slats.states[0], slats.faces);
    WritePlyBinary("b.ply", slats.states[1], slats.faces);
    ASSERT_TRUE(SlatCamera().SaveToFile("view.ppc"));
    std::istringstream in("open a.ply b.ply camera view.ppc\npress \"GFB_DBG\"\n");
    Script script;
    std::ostringstream err;
    ASSERT_TRUE(ParseScript(in, "own", &script, err));
    status = RunScript(scene, script, err);
    echo = err.str();
    EXPECT_EQ(scene.loaded.triangleCount, int(Fanned(slats.faces).size() / 3));
    const CliResult cli = RunCli("interval a.ply b.ply --camera view.ppc --out cli --quiet");
    EXPECT_EQ(cli.status, 0) << cli.err;
  });
  EXPECT_EQ(status, 0) << echo;
  EXPECT_EQ(echo.find("[script 1] open a.ply b.ply camera view.ppc\n"), 0u) << echo;
  EXPECT_EQ(ReadText("own/cli/interval_table.bin"), ReadText("own/VisibilityTable/whatever_1.bin"));
  EXPECT_EQ(ReadText("own/cli/Visibility_at_B.txt"),
            ReadText("own/ASL_Visibility/Visibility_at_B.txt"));
  EXPECT_GT(ReadText("own/cli/interval_table.bin").size(), 100u);
}

TEST_F(ScriptRuns, OpenRefusesMissingFilesBeforeAnythingRuns) {
  std::string message;
  int status = -1;
  InCopy("missing", [&](Scene& scene) {
    std::istringstream in("select TID\nopen a.ply gone.ply camera view.ppc\n");
    Script script;
    std::ostringstream err;
    ASSERT_TRUE(ParseScript(in, "own", &script, err));
    status = RunScript(scene, script, err);
    message = err.str();
  });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(message, "script own:2: \"open\": a.ply: no such file\n");
}

TEST(ScriptExamples, TheReadmeShowsTheExampleScriptsAsTheyAre) {
  const std::string readme = ReadText(std::string(WB_SOURCE_DIR) + "/README.md");
  for (const char* file :
       {"asl_reference.script", "log_comparison.script", "interval_image.script"}) {
    const std::string text = ReadText(std::string(WB_EXAMPLE_DIR) + "/" + file);
    ASSERT_FALSE(text.empty()) << file;
    EXPECT_NE(readme.find("```\n" + text + "```\n"), std::string::npos) << file;
  }
}
