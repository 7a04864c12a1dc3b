#include "StandardFiles.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

PolyScene Slats(int steps, float shift) {
  PolyScene scene;
  std::vector<Vex3_quarn> base;
  // The back sheet: 12 x 12 quads of 8 units at z = -80, off centre so
  // that no pixel centre lies on a diagonal.
  const int n = 12;
  for (int j = 0; j <= n; j++)
    for (int i = 0; i <= n; i++) base.emplace_back(-47.7f + 8 * i, -47.83f + 8 * j, -80.0f);
  for (int j = 0; j < n; j++)
    for (int i = 0; i < n; i++) {
      const uint32_t a = uint32_t(j * (n + 1) + i);
      scene.faces.push_back({a, a + 1, a + uint32_t(n) + 2, a + uint32_t(n) + 1});
    }
  const size_t firstSlat = base.size();
  // Five slats at z = -50: pentagons with a pointed top, and quads.
  for (int k = 0; k < 5; k++) {
    const float cx = -16.0f + 8 * k;
    const uint32_t at = uint32_t(base.size());
    base.emplace_back(cx - 2, -20.0f, -50.0f);
    base.emplace_back(cx + 2, -20.0f, -50.0f);
    base.emplace_back(cx + 2, 18.0f, -50.0f);
    if (k % 2 == 0) {
      base.emplace_back(cx, 22.0f, -50.0f);
      base.emplace_back(cx - 2, 18.0f, -50.0f);
      scene.faces.push_back({at, at + 1, at + 2, at + 3, at + 4});
    } else {
      base.emplace_back(cx - 2, 18.0f, -50.0f);
      scene.faces.push_back({at, at + 1, at + 2, at + 3});
    }
  }
  for (int s = 0; s < steps; s++) {
    std::vector<Vex3_quarn> p = base;
    for (size_t v = firstSlat; v < p.size(); v++) p[v].x += shift * float(s);
    scene.states.push_back(p);
  }
  return scene;
}

PPC SlatCamera() {
  PPC c(50, 160, 120);
  c.zNear = 1;
  c.zFar = 500;
  return c;
}

std::vector<uint32_t> Fanned(const std::vector<Polygon>& faces) {
  std::vector<uint32_t> t;
  for (const Polygon& f : faces)
    for (size_t k = 1; k + 1 < f.size(); k++) t.insert(t.end(), {f[0], f[k], f[k + 1]});
  return t;
}

void WritePlyBinary(const std::string& path, const std::vector<Vex3_quarn>& v,
                    const std::vector<Polygon>& faces) {
  std::ofstream f(path, std::ios::binary);
  f << "ply\nformat binary_little_endian 1.0\ncomment written by a test\n"
    << "element vertex " << v.size() << "\nproperty float x\nproperty float y\nproperty float z\n"
    << "element face " << faces.size() << "\nproperty list uchar int vertex_indices\nend_header\n";
  for (const Vex3_quarn& p : v) f.write(reinterpret_cast<const char*>(&p), 12);
  for (const Polygon& face : faces) {
    const uint8_t k = uint8_t(face.size());
    f.write(reinterpret_cast<const char*>(&k), 1);
    for (uint32_t i : face) {
      const int32_t x = int32_t(i);
      f.write(reinterpret_cast<const char*>(&x), 4);
    }
  }
}

void WriteObj(const std::string& path, const std::vector<Vex3_quarn>& v,
              const std::vector<Polygon>& faces) {
  std::ofstream f(path);
  char line[128];
  f << "# written by a test\nmtllib slats.mtl\no slats\n";
  for (const Vex3_quarn& p : v) {
    std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
    f << line;
  }
  f << "vt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\ng sheet\nusemtl grey\ns 1\n";
  const long nv = long(v.size());
  for (size_t k = 0; k < faces.size(); k++) {
    if (k == faces.size() - 5) f << "g front\nusemtl red\ns off\n";
    f << "f";
    for (size_t c = 0; c < faces[k].size(); c++) {
      const long i = long(faces[k][c]);
      const long vt = long(c % 3);
      if (k % 2 == 0)
        f << " " << i + 1 << "/" << vt + 1 << "/1";
      else
        f << " " << i - nv << "/" << vt - 3 << "/-1";  // counted back from the last
    }
    f << "\n";
  }
}

