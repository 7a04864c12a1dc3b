#include "SceneObjectLists.h"

#include "Format.h"
#include "IdRaster.h"

GenObject BeginObject(const GenMesh& m, const std::string& name) {
  GenObject o;
  o.name = name;
  o.firstVertex = int(m.positions.size());
  o.firstGroup = int(m.groups.size());
  return o;
}

void EndObject(const GenMesh& m, GenObject* o, std::vector<GenObject>* objects) {
  o->vertexCount = int(m.positions.size()) - o->firstVertex;
  o->groupCount = int(m.groups.size()) - o->firstGroup;
  objects->push_back(*o);
}

void WriteListScene(GenContext& ctx, const std::string& label, const std::string& dir,
                    const GenMesh& m, const std::vector<GenObject>& objects, float fileScale) {
  ctx.Check(WriteObjectList(ctx.Path(dir), m, objects, fileScale), dir + "index.txt");
  ctx.Record(label, int(m.positions.size()), m.TriangleCount());
}

std::vector<Vex3_quarn> TriangleColors(const GenMesh& m) {
  std::vector<Vex3_quarn> c;
  for (const GenGroup& g : m.groups) c.insert(c.end(), size_t(g.TriangleCount()), g.color);
  return c;
}

StandInImages RenderStandIns(const PPC& camera, const std::vector<Vex3_quarn>& positions,
                             const std::vector<uint32_t>& triangles,
                             const std::vector<Vex3_quarn>& colors) {
  const float scale = 0.5f;
  const int n = int(triangles.size() / 3);
  const IdImage full = RasterIds(camera, scale, positions, triangles);
  const std::vector<int32_t> coarse =
      SeenFlags(RasterIds(camera, scale / 4, positions, triangles), n);
  StandInImages out;
  out.w = full.w;
  out.h = full.h;
  out.full = ShadeImage(full, positions, triangles, colors);
  out.step2 = out.step2Error = out.fullError = out.full;
  for (int y = 0; y < full.h; y++)
    for (int x = 0; x < full.w; x++) {
      const int32_t id = full.id[size_t(y) * full.w + x];
      const size_t k = size_t(full.h - 1 - y) * full.w + x;
      if (id < 0) {
        out.step2Error[k] = out.fullError[k] = 0xffffffffu;  // background
      } else if (!coarse[id]) {
        out.step2[k] = 130 | 203 << 8 | 250u << 16 | 0xff000000u;  // sky
        out.step2Error[k] = 0xff0000ffu;                            // missed: red
      }
    }
  return out;
}

void SaveProcessImages(GenContext& ctx, const std::string& dir, const PPC& camera,
                       const std::vector<Vex3_quarn>& positions,
                       const std::vector<uint32_t>& triangles,
                       const std::vector<Vex3_quarn>& colors) {
  const StandInImages im = RenderStandIns(camera, positions, triangles, colors);
  ctx.SaveTiff(dir + "Step2.tif", im.step2, im.w, im.h);
  ctx.SaveTiff(dir + "Step2_error.tif", im.step2Error, im.w, im.h);
  ctx.SaveTiff(dir + "31X31.tif", im.full, im.w, im.h);
  ctx.SaveTiff(dir + "31X31_error.tif", im.fullError, im.w, im.h);
}

void SavePathSteps(GenContext& ctx, const std::string& pattern, const std::string& unionPath,
                   const PPC& a, const PPC& b, const std::vector<Vex3_quarn>& positions,
                   const std::vector<uint32_t>& triangles) {
  const int steps = 40, n = int(triangles.size() / 3);
  const std::vector<PPC> path = a.Interpolate(b, steps);
  std::vector<int32_t> all(size_t(n), 0);
  for (int i = 0; i < steps; i++) {
    const IdImage seen = RasterIds(path[size_t(i)], 0.5f, positions, triangles);
    ctx.SaveIdList(Format(pattern.c_str(), i), SeenFlags(seen, n));
    AddSeen(seen, &all);
  }
  ctx.SaveVisibleSet(unionPath, all);
}
