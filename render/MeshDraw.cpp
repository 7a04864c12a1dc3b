#include "MeshDraw.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "ItemBuffer.h"
#include "cgShader.h"

namespace {

// Texture unit of the per-primitive identifier list, clear of the units the
// shaded passes use.
constexpr int kIdListUnit = 7;

const std::vector<uint32_t>* GroupList(const ObjLoader& mesh, int g) {
  if (!mesh.groupTriangles || size_t(g) >= mesh.groupTriangles.size()) return nullptr;
  return &mesh.groupTriangles[size_t(g)];
}

// Every index of the group's live triangles addresses a position.
bool GroupIndicesValid(const ObjLoader& mesh, int g) {
  const std::vector<uint32_t>* list = GroupList(mesh, g);
  if (list == nullptr) return false;
  size_t n = size_t(LiveCount(mesh, g)) * 3;
  uint32_t limit = uint32_t(mesh.positions.size());
  for (size_t i = 0; i < n; i++)
    if ((*list)[i] >= limit) return false;
  return true;
}

// The lit vertex colours: the topology source's when there is one (every
// state shows the first state's colours), else the mesh's own.
const Vex3_quarn* LitColors(const ObjLoader& mesh, bool preferSource) {
  const ObjLoader* src = mesh.topologySource;
  size_t need = mesh.positions.size();
  if (preferSource && src != nullptr && src->vertexColors.size() >= need)
    return src->vertexColors.data();
  if (mesh.vertexColors.size() >= need) return mesh.vertexColors.data();
  if (src != nullptr && src->vertexColors.size() >= need) return src->vertexColors.data();
  return nullptr;
}

void BeginArrays(const ObjLoader& mesh) {
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(Vex3_quarn), mesh.positions.data());
}

void EndArrays() {
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void DrawGroup(const ObjLoader& mesh, int g) {
  int n = LiveCount(mesh, g);
  if (n <= 0 || !GroupIndicesValid(mesh, g)) return;
  glDrawElements(GL_TRIANGLES, 3 * n, GL_UNSIGNED_INT, GroupList(mesh, g)->data());
}

// Normals as a vertex array, when every vertex has one.
void NormalArray(const ObjLoader& mesh) {
  if (mesh.normals.size() < mesh.positions.size()) return;
  glEnableClientState(GL_NORMAL_ARRAY);
  glNormalPointer(GL_FLOAT, sizeof(Vex3_quarn), mesh.normals.data());
}

// Every group in its group colour (white without one).
void DrawGroupsInTheirColours(const ObjLoader& mesh) {
  for (int g = 0; g < mesh.groupCount; g++) {
    if (mesh.groupColor.size() > size_t(g))
      glColor3fv(&mesh.groupColor[size_t(g)].x);
    else
      glColor3f(1, 1, 1);
    DrawGroup(mesh, g);
  }
}

void Vertex(const ObjLoader& mesh, uint32_t v) { glVertex3fv(&mesh.positions[v].x); }

bool InRange(const ObjLoader& mesh, const uint32_t idx[3]) {
  size_t n = mesh.positions.size();
  return idx[0] < n && idx[1] < n && idx[2] < n;
}

// Walks the live triangles group by group: beginGroup(g) at the start of
// every group, then triangle(id, t) for each triangle whose mask entry is
// set and whose vertex indices t address positions.
template <typename BeginGroup, typename Triangle>
void ForEachMaskedTriangle(const ObjLoader& mesh, IdMask mask, BeginGroup beginGroup,
                           Triangle triangle) {
  for (int g = 0; g < mesh.groupCount; g++) {
    int n = LiveCount(mesh, g);
    const std::vector<uint32_t>* list = GroupList(mesh, g);
    beginGroup(g);
    for (int k = 0; k < n; k++) {
      int32_t id = mesh.IdOf(g, k);
      if (id < 0 || !mask.Has(id)) continue;
      const uint32_t* t = list->data() + 3 * size_t(k);
      if (InRange(mesh, t)) triangle(id, t);
    }
  }
}
template <typename Triangle>
void ForEachMaskedTriangle(const ObjLoader& mesh, IdMask mask, Triangle triangle) {
  ForEachMaskedTriangle(mesh, mask, [](int) {}, triangle);
}

// GL objects of the batched identifier draw, made on first use in the
// (shared) context.
struct IdListObjects {
  GLuint buffer = 0;
  GLuint texture = 0;
};
IdListObjects& IdObjects() {
  static IdListObjects objects;
  if (objects.buffer == 0) {
    glGenBuffers(1, &objects.buffer);
    glGenTextures(1, &objects.texture);
  }
  return objects;
}

}  // namespace

