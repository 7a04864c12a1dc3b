// Timelines built by hand for the buffer and table tests: intervals
// threaded in the order given (a degenerate but valid search tree for the
// tree form); the timeline owns its nodes.
#pragma once

#include <initializer_list>
#include <memory>
#include <tuple>

#include "SuperPixel.h"

inline void Append(SuperPixel* sp, uint32_t t, double s, double e) {
  auto* c = new CoverageInterval;
  c->triangleId = t;
  c->start = s;
  c->end = e;
  CoverageInterval** link = &sp->head;
  while (*link != nullptr) {
    c->previous = *link;
    link = &(*link)->next;
  }
  *link = c;
  sp->count++;
}

inline void Append(SuperPixelTree* tree, uint32_t t, double s, double e) {
  auto* n = new IntervalNode;
  n->triangleId = t;
  n->start = s;
  n->end = e;
  if (tree->first == nullptr) {
    tree->first = tree->root = n;
  } else {
    IntervalNode* last = tree->first;
    while (last->next != nullptr) last = last->next;
    last->next = last->right = n;
    n->previous = last;
  }
  tree->count++;
}

template <typename Timeline>
std::unique_ptr<Timeline> MakeTimeline(
    std::initializer_list<std::tuple<uint32_t, double, double>> intervals) {
  auto timeline = std::make_unique<Timeline>();
  for (const auto& [t, s, e] : intervals) Append(timeline.get(), t, s, e);
  return timeline;
}
