// The states of a run from files people have: OBJ as common tools write it,
// PLY, glTF/GLB and STL through the Open Asset Import Library, and the
// workbench's own state text, state caches (".rdd") and flagged binary
// meshes. A triangle's identifier is its position in the file: faces in
// file order, each polygon fanned from its first corner into
// (c0, c1, c2), (c0, c2, c3), ...
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "ObjLoader.h"

enum class StateFormat {
  kWorkbenchText,   // 'g solid' + 'usemtl solid<m>_mat' groups, 'f' quads, 't' triangles
  kStateCache,      // "*.rdd"
  kFlaggedBinary,   // "*.bin"
  kStandard,        // anything the importer reads: OBJ, PLY, glTF/GLB, STL, ...
};

// By extension, and for ".obj" by content: a file with 't' lines, or with
// a group line of the workbench's four kinds followed by its usemtl line,
// is the workbench's own dialect.
StateFormat DetectStateFormat(const std::string& path);

// Material number of the one group an imported state is put in.
constexpr int32_t kImportedMaterial = 4;

// One file read by the importer, before it becomes a mesh: the vertices as
// the importer gives them and every polygon fanned, in file order.
struct ImportedMesh {
  std::vector<Vex3_quarn> positions;
  std::vector<uint32_t> triangles;   // three vertex numbers per triangle
  std::vector<uint32_t> faceOfTriangle;  // the file's face each triangle comes from
  int64_t faces = 0;                 // polygons of three or more corners
  int64_t corners = 0;               // their corners
  int64_t skipped = 0;               // points and lines, which are no triangles
};

// False, with `error` holding what is wrong (without the file name), when
// the importer refuses the file or it holds no polygon. Meshes are taken
// in the importer's order (file order), each placed by the transform of
// the first node that shows it.
bool ImportStandardMesh(const std::string& path, ImportedMesh* mesh, std::string* error);

// The states of one run: the first is the topology source, every later
// state shares its triangles and identifiers. False, with one line in
// `error` naming the file and what is wrong, when a file cannot be read
// or a later state differs in vertices or faces. Where the importer gave
// every face corner its own vertex (OBJ, STL), corners at the same place
// in every state get one vertex number again, so that the triangles of a
// shared edge name the same two vertices; no triangle moves or changes.
// The readers' own lines (counts, notes, their errors) go to `log`.
bool LoadRunStates(const std::vector<std::string>& paths, std::vector<ObjLoader>* states,
                   std::string* error, std::ostream& log);
