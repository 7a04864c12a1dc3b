// A small hand-built scene for the GL pass tests: a camera at the origin
// looking down -z and meshes built directly from triangles.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ObjLoader.h"
#include "PassRig.h"
#include "TriangleSoup.h"

struct TestTriangle {
  Vex3_quarn a, b, c;
};

// One group per entry of `groups`, material g + 1; live[g] triangles of
// each are alive (ids are assigned over all of them first, so the rest
// are dead ones).
inline std::unique_ptr<ObjLoader> MakeMesh(const std::vector<std::vector<TestTriangle>>& groups,
                                           const std::vector<int>& live) {
  std::vector<std::vector<std::array<Vex3_quarn, 3>>> tris;
  std::vector<int32_t> materials;
  for (const auto& g : groups) {
    tris.emplace_back();
    for (const TestTriangle& t : g) tris.back().push_back({t.a, t.b, t.c});
    materials.push_back(int32_t(tris.size()));
  }
  auto m = std::make_unique<ObjLoader>();
  BuildMesh(*m, tris);
  m->shadingMode = 1;
  m->groupMaterial.Assign(materials);
  m->triangleCount = 0;
  for (size_t g = 0; g < live.size() && g < groups.size(); g++) {
    m->groupTriCount[g] = live[g];
    m->triangleCount += live[g];
  }
  return m;
}

// A draw inside the rig's window that must happen.
inline void DrawIn(PassRig& rig, const std::function<void(FrameBuffer&)>& f) {
  EXPECT_TRUE(rig.Draw(f)) << "the window never drew";
}
