// Id lists of the terrain's screen tiles: the text form ("label:" then ids,
// each followed by ",") and the binary form (raw int32 ids in file order, no
// header), the conversion between them and the reading of binary lists into
// per-triangle flags.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// The ids of a text list, in file order. Empty tokens (the one after the
// last "," among them) give no id. False, with one line on `err` naming
// `name`, when the list has no ":" or a token is not an integer in the
// int32 range.
bool ParseTextIdList(const char* data, size_t size, const std::string& name,
                     std::vector<int32_t>* ids, std::ostream& err);

// Reads the text list and writes its ids as the binary list. Nothing is
// written when the text cannot be read or parsed, and a failed write leaves
// no partial file. Returns the number of ids written, -1 on failure (one
// line on `err`).
int64_t ConvertIdList(const std::string& textPath, const std::string& binaryPath,
                      std::ostream& err);

// Sets flags[id] = 1 for every int32 of the binary list. Ids outside
// [0, n) are counted and skipped (one line for all of them); so are the
// bytes of an incomplete last id. Returns the number of ids the file holds,
// -1 (one line on `err`, flags untouched) when it cannot be read.
int64_t ReadBinaryIdList(const std::string& path, int32_t* flags, int32_t n, std::ostream& err);