int LiveCount(const ObjLoader& mesh, int g) {
  const std::vector<uint32_t>* list = GroupList(mesh, g);
  if (list == nullptr || !mesh.groupTriCount || size_t(g) >= mesh.groupTriCount.size()) return 0;
  int n = mesh.groupTriCount[size_t(g)];
  int stored = int(list->size() / 3);
  return n < 0 ? 0 : (n > stored ? stored : n);
}

void BuildIdList(const ObjLoader& mesh, IdMask mask, IdList* out) {
  out->indices.clear();
  out->theIDs.clear();
  ForEachMaskedTriangle(mesh, mask, [&](int32_t id, const uint32_t* t) {
    out->indices.insert(out->indices.end(), t, t + 3);
    out->theIDs.push_back(id + 1);
  });
}

void DrawIdsPerTriangle(const ObjLoader& mesh, const cgShader& shader, IdMask mask) {
  cgParameter theID = shader.GetGeometryParameter("theID");
  IdList list;
  BuildIdList(mesh, mask, &list);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  BeginArrays(mesh);
  for (size_t i = 0; i < list.theIDs.size(); i++) {
    SetParameter1i(theID, list.theIDs[i]);
    glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_INT, list.indices.data() + 3 * i);
  }
  EndArrays();
}

bool DrawIdsBatched(const ObjLoader& mesh, const cgShader& shader, IdMask mask,
                    size_t maxPerCall) {
  cgParameter listParam = shader.FindParameter(cgShader::kGeometry, "theIDList");
  cgParameter theID = shader.FindParameter(cgShader::kGeometry, "theID");
  if (!listParam || !theID) return false;
  // Kept between drawings: truth runs draw hundreds of item buffers, and a
  // list of a million triangles is 16 MB.
  static thread_local IdList list;
  BuildIdList(mesh, mask, &list);
  if (list.theIDs.empty()) return true;

  // The identifiers go to a buffer texture that the geometry stage reads
  // at gl_PrimitiveIDIn (counted from 0 in each draw call); theID 0 tells
  // it to. Lists longer than a buffer texture may hold go in several calls.
  GLint maxTexels = 0;
  glGetIntegerv(GL_MAX_TEXTURE_BUFFER_SIZE, &maxTexels);
  size_t chunk = maxTexels > 0 ? size_t(maxTexels) : size_t(1) << 16;
  if (maxPerCall > 0) chunk = std::min(chunk, maxPerCall);
  IdListObjects& objects = IdObjects();
  glActiveTexture(GL_TEXTURE0 + kIdListUnit);
  glBindTexture(GL_TEXTURE_BUFFER, objects.texture);
  SetParameter1i(listParam, kIdListUnit);
  SetParameter1i(theID, 0);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  BeginArrays(mesh);
  for (size_t first = 0; first < list.theIDs.size(); first += chunk) {
    const size_t n = std::min(chunk, list.theIDs.size() - first);
    glBindBuffer(GL_TEXTURE_BUFFER, objects.buffer);
    glBufferData(GL_TEXTURE_BUFFER, GLsizeiptr(n * sizeof(int32_t)), list.theIDs.data() + first,
                 GL_STREAM_DRAW);
    glBindBuffer(GL_TEXTURE_BUFFER, 0);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_R32I, objects.buffer);
    glDrawElements(GL_TRIANGLES, GLsizei(3 * n), GL_UNSIGNED_INT, list.indices.data() + 3 * first);
  }
  EndArrays();

  glBindTexture(GL_TEXTURE_BUFFER, 0);
  glActiveTexture(GL_TEXTURE0);
  return true;
}

void DrawIds(const ObjLoader& mesh, const cgShader& shader, IdMask mask) {
  if (!DrawIdsBatched(mesh, shader, mask)) DrawIdsPerTriangle(mesh, shader, mask);
}

