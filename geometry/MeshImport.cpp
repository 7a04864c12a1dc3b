#include "MeshImport.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numeric>
#include <sstream>

#include "FileBytes.h"
#include "FlaggedBinary.h"
#include "StateCache.h"
#include "StateReader.h"

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// The workbench dialect names its groups by four kinds, each followed by
// "usemtl <kind><m>_mat", and may list triangles as 't' lines. Common OBJ
// files have neither.
bool LooksLikeWorkbenchText(const std::string& path) {
  std::ifstream in(path);
  std::string line, previous;
  static const char* const kKinds[] = {"solid", "shell", "beams", "cubes"};
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 1 && line[0] == 't' && (line[1] == ' ' || line[1] == '\t')) return true;
    if (previous.compare(0, 2, "g ") == 0 && line.compare(0, 7, "usemtl ") == 0) {
      // "usemtl <kind><m>_mat" exactly.
      for (const char* kind : kKinds) {
        if (previous.compare(2, 5, kind) != 0 || line.compare(7, 5, kind) != 0) continue;
        size_t i = 12;
        if (i < line.size() && line[i] == '-') i++;
        const size_t digits = i;
        while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) i++;
        if (i > digits && line.compare(i, std::string::npos, "_mat") == 0) return true;
      }
    }
    previous = line;
  }
  return false;
}

// Global transform of the first node showing each mesh (identity for a
// mesh no node shows).
void NodeTransforms(const aiNode* node, const aiMatrix4x4& parent,
                    std::vector<aiMatrix4x4>* transforms, std::vector<bool>* placed) {
  const aiMatrix4x4 global = parent * node->mTransformation;
  for (unsigned i = 0; i < node->mNumMeshes; i++) {
    const unsigned m = node->mMeshes[i];
    if (m < placed->size() && !(*placed)[m]) {
      (*transforms)[m] = global;
      (*placed)[m] = true;
    }
  }
  for (unsigned i = 0; i < node->mNumChildren; i++)
    NodeTransforms(node->mChildren[i], global, transforms, placed);
}

void PutImported(const ImportedMesh& in, ObjLoader& mesh) {
  mesh.Release();
  mesh.shadingMode = shading::kFlat;
  mesh.vertexCount = int32_t(in.positions.size());
  mesh.positions = in.positions;
  mesh.groupCount = 1;
  const int32_t n = int32_t(in.triangles.size() / 3);
  mesh.groupTriCount.Allocate(1, n);
  mesh.groupMaterial.Allocate(1, kImportedMaterial);
  mesh.groupTriangles.Allocate(1);
  mesh.groupTriangles[0] = in.triangles;
  mesh.triangleCount = n;
}

// Corner vertices that sit at the same place in every state become one:
// the first of them by number.
void JoinSplitCorners(const std::vector<std::vector<Vex3_quarn>>& states,
                      std::vector<uint32_t>* triangles) {
  const size_t nv = states[0].size();
  auto samePlace = [&](uint32_t a, uint32_t b) {
    for (const std::vector<Vex3_quarn>& p : states)
      if (std::memcmp(&p[a], &p[b], sizeof(Vex3_quarn)) != 0) return false;
    return true;
  };
  std::vector<uint32_t> order(nv);
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    for (const std::vector<Vex3_quarn>& p : states) {
      const int c = std::memcmp(&p[a], &p[b], sizeof(Vex3_quarn));
      if (c != 0) return c < 0;
    }
    return a < b;
  });
  std::vector<uint32_t> same(nv);
  for (size_t i = 0; i < nv; i++)
    same[order[i]] = i > 0 && samePlace(order[i - 1], order[i]) ? same[order[i - 1]] : order[i];
  for (uint32_t& v : *triangles) v = same[v];
}

std::string Describe(const std::string& file, const std::string& what) { return file + ": " + what; }

// A reader's last error line, which names the file (and line) itself;
// `fallback` when it printed none.
std::string ReaderError(const std::string& said, const std::string& fallback) {
  std::istringstream lines(said);
  std::string line, last;
  while (std::getline(lines, line)) {
    const size_t at = line.find("ERROR: ");
    if (at != std::string::npos) last = line.substr(at + 7);
  }
  return last.empty() ? fallback : last;
}

}  // namespace

StateFormat DetectStateFormat(const std::string& path) {
  const std::string name = Lower(path);
  if (EndsWith(name, ".rdd")) return StateFormat::kStateCache;
  if (EndsWith(name, ".bin")) return StateFormat::kFlaggedBinary;
  if (EndsWith(name, ".obj") && LooksLikeWorkbenchText(path)) return StateFormat::kWorkbenchText;
  return StateFormat::kStandard;
}

