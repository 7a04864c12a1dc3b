// The picture: triangles of the set in their lit colours, the others lit
// grey; against a reference, missing ones red and extra ones blue. Pixels
// are checked where the slats and the back sheet are known to show.
#include <gtest/gtest.h>

#include <fstream>

#include "PngFile.h"
#include "ScratchDir.h"
#include "StandardFiles.h"

namespace {

void WriteSet(const std::string& path, const std::vector<int32_t>& ids) {
  std::ofstream f(path, std::ios::binary);
  const int32_t n = int32_t(ids.size());
  f.write(reinterpret_cast<const char*>(&n), 4);
  f.write(reinterpret_cast<const char*>(ids.data()), std::streamsize(ids.size() * 4));
}

struct Rgb {
  int r, g, b;
};

class CliImage : public testing::Test {
 protected:
  Rgb At(int x, int y) const {
    const uint8_t* p = &rgb_[(size_t(y) * size_t(w_) + size_t(x)) * 3];
    return {p[0], p[1], p[2]};
  }
  void Draw(const std::string& args) {
    const CliResult r = RunCli("image s0.ply --camera cam.ppc --out pic.png --quiet " + args);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(ReadPng("pic.png", &w_, &h_, &rgb_));
    ASSERT_EQ(w_, 160);
    ASSERT_EQ(h_, 120);
  }
  ScratchDir dir_;
  int w_ = 0, h_ = 0;
  std::vector<uint8_t> rgb_;
};

// Pixels (column, row from the top) and the triangle that shows there.
constexpr int kThirdSlat[2] = {85, 111};   // 293, the third slat's first triangle
constexpr int kFifthSlat[2] = {140, 111};  // 298, the fifth slat's first triangle
constexpr int kSecondSlat[2] = {57, 111};  // 291, the second slat's first triangle
constexpr int kSheet[2] = {39, 30};        // 175, back sheet through a gap

bool Orange(const Rgb& c) { return c.r > c.g && c.g > c.b && c.b > 0 && c.r < 255; }
bool Grey(const Rgb& c) { return c.r == c.g && c.g == c.b && c.r > 60 && c.r < 255; }

}  // namespace

TEST_F(CliImage, ColoursAtKnownPixels) {
  const PolyScene scene = Slats(1, 0);
  WritePlyBinary("s0.ply", scene.states[0], scene.faces);
  ASSERT_TRUE(SlatCamera().SaveToFile("cam.ppc"));
  WriteSet("set.bin", {293, 298});
  WriteSet("ref.bin", {175, 298});

  Draw("--set set.bin");
  EXPECT_TRUE(Orange(At(kThirdSlat[0], kThirdSlat[1])));
  EXPECT_TRUE(Orange(At(kFifthSlat[0], kFifthSlat[1])));
  EXPECT_TRUE(Grey(At(kSecondSlat[0], kSecondSlat[1])));
  EXPECT_TRUE(Grey(At(kSheet[0], kSheet[1])));

  Draw("--set set.bin --against ref.bin");
  const Rgb extra = At(kThirdSlat[0], kThirdSlat[1]), missing = At(kSheet[0], kSheet[1]);
  EXPECT_EQ(std::vector<int>({extra.r, extra.g, extra.b}), std::vector<int>({0, 0, 255}));
  EXPECT_EQ(std::vector<int>({missing.r, missing.g, missing.b}), std::vector<int>({255, 0, 0}));
  EXPECT_TRUE(Orange(At(kFifthSlat[0], kFifthSlat[1])));  // in both
  EXPECT_TRUE(Grey(At(kSecondSlat[0], kSecondSlat[1])));  // in neither
}
