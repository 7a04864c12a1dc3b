#include "TimelineDump.h"

#include <ostream>

void DumpTimeline(SuperPixel& timeline, std::ostream& out) {
  out << "Super Pixel[" << timeline.x << "," << timeline.y << "]:\n";
  const int32_t count = timeline.CountIntervals();
  out << count << "\n";
  if (count == 0) return;
  const char* tag = timeline.finalised ? "\tTID" : "\tTID ";
  timeline.ForEachInterval([&](const CoverageInterval& c) {
    out << tag << c.triangleId << ": [" << c.start << "," << c.startDistance << "]->[" << c.end
        << "," << c.endDistance << "]\n";
  });
}
