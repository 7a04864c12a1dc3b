#include "FlaggedBinary.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "FileBytes.h"

namespace {
bool Fail(std::ostream& err, ObjLoader& mesh, const std::string& file, const char* what) {
  err << "ERROR: " << file << ": " << what << std::endl;
  mesh.Release();
  return false;
}

bool AllFinite(const std::vector<float>& v) {
  for (float f : v)
    if (!std::isfinite(f)) return false;
  return true;
}

// Reads n triples of floats as Vex3_quarn.
std::vector<Vex3_quarn> Triples(ByteReader& r, size_t n) {
  std::vector<Vex3_quarn> out(n);
  r.ReadArray(out.data(), n);
  return out;
}
}  // namespace

bool ReadFlaggedBinaryData(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh,
                           std::ostream& out, std::ostream& err) {
  ByteReader r(data, size);
  int32_t nv = 0;
  char hasPositions = 0;
  if (!r.Read(&nv) || !r.Read(&hasPositions)) return Fail(err, mesh, fileName, "file ends before its flags");
  if (hasPositions != 'y') {
    err << "INTERNAL ERROR: there should always be vertex xyz data" << std::endl;
    mesh.Release();
    return false;
  }
  char flags[3];
  static const char* const kHave[3] = {"Have color", "Have normal", "Have texcoord"};
  for (int i = 0; i < 3; i++) {
    if (!r.Read(&flags[i])) return Fail(err, mesh, fileName, "file ends before its flags");
    if (flags[i] == 'y') out << kHave[i] << std::endl;
  }
  const bool colors = flags[0] == 'y', normals = flags[1] == 'y', tex = flags[2] == 'y';
  const size_t perVertex = 12 * (1 + colors + normals) + 8 * tex;
  if (nv < 0 || !r.Holds(nv, perVertex)) return Fail(err, mesh, fileName, "vertex count does not fit the file");

  std::vector<Vex3_quarn> positions = Triples(r, size_t(nv));
  std::vector<Vex3_quarn> colorArray, normalArray;
  std::vector<float> texArray;
  if (colors) colorArray = Triples(r, size_t(nv));
  if (normals) normalArray = Triples(r, size_t(nv));
  if (tex) {
    texArray.resize(2 * size_t(nv));
    r.ReadArray(texArray.data(), texArray.size());
  }
  for (const Vex3_quarn& p : positions)
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
      return Fail(err, mesh, fileName, "vertex coordinate is not a finite number");
  if (!AllFinite(texArray)) return Fail(err, mesh, fileName, "texture coordinate is not a finite number");

  int32_t nt = 0;
  if (!r.Read(&nt)) return Fail(err, mesh, fileName, "file ends before the triangle count");
  if (nt < 0 || uint64_t(r.Left()) != 12 * uint64_t(nt)) return Fail(err, mesh, fileName, "file size does not match its counts");
  std::vector<uint32_t> triangles(3 * size_t(nt));
  r.ReadArray(triangles.data(), triangles.size());
  for (uint32_t v : triangles)
    if (v >= uint32_t(nv)) return Fail(err, mesh, fileName, "vertex number out of range");

  mesh.Release();
  mesh.vertexCount = nv;
  mesh.positions = std::move(positions);
  if (colors) mesh.vertexColors.Assign(std::move(colorArray));
  if (normals) mesh.normals.Assign(std::move(normalArray));
  if (tex) mesh.texCoords.Assign(std::move(texArray));
  mesh.groupCount = 1;
  mesh.groupTriCount.Allocate(1, nt);
  mesh.groupMaterial.Allocate(1, 0);
  mesh.groupTriangles.Allocate(1);
  mesh.groupTriangles[0] = std::move(triangles);
  mesh.triangleCount = nt;
  out << nv << " vertices and " << nt << " triangles loaded" << std::endl;
  return true;
}

bool ReadFlaggedBinary(ObjLoader& mesh, const std::string& path, std::ostream& out, std::ostream& err) {
  std::vector<char> bytes;
  FileRead got = ReadFileBytes(path, &bytes);
  if (got == FileRead::kCannotOpen) {
    err << "INFO: cannot open file: " << path << std::endl;
    return false;
  }
  if (got == FileRead::kReadError) return Fail(err, mesh, path, "cannot read file");
  return ReadFlaggedBinaryData(bytes.data(), bytes.size(), path, mesh, out, err);
}

bool WriteFlaggedBinary(const std::string& path, const std::vector<Vex3_quarn>& positions,
                        const std::vector<uint32_t>& triangles) {
  ByteWriter w;
  w.Reserve(12 + 12 * positions.size() + 4 * triangles.size());
  w.Put(int32_t(positions.size()));
  w.PutBytes("ynnn", 4);
  w.PutArray(positions.data(), positions.size());
  w.Put(int32_t(triangles.size() / 3));
  w.PutArray(triangles.data(), triangles.size() / 3 * 3);
  return WriteFileAtomically(path, w.Bytes().data(), w.Bytes().size());
}

bool WriteFlaggedBinary(const std::string& path, const ObjLoader& mesh) {
  std::vector<uint32_t> triangles;
  for (int32_t g = 0; g < mesh.GroupsHeld(); g++) {
    int32_t n = std::max(0, std::min<int32_t>(mesh.groupTriCount[g], int32_t(mesh.groupTriangles[g].size() / 3)));
    triangles.insert(triangles.end(), mesh.groupTriangles[g].begin(), mesh.groupTriangles[g].begin() + 3 * n);
  }
  return WriteFlaggedBinary(path, mesh.positions, triangles);
}
