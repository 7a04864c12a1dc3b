#include "TiffIO.h"

#include <tiffio.h>

#include <cstdio>
#include <ostream>


namespace {

// Larger images are refused before allocating: a forged header must not
// make the reader ask for gigabytes.
constexpr uint64_t kMaxPixels = uint64_t(1) << 27;

bool ReadTiffImpl(const std::string& path, std::vector<uint32_t>* raster, int* w, int* h,
                  bool verbose, std::ostream& err) {
  raster->clear();
  std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : path;
  if (ext != ".tif") {
    err << "INFO: do not know how to open *" << ext << std::endl;
    return false;
  }
  if (FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    err << "INFO: cannot open: " << path << std::endl;
    return false;
  }
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr) return false;
  if (verbose) err << "INFO: started loading: " << path << std::endl;
  uint32_t tw = 0, th = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &tw);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &th);
  bool ok = tw > 0 && th > 0 && uint64_t(tw) * th <= kMaxPixels;
  if (!ok && tw > 0 && th > 0)
    err << "ERROR: image too large: " << path << " (" << tw << " x " << th << ")"
              << std::endl;
  if (ok) {
    raster->assign(size_t(tw) * th, 0u);
    ok = TIFFReadRGBAImage(tif, tw, th, raster->data(), 0) == 1;
  }
  TIFFClose(tif);
  if (!ok) {
    raster->clear();
    *w = *h = 0;
    return false;
  }
  *w = int(tw);
  *h = int(th);
  if (verbose) err << "INFO: done loading: " << path << std::endl;
  return true;
}

}  // namespace

int WriteTiff(const uint32_t* pixels, const std::string& path, int h, int w, std::ostream& err) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) {
    err << "Could not open file for writing" << std::endl;
    return -1;
  }
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(h));
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, 150.0);
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, 150.0);
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  if (pixels == nullptr || w <= 0 || h <= 0) {
    TIFFClose(tif);
    return -2;
  }
  // File rows run from the top: file row r is memory row h - 1 - r.
  std::vector<unsigned char> rgb(size_t(w) * h * 3);
  unsigned char* out = rgb.data();
  for (int row = h - 1; row >= 0; row--) {
    const unsigned char* in = reinterpret_cast<const unsigned char*>(pixels + size_t(row) * w);
    for (int x = 0; x < w; x++, in += 4) {
      *out++ = in[0];
      *out++ = in[1];
      *out++ = in[2];
    }
  }
  tmsize_t written = TIFFWriteEncodedStrip(tif, 0, rgb.data(), tmsize_t(rgb.size()));
  TIFFClose(tif);
  if (written < 0) {
    err << "Could not write image data to " << path << std::endl;
    return -2;
  }
  return 1;
}

bool ReadTiff(const std::string& path, std::vector<uint32_t>* raster, int* w, int* h,
              std::ostream& err) {
  return ReadTiffImpl(path, raster, w, h, true, err);
}

bool ReadTiffQuiet(const std::string& path, std::vector<uint32_t>* raster, int* w, int* h,
                   std::ostream& err) {
  return ReadTiffImpl(path, raster, w, h, false, err);
}
