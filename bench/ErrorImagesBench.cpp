// "Make Error Image!" over the nine prepared folders: `bench_error_images
// [width] [height] [folder]` writes a Step2 and a 31X31 pair into each
// (a smooth image, an error image with 2 % red and 20 % white pixels),
// runs the five variants of all eighteen pairs and prints the time.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ErrorImages.h"
#include "ImageComparison.h"
#include "TiffIO.h"

int main(int argc, char** argv) {
  const int w = argc > 1 ? std::atoi(argv[1]) : 1280;
  const int h = argc > 2 ? std::atoi(argv[2]) : 720;
  const std::string folder = argc > 3 ? argv[3] : "/tmp/bench_error_images";
  if (w <= 0 || h <= 0 || std::system(("mkdir -p '" + folder + "'").c_str()) != 0 ||
      chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "cannot prepare %s\n", folder.c_str());
    return 1;
  }
  std::vector<uint32_t> image(size_t(w) * size_t(h)), error(image.size());
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(0, 1);
  for (size_t k = 0; k < image.size(); k++) {
    const uint32_t x = uint32_t(k % size_t(w)) * 255 / uint32_t(w);
    const uint32_t y = uint32_t(k / size_t(w)) * 255 / uint32_t(h);
    image[k] = x | y << 8 | 90u << 16 | 0xff000000u;
    const double r = u(rng);
    error[k] = r < 0.02 ? kErrorRed : r < 0.22 ? kErrorWhite : image[k];
  }
  for (const std::string& f : ErrorImageFolders()) {
    if (std::system(("mkdir -p '" + f + "'").c_str()) != 0) return 1;
    for (const char* name : {"Step2", "31X31"}) {
      WriteTiff(image.data(), f + name + ".tif", h, w);
      WriteTiff(error.data(), f + name + "_error.tif", h, w);
    }
  }
  const auto t0 = std::chrono::steady_clock::now();
  const double c0 = CpuSeconds();
  std::ostringstream out, err;
  const int written = MakeErrorImages(out, err);
  std::printf("%d x %d, %zu folders: %d images in %.2f s (%.2f s processor)\n", w, h,
              ErrorImageFolders().size(), written, Seconds(t0), CpuSeconds() - c0);
  if (!err.str().empty()) std::fputs(err.str().c_str(), stderr);
  return std::system(("rm -rf '" + folder + "'").c_str()) == 0 ? 0 : 1;
}
