// The image evaluations of the panel: renderings compared pixel by pixel
// ("Compare Accuracy"), red error pixels counted over numbered image
// sequences ("cmp Image") and the toned-down variants of error images
// ("Make Error Image!").
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

// Pixels where both the depths (|d2 - d1| >= tolerance) and the colours
// (Euclidean distance of channels c / 255 >= tolerance) of two renderings
// differ are painted red in `f`; returns their number. `a` and `f` hold
// the two renderings' colours, `d1` and `d2` their depths.
int64_t MarkRenderingDifferences(const uint32_t* a, const float* d1, const float* d2, uint32_t* f,
                                 size_t n, float tolerance);

struct ErrorCount {
  int64_t images = 0;       // images read
  int64_t sum = 0;          // red pixels over them
  int64_t max = -1;         // largest count, -1 before any image
  int64_t maxAt = -1;       // its image number
};

// Images "<folder>0.tif" ... "<folder>999.tif" (missing ones skipped): per
// image "State i: <red pixels>", then the average and the largest count,
// on `out` and on `log`.
ErrorCount CountErrorPixels(const std::string& folder, std::ostream& out, std::ostream& log,
                            std::ostream& err);
// The two sequences of the forest's interval run, logged to their trial
// file.
void CompareImageSequences(std::ostream& out, std::ostream& err);

// For every prepared result folder and result name ("Step2", "31X31"):
// the five variants of the image around its error image. A pair that
// cannot be read, or whose images differ in size, is named in one line
// and skipped. Returns the number of images written.
int MakeErrorImages(std::ostream& out, std::ostream& err);
// The prepared result folders, in the order they are processed.
const std::vector<std::string>& ErrorImageFolders();
