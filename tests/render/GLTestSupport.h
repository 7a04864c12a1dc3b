// Shared set-up of the GL test programs: one shown window whose context is
// current, and a scratch working directory holding the shader folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "GLTestWindow.h"
#include "TestSupport.h"

// A scratch working directory with a copy of the shader sources under
// "CG/" and an "Images" folder.
class ShaderScratchDir : public ScratchDir {
 public:
  ShaderScratchDir() {
    std::filesystem::copy(WB_CG_SOURCE_DIR, "CG");
    std::filesystem::create_directories("Images");
  }
};
