#include <GL/gl.h>

#include "GLTestSupport.h"
#include "ItemBuffer.h"
#include "PassTestScene.h"

namespace {

constexpr int kW = 96, kH = 64;

// The scene: a far backdrop triangle (group 0), two overlapping nearer
// triangles (group 1, one of them dead in this state) and a group whose
// first triangle is masked out in the masked tests.
std::unique_ptr<ObjLoader> OverlapMesh() {
  std::vector<TestTriangle> far = {{{-150, -100, -400}, {150, -100, -400}, {0, 120, -400}}};
  std::vector<TestTriangle> near = {
      {{-40, -40, -150}, {40, -40, -150}, {0, 40, -150}},   // id 1: covers the centre
      {{-60, -60, -120}, {60, -60, -120}, {0, 60, -120}}};  // id 2: dead (not live)
  std::vector<TestTriangle> nearest = {
      {{-10, -10, -100}, {10, -10, -100}, {0, 10, -100}},   // id 3: in front of the centre
      {{30, 5, -110}, {60, 5, -110}, {45, 30, -110}}};      // id 4
  return MakeMesh({far, near, nearest}, {1, 1, 2});
}

int32_t CentreId(const std::vector<int32_t>& ids) { return ids[size_t(kH / 2) * kW + kW / 2]; }

class Passes : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ShaderScratchDir();
    rig_ = new PassRig(kW, kH);
  }
  static void TearDownTestSuite() {
    delete rig_;
    delete scratch_;
  }
  static ShaderScratchDir* scratch_;
  static PassRig* rig_;
};
ShaderScratchDir* Passes::scratch_ = nullptr;
PassRig* Passes::rig_ = nullptr;

// The identifiers of one item-buffer draw of `mesh` under `mask`, either
// drawn a triangle per call or as one list.
std::vector<int32_t> ItemBufferOf(PassRig& rig, const ObjLoader& mesh, IdMask mask,
                                  bool perTriangle, size_t maxPerCall = 0) {
  std::vector<int32_t> ids(size_t(kW) * kH, 7);
  DrawIn(rig, [&](FrameBuffer&) {
    PassContext c = rig.Context();
    EXPECT_TRUE(ReadItemIds(c, mesh, mask,
                            perTriangle ? IdDrawing::kPerTriangle : IdDrawing::kList,
                            ids.data(), maxPerCall));
  });
  return ids;
}

}  // namespace

TEST_F(Passes, ListDrawingGivesTheSameItemBufferAsOneTrianglePerCall) {
  auto mesh = OverlapMesh();
  std::vector<int32_t> mask = {1, 1, 1, 0, 1};  // hides the nearest centre triangle
  for (IdMask m : {IdMask::All(), IdMask(mask)}) {
    std::vector<int32_t> slow = ItemBufferOf(*rig_, *mesh, m, true);
    std::vector<int32_t> fast = ItemBufferOf(*rig_, *mesh, m, false);
    EXPECT_EQ(slow, fast);
    // A list split over several calls numbers its primitives per call.
    EXPECT_EQ(slow, ItemBufferOf(*rig_, *mesh, m, false, 2));
    // The far triangle fills the view's corners' neighbourhood, the dead
    // one never shows, the nearest live one wins the centre.
    EXPECT_EQ(CentreId(fast), m.flags == nullptr ? 3 : 1);
    size_t seen[5] = {0, 0, 0, 0, 0};
    for (int32_t id : fast)
      if (id >= 0 && id < 5) seen[id]++;
    EXPECT_GT(seen[0], 0u);
    EXPECT_EQ(seen[2], 0u);
    EXPECT_GT(seen[4], 0u);
    EXPECT_EQ(seen[3] > 0, m.flags == nullptr);
  }
}

TEST_F(Passes, ItemBufferPassDecodesIdentifiersAndRepeatsExactly) {
  auto mesh = OverlapMesh();
  PassContext c = rig_->Context();
  c.drawForm = DrawForm::kStates;
  std::vector<int32_t> first;
  std::vector<uint32_t> shaded, shown;
  Quiet([&] {
    DrawIn(*rig_, [&](FrameBuffer&) { ItemBufferPass(c, mesh.get()); });
    first = rig_->itemBuffer;
    DrawIn(*rig_, [&](FrameBuffer& fb) {
      ItemBufferPass(c, mesh.get());
      shaded = fb.pixels;
      fb.ReadColor();  // the window's own buffer
      shown = fb.pixels;
    });
  });
  EXPECT_EQ(rig_->itemBuffer, first);
  EXPECT_EQ(shown, shaded);  // the window shows the shaded view
  EXPECT_EQ(CentreId(first), 3);
  EXPECT_EQ(first[0], -1);  // the corner shows no triangle
  // The shaded view went to pixels: the centre is not the sky.
  uint32_t centre = rig_->window->pixels[size_t(kH / 2) * kW + kW / 2];
  EXPECT_NE(centre & 0xFFFFFFu, 130u | 202u << 8 | 250u << 16);
  EXPECT_LT(rig_->window->zBuffer[size_t(kH / 2) * kW + kW / 2], 1.0f);
}

