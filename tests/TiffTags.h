// The tags of every image the workbench writes: 8-bit RGB in one LZW
// strip, 150 dots per inch.
#pragma once

#include <gtest/gtest.h>
#include <tiffio.h>

#include <vector>

inline void ExpectWorkbenchTags(TIFF* tif, uint32_t width, uint32_t height) {
  uint32_t w = 0, h = 0, rows = 0;
  uint16_t bits = 0, spp = 0, comp = 0, photo = 0, fill = 0, planar = 0, unit = 0;
  float xres = 0, yres = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rows);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &comp);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photo);
  TIFFGetField(tif, TIFFTAG_FILLORDER, &fill);
  TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
  TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
  EXPECT_EQ((std::vector<uint32_t>{w, h, rows}), (std::vector<uint32_t>{width, height, height}));
  EXPECT_EQ((std::vector<uint16_t>{bits, spp, comp, photo, fill, planar, unit}),
            (std::vector<uint16_t>{8, 3, COMPRESSION_LZW, PHOTOMETRIC_RGB, FILLORDER_MSB2LSB,
                                   PLANARCONFIG_CONTIG, RESUNIT_INCH}));
  EXPECT_EQ(xres, 150.0f);
  EXPECT_EQ(yres, 150.0f);
}
