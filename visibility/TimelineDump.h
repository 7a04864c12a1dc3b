// Text dump of a list-form timeline, one block per sample:
//   Super Pixel[x,y]:
//   <count>
//   \tTID <id>: [<start>,<start distance>]->[<end>,<end distance>]
// ("\tTID<id>" without the blank for a finalised timeline).
#pragma once

#include <iosfwd>

#include "SuperPixel.h"

// Recounts the intervals (stored in the timeline's count) and writes the
// block.
void DumpTimeline(SuperPixel& timeline, std::ostream& out);
