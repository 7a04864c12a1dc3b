// The factor-32 reference ("ASL Control") against nearest-hit ray casting
// at the same fine sample positions, on scenes like a user's: closed
// subdivided surfaces whose far sides must never show, and a sheet of
// shared-edge triangles in front of a backdrop it hides everywhere, moved
// by sub-pixel offsets. The depth range is the workbench cameras' (near
// 10, far 100,000) with the objects tens of thousands of units away, where
// window depths crowd so close to 1 that a float depth could not keep a
// surface's far side, or a layer a few units behind, from showing.
//
// Cell (X, Y) of the factor-32 grid is sampled at its centre, window
// position ((X + 0.5) / 32, (Y + 0.5) / 32). The ray caster makes its rays
// from the camera record alone (the ideal pinhole), while the reference
// projects through the camera's GL arrays; the two agree to 1e-4 pixels.
// The eye sits at the origin, where the ray caster's ray origin and the
// centre of projection of the GL arrays coincide exactly. Rays that
// rounding could decide either way (ties) are counted, not judged.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <thread>

#include "AslReference.h"
#include "PPC.h"
#include "RayCaster.h"
#include "ScratchDir.h"
#include "Surfaces.h"
#include "TriangleSoup.h"

namespace {

constexpr int kFactor = 32;
constexpr int kW = 48, kH = 36;

PPC Camera(const Vex3_quarn& direction) {
  PPC cam(55, kW, kH);
  cam.PositionAndOrient(Vex3_quarn(0, 0, 0), direction, Vex3_quarn(0, 1, 0));
  cam.zNear = 10;
  cam.zFar = 100000;
  cam.SetGLAndCache();
  return cam;
}

// One group of the surfaces' triangles, ids in order.
void MeshOf(ObjLoader& mesh, const std::vector<SurfaceMesh>& surfaces) {
  std::vector<std::array<Vex3_quarn, 3>> tris;
  for (const SurfaceMesh& s : surfaces)
    for (size_t i = 0; i < s.triangles.size(); i += 3)
      tris.push_back({s.positions[s.triangles[i]], s.positions[s.triangles[i + 1]],
                      s.positions[s.triangles[i + 2]]});
  BuildMesh(mesh, {tris});
}

// The reference's set, with the triangles flagged in `skip` left out.
std::vector<int32_t> Reference(const ObjLoader& mesh, PPC cam, const std::vector<int32_t>& skip) {
  ScratchDir dir;
  std::vector<int32_t> flags(size_t(mesh.IdCount()), 1);
  for (size_t i = 0; i < skip.size(); i++)
    if (skip[i]) flags[i] = 0;
  std::ostringstream log;
  testing::internal::CaptureStdout();
  AslReference(mesh, cam, kFactor, flags, nullptr, "reference.bin", log);
  testing::internal::GetCapturedStdout();
  return flags;
}

struct RayCastSets {
  std::vector<uint8_t> seen, seenAtTie;  // per id
};

// The rays are the ray caster's own at the fine positions; they are cast
// on a caster binned for a camera of 32 times the resolution, whose tiles
// of 8 x 8 fine cells hold a few triangles each (the tiles only narrow the
// triangles tried, within a cell's margin).
RayCastSets CastFine(const ObjLoader& mesh, const PPC& cam) {
  const RayCaster view(cam);
  PPC fine = cam;
  fine.Resize(cam.w * kFactor, cam.h * kFactor);
  RayCaster rc(fine);
  rc.AddMesh(mesh, nullptr);
  rc.BinAt(0);
  const int fw = cam.w * kFactor, fh = cam.h * kFactor;
  const size_t n = size_t(mesh.IdCount());
  const int threads = int(std::max(1u, std::min(2u, std::thread::hardware_concurrency())));
  std::vector<RayCastSets> part{size_t(threads)};
  std::vector<std::thread> pool;
  for (int k = 0; k < threads; k++)
    pool.emplace_back([&, k]() {
      RayCastSets& s = part[size_t(k)];
      s.seen.assign(n, 0);
      s.seenAtTie.assign(n, 0);
      for (int y = fh * k / threads; y < fh * (k + 1) / threads; y++)
        for (int x = 0; x < fw; x++) {
          const RayHit h = rc.Cast(view.WindowRay((x + 0.5) / kFactor, (y + 0.5) / kFactor), 0);
          if (h.id >= 0) (h.tie ? s.seenAtTie : s.seen)[size_t(h.id)] = 1;
        }
    });
  for (std::thread& t : pool) t.join();
  RayCastSets all{std::vector<uint8_t>(n, 0), std::vector<uint8_t>(n, 0)};
  for (const RayCastSets& s : part)
    for (size_t i = 0; i < n; i++) {
      all.seen[i] |= s.seen[i];
      all.seenAtTie[i] |= s.seenAtTie[i];
    }
  return all;
}

// Every triangle ray casting sees is in the reference and every one the
// reference has is seen, but for triangles seen only at ties; returns how
// many differ that way.
int CompareWithRays(const std::vector<int32_t>& ref, const RayCastSets& rays,
                    const std::string& what) {
  int ties = 0, missing = 0, extra = 0, seen = 0;
  for (size_t i = 0; i < ref.size(); i++) {
    seen += rays.seen[i];
    const bool inRef = ref[i] == 1;
    if (inRef == bool(rays.seen[i])) continue;
    if (rays.seenAtTie[i]) {
      ties++;
    } else if (inRef) {
      if (extra++ < 5) ADD_FAILURE() << what << ": triangle " << i << " is reported but never seen";
    } else {
      if (missing++ < 5) ADD_FAILURE() << what << ": triangle " << i << " is seen but missing";
    }
  }
  EXPECT_GT(seen, int(ref.size()) / 10) << what;
  EXPECT_EQ(extra, 0) << what;
  EXPECT_EQ(missing, 0) << what;
  return ties;
}

}  // namespace

