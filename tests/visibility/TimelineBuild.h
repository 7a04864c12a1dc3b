// Timelines built by hand for the buffer and table tests: intervals in the
// order given; the list timeline owns its nodes.
#pragma once

#include <cmath>
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

template <typename Timeline>
std::unique_ptr<Timeline> MakeTimeline(
    std::initializer_list<std::tuple<uint32_t, double, double>> intervals) {
  auto timeline = std::make_unique<Timeline>();
  for (const auto& [t, s, e] : intervals) Append(timeline.get(), t, s, e);
  return timeline;
}

inline FlatTimeline Flat(std::initializer_list<std::tuple<uint32_t, double, double>> intervals) {
  FlatTimeline t;
  for (const auto& [id, s, e] : intervals)
    t.push_back({id, uint32_t(std::llround(s * 1e6)), uint32_t(std::llround(e * 1e6))});
  return t;
}