void DrawColors(ObjLoader& mesh, IdMask mask) {
  if (mesh.shadingMode == shading::kFlat) {
    if (!mesh.triangleColors) mesh.BuildTriangleColors();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(3);
    glBegin(GL_TRIANGLES);
    ForEachMaskedTriangle(mesh, mask, [&](int32_t id, const uint32_t* t) {
      if (mask.flags != nullptr && size_t(id) < mesh.triangleColors.size())
        glColor3fv(&mesh.triangleColors[size_t(id)].x);
      else
        glColor3f(0, 0, 0);
      Vertex(mesh, t[0]);
      Vertex(mesh, t[1]);
      Vertex(mesh, t[2]);
    });
    glEnd();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(1);
    return;
  }
  glClear(GL_DEPTH_BUFFER_BIT);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  const Vex3_quarn* colors = LitColors(mesh, true);
  glBegin(GL_TRIANGLES);
  ForEachMaskedTriangle(
      mesh, mask,
      [&](int g) {
        // Object lists have no lit vertex colours: their group colours stand in.
        if (colors == nullptr && mesh.groupColor.size() > size_t(g))
          glColor3fv(&mesh.groupColor[size_t(g)].x);
      },
      [&](int32_t, const uint32_t* t) {
        for (int j = 0; j < 3; j++) {
          if (colors != nullptr) glColor3fv(&colors[t[j]].x);
          Vertex(mesh, t[j]);
        }
      });
  glEnd();
}

void DrawMaterials(const ObjLoader& mesh, const cgShader* shader, std::ostream& out) {
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glDisable(GL_LIGHTING);
  BeginArrays(mesh);
  if (mesh.shadingMode == shading::kFlat) {
    for (int g = 0; g < mesh.groupCount; g++) {
      int material = mesh.groupMaterial.size() > size_t(g) ? mesh.groupMaterial[size_t(g)] : 0;
      if (shader != nullptr) {
        SetParameter1i(shader->GetFragmentParameter("MATERIAL_TYPE"), material);
      } else {
        Vex3_quarn c = mesh.MaterialColor(material);
        glColor3f(c.x, c.y, c.z);
      }
      DrawGroup(mesh, g);
    }
  } else if (mesh.shadingMode == shading::kObjectList) {
    // The colours as given, lit by the program.
    if (shader != nullptr) SetParameter1i(shader->FindParameter(cgShader::kFragment, "MATERIAL_TYPE"), -2);
    NormalArray(mesh);
    DrawGroupsInTheirColours(mesh);
    out << "render done" << std::endl;
  } else {
    // Already lit vertex colours: the program passes them through.
    if (shader != nullptr) SetParameter1i(shader->FindParameter(cgShader::kFragment, "MATERIAL_TYPE"), -1);
    const Vex3_quarn* colors = LitColors(mesh, false);
    if (colors != nullptr) {
      glEnableClientState(GL_COLOR_ARRAY);
      glColorPointer(3, GL_FLOAT, sizeof(Vex3_quarn), colors);
    }
    for (int g = 0; g < mesh.groupCount; g++) DrawGroup(mesh, g);
  }
  EndArrays();
}

void DrawTextured(const ObjLoader& mesh, std::ostream& out) {
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glDisable(GL_LIGHTING);
  BeginArrays(mesh);
  NormalArray(mesh);
  if (mesh.texCoords.size() >= 2 * mesh.positions.size()) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, mesh.texCoords.data());
  }
  DrawGroupsInTheirColours(mesh);
  EndArrays();
  out << "render done" << std::endl;
}

