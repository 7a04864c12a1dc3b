// Cases found on real meshes, each kept as it was found.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "IntervalRuns.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "RayCaster.h"
#include "SampleLocationBuffer.h"
#include "StateReader.h"
#include "Surfaces.h"

namespace {

const std::string kData = WB_REGRESSION_DIR;

// Triangles in the timelines of the pixel centres after the whole-interval
// loop over every triangle.
std::set<int32_t> IntervalVisible(const MotionSource& motion, int32_t triangles, const PPC& cam) {
  SampleLocationBuffer buffer(cam.w, cam.h);
  buffer.SetCamera(cam);
  ComputeTimelines(buffer, motion, std::vector<int32_t>(size_t(triangles), 1), {});
  std::vector<int32_t> flags(size_t(triangles), 0);
  buffer.CollectTimelineTriangles(flags.data(), triangles);
  std::set<int32_t> v;
  for (int32_t t = 0; t < triangles; t++)
    if (flags[size_t(t)]) v.insert(t);
  return v;
}

}  // namespace

// Triangle 0 lies a tenth farther than triangles 1 and 2, which hide it at
// every pixel centre. A pixel centre on the shared edge of 1 and 2 fell
// outside the screen hull of the triangle that covers it: the sample rays,
// taken through the point at window depth 0.5 (0.04 from the eye with this
// near plane), were turned by a few hundredths of a pixel against the
// projected vertices.
TEST(IntervalRegression, HiddenTriangleStatic) {
  ObjLoader mesh;
  ASSERT_TRUE(ReadStateFile(mesh, kData + "/hidden_triangle_static.obj"));
  mesh.AssignIds(nullptr);
  PPC cam;
  ASSERT_TRUE(cam.LoadFromFile(kData + "/hidden_triangle_static.ppc"));
  MeshMotion motion(mesh, mesh);
  EXPECT_EQ(IntervalVisible(motion, mesh.triangleCount, cam), (std::set<int32_t>{1, 2}));

  RayCaster rc(cam);
  rc.AddMesh(mesh, nullptr);
  std::vector<double> times = {0};
  int64_t ties = 0;
  const std::vector<uint8_t> seen =
      VisibleAtPixelSamples(rc, 4, times, 2, &ties);
  EXPECT_EQ(seen, (std::vector<uint8_t>{0, 1, 1}));
  EXPECT_EQ(ties, 0);
}

// A front sheet of 3,072 triangles with shared edges covers the whole view
// at every moment over a static back sheet: nothing of the back sheet may
// appear, whatever the motion. Short coverage intervals of the front sheet
// (a sample crossing a triangle's corner, or the first and last microsecond
// of the span) used to be dropped, and the back sheet showed through.
TEST(IntervalRegression, SlidingSheets) {
  PPC cam;
  ASSERT_TRUE(cam.LoadFromFile(kData + "/sliding_sheets.ppc"));
  const double kPi = 3.14159265358979323846;
  for (const char* mode : {"translate", "rotate", "tilt"}) {
    SCOPED_TRACE(mode);
    SurfaceMesh sheets = Sheet(-12, 12, -8, 8, -10, 48, 32);
    const size_t front = sheets.positions.size();
    const int32_t frontTriangles = sheets.TriangleCount();
    sheets.Append(Sheet(-25, 25, -15, 15, -20, 10, 10));
    const std::vector<Vex3_quarn>& a = sheets.positions;
    const std::vector<uint32_t>& tris = sheets.triangles;
    std::vector<Vex3_quarn> b = a;
    for (size_t i = 0; i < front; i++) {
      const double x = a[i].x, y = a[i].y, z = a[i].z;
      if (std::string(mode) == "translate") {
        b[i] = Vex3_quarn(float(x + 0.37), float(y + 0.21), float(z));
      } else if (std::string(mode) == "rotate") {
        const double r = 7 * kPi / 180;
        b[i] = Vex3_quarn(float(x * std::cos(r) - y * std::sin(r)),
                          float(x * std::sin(r) + y * std::cos(r)), float(z - 0.7));
      } else {
        const double r = 20 * kPi / 180;
        b[i] = Vex3_quarn(float(x), float(y * std::cos(r) - (z + 10) * std::sin(r)),
                          float(-10 + y * std::sin(r) + (z + 10) * std::cos(r)));
      }
    }
    ArrayMotion motion(a, b, tris);
    const std::set<int32_t> visible = IntervalVisible(motion, int32_t(tris.size() / 3), cam);
    ASSERT_FALSE(visible.empty());
    EXPECT_LT(*visible.rbegin(), frontTriangles) << "a back-sheet triangle is visible";
  }
}
