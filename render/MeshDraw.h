// GL drawing of a mesh: identifiers for the item buffers, colours, the
// materials and restricted forms of the shaded passes, the byte-encoded
// identifiers, points and the raster form. All draw from the mesh's current
// positions and only its live triangles (the first groupTriCount[g] of each
// group).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <vector>

#include "ObjLoader.h"

class cgShader;

// A per-identifier flag array; no array means every entry is set, an
// identifier beyond the array is not set.
struct IdMask {
  const int32_t* flags = nullptr;
  size_t count = 0;

  IdMask() = default;
  IdMask(const int32_t* f, size_t n) : flags(f), count(n) {}
  IdMask(const std::vector<int32_t>& v) : flags(v.data()), count(v.size()) {}  // NOLINT
  static IdMask All() { return IdMask(); }
  bool Has(int32_t id) const {
    if (flags == nullptr) return true;
    return id >= 0 && size_t(id) < count && flags[id] != 0;
  }
};

// Live triangles of group g (the count clamped to the stored list).
int LiveCount(const ObjLoader& mesh, int g);

// Triangles whose mask entry is set, in drawing order (groups in order,
// triangles within each): their vertex indices and their theID (id + 1).
// Triangles with a vertex index outside the positions are left out.
struct IdList {
  std::vector<uint32_t> indices;
  std::vector<int32_t> theIDs;
};
void BuildIdList(const ObjLoader& mesh, IdMask mask, IdList* list);

// Item-buffer drawing: every masked live triangle with theID = id + 1, the
// shader bound. Whole lists go to GL in one call when the program offers
// the per-primitive identifier list ("theIDList"); otherwise one draw per
// triangle with "theID" set for each.
void DrawIds(const ObjLoader& mesh, const cgShader& shader, IdMask mask);
// The same, always one triangle per draw call.
void DrawIdsPerTriangle(const ObjLoader& mesh, const cgShader& shader, IdMask mask);
// The same, always one call for the whole list, or for each maxPerCall
// triangles of it when given (false when the program has no identifier
// list, nothing drawn).
bool DrawIdsBatched(const ObjLoader& mesh, const cgShader& shader, IdMask mask,
                    size_t maxPerCall = 0);

// The mesh's colour drawing: in shading mode 1 outlines of width 3 (flat
// colours with a mask, black without); otherwise, after a depth clear,
// filled triangles with the lit vertex colours (the topology source's when
// there is one).
void DrawColors(ObjLoader& mesh, IdMask mask);

// Whole groups by shading mode; prints "render done" on `out` in mode 3.
void DrawMaterials(const ObjLoader& mesh, const cgShader* shader, std::ostream& out);
// Mode 3 with texture coordinates as well (the city scene); prints
// "render done" on `out`.
void DrawTextured(const ObjLoader& mesh, std::ostream& out);
// Immediate-mode triangles of the identifiers whose list entry is set.
void DrawRestricted(const ObjLoader& mesh, IdMask list, const cgShader* shader);
// Byte-encoded identifiers, every renderingFactor-th live triangle, with
// progress on `out`.
void DrawTid(const ObjLoader& mesh, int renderingFactor, std::ostream& out);
// Points at every renderingFactor-th vertex.
void DrawPoints(const ObjLoader& mesh, int renderingFactor);
// The first group: the triangles whose list entry is set (with progress),
// or all of them in one call when `list` is null.
void DrawRaster(const ObjLoader& mesh, const IdMask* list, std::ostream& out);
