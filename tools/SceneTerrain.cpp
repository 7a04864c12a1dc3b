// "RTI" and "RTI_Subdivided": a 256 x 256 quad terrain of rolling hills
// and ridges, as one flagged binary file, and its split into a 3 x 3 grid
// of cells by the image region in which the 45-degree view sees it.
#include <cmath>
#include <sstream>

#include "Format.h"
#include "GenContext.h"
#include "IdRaster.h"
#include "SceneObjectLists.h"
#include "Scenes.h"
#include "VisibleSet.h"
#include "WorkLayout.h"

using layout::Folder;
using layout::In;

namespace {

constexpr int kGrid = 256;
constexpr float kCell = 50;

float Height(float x, float y) {
  float h = 450 + 300 * std::sin(x / 1700) * std::cos(y / 2100);
  h += 220 * std::sin((x + 2 * y) / 900) + 90 * std::sin(x / 260 + std::cos(y / 330));
  h += 350 * std::exp(-std::pow((x - 8200) / 1500, 2) - std::pow((y - 5200) / 1100, 2));
  return std::max(0.0f, h);
}

struct Terrain {
  std::vector<Vex3_quarn> positions;
  std::vector<uint32_t> triangles;
};

Terrain BuildTerrain() {
  Terrain t;
  for (int j = 0; j <= kGrid; j++)
    for (int i = 0; i <= kGrid; i++) {
      const float x = i * kCell, y = j * kCell;
      t.positions.push_back({x, y, Height(x, y)});
    }
  for (int j = 0; j < kGrid; j++)
    for (int i = 0; i < kGrid; i++) {
      const uint32_t a = j * (kGrid + 1) + i, b = a + 1, c = a + kGrid + 2, d = a + kGrid + 1;
      t.triangles.insert(t.triangles.end(), {a, b, c, c, d, a});
    }
  return t;
}

// Cell (row r, column c) of the 3 x 3 split: the triangles with a vertex
// within one pixel of the cell, with their vertices renumbered in order.
void WriteCell(GenContext& ctx, const Terrain& t, const PPC& view, int r, int c) {
  const int h[4] = {0, 535, 820, 1280}, v[4] = {0, 235, 453, 720};
  std::vector<char> inCell(t.positions.size(), 0);
  for (size_t i = 0; i < t.positions.size(); i++) {
    const Vex3_quarn q = view.invM * (t.positions[i] - view.eye);
    if (q.z <= 0) continue;
    const float u = q.x / q.z, w = q.y / q.z;
    inCell[i] = u >= h[c] - 1 && u <= h[c + 1] + 1 && w >= v[r] - 1 && w <= v[r + 1] + 1;
  }
  std::vector<int> number(t.positions.size(), -1);
  std::vector<uint32_t> kept;
  for (size_t k = 0; k + 2 < t.triangles.size(); k += 3) {
    const uint32_t* tri = &t.triangles[k];
    if (!inCell[tri[0]] && !inCell[tri[1]] && !inCell[tri[2]]) continue;
    kept.insert(kept.end(), tri, tri + 3);
    for (int m = 0; m < 3; m++) number[tri[m]] = 0;
  }
  std::vector<Vex3_quarn> positions;
  for (size_t i = 0; i < number.size(); i++)
    if (number[i] == 0) {
      number[i] = int(positions.size());
      positions.push_back(t.positions[i]);
    }
  for (uint32_t& idx : kept) idx = uint32_t(number[idx]);
  ctx.SaveFlaggedBinary(In(Folder::kGeometry, Format("RTI_subdivided/View2/Cell_%d_%d.rdd", r, c)),
                        positions, kept);
  ctx.Record(Format("RTI_Subdivided/%d_%d", r, c), int(positions.size()), int(kept.size() / 3));
}

// Id lists as "label:" then ids each followed by ",", and the same ids as
// raw int32 values (the "_bin" form).
void WriteIdLists(GenContext& ctx, const std::string& base, const std::vector<int32_t>& flags) {
  std::ostringstream text;
  WriteVisibilityLine(text, "0", flags.data(), int32_t(flags.size()));
  std::string bin;
  for (size_t id = 0; id < flags.size(); id++)
    if (flags[id]) {
      const int32_t v = int32_t(id);
      bin.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
  ctx.SaveText(base + ".txt", text.str());
  ctx.SaveText(base + "_bin.txt", bin);
}

}  // namespace

void GenerateTerrain(GenContext& ctx) {
  const Terrain t = BuildTerrain();
  ctx.SaveFlaggedBinary(In(Folder::kGeometry, "RTI/RTI.bin"), t.positions, t.triangles);
  const int n = int(t.triangles.size() / 3);
  ctx.Record("RTI", int(t.positions.size()), n);

  const Vex3_quarn center(6400, 6400, 350);
  const PPC view45 = LookAt({6400, -2100, 8800}, center, {0, 0, 1}, 10, 100000);
  const PPC view90 = LookAt({6400, 6400, 15000}, {6400, 6400, 0}, {0, 1, 0}, 10, 100000);
  ctx.SaveCamera(layout::FinalView("RTI_45Degree_view.ppc"), view45);
  ctx.SaveCamera(layout::FinalView("RTI_90Degree_view.ppc"), view90);
  ctx.SaveCameraD(layout::kCellView, view45);
  ctx.SaveCamera("RTI_track_v2_1.ppc", view45);
  ctx.SaveCamera("RTI_track_v2_2.ppc",
                 LookAt({9400, -600, 7600}, center + Vex3_quarn(600, 900, 0), {0, 0, 1}, 10, 100000));

  for (int r = 0; r < 3; r++)
    for (int c = 0; c < 3; c++) WriteCell(ctx, t, view45, r, c);

  SaveViewSets(ctx, view45, t.positions, t.triangles,
               {In(Folder::kFootage, "RTI/SumVisibilityStep2.bin")},
               {In(Folder::kFootage, "RTI/SumVisibilityStep3.bin")},
               {In(Folder::kFootage, "RTI/SumVisibilityTruth_31X31.bin")});

  std::vector<Vex3_quarn> colors;
  for (size_t k = 0; k + 2 < t.triangles.size(); k += 3) {
    const float h = (t.positions[t.triangles[k]].z + t.positions[t.triangles[k + 2]].z) / 2400;
    colors.push_back(Vex3_quarn(0.3f, 0.55f, 0.25f) * (1 - h) + Vex3_quarn(0.75f, 0.7f, 0.6f) * h);
  }
  SaveProcessImages(ctx, In(Folder::kProcess, "RTI/"), view45, t.positions, t.triangles, colors);

  // Stored ASL results per screen tile (2 columns x 4 rows, rows counted
  // from the bottom of the image) and the control list of the whole view.
  const IdImage seen = RasterIds(view45, 1.0f, t.positions, t.triangles);
  for (int a = 0; a < 2; a++)
    for (int b = 0; b < 4; b++) {
      std::vector<int32_t> flags(size_t(n), 0);
      const int tw = seen.w / 2, th = seen.h / 4;
      for (int y = 0; y < th; y++)
        for (int x = 0; x < tw; x++) {
          const int row = seen.h - 1 - (b * th + y);
          const int32_t id = seen.id[size_t(row) * seen.w + a * tw + x];
          if (id >= 0) flags[id] = 1;
        }
      WriteIdLists(ctx, In(Folder::kResults, Format("RTI_ASL/RTI_%d_%d", a, b)), flags);
    }
  WriteIdLists(ctx, In(Folder::kResults, "RTI_Control/RTI_Control_160X_0_0"), SeenFlags(seen, n));
}
