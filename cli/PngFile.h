// PNG files through libpng: 8-bit RGB, rows from the top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds 3 bytes per pixel, row 0 at the top. False when the file
// cannot be written completely (a partial file is removed).
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
// For tests: the image back, or false.
bool ReadPng(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgb);
