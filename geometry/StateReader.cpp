// State text reader. One pass over the text held in memory gives what the
// three passes over a well-formed file give (count, vertices, faces per
// group); the layout rules those passes rely on are checked instead of
// assumed: vertices before faces, faces after a vertex, every line within
// 1023 characters, a usemtl line after every named group, at most 6000
// groups, vertex numbers in range and finite coordinates.
#include "StateReader.h"

#include <cmath>
#include <cstring>
#include <ostream>
#include <vector>

#include "FileBytes.h"
#include "TextScan.h"

namespace {
constexpr size_t kMaxLine = 1023;

struct Group {
  std::vector<uint32_t> triangles;
  int32_t material = 0;
};

class StateText {
 public:
  StateText(const std::string& fileName, std::ostream& err, StateTextNotes* notes)
      : file_(fileName), err_(err), notes_(notes) {}
  bool Parse(const char* data, size_t size);
  void MoveInto(ObjLoader& mesh);

 private:
  bool Fail(const char* what) {
    err_ << "ERROR: " << file_ << ":" << line_ << ": " << what << "\n";
    err_.flush();
    return false;
  }
  bool Vertex(const char* b, const char* e);
  bool NamedGroup(LineSplitter& lines, const char* b, const char* e);
  bool Face(const char* b, const char* e);

  const std::string& file_;
  std::ostream& err_;
  StateTextNotes* notes_;
  int line_ = 0;
  bool sawFace_ = false;
  int64_t triangles_ = 0;
  std::vector<Vex3_quarn> positions_;
  std::vector<Group> groups_;
};

bool StateText::Parse(const char* data, size_t size) {
  LineSplitter lines(data, size);
  const char *b, *e;
  while (lines.Next(&b, &e)) {
    line_ = lines.Number();
    if (size_t(e - b) > kMaxLine) return Fail("line longer than 1023 characters");
    if (b == e) continue;
    bool ok = true;
    switch (*b) {
      case 'v': ok = Vertex(b, e); break;
      case 'g': ok = NamedGroup(lines, b, e); break;
      case 'f':
      case 't': ok = Face(b, e); break;
      case 'o':
        if (notes_) notes_->objectLines++;
        break;
      default: break;
    }
    if (!ok) return false;
  }
  return true;
}

bool StateText::Vertex(const char* b, const char* e) {
  if (sawFace_) return Fail("vertex line after face lines");
  if (positions_.size() >= size_t(INT32_MAX)) return Fail("too many vertices");
  Scan s(b + 1, e);
  Vex3_quarn v;
  if (!s.Float(&v.x) || !s.Float(&v.y) || !s.Float(&v.z)) return Fail("bad vertex line");
  if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
    return Fail("vertex coordinate is not a finite number");
  positions_.push_back(v);
  return true;
}

bool StateText::NamedGroup(LineSplitter& lines, const char* b, const char* e) {
  if (groups_.size() >= size_t(kMaxStateGroups)) return Fail("more than 6000 groups");
  Group group;
  static const char* const kKinds[] = {"solid", "shell", "beams", "cubes"};
  for (const char* kind : kKinds) {
    if (e - b < 7 || std::memcmp(b, "g ", 2) != 0 || std::memcmp(b + 2, kind, 5) != 0) continue;
    // "usemtl <kind>%d_mat" on the next line gives the material number.
    const char *mb, *me;
    if (!lines.Next(&mb, &me)) return Fail("group line without its usemtl line");
    line_ = lines.Number();
    if (size_t(me - mb) > kMaxLine) return Fail("line longer than 1023 characters");
    Scan s(mb, me);
    int64_t material = 0;
    bool ok = s.Literal("usemtl");
    s.SkipSpace();
    ok = ok && s.Literal(kind) && s.Int(&material);
    if (!ok) return Fail("group line without its usemtl line");
    if (material < INT32_MIN || material > INT32_MAX) return Fail("material number out of range");
    group.material = int32_t(material);
    break;
  }
  groups_.push_back(std::move(group));
  return true;
}

bool StateText::Face(const char* b, const char* e) {
  if (positions_.empty()) return Fail("face line before any vertex");
  sawFace_ = true;
  Scan s(b + 1, e);
  int64_t n[4];
  int got = 0;
  const int want = *b == 'f' ? 4 : 3;
  while (got < want && s.Int(&n[got])) got++;
  if (got < 3) return Fail("bad face line");
  if (notes_) notes_->faceLines++;
  // Faces before the first group belong to no group.
  if (groups_.empty()) {
    if (notes_ && notes_->facesOutsideGroups++ == 0) notes_->firstOutsideLine = line_;
    return true;
  }
  int64_t a = n[0] - 1, bb = n[1] - 1, c = n[2] - 1;
  // "f a b c" is a triangle: its fourth corner repeats the third.
  int64_t d = (*b == 'f' && got == 4) ? n[3] - 1 : c;
  int64_t tri[6];
  int stored = 0;
  if (*b == 't') {
    tri[0] = a, tri[1] = bb, tri[2] = c;
    stored = 1;
  } else {
    if (a == bb) bb = c, c = d;  // drop the repeated corner
    if (a == bb || bb == c || a == c) {
      if (a == bb) err_ << "3 same id in one quad, what's the problem\n";
      if (a == c) err_ << "This is a line dude\n";
    } else {
      tri[0] = a, tri[1] = bb, tri[2] = c;
      stored = 1;
      if (d != a && d != bb && d != c) {
        tri[3] = c, tri[4] = d, tri[5] = a;
        stored = 2;
      }
    }
  }
  const int64_t nv = int64_t(positions_.size());
  for (int i = 0; i < 3 * stored; i++)
    if (tri[i] < 0 || tri[i] >= nv) return Fail("vertex number out of range");
  std::vector<uint32_t>& list = groups_.back().triangles;
  triangles_ += stored;
  if (triangles_ > INT32_MAX) return Fail("too many triangles");
  for (int i = 0; i < 3 * stored; i++) list.push_back(uint32_t(tri[i]));
  return true;
}

void StateText::MoveInto(ObjLoader& mesh) {
  mesh.Release();
  mesh.vertexCount = int32_t(positions_.size());
  mesh.positions = std::move(positions_);
  mesh.groupCount = int32_t(groups_.size());
  mesh.groupTriCount.Allocate(mesh.groupCount);
  mesh.groupMaterial.Allocate(mesh.groupCount);
  mesh.groupTriangles.Allocate(mesh.groupCount);
  int64_t total = 0;
  for (int32_t g = 0; g < mesh.groupCount; g++) {
    int32_t n = int32_t(groups_[g].triangles.size() / 3);
    mesh.groupTriCount[g] = n;
    mesh.groupMaterial[g] = groups_[g].material;
    mesh.groupTriangles[g] = std::move(groups_[g].triangles);
    total += n;
  }
  mesh.triangleCount = int32_t(total);
}
}  // namespace