TEST(AslReferenceExactness, ClosedSurfacesEqualRayCastingAndShowNoBackFace) {
  // A bumpy blob before a torus before a sphere, 45,000 to 67,500 away.
  const Vex3_quarn blobAt(-2250, 900, -45000), torusAt(4500, -1800, -54000),
      sphereAt(-3750, -2250, -67500);
  SurfaceMesh blob = BumpyBlob(3, blobAt, 10000, 0.25f, 7);
  SurfaceMesh torus = Torus(40, 14, torusAt, 14000, 5000);
  torus.positions = Rotated(torus.positions, torusAt, {1, 0.3f, 0}, 60);
  SurfaceMesh sphere = Icosphere(3, sphereAt, 26000);
  ObjLoader mesh;
  MeshOf(mesh, {blob, torus, sphere});
  const int32_t n = mesh.IdCount();

  int ties = 0, views = 0;
  for (const Vex3_quarn& direction : {Vex3_quarn(0, 0, -1), Vex3_quarn(0.031f, -0.017f, -1)}) {
    const PPC cam = Camera(direction);
    // The surfaces are wound counter-clockwise seen from outside: their
    // back faces are the triangles the facing marks leave alone.
    std::vector<int32_t> back(size_t(n), 1);
    mesh.FacingMarks(cam.eye, back.data());
    for (int32_t& b : back) b = b == 1;
    const std::vector<int32_t> ref = Reference(mesh, cam, {});
    ties += CompareWithRays(ref, CastFine(mesh, cam), "closed surfaces");
    int backShown = 0;
    for (int32_t i = 0; i < n; i++) backShown += ref[size_t(i)] == 1 && back[size_t(i)];
    EXPECT_EQ(backShown, 0);
    // Leaving the back faces out changes nothing.
    EXPECT_EQ(Reference(mesh, cam, back), ref);
    views++;
  }
  EXPECT_LT(ties * 10000, views * n + 1) << ties << " triangles differ at ties";
}

