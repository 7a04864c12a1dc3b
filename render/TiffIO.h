// Image files: 8-bit RGB TIFF out, RGBA rasters in. In memory an image is
// w * h packed pixels (bytes R, G, B, A), row 0 at the bottom as GL reads
// it; files carry the rows from the top. No GL here: the window capture
// and the texture upload are in TiffWindow.h.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

// One LZW strip of RGB (alpha dropped), upright in the file. Returns 1, -1
// when the file cannot be opened, -2 when pixels is null. Height first.
// Messages of the three functions go to `err`.
int WriteTiff(const uint32_t* pixels, const std::string& path, int h, int w,
              std::ostream& err = std::cerr);

// Raster rows from the bottom, pixels R, G, B, A. False (raster empty, w and
// h 0) for a path not ending in ".tif", a file that cannot be opened or an
// image that cannot be read. Prints INFO lines on the error stream.
bool ReadTiff(const std::string& path, std::vector<uint32_t>* raster, int* w, int* h,
              std::ostream& err = std::cerr);
// The same without the "started loading" and "done loading" lines; w and h
// are written only on success (0 on a read failure).
bool ReadTiffQuiet(const std::string& path, std::vector<uint32_t>* raster, int* w, int* h,
                   std::ostream& err = std::cerr);
