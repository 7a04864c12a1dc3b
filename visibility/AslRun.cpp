#include "AslRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "Asl.h"
#include "Frustum.h"
#include "MeshStatistics.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "Parallel.h"
#include "WorkLayout.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

bool FileExists(const std::string& path) {
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
    return true;
  }
  return false;
}

// Triangle order for the depth passes: by screen tile of the first
// vertex, so that consecutive triangles touch nearby pixels. Empty when the
// ids do not ascend (the id tie rule then would not match the given order).
std::vector<uint32_t> ScreenOrder(const Projector& proj, const AslTriangles& tris, int32_t width,
                                  int32_t height) {
  std::vector<uint32_t> order;
  for (size_t i = 1; i < tris.size(); i++)
    if (tris.ids[i - 1] >= tris.ids[i]) return order;
  constexpr int kTile = 32;
  const int cols = width / kTile + 1, rows = height / kTile + 1;
  std::vector<uint32_t> key(tris.size());
  std::vector<uint32_t> start(size_t(cols) * rows + 1, 0);
  for (size_t i = 0; i < tris.size(); i++) {
    double x = 0, y = 0, z = 0;
    proj.Project(tris.vertices[i * 3], &x, &y, &z);
    const int c = int(std::min(std::max(x / kTile, 0.0), double(cols - 1)));
    const int r = int(std::min(std::max(y / kTile, 0.0), double(rows - 1)));
    key[i] = uint32_t(r * cols + c);
    start[key[i] + 1]++;
  }
  for (size_t k = 1; k < start.size(); k++) start[k] += start[k - 1];
  order.resize(tris.size());
  for (size_t i = 0; i < tris.size(); i++) order[start[key[i]]++] = uint32_t(i);
  return order;
}

// One depth pass: Clear, resolve every triangle with its id as id and
// colour, collect into the cleared set.
void DepthPass(const AslRunContext& run, const Projector& proj, const AslTriangles& tris) {
  SampleLocationBuffer& buffer = *run.buffer;
  std::ostream& out = *run.out;
  buffer.Clear();
  const size_t n = tris.size();
  const std::vector<uint32_t> order = ScreenOrder(proj, tris, buffer.width, buffer.height);
  auto at = [&](size_t i) { return order.empty() ? i : size_t(order[i]); };
  // Bands of pixel rows, one per thread, each taking every triangle in the
  // same order: a sample's result depends only on the triangles over it
  // and their order, so the bands give exactly the one-loop result.
  const int threads = std::max(1, std::min(WorkerThreads(), int(buffer.height)));
  RunOnThreads(threads, [&](int k) {
    const int32_t band0 = int32_t(int64_t(buffer.height) * k / threads),
                  band1 = int32_t(int64_t(buffer.height) * (k + 1) / threads) - 1;
    for (size_t i = 0; i < n; i++) {
      if (k == 0 && i % 100000 == 0) out << "\r" << i << "/" << n << std::flush;
      AslTriangle t;
      if (!PrepareResolve(proj, &tris.vertices[at(i) * 3], buffer.width, buffer.height,
                          ResolveVariant::kPrincipal, &t))
        continue;
      t.row0 = std::max(t.row0, band0);
      t.row1 = std::min(t.row1, band1);
      if (t.row0 > t.row1) continue;
      const int32_t id = tris.ids[at(i)];
      if (order.empty())
        ResolveSamples(buffer, t, ResolveVariant::kPrincipal, id, uint32_t(id));
      else
        ResolveSamplesById(buffer, t, id, uint32_t(id));
    }
  });
  out << "\r" << n << "/" << n << "\n";
  std::fill(run.visible->begin(), run.visible->end(), 0);
  CollectSampleTriangles(buffer, *run.visible);
}

int32_t Cull(const AslRunContext& run) {
  const Frustum frustum = Frustum::FromMatrices(run.buffer->camera->Matrices());
  return CullTriangles(frustum, *run.mesh, nullptr, *run.flags, *run.out);
}

}  // namespace

AslTriangles GatherLiveTriangles(const ObjLoader& mesh, const int32_t* flags, int32_t n) {
  AslTriangles t;
  n = std::min(n, mesh.IdCount());
  for (int32_t id = 0; id < n; id++) {
    if (flags != nullptr && flags[id] == 0) continue;
    Vex3_quarn p[3];
    if (!mesh.TrianglePositions(id, p)) continue;
    t.ids.push_back(id);
    t.vertices.insert(t.vertices.end(), p, p + 3);
  }
  return t;
}

AslTriangles GatherAllTriangles(const ObjLoader& mesh) {
  AslTriangles t;
  const size_t nv = mesh.positions.size();
  int32_t index = 0;
  const size_t groups = std::min(size_t(std::max(mesh.groupCount, 0)), mesh.groupTriangles.size());
  for (size_t g = 0; g < groups; g++) {
    const std::vector<uint32_t>& list = mesh.groupTriangles[g];
    for (size_t k = 0; k + 2 < list.size(); k += 3, index++) {
      if (list[k] >= nv || list[k + 1] >= nv || list[k + 2] >= nv) continue;
      t.ids.push_back(index);
      for (int c = 0; c < 3; c++) t.vertices.push_back(mesh.positions[list[k + c]]);
    }
  }
  return t;
}

