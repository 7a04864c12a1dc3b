#include "ImageComparison.h"

#include <cmath>
#include <fstream>

#include "ErrorImages.h"
#include "Format.h"
#include "TiffIO.h"
#include "WorkLayout.h"

namespace {

double ColourDistance(uint32_t p, uint32_t q) {
  double s = 0;
  for (int k = 0; k < 3; k++) {
    const double d = (double((p >> (8 * k)) & 0xff) - double((q >> (8 * k)) & 0xff)) / 255;
    s += d * d;
  }
  return std::sqrt(s);
}

}  // namespace

int64_t MarkRenderingDifferences(const uint32_t* a, const float* d1, const float* d2, uint32_t* f,
                                 size_t n, float tolerance) {
  int64_t count = 0;
  for (size_t k = 0; k < n; k++) {
    if (std::fabs(d2[k] - d1[k]) < tolerance) continue;
    if (ColourDistance(f[k], a[k]) < tolerance) continue;
    f[k] = kErrorRed;
    count++;
  }
  return count;
}

ErrorCount CountErrorPixels(const std::string& folder, std::ostream& out, std::ostream& log,
                            std::ostream& err) {
  ErrorCount c;
  std::vector<uint32_t> image;
  // Numbers without an image are expected (the folder is probed up to
  // 999): the reader's lines for them are dropped.
  std::ostream missing(nullptr);
  for (int i = 0; i < 1000; i++) {
    int w = 0, h = 0;
    if (!ReadTiffQuiet(Format("%s%d.tif", folder.c_str(), i), &image, &w, &h, missing)) continue;
    const int64_t red = CountRedPixels(image);
    for (std::ostream* s : {&out, &log}) *s << "State " << i << ": " << double(red) << std::endl;
    c.images++;
    c.sum += red;
    if (red > c.max) {
      c.max = red;
      c.maxAt = i;
    }
  }
  // The time of the maximum prints as an unsigned number (-1 when no image
  // was read); the average of no image is 0 / 0.
  const double average = double(c.sum) / double(c.images);
  for (std::ostream* s : {&out, &log}) {
    *s << "INFO: red pixesls in " << folder << ":" << std::endl;
    *s << "\tAverage pixel is " << average << std::endl;
    *s << "\tMax pixel is " << c.max << " at time " << uint32_t(c.maxAt) << std::endl;
  }
  if (c.images == 0) err << "INFO: no image was read from " << folder << std::endl;
  return c;
}

void CompareImageSequences(std::ostream& out, std::ostream& err) {
  std::ofstream log(layout::kSequenceLog);
  if (!log) err << "ERROR: cannot write file: " << layout::kSequenceLog << std::endl;
  for (const char* folder : {layout::kControlErrorFrames, layout::kSuperPixelErrorFrames})
    CountErrorPixels(folder, out, log, err);
}

const std::vector<std::string>& ErrorImageFolders() {
  static const std::vector<std::string> folders = [] {
    std::vector<std::string> f;
    for (const char* name : {"Forest/", "Fusion/", "Grass/High/", "Grass/Low_zoomMore/",
                             "Manhattan/View_noGap/", "RTI/", "Water/", "WTC/outside/",
                             "WTC/reverse/"})
      f.push_back(layout::In(layout::Folder::kProcess, name));
    return f;
  }();
  return folders;
}

int MakeErrorImages(std::ostream& out, std::ostream& err) {
  int written = 0;
  std::vector<uint32_t> image, error;
  for (const std::string& folder : ErrorImageFolders()) {
    for (const char* name : {"Step2", "31X31"}) {
      const std::string base = folder + name;
      const std::string imagePath = base + ".tif", errorPath = base + "_error.tif";
      int w = 0, h = 0, we = 0, he = 0;
      const bool read = ReadTiffQuiet(imagePath, &image, &w, &h, err) &&
                        ReadTiffQuiet(errorPath, &error, &we, &he, err);
      if (!read || w != we || h != he) {
        err << "ERROR: \"Make Error Image!\": "
            << (read ? "the image and the error image differ in size: "
                     : "cannot read the image or the error image: ")
            << imagePath << " " << errorPath << std::endl;
        continue;
      }
      for (const ErrorVariantInfo& v : ErrorVariants()) {
        const std::string outPath = base + v.suffix + ".tif";
        out << imagePath << " " << errorPath << " " << outPath << std::endl;
        const std::vector<uint32_t> result = ApplyErrorVariant(v.variant, image, error);
        if (WriteTiff(result.data(), outPath, h, w, err) == 1)
          written++;
        else
          err << "ERROR: cannot write file: " << outPath << std::endl;
      }
    }
  }
  return written;
}
