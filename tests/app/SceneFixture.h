// The fixtures of the Scene tests. Both skip every test without a display
// (the Scene builds its windows).
//   SharedScene<Suite>: one Scene for a whole suite, made in the suite's
//     scratch directory after `prepare` (a generated working directory, say)
//     ran there; the panel drives it.
//   FreshScene: a new Scene for each test in the test's scratch directory,
//     with the folders the test writes into; console input from `input_`.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ControlPanel.h"
#include "Scene.h"
#include "ScratchDir.h"
#include "WorkFolders.h"

inline bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

template <typename Suite>
class SharedScene : public testing::Test {
 protected:
  // Called from the suite's SetUpTestSuite.
  static void StartSuite(const std::function<void()>& prepare = nullptr) {
    if (!HaveDisplay()) return;
    dir_ = new ScratchDir();
    if (prepare) prepare();
    owner_ = new Scene();
    owner_->controlPanel->scene = owner_;
  }
  static void TearDownTestSuite() {
    delete owner_;
    owner_ = nullptr;
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (owner_ == nullptr) GTEST_SKIP() << "no DISPLAY";
  }
  static inline Scene* owner_ = nullptr;
  static inline ScratchDir* dir_ = nullptr;
};

class FreshScene : public testing::Test {
 protected:
  explicit FreshScene(std::vector<std::string> folders) : folders_(std::move(folders)) {}
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "no DISPLAY";
    for (const std::string& f : folders_) MakeFolder(f);
    scene_ = std::make_unique<Scene>();
    scene_->input = &input_;
  }
  void TearDown() override { scene_.reset(); }
  // Console input for the next operation.
  void Type(const std::string& typed) {
    input_.clear();
    input_.str(typed);
  }
  ScratchDir dir_;
  std::istringstream input_;
  std::unique_ptr<Scene> scene_;

 private:
  std::vector<std::string> folders_;
};