AslRunReport AslPasses(const AslRunContext& run, const AslTriangles& tris, const std::string& path,
                       const int* tile) {
  AslRunReport report;
  SampleLocationBuffer& buffer = *run.buffer;
  std::ostream& out = *run.out;
  const Projector proj = BufferProjector(buffer);

  // 1. Centre samples only.
  auto t0 = std::chrono::steady_clock::now();
  DepthPass(run, proj, tris);
  report.centreVisible = WriteVisibleSet(*run.visible, nullptr, out, *run.err);
  report.centreSeconds = SecondsSince(t0);

  // 2. Placement.
  t0 = std::chrono::steady_clock::now();
  // Bands of pixel rows, one per thread: each thread takes every triangle
  // in order but places samples only in its own rows, so every pixel gets
  // its samples exactly as from one loop over the triangles.
  const size_t n = tris.size();
  const int threads = std::max(1, std::min(WorkerThreads(), int(buffer.height)));
  std::vector<int32_t> added(static_cast<size_t>(threads), 0);
  RunOnThreads(threads, [&](int k) {
    const int32_t band0 = int32_t(int64_t(buffer.height) * k / threads),
                  band1 = int32_t(int64_t(buffer.height) * (k + 1) / threads) - 1;
    for (size_t i = 0; i < n; i++) {
      if (k == 0 && i % 1000000 == 0) out << "\r" << i << "/" << n << " processed" << std::flush;
      AslTriangle t;
      if (!PreparePlacement(proj, &tris.vertices[i * 3], buffer.width, buffer.height, &t)) continue;
      t.row0 = std::max(t.row0, band0);
      t.row1 = std::min(t.row1, band1);
      if (t.row0 <= t.row1) added[size_t(k)] += PlaceSamples(buffer, t);
    }
  });
  for (int32_t a : added) report.samplesAdded += a;
  out << "\r" << n << "/" << n << " processed\n";
  if (tile != nullptr)
    buffer.ReportTileStatistics(tile[0], tile[1], *run.err);
  else
    buffer.ReportStatistics(*run.err);
  report.placementSeconds = SecondsSince(t0);

  // 3. Final depth pass on all samples.
  t0 = std::chrono::steady_clock::now();
  DepthPass(run, proj, tris);
  const std::vector<int32_t>* firstGroupIds =
      run.mesh->triangleId && run.mesh->triangleId.size() > 0 ? &run.mesh->triangleId[0] : nullptr;
  report.visible = WriteVisibleSet(*run.visible, path.empty() ? nullptr : path.c_str(), out,
                                   *run.err, run.setIds, firstGroupIds);
  report.finalSeconds = SecondsSince(t0);
  return report;
}

AslRunReport AslFactorRun(const AslRunContext& run, const std::string& path) {
  const int32_t culled = Cull(run);
  const double area = ProjectedAreaStatistics(*run.mesh, run.buffer->camera->Matrices(),
                                              run.flags->data(), *run.out);
  *run.out << "Average area of triangle is " << area << "\n";
  const AslTriangles tris =
      GatherLiveTriangles(*run.mesh, run.flags->data(), int32_t(run.flags->size()));
  AslRunReport report = AslPasses(run, tris, path);
  report.culled = culled;
  report.averageArea = area;
  return report;
}

AslRunReport AslPlainRun(const AslRunContext& run, const std::string& path,
                         const std::string& overridePath) {
  const int32_t culled = Cull(run);
  if (!overridePath.empty() && FileExists(overridePath))
    ReadVisibleSet(*run.flags, overridePath, true, *run.out, *run.err);
  const AslTriangles tris =
      GatherLiveTriangles(*run.mesh, run.flags->data(), int32_t(run.flags->size()));
  AslRunReport report = AslPasses(run, tris, path);
  report.culled = culled;
  return report;
}

void AslPanoramaRun(const AslRunContext& run, const std::vector<AslView>& views,
                    PPC* rasterCamera) {
  for (size_t i = 0; i < views.size(); i++) {
    const std::string& name = views[i].camera;
    PPC cam = run.buffer->camera ? *run.buffer->camera : PPC();
    if (!cam.Load(name, *run.err)) {
      // A stale camera would write a set that belongs to another view.
      *run.err << "ERROR: could not read camera " << layout::CameraFile(name) << "; view " << i + 1
               << " skipped" << std::endl;
      continue;
    }
    cam.SetGLAndCache();
    if (rasterCamera != nullptr) *rasterCamera = cam;
    run.buffer->SetCamera(cam);
    std::fill(run.flags->begin(), run.flags->end(), 1);
    Cull(run);
    const AslTriangles tris =
        GatherLiveTriangles(*run.mesh, run.flags->data(), int32_t(run.flags->size()));
    AslPasses(run, tris, views[i].output);
    run.buffer->Reset();
  }
}

AslRunReport AslTerrainRun(const AslRunContext& run, const std::string& path, int tileColumn,
                           int tileRow) {
  const int tile[2] = {tileColumn, tileRow};
  return AslPasses(run, GatherAllTriangles(*run.mesh), path, tile);
}