TEST(AslReferenceExactness, SheetHidesTheLayerBehindItAtEveryOffset) {
  const PPC cam = Camera(Vex3_quarn(0, 0, -1));
  const float depth = 45000, halfW = depth * 0.6f, halfH = depth * 0.45f;
  // Quads about 1.3 pixels wide, tilted in depth, each split along a
  // diagonal chosen by a seeded sequence; the sheet overhangs the view.
  const int nx = 36, ny = 28;
  const float px = 2 * halfW / (nx - 4), py = 2 * halfH / (ny - 4);
  TestRandom rnd(17);
  std::vector<bool> flip(size_t(nx) * ny);
  for (size_t i = 0; i < flip.size(); i++) flip[i] = rnd() < 0.5f;
  int ties = 0, total = 0;
  // Sub-pixel shifts (a pixel is depth / 46 units here).
  for (const float shift : {0.0f, 0.37f, 0.81f}) {
    const float s = shift * depth / cam.FocalLength();
    // The sheet, and a copy of it 5 units further away (a ten-thousandth
    // of the distance, but less than a float step of window depth).
    auto sheet = [&](float back) {
      auto at = [&](int i, int j) {
        return Vex3_quarn(-halfW - 2 * px + i * px + s, -halfH - 2 * py + j * py + 0.7f * s,
                          -depth - back - 200.0f * float(j) + 100.0f * float(i));
      };
      std::vector<std::array<Vex3_quarn, 3>> tris;
      for (int j = 0; j < ny; j++)
        for (int i = 0; i < nx; i++) {
          if (flip[size_t(j) * nx + i]) {
            tris.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
            tris.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
          } else {
            tris.push_back({at(i, j), at(i + 1, j), at(i, j + 1)});
            tris.push_back({at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
          }
        }
      return tris;
    };
    ObjLoader mesh;
    BuildMesh(mesh, {sheet(5), sheet(0)});  // the hidden layer first
    const std::vector<int32_t> ref = Reference(mesh, cam, {});
    const int layer = nx * ny * 2;
    EXPECT_EQ(std::count(ref.begin(), ref.begin() + layer, 1), 0)
        << "the layer behind shows through at shift " << shift;
    ties += CompareWithRays(ref, CastFine(mesh, cam), "sheet at shift " + std::to_string(shift));
    total += mesh.IdCount();
  }
  EXPECT_LT(ties * 10000, total + 1) << ties << " triangles differ at ties";
}

// A street-level view: the ground and two side walls reach far behind the
// camera, as they do in the city, the grass field and the terrain. Their
// parts in front of the near plane are what the view shows; a raster that
// drops a triangle with a vertex behind the eye leaves holes in the ground.
TEST(AslReferenceExactness, TrianglesReachingBehindTheCameraShowTheirFront) {
  PPC cam(55, kW, kH);
  cam.PositionAndOrient(Vex3_quarn(0, 200, 0), Vex3_quarn(0, -0.15f, -1), Vex3_quarn(0, 1, 0));
  cam.zNear = 10;
  cam.zFar = 100000;
  cam.SetGLAndCache();
  std::vector<std::array<Vex3_quarn, 3>> tris;
  auto quad = [&](Vex3_quarn a, Vex3_quarn b, Vex3_quarn c, Vex3_quarn d) {
    tris.push_back({a, b, c});
    tris.push_back({a, c, d});
  };
  // Ground cells of 20,000 from 40,000 behind to 60,000 in front.
  for (int i = -2; i < 3; i++)
    for (int k = -2; k < 3; k++) {
      const float x = 20000.0f * float(i), z = 20000.0f * float(k);
      quad({x, 0, z}, {x + 20000, 0, z}, {x + 20000, 0, z - 20000}, {x, 0, z - 20000});
    }
  // Side walls from behind the camera into the distance, and a block ahead.
  quad({-900, 0, 30000}, {-900, 0, -60000}, {-900, 3000, -60000}, {-900, 3000, 30000});
  quad({900, 0, -60000}, {900, 0, 30000}, {900, 3000, 30000}, {900, 3000, -60000});
  quad({-300, 0, -4000}, {300, 0, -4000}, {300, 500, -4000}, {-300, 500, -4000});
  ObjLoader mesh;
  BuildMesh(mesh, {tris});
  const std::vector<int32_t> ref = Reference(mesh, cam, {});
  const RayCastSets rays = CastFine(mesh, cam);
  EXPECT_LE(CompareWithRays(ref, rays, "street"), 2);
  // The two ground cells ahead, which start under the camera, and the walls
  // beside it are seen.
  for (int id : {14, 25, 50, 52}) EXPECT_EQ(ref[size_t(id)], 1) << "triangle " << id;
}
