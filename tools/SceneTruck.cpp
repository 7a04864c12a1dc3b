// "Truck", "Truck_gfb" and "Truck_gfb_step2": a truck drives through a
// brick wall; the bricks it hits fly off, tumble and disappear a few frames
// later. File number n is frame n of one animation, so the step-2 folder
// holds the same frames as the first one.
#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

#include "Format.h"
#include "IntervalTable.h"
#include "GenContext.h"
#include "IdRaster.h"
#include "MeshText.h"
#include "Scenes.h"
#include "VisibleSet.h"
#include "WorkLayout.h"

using layout::Folder;
using layout::In;

namespace {

struct Brick {
  Vex3_quarn center;
  float hit = 1e9f;  // frame at which the truck reaches it
  Vex3_quarn velocity, axis;
  float spin = 0;
  int firstVertex = 0, vertexCount = 0;
};

struct Truck {
  GenMesh mesh;
  std::vector<int> truckVertices;
  std::vector<Brick> bricks;
};

constexpr float kTruckSpeed = 45;     // units per frame
constexpr float kTruckFront0 = -700;  // front at frame 0
constexpr float kGravity = 6;

void AddWheel(GenMesh& m, GenGroup& g, const Vex3_quarn& c, float r, float width,
              std::vector<int>* moving) {
  const int n = 16;
  std::vector<int> inner, outer;
  for (int i = 0; i < n; i++) {
    const float a = 2 * float(M_PI) * i / n;
    const float x = c.x + r * std::cos(a), z = c.z + r * std::sin(a);
    inner.push_back(m.AddVertex({x, c.y - width / 2, z}));
    outer.push_back(m.AddVertex({x, c.y + width / 2, z}));
  }
  const int ci = m.AddVertex({c.x, c.y - width / 2, c.z});
  const int co = m.AddVertex({c.x, c.y + width / 2, c.z});
  for (int i = 0; i < n; i++) {
    const int j = (i + 1) % n;
    m.Quad(g, inner[i], inner[j], outer[j], outer[i]);
    m.Tri(g, ci, inner[j], inner[i]);
    m.Tri(g, co, outer[i], outer[j]);
  }
  for (int v : inner) moving->push_back(v);
  for (int v : outer) moving->push_back(v);
  moving->push_back(ci);
  moving->push_back(co);
}

Truck BuildTruck() {
  Truck t;
  GenMesh& m = t.mesh;
  // Ground: flat road strip, rolling hills away from it.
  GenGroup& ground = m.AddGroup("solid", 1);
  const int n = 40;
  const float size = 8000;
  AddGrid(m, ground, n, n, [&](int i, int j) {
    const float x = -size / 2 + size * i / n, y = -size / 2 + size * j / n;
    const float hill = std::max(0.0f, std::fabs(y) - 1200) * 0.12f;
    return Vex3_quarn(x, y, hill * (1.2f + std::sin(x / 600)));
  });

  // The truck, at its frame-0 place; it moves along +x.
  const size_t truckStart = m.positions.size();
  GenGroup& body = m.AddGroup("shell", 4);
  AddBox(m, body, {-1300, -120, 80}, {-900, 120, 330}, 3);
  GenGroup& cab = m.AddGroup("solid", 10);
  AddBox(m, cab, {-900, -115, 80}, {kTruckFront0, 115, 280}, 2);
  for (size_t v = truckStart; v < m.positions.size(); v++) t.truckVertices.push_back(int(v));
  GenGroup& wheels = m.AddGroup("beams", 6);
  for (float x : {-1220.0f, -800.0f})
    for (float y : {-125.0f, 125.0f}) AddWheel(m, wheels, {x, y, 60}, 60, 40, &t.truckVertices);

  // The wall; bricks within reach of the truck are hit and die later.
  GenGroup& wall = m.AddGroup("cubes", 11);
  for (int row = 0; row < 10; row++)
    for (int col = 0; col < 15; col++) {
      Brick b;
      const uint32_t k = uint32_t(16 * (row * 15 + col));
      const float offset = (row % 2) ? 50.0f : 0.0f;
      const float y = -750 + offset + 100 * col + 50;
      b.center = {1525, y, 30.0f + 60 * row};
      b.firstVertex = int(m.positions.size());
      int death = GenMesh::kNever;
      if (std::fabs(y) < 320) {
        b.hit = (b.center.x - 25 - kTruckFront0) / kTruckSpeed + 0.3f * Hash01(k);
        const float side = y / 320.0f;
        b.velocity = {55 + 35 * Hash01(k + 1), 40 * side + 10 * (Hash01(k + 2) - 0.5f),
                      15 + 30 * Hash01(k + 3)};
        b.axis = Vex3_quarn(Hash01(k + 4) - 0.5f, Hash01(k + 5) - 0.5f, Hash01(k + 6)).Normalized();
        b.spin = 0.2f + 0.3f * Hash01(k + 7);
        death = int(std::ceil(b.hit)) + 5 + int(8 * Hash01(k + 8));
      }
      AddBox(m, wall, b.center - Vex3_quarn(25, 49, 29), b.center + Vex3_quarn(25, 49, 29), 1,
             death);
      b.vertexCount = int(m.positions.size()) - b.firstVertex;
      t.bricks.push_back(b);
    }
  m.SortByDeath();
  return t;
}

Vex3_quarn Rotate(const Vex3_quarn& v, const Vex3_quarn& k, float angle) {
  // Rodrigues' rotation of v about the unit axis k.
  const float c = std::cos(angle), s = std::sin(angle);
  return v * c + k.Cross(v) * s + k * (k.Dot(v) * (1 - c));
}

std::vector<Vex3_quarn> TruckPositions(const Truck& t, float frame) {
  std::vector<Vex3_quarn> p = t.mesh.positions;
  const Vex3_quarn shift(kTruckSpeed * frame, 0, 0);
  for (int v : t.truckVertices) p[v] += shift;
  for (const Brick& b : t.bricks) {
    if (frame <= b.hit) continue;
    const float dt = frame - b.hit;
    Vex3_quarn c = b.center + b.velocity * dt;
    c.z -= 0.5f * kGravity * dt * dt;
    if (c.z < 30) c.z = 30;  // resting on the road
    for (int v = b.firstVertex; v < b.firstVertex + b.vertexCount; v++)
      p[v] = c + Rotate(t.mesh.positions[v] - b.center, b.axis, b.spin * dt);
  }
  return p;
}

// Two per-step logs of the first interval: A from a fine raster, B from a
// coarse one that misses small triangles ("Cmp Log files" compares them).
void WriteLogs(GenContext& ctx, const Truck& t, const PPC& camera) {
  const std::vector<uint32_t> tris = t.mesh.TriangleList();
  std::ostringstream a, b;
  for (int step = 0; step < 20; step++) {
    const float time = step / 20.0f;
    const std::vector<Vex3_quarn> p = TruckPositions(t, 40 + time);
    const std::string label = Format("%g", double(time));
    for (auto [out, scale] : {std::pair<std::ostringstream*, float>{&a, 0.5f}, {&b, 0.125f}}) {
      std::vector<int32_t> seen = SeenFlags(RasterIds(camera, scale, p, tris), int(tris.size() / 3));
      WriteVisibilityLine(*out, label, seen.data(), int32_t(seen.size()));
    }
  }
  ctx.SaveText(layout::kLogA, a.str());
  ctx.SaveText(layout::kLogB, b.str());
}

// The table "Play Visible triangles" replays, for Truck_gfb over its first
// interval: every triangle seen at a quarter step is visible for the
// quarter step around it. Ids are those of the first state file (40),
// whose live triangles the loader numbers group by group.
void WriteReplayTable(GenContext& ctx, const Truck& t, const PPC& camera) {
  const std::vector<uint32_t> tris = t.mesh.TriangleList();
  const std::vector<int32_t> groups = t.mesh.TriangleGroups();
  const std::vector<int32_t> live = t.mesh.LiveCounts(40);
  std::vector<int32_t> idOf(tris.size() / 3, -1), held(live.size(), 0);
  int32_t ids = 0;
  for (size_t k = 0; k < idOf.size(); k++) {
    const size_t g = size_t(groups[k]);
    if (held[g]++ < live[g]) idOf[k] = ids++;
  }
  std::vector<std::array<double, 3>> intervals;
  for (int q = 0; q <= 4; q++) {
    const double s = q / 4.0;
    const std::vector<int32_t> seen = SeenFlags(
        RasterIds(camera, 0.5f, TruckPositions(t, float(40 + s)), tris), int(idOf.size()));
    for (size_t k = 0; k < seen.size(); k++)
      if (seen[k] && idOf[k] >= 0)
        intervals.push_back({double(idOf[k]), std::max(0.0, s - 0.125), std::min(1.0, s + 0.125)});
  }
  IntervalTableBuilder table(ids);
  for (const auto& i : intervals) table.Count(uint32_t(i[0]));
  table.Allocate();
  for (const auto& i : intervals) table.Append(uint32_t(i[0]), i[1], i[2]);
  const std::string rel = layout::ReplayTable(1);
  ctx.Check(WriteIntervalTable(*table.Finish(), ctx.Path(rel)), rel);
}

}  // namespace