bool ImportStandardMesh(const std::string& path, ImportedMesh* out, std::string* error) {
  *out = ImportedMesh();
  Assimp::Importer importer;
  // No post-processing: joining identical vertices, sorting by primitive
  // type or triangulating would renumber, reorder or re-cut the faces, and
  // the faces' order is what names the triangles.
  const aiScene* scene = importer.ReadFile(path, 0);
  if (scene == nullptr) {
    *error = importer.GetErrorString();
    if (error->empty()) *error = "the importer cannot read it";
    return false;
  }
  std::vector<aiMatrix4x4> transforms(scene->mNumMeshes);
  std::vector<bool> placed(scene->mNumMeshes, false);
  if (scene->mRootNode) NodeTransforms(scene->mRootNode, aiMatrix4x4(), &transforms, &placed);
  for (unsigned m = 0; m < scene->mNumMeshes; m++) {
    const aiMesh* mesh = scene->mMeshes[m];
    const size_t base = out->positions.size();
    if (base + mesh->mNumVertices > size_t(INT32_MAX)) {
      *error = "more vertices than a state may hold";
      return false;
    }
    for (unsigned v = 0; v < mesh->mNumVertices; v++) {
      const aiVector3D p = transforms[m] * mesh->mVertices[v];
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
        *error = "vertex " + std::to_string(base + v + 1) + " is not a finite point";
        return false;
      }
      out->positions.emplace_back(p.x, p.y, p.z);
    }
    for (unsigned f = 0; f < mesh->mNumFaces; f++) {
      const aiFace& face = mesh->mFaces[f];
      if (face.mNumIndices < 3) {
        out->skipped++;
        continue;
      }
      for (unsigned k = 0; k < face.mNumIndices; k++) {
        if (face.mIndices[k] >= mesh->mNumVertices) {
          *error = "face " + std::to_string(out->faces + 1) + " names vertex " +
                   std::to_string(face.mIndices[k] + 1) + " of " +
                   std::to_string(mesh->mNumVertices);
          return false;
        }
      }
      for (unsigned k = 1; k + 1 < face.mNumIndices; k++) {
        out->triangles.push_back(uint32_t(base + face.mIndices[0]));
        out->triangles.push_back(uint32_t(base + face.mIndices[k]));
        out->triangles.push_back(uint32_t(base + face.mIndices[k + 1]));
        out->faceOfTriangle.push_back(uint32_t(out->faces));
      }
      out->faces++;
      out->corners += face.mNumIndices;
      if (out->triangles.size() / 3 > size_t(INT32_MAX)) {
        *error = "more triangles than a state may hold";
        return false;
      }
    }
  }
  if (out->triangles.empty()) {
    *error = "holds no polygon";
    return false;
  }
  return true;
}

