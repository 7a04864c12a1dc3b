// Shared state of one generator run and the small writers every scene
// builder uses: paths below the root, cameras, visible sets and images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PPC.h"
#include "Workdir.h"

struct GenContext {
  std::string root;  // ends with '/'
  WorkdirManifest* manifest = nullptr;
  bool ok = true;

  std::string Path(const std::string& rel) const { return root + rel; }
  void Fail(const std::string& what);
  void Check(bool written, const std::string& rel) {
    if (!written) Fail(rel);
  }
  void Record(const std::string& key, int vertices, int triangles);

  // A camera file under "Views/" (name as the workbench passes it).
  void SaveCamera(const std::string& name, const PPC& camera);
  // A double-precision camera file at a path relative to the root.
  void SaveCameraD(const std::string& rel, const PPC& camera);
  // A visible-set file through the workbench's writer (its console line is
  // kept off the generator's output).
  void SaveVisibleSet(const std::string& rel, const std::vector<int32_t>& flags);
  // A per-step id list (count, visible count, ids, empty line) through the
  // workbench's writer.
  void SaveIdList(const std::string& rel, const std::vector<int32_t>& flags);
  // An RGB TIFF through the workbench's writer; rows from the bottom.
  void SaveTiff(const std::string& rel, const std::vector<uint32_t>& pixels, int w, int h);
  // A flagged binary mesh (positions only) through the workbench's writer.
  void SaveFlaggedBinary(const std::string& rel, const std::vector<Vex3_quarn>& positions,
                         const std::vector<uint32_t>& triangles);
  void SaveText(const std::string& rel, const std::string& text);
};

// Stand-in results of one view over static geometry: the ids seen by a
// coarse (1/4 size), a medium (1/2) and a fine (full size) raster, written
// as visible sets to each path of the three lists (empty lists are skipped).
void SaveViewSets(GenContext& ctx, const PPC& camera, const std::vector<Vex3_quarn>& positions,
                  const std::vector<uint32_t>& triangles, const std::vector<std::string>& coarse,
                  const std::vector<std::string>& medium, const std::vector<std::string>& fine);

// The view camera of the workbench (55 degrees, 1280 x 720) placed at eye
// looking at target.
PPC LookAt(const Vex3_quarn& eye, const Vex3_quarn& target, const Vex3_quarn& up, float zNear,
           float zFar);
