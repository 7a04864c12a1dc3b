// The sample id image: per pixel the colour its first sample holds (the
// triangle id after a depth pass), as an 8-bit RGB TIFF.
#include <vector>

#include "SampleFiles.h"
#include "SampleLocationBuffer.h"
#include "TiffIO.h"

int WriteSampleIdImage(const SampleLocationBuffer& buffer, const std::string& path, std::ostream& err) {
  // Rows from the bottom in memory; the writer puts the buffer's last row
  // first in the file, and keeps the first three bytes of every colour.
  std::vector<uint32_t> colours(buffer.pixels.size());
  for (size_t i = 0; i < buffer.pixels.size(); i++) colours[i] = buffer.pixels[i].samples[0].color;
  return WriteTiff(colours.data(), path, buffer.height, buffer.width, err);
}