bool LoadRunStates(const std::vector<std::string>& paths, std::vector<ObjLoader>* states,
                   std::string* error, std::ostream& log) {
  *states = std::vector<ObjLoader>(paths.size());
  if (paths.empty()) {
    *error = "no state file given";
    return false;
  }
  std::vector<ImportedMesh> imported(paths.size());
  std::vector<StateFormat> formats(paths.size());
  for (size_t i = 0; i < paths.size(); i++) {
    const std::string& path = paths[i];
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
      std::fclose(f);
    } else {
      *error = Describe(path, std::string("cannot be opened (") + std::strerror(errno) + ")");
      return false;
    }
    ObjLoader& mesh = (*states)[i];
    mesh.shadingMode = shading::kFlat;
    formats[i] = DetectStateFormat(path);
    switch (formats[i]) {
      case StateFormat::kStandard: {
        std::string why;
        if (!ImportStandardMesh(path, &imported[i], &why)) {
          *error = Describe(path, why);
          return false;
        }
        PutImported(imported[i], mesh);
        break;
      }
      case StateFormat::kWorkbenchText: {
        std::ostringstream said;
        StateTextNotes notes;
        const bool read = ReadStateFile(mesh, path, said, &notes);
        log << said.str();
        if (!read) {
          *error = ReaderError(said.str(), Describe(path, "is not a readable workbench state file"));
          return false;
        }
        if (mesh.triangleCount <= 0 && i == 0) {
          *error = Describe(path, "holds no triangle: " + WhyNoTriangle(mesh, notes));
          return false;
        }
        break;
      }
      case StateFormat::kFlaggedBinary: {
        std::ostringstream said;
        const bool read = ReadFlaggedBinary(mesh, path, log, said);
        log << said.str();
        if (!read) {
          *error = ReaderError(said.str(), Describe(path, "is not a readable flagged binary mesh"));
          return false;
        }
        break;
      }
      case StateFormat::kStateCache: {
        std::vector<char> bytes;
        if (ReadFileBytes(path, &bytes) != FileRead::kOk) {
          *error = Describe(path, "cannot be read");
          return false;
        }
        // Nothing in a cache says how it was written: a first state's
        // stands alone, a later state's needs the first state's triangles,
        // and either holds normals exactly when written in shading mode 0.
        ObjLoader* source = i > 0 ? &(*states)[0] : nullptr;
        bool read = false;
        std::ostringstream said;
        for (ObjLoader* s : {static_cast<ObjLoader*>(nullptr), source}) {
          for (uint8_t mode : {shading::kLitVertexColours, shading::kFlat}) {
            if (read) continue;
            mesh.shadingMode = mode;
            read = ReadStateCache(bytes.data(), bytes.size(), path, mesh, s, said);
          }
          if (read || source == nullptr) break;
        }
        if (!read) {
          log << said.str();
          *error = Describe(path, "is not a readable state cache (written for another first "
                                  "state, or damaged)");
          return false;
        }
        mesh.shadingMode = shading::kFlat;
        break;
      }
    }
    if (mesh.vertexCount <= 0 || mesh.triangleCount <= 0) {
      *error = Describe(path, "holds no triangle");
      return false;
    }
  }

  // Later states must have the first one's vertices and faces.
  const std::string& firstName = paths[0];
  ObjLoader& first = (*states)[0];
  for (size_t i = 1; i < paths.size(); i++) {
    const ObjLoader& s = (*states)[i];
    if (s.vertexCount != first.vertexCount) {
      *error = Describe(paths[i], std::to_string(s.vertexCount) + " vertices, " + firstName +
                                      " has " + std::to_string(first.vertexCount));
      return false;
    }
    if (formats[i] == StateFormat::kStandard || formats[0] == StateFormat::kStandard) {
      const bool both = formats[i] == StateFormat::kStandard && formats[0] == StateFormat::kStandard;
      const int64_t facesA = both ? imported[0].faces : first.triangleCount;
      const int64_t facesB = both ? imported[i].faces : s.triangleCount;
      if (facesA != facesB || s.groupCount != 1 || first.groupCount != 1) {
        *error = Describe(paths[i], std::to_string(facesB) + " faces, " + firstName + " has " +
                                        std::to_string(facesA));
        return false;
      }
      const std::vector<uint32_t>& a = first.groupTriangles[0];
      const std::vector<uint32_t>& b = s.groupTriangles[0];
      for (size_t k = 0; k < std::max(a.size(), b.size()); k += 3) {
        if (k + 2 < a.size() && k + 2 < b.size() && std::equal(&a[k], &a[k] + 3, &b[k])) continue;
        const size_t face = both ? imported[i].faceOfTriangle[std::min(k, b.size() - 3) / 3] : k / 3;
        *error = Describe(paths[i], "face " + std::to_string(face + 1) + " differs from face " +
                                        std::to_string(face + 1) + " of " + firstName +
                                        " in its corners");
        return false;
      }
    }
  }

  // Re-join the corners the importer split, before the later states share
  // the first state's lists.
  if (formats[0] == StateFormat::kStandard &&
      int64_t(first.positions.size()) == imported[0].corners) {
    std::vector<std::vector<Vex3_quarn>> all;
    for (const ObjLoader& s : *states) all.push_back(s.positions);
    first.groupTriangles.MakeUnique();
    JoinSplitCorners(all, &first.groupTriangles[0]);
  }
  if (!first.HasIdTables()) first.AssignIds(nullptr);
  for (size_t i = 1; i < paths.size(); i++) {
    ObjLoader& s = (*states)[i];
    if (s.topologySource == &first) continue;  // a later state's cache
    std::ostringstream said;
    const bool fits = s.UseSourceTopology(first, paths[i], said);
    log << said.str();
    if (!fits) {
      *error = ReaderError(said.str(), Describe(paths[i], "does not fit the triangles of " + firstName));
      return false;
    }
  }
  for (size_t i = 0; i < states->size(); i++) (*states)[i].stateIndex = int32_t(i);
  return true;
}
