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
  while (x && !placed) {
    last = x;
    const double s = n->start, e = n->end, xs = x->start, xe = x->end;
    switch (Classify(s, e, xs, xe)) {
      case Overlap::kBefore:
        LinkBefore(sp, n, x);
        placed = true;
        break;
      case Overlap::kAfter:
        x = x->next;
        break;
      case Overlap::kHeadOverlap:
        if (depth.ExistingNearer(sp.ray, n->triangleId, x->triangleId, (xs + e) / 2))
          n->end = xs;
        else
          x->start = e;
        LinkBefore(sp, n, x);
        placed = true;
        break;
      case Overlap::kTailOverlap:
        if (depth.ExistingNearer(sp.ray, n->triangleId, x->triangleId, (s + xe) / 2))
          n->start = xe;
        else
          x->end = s;
        x = x->next;
        break;
      case Overlap::kCovers:
        if (depth.ExistingNearer(sp.ray, n->triangleId, x->triangleId, (xs + xe) / 2)) {
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
        if (depth.ExistingNearer(sp.ray, n->triangleId, x->triangleId, (s + e) / 2)) {
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
}
