#include "TerrainTools.h"

#include <algorithm>
#include <cstdio>

#include "Asl.h"
#include "AslRun.h"
#include "IdLists.h"
#include "ObjLoader.h"
#include "SampleFiles.h"
#include "SampleLocationBuffer.h"
#include "WorkLayout.h"

int64_t LoadStoredVisibility(int selector, std::vector<int32_t>& flags, std::ostream& out,
                             std::ostream& err) {
  if (selector < 0 || selector > 2) {
    out << "\"Load Visibility\": unknown source " << selector << std::endl;
    return -1;
  }
  std::fill(flags.begin(), flags.end(), 0);
  const int32_t n = int32_t(flags.size());
  switch (StoredVisibility(selector)) {
    case StoredVisibility::kTruth:
      std::fill(flags.begin(), flags.end(), 1);
      break;
    case StoredVisibility::kAsl:
      for (int a = 0; a < kTileColumns; a++)
        for (int b = 0; b < kTileRows; b++)
          ReadBinaryIdList(layout::TileBinaryList(layout::kTileAslBase, a, b), flags.data(), n,
                           err);
      break;
    case StoredVisibility::kControl:
      ReadBinaryIdList(layout::TileBinaryList(layout::kTileControlBase, 0, 0), flags.data(), n,
                       err);
      break;
  }
  const int64_t count = std::count(flags.begin(), flags.end(), 1);
  out << count << " tiangles visibile" << std::endl;
  return count;
}

int ConvertTileLists(std::ostream& out, std::ostream& err) {
  struct List {
    const char* base;
    int a, b;
  };
  std::vector<List> lists;
  for (int a = 0; a < kTileColumns; a++)
    for (int b = 0; b < kTileRows; b++) lists.push_back({layout::kTileAslBase, a, b});
  lists.push_back({layout::kTileControlBase, 0, 0});
  int converted = 0;
  for (const List& l : lists) {
    const std::string text = layout::TileTextList(l.base, l.a, l.b);
    const std::string binary = layout::TileBinaryList(l.base, l.a, l.b);
    const int64_t ids = ConvertIdList(text, binary, err);
    if (ids < 0) continue;
    out << text << " -> " << binary << ": " << ids << " ids" << std::endl;
    converted++;
  }
  return converted;
}

void SoftwareRasterImage(SampleLocationBuffer& buffer, const ObjLoader& mesh,
                         const std::vector<int32_t>* flags, uint32_t* pixels, int w, int h,
                         const std::string& imagePath, std::ostream& out, std::ostream& err) {
  buffer.Clear();
  const Projector proj = BufferProjector(buffer);
  const int32_t n = mesh.IdCount();
  const AslTriangles tris = GatherLiveTriangles(
      mesh, flags != nullptr && flags->size() >= size_t(n) ? flags->data() : nullptr, n);
  const int32_t count = int32_t(tris.size());
  char line[64];
  for (int32_t i = 0; i < count; i++) {
    const Vex3_quarn* v = &tris.vertices[3 * size_t(i)];
    ResolveTriangleShaded(buffer, proj, v[0], v[1], v[2], tris.ids[size_t(i)]);
    if ((i + 1) % 1000 == 0 || i + 1 == count) {
      std::snprintf(line, sizeof line, "\r%d/%d processed", i + 1, count);
      out << line << std::flush;
    }
  }
  out << std::endl;
  buffer.ReportStatistics(err);
  if (buffer.width > 0 && buffer.height > 0 && pixels != nullptr) {
    for (int y = 0; y < h; y++) {
      const int32_t row = std::min(int32_t(int64_t(y) * buffer.height / h), buffer.height - 1);
      for (int x = 0; x < w; x++) {
        const int32_t col = std::min(int32_t(int64_t(x) * buffer.width / w), buffer.width - 1);
        pixels[size_t(y) * w + x] = buffer.Pixel(col, row).samples[0].color;
      }
    }
  }
  WriteSampleIdImage(buffer, imagePath);
}
