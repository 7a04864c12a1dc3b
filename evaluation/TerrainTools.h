// The terrain scene's tools: its stored results loaded for display
// ("Load Visibility"), the conversion of its text tile lists to binary
// ("Convert Fileformat"), and the software raster image of render mode
// 40003 ("Filled(Software)").
#pragma once

#include <cstdint>
#include <iostream>
#include <vector>

class ObjLoader;
class SampleLocationBuffer;

// The result shown: every triangle (0), the ASL tiles (1), the control (2).
enum class StoredVisibility { kTruth = 0, kAsl = 1, kControl = 2 };
// Tiles of the terrain's ASL result: 2 columns x 4 rows.
constexpr int kTileColumns = 2, kTileRows = 4;

// Clears `flags`, then sets them from the chosen source (a missing list is
// named on `err` and adds nothing), prints the count with
// " tiangles visibile" and returns it. An unknown selector is refused with
// one line and the flags are left alone (-1).
int64_t LoadStoredVisibility(int selector, std::vector<int32_t>& flags, std::ostream& out,
                             std::ostream& err);

// Converts the eight ASL tile lists and the control list; one line per list
// converted. Returns the number converted.
int ConvertTileLists(std::ostream& out, std::ostream& err);

// Clears the buffer, resolves every live triangle of `mesh` (flags null:
// all) with the shaded depth test, reports the statistics, copies the
// colour of every pixel's first sample into `pixels` (w x h, row 0 at the
// bottom; a buffer of another size is sampled at the nearest pixel) and
// writes the sample id image `imagePath`.
void SoftwareRasterImage(SampleLocationBuffer& buffer, const ObjLoader& mesh,
                         const std::vector<int32_t>* flags, uint32_t* pixels, int w, int h,
                         const std::string& imagePath, std::ostream& out, std::ostream& err);
