#include "AslReference.h"

#include <algorithm>
#include <chrono>
#include <fstream>

#include "Asl.h"
#include "Frustum.h"
#include "ObjLoader.h"
#include "PPC.h"
#include "SampleFiles.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Marks every id of a finished band (ids outside the flags are skipped).
void MarkIds(const int32_t* ids, size_t cells, std::vector<int32_t>& found) {
  const int64_t n = int64_t(found.size());
  for (size_t i = 0; i < cells; i++)
    if (ids[i] >= 0 && ids[i] < n) found[size_t(ids[i])] = 1;
}

// The set and its report (a write failure too) go to the caller's stream.
int32_t Finish(std::vector<int32_t>& flags, const std::vector<int32_t>& found,
               VisibleSet* unionSet, const std::string& path, std::ostream& out) {
  flags = found;
  const int32_t visible = WriteVisibleSet(flags, path.c_str(), out, out);
  if (unionSet != nullptr) {
    unionSet->assign(flags.begin(), flags.end());
  }
  return visible;
}

}  // namespace

ReferenceReport AslReference(const ObjLoader& mesh, PPC& camera, int factor,
                             std::vector<int32_t>& flags, VisibleSet* unionSet,
                             const std::string& path, std::ostream& out, size_t bandBytes) {
  ReferenceReport report;
  const auto t0 = std::chrono::steady_clock::now();
  camera.SetGLAndCache();
  if (int32_t(flags.size()) >= mesh.IdCount()) mesh.FacingMarks(camera.eye, flags.data());
  // Cull against the camera that rasters, whatever camera the buffer has.
  const Frustum frustum = Frustum::FromMatrices(camera.Matrices());
  report.culled = CullTriangles(frustum, mesh, nullptr, flags, out);

  const int cw = camera.w * factor;
  std::vector<int32_t> found(flags.size(), 0);
  // The raster reads a mask entry per id of the mesh: ids beyond the flags
  // are not drawn.
  std::vector<int32_t> padded;
  const int32_t* mask = flags.data();
  if (flags.size() < size_t(mesh.IdCount())) {
    padded = flags;
    padded.resize(size_t(mesh.IdCount()), 0);
    mask = padded.data();
  }
  report.bandBytes = TriangleRasterBanded(
      mesh, camera, factor, mask, BandRowsForBudget(cw, bandBytes), 1.0,
      [&](const int32_t* ids, int r0, int r1) { MarkIds(ids, size_t(cw) * size_t(r1 - r0), found); },
      out);
  report.visible = Finish(flags, found, unionSet, path, out);
  report.seconds = SecondsSince(t0);
  return report;
}

ReferenceReport ParticleReference(const PointSetView& points, PPC& camera, float r,
                                  std::vector<int32_t>& flags, VisibleSet* unionSet,
                                  const std::string& path, std::ostream& out, size_t bandBytes) {
  ReferenceReport report;
  const auto t0 = std::chrono::steady_clock::now();
  std::fill(flags.begin(), flags.end(), 1);
  camera.SetGLAndCache();
  PointSetView all = points;
  all.count = std::min(points.count, int32_t(flags.size()));
  all.mask = flags.data();
  const int fw = camera.w * kParticleFine, fh = camera.h * kParticleFine;
  const int rows = std::max(
      1, std::min(BandRowsForBudget(fw, bandBytes, sizeof(int32_t) + sizeof(float)), fh));
  std::vector<int32_t> found(flags.size(), 0), ids;
  std::vector<float> depth;
  for (int r0 = 0; r0 < fh; r0 += rows) {
    const int r1 = std::min(fh, r0 + rows);
    const size_t cells = size_t(fw) * size_t(r1 - r0);
    ids.assign(cells, -1);
    depth.assign(cells, 0.0f);
    report.bandBytes = std::max(report.bandBytes, cells * (sizeof(int32_t) + sizeof(float)));
    ParticleIdsFine(all, ids.data(), depth.data(), camera, r, r0, r1, out);
    MarkIds(ids.data(), cells, found);
  }
  out << "\n";
  report.visible = Finish(flags, found, unionSet, path, out);
  report.seconds = SecondsSince(t0);
  return report;
}

int32_t CentreSampleReference(const AslRunContext& run, const std::string& textPath,
                              const std::string& imagePath) {
  const Frustum frustum = Frustum::FromMatrices(run.buffer->camera->Matrices());
  CullTriangles(frustum, *run.mesh, nullptr, *run.flags, *run.out);
  const AslTriangles tris =
      GatherLiveTriangles(*run.mesh, run.flags->data(), int32_t(run.flags->size()));
  SampleLocationBuffer& buffer = *run.buffer;
  const Projector proj = BufferProjector(buffer);
  buffer.Clear();
  for (size_t i = 0; i < tris.size(); i++) {
    const Vex3_quarn* v = &tris.vertices[i * 3];
    ResolveTriangleAtSamples(buffer, proj, v[0], v[1], v[2], tris.ids[i], uint32_t(tris.ids[i]));
  }
  std::fill(run.visible->begin(), run.visible->end(), 0);
  CollectSampleTriangles(buffer, *run.visible);
  int32_t count = 0;
  std::ofstream file(textPath);
  for (size_t id = 0; id < run.visible->size(); id++) {
    if ((*run.visible)[id] != 1) continue;
    if (file) file << id << "\n";
    count++;
  }
  *run.out << count << " visible triangle detected!\n";
  buffer.ReportStatistics(*run.err);
  if (!imagePath.empty()) WriteSampleIdImage(buffer, imagePath);
  return count;
}