void DrawRestricted(const ObjLoader& mesh, IdMask list, const cgShader* shader) {
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  cgParameter material;
  if (shader != nullptr && mesh.shadingMode == shading::kFlat)
    material = shader->GetFragmentParameter("MATERIAL_TYPE");
  else if (shader != nullptr)
    SetParameter1i(shader->FindParameter(cgShader::kFragment, "MATERIAL_TYPE"),
                   mesh.shadingMode == shading::kObjectList ? -2 : -1);
  const Vex3_quarn* colors =
      mesh.shadingMode == shading::kLitVertexColours ? LitColors(mesh, false) : nullptr;
  bool vertexNormals =
      mesh.shadingMode == shading::kObjectList && mesh.normals.size() >= mesh.positions.size();
  int current = -1;  // group whose material / colour is set
  bool open = false;
  int32_t ids = mesh.IdCount();
  for (int32_t id = 0; id < ids; id++) {
    if (!list.Has(id)) continue;
    uint32_t t[3];
    if (!mesh.TriangleVertices(id, t) || !InRange(mesh, t)) continue;
    int g = mesh.groupOfTriangle.size() > size_t(id) ? mesh.groupOfTriangle[size_t(id)] : 0;
    if (g != current && mesh.shadingMode != shading::kLitVertexColours) {
      current = g;
      if (mesh.shadingMode == shading::kFlat && material) {
        // A uniform cannot change inside glBegin/glEnd.
        if (open) glEnd();
        open = false;
        SetParameter1i(material, mesh.groupMaterial.size() > size_t(g)
                                     ? mesh.groupMaterial[size_t(g)] : 0);
      } else if (mesh.shadingMode == shading::kObjectList) {
        if (g >= 0 && mesh.groupColor.size() > size_t(g))
          glColor3fv(&mesh.groupColor[size_t(g)].x);
      }
    }
    if (!open) glBegin(GL_TRIANGLES);
    open = true;
    for (int j = 0; j < 3; j++) {
      if (colors != nullptr) glColor3fv(&colors[t[j]].x);
      if (vertexNormals) glNormal3fv(&mesh.normals[t[j]].x);
      Vertex(mesh, t[j]);
    }
  }
  if (open) glEnd();
}

void DrawTid(const ObjLoader& mesh, int renderingFactor, std::ostream& out) {
  int step = renderingFactor > 0 ? renderingFactor : 1;
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glBegin(GL_TRIANGLES);
  int32_t running = 0;
  for (int g = 0; g < mesh.groupCount; g++) {
    int n = LiveCount(mesh, g);
    const std::vector<uint32_t>* list = GroupList(mesh, g);
    for (int k = 0; k < n; k++, running++) {
      if (running > 0 && running % 1000000 == 0) {
        out << "\r" << running << "/" << mesh.triangleCount << std::flush;
      }
      if (running % step != 0) continue;
      int32_t id = mesh.IdOf(g, k);
      const uint32_t* t = list->data() + 3 * size_t(k);
      if (id < 0 || !InRange(mesh, t)) continue;
      uint8_t rgba[4];
      EncodeByteId(id, rgba);
      glColor4ubv(rgba);
      Vertex(mesh, t[0]);
      Vertex(mesh, t[1]);
      Vertex(mesh, t[2]);
    }
  }
  glEnd();
  out << "\n" << std::flush;
}

void DrawPoints(const ObjLoader& mesh, int renderingFactor) {
  int step = renderingFactor > 0 ? renderingFactor : 1;
  glBegin(GL_POINTS);
  for (size_t i = 0; i < mesh.positions.size(); i += size_t(step)) {
    const Vex3_quarn& p = mesh.positions[i];
    glColor3f(p.x / 2047.0f, p.y / 2047.0f, p.z / 1039.0f - 0.4f);
    glVertex3fv(&p.x);
  }
  glEnd();
}

void DrawRaster(const ObjLoader& mesh, const IdMask* list, std::ostream& out) {
  glDisable(GL_LIGHTING);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  BeginArrays(mesh);
  if (mesh.groupCount > 0 && list == nullptr) {
    DrawGroup(mesh, 0);
  } else if (mesh.groupCount > 0) {
    int n = LiveCount(mesh, 0);
    const std::vector<uint32_t>* tris = GroupList(mesh, 0);
    int drawn = 0;
    glBegin(GL_TRIANGLES);
    for (int k = 0; k < n; k++) {
      if (k > 0 && k % 100000 == 0) {
        out << "\rDone with " << k << "/" << n << std::flush;
      }
      int32_t id = mesh.IdOf(0, k);
      const uint32_t* t = tris->data() + 3 * size_t(k);
      if (!list->Has(id) || !InRange(mesh, t)) continue;
      Vertex(mesh, t[0]);
      Vertex(mesh, t[1]);
      Vertex(mesh, t[2]);
      drawn++;
    }
    glEnd();
    out << "\r " << drawn << " triangles rendered \n" << std::flush;
  }
  EndArrays();
}
