// Object and material readers. Each group is closed with the colour of the
// usemtl line that opened it, so groups and colours stay paired even when
// a material section has no faces or faces come before the first usemtl.
#include "ObjectReader.h"

#include <cmath>
#include <cstring>
#include <ostream>

#include "FileBytes.h"
#include "Format.h"
#include "TextScan.h"

namespace {
constexpr size_t kMaxObjectLine = 4095;
constexpr size_t kMaxMaterialName = 256;

bool Fail(std::ostream& err, const std::string& file, int line, const char* what) {
  err << "ERROR: " << file << ":" << line << ": " << what << std::endl;
  return false;
}

bool Finite(float v) { return std::isfinite(v); }
}  // namespace

bool ReadMaterialTable(const std::string& path, MaterialTable* table, std::ostream& err) {
  table->clear();
  std::vector<char> bytes;
  if (ReadFileBytes(path, &bytes) != FileRead::kOk) return true;
  LineSplitter lines(bytes.data(), bytes.size());
  const char *b, *e;
  std::string name;
  bool haveName = false;
  while (lines.Next(&b, &e)) {
    size_t len = TrimmedLength(b, e);
    if (size_t(e - b) > kMaxObjectLine) return Fail(err, path, lines.Number(), "line longer than 4095 characters");
    if (len < 2) continue;
    if (!haveName) {
      // The name follows a seven-character keyword and a blank.
      name = len > 7 ? std::string(b + 7, std::min(len - 7, kMaxMaterialName)) : std::string();
      haveName = true;
      continue;
    }
    haveName = false;
    Scan s(b, b + len);
    Vex3_quarn c;
    if (!s.Literal("Color:") || !s.Float(&c.x) || !s.Float(&c.y) || !s.Float(&c.z) || !Finite(c.x) ||
        !Finite(c.y) || !Finite(c.z))
      return Fail(err, path, lines.Number(), "bad colour line");
    table->emplace(name, c);
  }
  return true;
}

namespace {
class ObjectText {
 public:
  ObjectText(const std::string& file, const MaterialTable& table, ObjectAccumulator* acc, std::ostream& err)
      : file_(file),
        err_(err),
        table_(table),
        acc_(acc),
        base_(acc->positions.size()),
        firstGroup_(acc->groupLists.size()) {}
  bool Parse(const char* data, size_t size);

 private:
  bool Line(const char* b, const char* e);
  void CloseGroup();
  bool Fail(const char* what) { return ::Fail(err_, file_, line_, what); }

  const std::string& file_;
  std::ostream& err_;
  const MaterialTable& table_;
  ObjectAccumulator* acc_;
  const size_t base_;
  const size_t firstGroup_;
  size_t normals_ = 0, texCoords_ = 0;  // read by this object
  int line_ = 0;
  std::vector<uint32_t> list_;
  Vex3_quarn color_ = kUnknownMaterialColor;
};

void ObjectText::CloseGroup() {
  if (list_.empty()) return;
  acc_->groupCounts.push_back(int32_t(list_.size() / 3));
  acc_->groupLists.push_back(std::move(list_));
  acc_->groupColors.push_back(color_);
  list_.clear();
}

bool ObjectText::Line(const char* b, const char* e) {
  const char* blank = b;
  while (blank < e && *blank != ' ' && *blank != '\t') blank++;
  const size_t word = size_t(blank - b);
  Scan s(blank, e);
  if (word == 1 && *b == 'v') {
    Vex3_quarn p;
    if (!s.Float(&p.x) || !s.Float(&p.y) || !s.Float(&p.z)) return Fail("bad vertex line");
    if (!Finite(p.x) || !Finite(p.y) || !Finite(p.z)) return Fail("vertex coordinate is not a finite number");
    acc_->positions.push_back(p);
  } else if (word == 2 && b[0] == 'v' && b[1] == 'n') {
    Vex3_quarn n;
    if (!s.Float(&n.x) || !s.Float(&n.y) || !s.Float(&n.z)) return Fail("bad normal line");
    if (!Finite(n.x) || !Finite(n.y) || !Finite(n.z)) return Fail("normal is not a finite number");
    acc_->normals.push_back(n);
    normals_++;
  } else if (word == 2 && b[0] == 'v' && b[1] == 't') {
    float u, v;
    if (!s.Float(&u) || !s.Float(&v)) return Fail("bad texture coordinate line");
    if (!Finite(u) || !Finite(v)) return Fail("texture coordinate is not a finite number");
    acc_->texCoords.push_back(u);
    acc_->texCoords.push_back(v);
    texCoords_++;
  } else if (word == 1 && *b == 'f') {
    int64_t n[3];
    if (!s.Int(&n[0]) || !s.Int(&n[1]) || !s.Int(&n[2])) return Fail("bad face line");
    for (int64_t v : n) {
      // Global number base + v - 1; checked against the object's vertices
      // once all of them are read.
      if (v < 1 || v > int64_t(UINT32_MAX) - int64_t(base_)) return Fail("vertex number out of range");
      list_.push_back(uint32_t(int64_t(base_) + v - 1));
    }
  } else if (word == 6 && std::memcmp(b, "usemtl", 6) == 0) {
    CloseGroup();
    std::string name = e - b > 7 ? std::string(b + 7, e) : std::string();
    auto it = table_.find(name);
    color_ = it != table_.end() ? it->second : kUnknownMaterialColor;
  }
  return true;
}

bool ObjectText::Parse(const char* data, size_t size) {
  LineSplitter lines(data, size);
  const char *b, *e;
  while (lines.Next(&b, &e)) {
    line_ = lines.Number();
    if (size_t(e - b) > kMaxObjectLine) return Fail("line longer than 4095 characters");
    if (line_ == 1) continue;  // header line
    size_t len = TrimmedLength(b, e);
    if (len == 0) continue;
    if (!Line(b, b + len)) return false;
  }
  CloseGroup();
  const size_t count = acc_->positions.size();
  for (size_t g = firstGroup_; g < acc_->groupLists.size(); g++) {
    for (uint32_t v : acc_->groupLists[g])
      if (v >= count) {
        line_ = 0;
        return Fail("face names a vertex the object does not have");
      }
  }
  // One normal and one texture coordinate per vertex keep later objects'
  // attributes beside their vertices.
  if (normals_ != count - base_ || texCoords_ != count - base_)
    err_ << "WARNING: " << file_ << ": " << normals_ << " normals and " << texCoords_
         << " texture coordinates for " << count - base_ << " vertices" << std::endl;
  acc_->normals.resize(count);
  acc_->texCoords.resize(2 * count);
  return true;
}
}  // namespace

bool ReadObject(const std::string& directory, const std::string& name, ObjectAccumulator* acc,
                std::ostream& err) {
  std::string objPath = Format("%s%s.obj", directory.c_str(), name.c_str());
  std::vector<char> bytes;
  if (ReadFileBytes(objPath, &bytes) != FileRead::kOk) return true;
  MaterialTable table;
  if (!ReadMaterialTable(Format("%s%s.mtl", directory.c_str(), name.c_str()), &table, err)) return false;
  // Earlier objects may have left attribute arrays short; align them first.
  acc->normals.resize(acc->positions.size());
  acc->texCoords.resize(2 * acc->positions.size());
  ObjectText text(objPath, table, acc, err);
  return text.Parse(bytes.data(), bytes.size());
}
