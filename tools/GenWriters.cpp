// TEMPORARY local writers until the project's writers land in main.
#include <cstdio>

#include "GenContext.h"
#include "TiffIO.h"

void GenContext::SaveVisibleSet(const std::string& rel, const std::vector<int32_t>& flags) {
  FILE* f = std::fopen(Path(rel).c_str(), "wb");
  if (!f) return Fail(rel);
  std::vector<int32_t> ids;
  for (size_t i = 0; i < flags.size(); i++)
    if (flags[i] == 1) ids.push_back(int32_t(i));
  int32_t n = int32_t(ids.size());
  std::fwrite(&n, 4, 1, f);
  std::fwrite(ids.data(), 4, ids.size(), f);
  std::fclose(f);
}

void GenContext::SaveIdList(const std::string& rel, const std::vector<int32_t>& flags) {
  FILE* f = std::fopen(Path(rel).c_str(), "w");
  if (!f) return Fail(rel);
  int v = 0;
  for (int32_t x : flags) v += x == 1;
  std::fprintf(f, "%d\n%d\n", int(flags.size()), v);
  for (size_t i = 0; i < flags.size(); i++)
    if (flags[i] == 1) std::fprintf(f, "%d\n", int(i));
  std::fprintf(f, "\n");
  std::fclose(f);
}

void GenContext::SaveTiff(const std::string& rel, const std::vector<uint32_t>& px, int w, int h) {
  Check(WriteTiff(px.data(), Path(rel), h, w) == 1, rel);
}

void GenContext::SaveFlaggedBinary(const std::string& rel, const std::vector<Vex3_quarn>& pos,
                                   const std::vector<uint32_t>& tris) {
  FILE* f = std::fopen(Path(rel).c_str(), "wb");
  if (!f) return Fail(rel);
  int32_t n = int32_t(pos.size());
  std::fwrite(&n, 4, 1, f);
  std::fwrite("ynnn", 1, 4, f);
  std::fwrite(pos.data(), 12, pos.size(), f);
  int32_t t = int32_t(tris.size() / 3);
  std::fwrite(&t, 4, 1, f);
  std::fwrite(tris.data(), 4, tris.size(), f);
  std::fclose(f);
}