void GenerateTruck(GenContext& ctx) {
  const Truck t = BuildTruck();
  auto write = [&](const std::string& prefix, int frame) {
    const std::string rel = layout::StateFile(prefix, frame);
    ctx.Check(WriteStateObj(ctx.Path(rel), t.mesh, TruckPositions(t, float(frame)), frame), rel);
  };
  write(In(Folder::kGeometry, "truck/state"), 0);
  write(In(Folder::kGeometry, "truck/state"), 1);
  for (int f = 40; f < 40 + kTruckGfbMaxStates; f++) write(In(Folder::kGeometry, "truck/state"), f);
  for (int f = 40; f < 40 + kTruckStep2MaxTimeStamps; f++)
    write(In(Folder::kGeometry, "truckGFB/state"), f);

  const int vertices = int(t.mesh.positions.size());
  int live0 = 0, live40 = 0;
  for (int c : t.mesh.LiveCounts(0)) live0 += c;
  for (int c : t.mesh.LiveCounts(40)) live40 += c;
  ctx.Record("Truck", vertices, live0);
  ctx.Record("Truck_gfb", vertices, live40);
  ctx.Record("Truck_gfb_step2", vertices, live40);

  const PPC camera = LookAt({200, -3700, 1500}, {900, 0, 200}, {0, 0, 1}, 10, 100000);
  ctx.SaveCamera("Truck_default.ppc", camera);
  WriteLogs(ctx, t, camera);
  WriteReplayTable(ctx, t, camera);
}
