// ASL against the factor-8 software reference on a small scene full of
// sub-pixel triangles: whatever the reference finds and ASL misses must be
// hidden at every buffer sample inside it, and every sample's owner must
// cover that sample.
#include <gtest/gtest.h>

#include <sstream>

#include "Asl.h"
#include "AslRun.h"
#include "AslTriangle.h"
#include "PPC.h"
#include "SoftwareRaster.h"
#include "TriangleSoup.h"

namespace {

void SubPixelScene(ObjLoader& mesh, const PPC& cam, int n, uint32_t seed) {
  TestRandom rnd(seed);
  const float f = cam.FocalLength();
  std::vector<std::array<Vex3_quarn, 3>> tris;
  for (int i = 0; i < n; i++) {
    const float d = 1.2f * cam.zNear + rnd() * 2 * cam.zNear;
    const Vex3_quarn c((rnd() - 0.5f) * cam.w * d / f, (rnd() - 0.5f) * cam.h * d / f, -d);
    // Mostly below a pixel; every tenth a few pixels wide, as an occluder.
    const float px = i % 10 == 0 ? 3 + 4 * rnd() : 0.1f + 1.2f * rnd();
    const float s = px * d / f;
    tris.push_back({c + Vex3_quarn((rnd() - 0.5f) * s, (rnd() - 0.5f) * s, 0),
                    c + Vex3_quarn((rnd() - 0.5f) * s, (rnd() - 0.5f) * s, (rnd() - 0.5f) * s),
                    c + Vex3_quarn((rnd() - 0.5f) * s, (rnd() - 0.5f) * s, (rnd() - 0.5f) * s)});
  }
  BuildMesh(mesh, {tris});
}

bool Project(const SampleLocationBuffer& b, const ObjLoader& mesh, int32_t id, AslTriangle* t,
             double* a, double* bb, double* c) {
  Vex3_quarn p[3];
  if (!mesh.TrianglePositions(id, p) || !ProjectAslTriangle(BufferProjector(b), p, t)) return false;
  BuildEdgeLines(t);
  return DepthPlane(*t, a, bb, c);
}

}  // namespace

TEST(AslEndToEnd, MissesAreHiddenAndOwnersCoverTheirSamples) {
  PPC cam(55, 64, 48);
  cam.SetGLAndCache();
  ObjLoader mesh;
  SubPixelScene(mesh, cam, 6000, 99);
  const int32_t n = mesh.IdCount();

  SampleLocationBuffer buffer(cam.w, cam.h);
  buffer.SetCamera(cam);
  std::vector<int32_t> flags(size_t(n), 1);
  VisibleSet asl(size_t(n), 0);
  std::ostringstream log;
  AslRunContext run;
  run.buffer = &buffer;
  run.mesh = &mesh;
  run.flags = &flags;
  run.visible = &asl;
  run.out = &log;
  const AslRunReport report = AslPasses(run, GatherLiveTriangles(mesh, nullptr, n), "");
  EXPECT_GT(report.samplesAdded, 1000);
  EXPECT_GT(report.visible, report.centreVisible);

  const int f = 8;
  std::vector<int32_t> ids(size_t(cam.w * f) * cam.h * f, -1);
  std::vector<float> depth(ids.size(), 1.0f);
  TriangleRaster(mesh, ids.data(), cam, depth.data(), f, nullptr, log);
  std::vector<char> reference(size_t(n), 0);
  for (int32_t id : ids)
    if (id >= 0) reference[size_t(id)] = 1;

  int misses = 0, found = 0;
  for (int32_t id = 0; id < n; id++) {
    found += reference[size_t(id)];
    if (!reference[size_t(id)] || asl[size_t(id)]) continue;
    misses++;
    AslTriangle t;
    double a, b, c;
    ASSERT_TRUE(Project(buffer, mesh, id, &t, &a, &b, &c));
    ASSERT_TRUE(ScreenRectangle(&t, buffer.width, buffer.height));
    int inside = 0;
    for (int32_t j = t.row0; j <= t.row1; j++)
      for (int32_t k = t.col0; k <= t.col1; k++) {
        const PixelSamples& p = buffer.Pixel(k, j);
        for (int32_t s = 0; s < p.count; s++) {
          const SampleLocation& sl = p.samples[s];
          if (!t.Inside(sl.x, sl.y, sl.w)) continue;
          inside++;
          const double z = a * sl.x + b * sl.y + c;
          EXPECT_NE(sl.triangleId, -1) << "triangle " << id;
          EXPECT_LE(sl.depth, z) << "triangle " << id << " at " << sl.x << "," << sl.y;
        }
      }
    EXPECT_GT(inside, 0) << "triangle " << id << " has no sample inside it";
  }
  EXPECT_GT(found, n / 3);
  EXPECT_GT(misses, 0);  // the occluders hide some sub-pixel triangles

  for (const PixelSamples& p : buffer.pixels) {
    for (int32_t s = 0; s < p.count; s++) {
      const SampleLocation& sl = p.samples[s];
      if (sl.triangleId < 0) continue;
      AslTriangle t;
      double a, b, c;
      ASSERT_TRUE(Project(buffer, mesh, sl.triangleId, &t, &a, &b, &c));
      EXPECT_TRUE(t.Inside(sl.x, sl.y, sl.w)) << "triangle " << sl.triangleId;
      EXPECT_NEAR(sl.depth, a * sl.x + b * sl.y + c, 1e-12);
    }
  }
}
