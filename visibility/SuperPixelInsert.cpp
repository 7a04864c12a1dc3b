// List-form timeline insertion and the overlap classification shared with
// the tree form.
#include "TimelineInsert.h"

Overlap Classify(double s, double e, double xs, double xe) {
  if (e <= xs) return Overlap::kBefore;
  if (s >= xe) return Overlap::kAfter;
  if (s <= xs && xs < e && e <= xe) return Overlap::kHeadOverlap;
  if (xs < s && s < xe && xe < e) return Overlap::kTailOverlap;
  if (s <= xs && e > xe) return Overlap::kCovers;
  if (xs < s && e <= xe) return Overlap::kInside;
  return Overlap::kWrong;
}

bool OverlapOf(Overlap kind, double s, double e, double xs, double xe, double* lo, double* hi) {
  switch (kind) {
    case Overlap::kHeadOverlap: *lo = xs, *hi = e; return true;
    case Overlap::kTailOverlap: *lo = s, *hi = xe; return true;
    case Overlap::kCovers: *lo = xs, *hi = xe; return true;
    case Overlap::kInside: *lo = s, *hi = e; return true;
    default: return false;
  }
}

namespace {

const char kFinalisedMessage[] = "This super pixel has been finalized already";

CoverageInterval* Copy(const CoverageInterval& c, double start, double end) {
  CoverageInterval* n = new CoverageInterval;
  n->triangleId = c.triangleId;
  n->start = start;
  n->end = end;
  n->startDistance = c.startDistance;
  n->endDistance = c.endDistance;
  return n;
}

void LinkBefore(SuperPixel& sp, CoverageInterval* n, CoverageInterval* x) {
  n->next = x;
  n->previous = x->previous;
  if (x->previous)
    x->previous->next = n;
  else
    sp.head = n;
  x->previous = n;
}

void LinkAfter(CoverageInterval* x, CoverageInterval* n) {
  n->previous = x;
  n->next = x->next;
  if (x->next) x->next->previous = n;
  x->next = n;
}

void RemoveZeroLength(SuperPixel& sp) {
  CoverageInterval* c = sp.head;
  while (c) {
    CoverageInterval* next = c->next;
    if (c->start == c->end) {
      if (c->previous)
        c->previous->next = next;
      else
        sp.head = next;
      if (next) next->previous = c->previous;
      delete c;
    }
    c = next;
  }
}

}  // namespace

void InsertInterval(SuperPixel& sp, const CoverageInterval& interval, const DepthComparator& depth,
                    std::ostream& err) {
  if (sp.finalised) {
    err << kFinalisedMessage << "\n";
    return;
  }
  CoverageInterval* n = Copy(interval, interval.start, interval.end);
  bool placed = false;  // n is linked or dropped
  CoverageInterval* x = sp.head;
  CoverageInterval* last = nullptr;  // the last interval the walk passed
  // Parts cut off where the two triangles of an overlap change places.
  Span later[kMaxCuts];
  int cuts = 0;
  while (x && !placed) {
    last = x;
    const double s = n->start, e = n->end, xs = x->start, xe = x->end;
    const Overlap kind = Classify(s, e, xs, xe);
    bool xNearer = false;
    double lo, hi;
    if (OverlapOf(kind, s, e, xs, xe, &lo, &hi)) {
      const OverlapOrder order = depth.Order(sp.ray, n->triangleId, x->triangleId, lo, hi);
      if (order.swap > lo && order.swap < hi && cuts < kMaxCuts) {
        later[cuts++] = {order.swap, e};
        n->end = order.swap;
        continue;  // the shortened interval is classified again
      }
      xNearer = order.existingNearer;
    }
    switch (kind) {
      case Overlap::kBefore:
        LinkBefore(sp, n, x);
        placed = true;
        break;
      case Overlap::kAfter:
        x = x->next;
        break;
      case Overlap::kHeadOverlap:
        if (xNearer)
          n->end = xs;
        else
          x->start = e;
        LinkBefore(sp, n, x);
        placed = true;
        break;
      case Overlap::kTailOverlap:
        if (xNearer)
          n->start = xe;
        else
          x->end = s;
        x = x->next;
        break;
      case Overlap::kCovers:
        if (xNearer) {
          // X stays whole: the part of N before it is linked, the part after
          // it goes on as the current interval.
          CoverageInterval* rest = Copy(*n, xe, e);
          n->end = xs;
          LinkBefore(sp, n, x);
          n = rest;
        } else {
          x->start = x->end;  // collapsed; removed after the walk
        }
        x = x->next;
        break;
      case Overlap::kInside:
        if (xNearer) {
          delete n;
        } else {
          CoverageInterval* tail = Copy(*x, e, xe);
          x->end = s;
          LinkAfter(x, n);
          LinkAfter(n, tail);
        }
        placed = true;
        break;
      case Overlap::kWrong:
        err << "Wrong classification\n";
        x = x->next;
        break;
    }
  }
  if (!placed) {
    // Past every interval: appended, unless empty (or not a time at all).
    if (n->start < n->end) {
      if (last)
        LinkAfter(last, n);
      else
        sp.head = n;
    } else {
      delete n;
    }
  }
  RemoveZeroLength(sp);
  for (int i = 0; i < cuts; i++) {
    CoverageInterval part = interval;
    part.start = later[i].start;
    part.end = later[i].end;
    InsertInterval(sp, part, depth, err);
  }
}
