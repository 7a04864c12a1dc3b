// Flat-timeline insertion: a binary search finds where the walk begins;
// the walk then applies the six overlap rules along the array.
#include <algorithm>
#include <cmath>

#include "TimelineInsert.h"

namespace {

double Seconds(uint32_t micro) { return double(micro) * 1e-6; }

}  // namespace

void InsertInterval(FlatTimeline& t, const double ray[3], uint32_t triangle, uint32_t start,
                    uint32_t end, const DepthComparator& depth) {
  if (!(end > start)) return;
  // Pending part of the new interval: [s, e]. Parts cut off where the two
  // triangles of an overlap change places in depth wait in `later`.
  uint32_t s = start, e = end;
  struct Part {
    uint32_t start, end;
  } later[kMaxCuts];
  int cuts = 0;
  // The last interval whose start is not after s (or the first).
  size_t i = size_t(std::upper_bound(t.begin(), t.end(), s,
                                     [](uint32_t v, const TimelineSpan& x) {
                                       return v < x.startMicro;
                                     }) -
                    t.begin());
  if (i > 0) i--;
  auto insertAt = [&t](size_t at, uint32_t tri, uint32_t a, uint32_t b) {
    t.insert(t.begin() + std::ptrdiff_t(at), TimelineSpan{tri, a, b});
  };
  bool pending = true;
  while (i < t.size() && pending) {
    const uint32_t xs = t[i].startMicro, xe = t[i].endMicro;
    // Microsecond counts are exact in double, so the double rules classify
    // them exactly.
    const Overlap kind = Classify(s, e, xs, xe);
    bool xNearer = false;
    double lo, hi;
    if (OverlapOf(kind, s, e, xs, xe, &lo, &hi)) {
      const OverlapOrder order =
          depth.Order(ray, triangle, t[i].triangleId, Seconds(uint32_t(lo)), Seconds(uint32_t(hi)));
      const long long swap = order.swap >= 0 ? std::llround(order.swap * 1e6) : -1;
      if (swap > lo && swap < hi && cuts < kMaxCuts) {
        later[cuts++] = {uint32_t(swap), e};
        e = uint32_t(swap);
        continue;  // the shortened interval is classified again
      }
      xNearer = order.existingNearer;
    }
    switch (kind) {
      case Overlap::kBefore:
        insertAt(i, triangle, s, e);
        pending = false;
        break;
      case Overlap::kAfter:
        i++;
        break;
      case Overlap::kHeadOverlap:
        if (xNearer) {
          e = xs;
          if (s < e) insertAt(i, triangle, s, e);
        } else if (e < xe) {
          t[i].startMicro = e;
          insertAt(i, triangle, s, e);
        } else {
          // X is wholly taken: it becomes N in place (its order is kept,
          // since N starts after every earlier interval ends).
          t[i] = {triangle, s, e};
        }
        pending = false;
        break;
      case Overlap::kTailOverlap:
        if (xNearer)
          s = xe;
        else
          t[i].endMicro = s;
        i++;
        break;
      case Overlap::kCovers:
        if (xNearer) {
          if (s < xs) insertAt(i++, triangle, s, xs);
          s = xe;
          i++;
        } else {
          t.erase(t.begin() + std::ptrdiff_t(i));
        }
        break;
      case Overlap::kInside:
        if (!xNearer) {
          const uint32_t xt = t[i].triangleId;
          t[i].endMicro = s;
          insertAt(i + 1, triangle, s, e);
          if (e < xe) insertAt(i + 2, xt, e, xe);
        }
        pending = false;
        break;
      case Overlap::kWrong:  // cannot happen with whole numbers
        i++;
        break;
    }
  }
  if (pending && s < e) insertAt(i, triangle, s, e);
  for (int k = 0; k < cuts; k++) InsertInterval(t, ray, triangle, later[k].start, later[k].end, depth);
}