TEST_F(Passes, LargeIdentifiersSurviveTheFloatEncoding) {
  auto mesh = OverlapMesh();
  // Identifiers as a cache file may hold them.
  mesh->triangleId[0][0] = 65535;
  mesh->triangleId[2][0] = 16777300;
  mesh->triangleId[2][1] = 2000000000;
  std::vector<int32_t> ids = ItemBufferOf(*rig_, *mesh, IdMask::All(), false);
  EXPECT_EQ(CentreId(ids), 16777300);
  bool sawFar = false, sawBig = false;
  for (int32_t id : ids) {
    sawFar |= id == 65535;
    sawBig |= id == 2000000000;
    EXPECT_TRUE(id == -1 || id == 65535 || id == 1 || id == 16777300 || id == 2000000000) << id;
  }
  EXPECT_TRUE(sawFar);
  EXPECT_TRUE(sawBig);
}

TEST_F(Passes, MarkVisibleSetsOnlyWhatTheItemBufferShows) {
  auto mesh = OverlapMesh();
  std::vector<int32_t> visible(5, 0), flags = {1, 1, 1, 1, 0};
  PassContext c = rig_->Context();
  c.drawMesh = mesh.get();
  c.drawFlags = IdMask(flags);
  c.visibleFlags = &visible;
  DrawIn(*rig_, [&](FrameBuffer&) { MarkVisiblePass(c); });
  EXPECT_EQ(visible, (std::vector<int32_t>{1, 1, 0, 1, 0}));
}

TEST_F(Passes, TidReadsBackIdentifierZeroAsZeroAndTheBackgroundAsAllOnes) {
  auto mesh = OverlapMesh();
  mesh->triangleId[2][1] = 0x7F020304;  // all four bytes in use
  PassContext c = rig_->Context();
  c.drawMesh = mesh.get();
  c.renderingFactor = 1;
  Quiet([&] { DrawIn(*rig_, [&](FrameBuffer&) { TidPass(c); }); });
  const std::vector<uint32_t>& px = rig_->window->pixels;
  EXPECT_EQ(px[0], 0xFFFFFFFFu);
  EXPECT_EQ(px[size_t(kH / 2) * kW + kW / 2], 3u);
  bool zero = false, big = false;
  for (uint32_t v : px) {
    zero |= v == 0u;
    big |= v == 0x7F020304u;
  }
  EXPECT_TRUE(zero);
  EXPECT_TRUE(big);
}

TEST_F(Passes, ShadedFootageAndRasterViewsDrawTheMesh) {
  auto mesh = OverlapMesh();
  std::vector<int32_t> flags(5, 1), marks(5, 1);
  PassContext c = rig_->Context();
  c.drawMesh = mesh.get();
  c.firstStates[0] = mesh.get();
  c.drawFlags = IdMask(flags);
  c.marks = IdMask(marks);
  const uint32_t sky = 130u | 202u << 8 | 250u << 16 | 0xFFu << 24;
  auto centre = [&] {
    rig_->window->ReadColor();
    return rig_->window->pixels[size_t(kH / 2) * kW + kW / 2];
  };
  // Pixels that differ from the corner's (the background).
  auto drawn = [&] {
    rig_->window->ReadColor();
    const std::vector<uint32_t>& px = rig_->window->pixels;
    size_t n = 0;
    for (uint32_t v : px) n += v != px[0];
    return uint32_t(n);
  };
  uint32_t got[6];
  const std::string out = StdoutOf([&] {
    for (DrawForm form : {DrawForm::kStates, DrawForm::kOwnColours}) {
      c.drawForm = form;
      DrawIn(*rig_, [&](FrameBuffer&) { ShadePass(c, mesh.get()); got[0] = centre(); });
      EXPECT_NE(got[0], sky) << int(form);
    }
    c.drawForm = DrawForm::kStates;
    DrawIn(*rig_, [&](FrameBuffer&) { FootagePass(c, mesh.get(), true); got[1] = drawn(); });
    DrawIn(*rig_, [&](FrameBuffer&) { SuperPixelFootagePass(c); got[2] = centre(); });
    DrawIn(*rig_, [&](FrameBuffer&) { GrassPass(c); got[3] = drawn(); });
    DrawIn(*rig_, [&](FrameBuffer&) { RasterPass(c, nullptr); got[4] = centre(); });
  });
  EXPECT_GT(got[1], 100u);  // outlines on white
  EXPECT_EQ(got[2], 0xFF0000FFu);       // the masked triangles in red
  EXPECT_GT(got[3], 100u);
  EXPECT_NE(got[4], 0xFF000000u);       // the raster clears to black
  EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
  EXPECT_TRUE(FileExists("Images/Raster_HW.tif"));
}
