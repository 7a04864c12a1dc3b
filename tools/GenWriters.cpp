// The generator's files written through the workbench's own writers, so
// that each format has one source of truth.
#include <cstdio>
#include <iostream>
#include <sstream>

#include "FlaggedBinary.h"
#include "GenContext.h"
#include "TiffIO.h"
#include "VisibleSet.h"

namespace {
bool Exists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}
}  // namespace

void GenContext::SaveVisibleSet(const std::string& rel, const std::vector<int32_t>& flags) {
  // The writer reports every set; the generator's own lines are enough.
  std::ostringstream quiet;
  std::remove(Path(rel).c_str());
  WriteVisibleSet(flags.data(), int32_t(flags.size()), Path(rel).c_str(), quiet, quiet);
  Check(Exists(Path(rel)), rel);
}

void GenContext::SaveIdList(const std::string& rel, const std::vector<int32_t>& flags) {
  std::remove(Path(rel).c_str());
  WriteIdList(flags.data(), int32_t(flags.size()), Path(rel));
  Check(Exists(Path(rel)), rel);
}

void GenContext::SaveTiff(const std::string& rel, const std::vector<uint32_t>& px, int w, int h) {
  Check(WriteTiff(px.data(), Path(rel), h, w) == 1, rel);
}

void GenContext::SaveFlaggedBinary(const std::string& rel, const std::vector<Vex3_quarn>& positions,
                                   const std::vector<uint32_t>& triangles) {
  Check(WriteFlaggedBinary(Path(rel), positions, triangles), rel);
}
