// Whether a binary cache still stands for the text file beside it. A cache
// is read in place of its text, so an edited text must not lose to the
// cache written before the edit, and a cache whose counts no longer agree
// with the text (one written from another version of the file, with its
// time stamp kept by a copy) must not win either.
#pragma once

#include <cstdint>
#include <string>

// True when `source` exists and was modified after `cache` (nanoseconds).
bool SourceIsNewer(const std::string& source, const std::string& cache);

// Lines of a text file that begin with 'v' and with 'g': the vertices and
// groups the state and point readers make of it. False when the file
// cannot be read (nothing is known then).
struct TextLineCounts {
  int64_t vertexLines = 0;
  int64_t groupLines = 0;
};
bool CountTextLines(const std::string& path, TextLineCounts* counts);
