// Triangle sets from any result file the workbench writes: a visible set
// (int32 count, then the ids), an interval table (the triangles that have
// an interval), the one-line "label:id,id," form (every line united), a
// per-step id list (N, V, then V ids) or plain ids one per line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TriangleSet {
  std::vector<int32_t> ids;  // ascending, each once
  std::string kind;          // "visible set", "interval table", ...
  int32_t triangleCount = -1;  // when the file says it
};

// False, with `error` naming the file and what is wrong, when the file
// cannot be read or is none of the forms.
bool ReadTriangleSet(const std::string& path, TriangleSet* set, std::string* error);