bool ReadStateText(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh,
                   std::ostream& err, StateTextNotes* notes) {
  if (notes) *notes = StateTextNotes();
  StateText text(fileName, err, notes);
  if (!text.Parse(data, size)) {
    mesh.Release();
    return false;
  }
  text.MoveInto(mesh);
  err << "Total Num of Triangles" << mesh.triangleCount << "\n";
  err.flush();
  return true;
}

bool ReadStateFile(ObjLoader& mesh, const std::string& path, std::ostream& err, StateTextNotes* notes) {
  std::vector<char> bytes;
  switch (ReadFileBytes(path, &bytes)) {
    case FileRead::kOk: return ReadStateText(bytes.data(), bytes.size(), path, mesh, err, notes);
    case FileRead::kCannotOpen: err << "ERROR: cannot open file: " << path << std::endl; break;
    case FileRead::kReadError: err << "ERROR: cannot read file: " << path << std::endl; break;
  }
  mesh.Release();
  return false;
}

std::string WhyNoTriangle(const ObjLoader& mesh, const StateTextNotes& notes) {
  if (mesh.vertexCount == 0) return "it holds no vertex (an empty state)";
  const std::string groups =
      "a group starts with a \"g solid\", \"g shell\", \"g beams\" or \"g cubes\" line followed "
      "by its \"usemtl <kind><m>_mat\" line";
  if (notes.facesOutsideGroups > 0) {
    std::string why = std::to_string(notes.facesOutsideGroups) + " face line" +
                      (notes.facesOutsideGroups == 1 ? "" : "s") + " (the first on line " +
                      std::to_string(notes.firstOutsideLine) + ") come before any group line";
    if (notes.objectLines > 0) why += ", and an \"o\" line starts no group";
    return why + ": " + groups;
  }
  if (notes.faceLines == 0) return "it has no face line (\"f\" quads or \"t\" triangles after " + groups + ")";
  return "every face line repeats a vertex (no face spans a triangle)";
}