void WriteGlb(const std::string& path, const std::vector<Vex3_quarn>& v,
              const std::vector<uint32_t>& triangles) {
  std::string bin(reinterpret_cast<const char*>(v.data()), v.size() * 12);
  const size_t indexOffset = bin.size();
  bin.append(reinterpret_cast<const char*>(triangles.data()), triangles.size() * 4);
  while (bin.size() % 4) bin.push_back('\0');
  Vex3_quarn lo = v[0], hi = v[0];
  for (const Vex3_quarn& p : v) {
    lo = Vex3_quarn(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
    hi = Vex3_quarn(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
  }
  std::ostringstream j;
  j << "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
    << "\"nodes\":[{\"mesh\":0}],\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0},"
    << "\"indices\":1,\"mode\":4}]}],\"buffers\":[{\"byteLength\":" << bin.size() << "}],"
    << "\"bufferViews\":[{\"buffer\":0,\"byteOffset\":0,\"byteLength\":" << indexOffset
    << ",\"target\":34962},{\"buffer\":0,\"byteOffset\":" << indexOffset
    << ",\"byteLength\":" << triangles.size() * 4 << ",\"target\":34963}],"
    << "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":" << v.size()
    << ",\"type\":\"VEC3\",\"min\":[" << lo.x << "," << lo.y << "," << lo.z << "],\"max\":["
    << hi.x << "," << hi.y << "," << hi.z << "]},{\"bufferView\":1,\"componentType\":5125,"
    << "\"count\":" << triangles.size() << ",\"type\":\"SCALAR\"}]}";
  std::string json = j.str();
  while (json.size() % 4) json.push_back(' ');
  const uint32_t total = uint32_t(12 + 8 + json.size() + 8 + bin.size());
  std::ofstream f(path, std::ios::binary);
  auto u32 = [&](uint32_t x) { f.write(reinterpret_cast<const char*>(&x), 4); };
  f.write("glTF", 4);
  u32(2);
  u32(total);
  u32(uint32_t(json.size()));
  f.write("JSON", 4);
  f << json;
  u32(uint32_t(bin.size()));
  f.write("BIN\0", 4);
  f << bin;
}

void WriteWorkbenchText(const std::string& path, const ObjLoader& mesh) {
  std::ofstream f(path);
  char line[128];
  for (const Vex3_quarn& p : mesh.positions) {
    std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
    f << line;
  }
  for (int32_t g = 0; g < mesh.groupCount; g++) {
    f << "g solid\nusemtl solid" << mesh.groupMaterial[size_t(g)] << "_mat\n";
    const std::vector<uint32_t>& t = mesh.groupTriangles[size_t(g)];
    for (int32_t k = 0; k < mesh.groupTriCount[size_t(g)]; k++)
      f << "t " << t[3 * k] + 1 << " " << t[3 * k + 1] + 1 << " " << t[3 * k + 2] + 1 << "\n";
  }
}

CliResult RunCli(const std::string& args) {
  const std::string out = ".cli_out.txt", err = ".cli_err.txt";
  const std::string command = std::string(WB_CLI) + " " + args + " >" + out + " 2>" + err;
  const int raw = std::system(command.c_str());
  CliResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  const std::vector<char> o = Bytes(out), e = Bytes(err);
  r.out.assign(o.begin(), o.end());
  r.err.assign(e.begin(), e.end());
  std::remove(out.c_str());
  std::remove(err.c_str());
  return r;
}

std::vector<char> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
        names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}
