// Files that exchange per-pixel samples with other tools: the sample
// position file (int32 width, int32 height, int32 P, then P float64 x, y
// pairs in buffer pixel coordinates) and the sample id image (8-bit RGB
// TIFF, one LZW strip, 150 dpi, the buffer's last row first).
#pragma once

#include <cstdint>
#include <iostream>
#include <string>

class SampleLocationBuffer;

// Adds every position as a sample of the pixel containing it, when the
// file's size matches the buffer's; a mismatch leaves the buffer alone.
// Returns the number of samples added (0 for a missing or malformed file,
// which is reported once on `err`; positions outside the buffer are
// skipped).
int32_t ReadSampleLocations(SampleLocationBuffer& buffer, const std::string& path,
                            std::ostream& err = std::cerr);
// The same from bytes in memory; `name` labels the messages.
int32_t ParseSampleLocations(SampleLocationBuffer& buffer, const uint8_t* data, size_t size,
                             const std::string& name, std::ostream& err = std::cerr);

// Each pixel shows the first three bytes (memory order) of its first
// sample's colour. Prints "Could not open file for writing" when the file
// cannot be created. Returns 1 on success, negative on failure.
int WriteSampleIdImage(const SampleLocationBuffer& buffer, const std::string& path,
                       std::ostream& err = std::cerr);
