// Visible sets: one int32 flag per triangle (1 visible, 0 not), and their
// files: the binary set (int32 count, then the ids), the per-step text id
// list and the one-line "label:id,id," form.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

using VisibleSet = std::vector<int32_t>;

// How a scene's visible-set files name triangles: by index, or by the
// entries of the mesh's id-table row of group 0 (the terrain's cells,
// whose other tools use those ids).
enum class SetIds { kIndex, kFirstGroupIds };

// Counts the non-zero flags and, with a path, writes the ids of the flags
// equal to 1, named as `ids` says: kFirstGroupIds takes the entries of
// `firstGroupIds` (null when the mesh has no table; indices beyond the row
// keep their number).
// Prints the count with " visible triangle detected and saved!" on `out`
// (or " visible triangle detected!" without a path); a file that cannot be
// written is reported on `err` instead of the saved line.
int32_t WriteVisibleSet(const int32_t* flags, int32_t n, const char* path, std::ostream& out,
                        std::ostream& err, SetIds ids = SetIds::kIndex,
                        const std::vector<int32_t>* firstGroupIds = nullptr);
inline int32_t WriteVisibleSet(const VisibleSet& set, const char* path, std::ostream& out,
                               std::ostream& err, SetIds ids = SetIds::kIndex,
                               const std::vector<int32_t>* firstGroupIds = nullptr) {
  return WriteVisibleSet(set.data(), int32_t(set.size()), path, out, err, ids, firstGroupIds);
}

// Sets flag 1 for every id < n in the file and returns the file's id count.
// An id >= n is printed (bare) on `out` and ignored. A missing file returns
// 0 and leaves the flags alone; so does a malformed one (truncated,
// negative count or id), after one message on `err` naming the file. The
// flags are cleared first when asked.
int32_t ReadVisibleSet(int32_t* flags, int32_t n, const std::string& path, bool clearFirst,
                       std::ostream& out, std::ostream& err);
inline int32_t ReadVisibleSet(VisibleSet& set, const std::string& path, bool clearFirst,
                              std::ostream& out, std::ostream& err) {
  return ReadVisibleSet(set.data(), int32_t(set.size()), path, clearFirst, out, err);
}
// The same from bytes already in memory; `name` labels the messages.
int32_t ParseVisibleSet(const uint8_t* data, size_t size, int32_t* flags, int32_t n,
                        const std::string& name, bool clearFirst, std::ostream& out,
                        std::ostream& err);

// Per-step id list: n, the count of flags equal to 1, those ids one per
// line, then an empty line. Returns the count.
int32_t WriteIdList(const int32_t* flags, int32_t n, const std::string& path);
// Reads such a list into `flags` (cleared first; ids outside [0, flags
// size) are skipped). Returns the ids read; -1, with one line on `err`
// naming the file and line, when it cannot be opened or a line is not a
// non-negative number (the flags are then left cleared).
int32_t ReadIdList(const std::string& path, std::vector<int32_t>* flags, std::ostream& err);

// "<label>:" then every id whose flag is 1, each followed by ",", then a
// newline.
void WriteVisibilityLine(std::ostream& out, const std::string& label, const int32_t* flags,
                         int32_t n);
// The end-state file: that line with label "0" as the whole content.
void WriteVisibilityAtB(const int32_t* flags, int32_t n, const std::string& path);
