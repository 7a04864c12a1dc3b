#include "SuperPixel.h"

// Nodes are freed by walking the time-order links: every node of either
// form is on that chain, and the walk needs no recursion however deep the
// tree has grown.

void SuperPixel::Empty() {
  CoverageInterval* c = head;
  while (c != nullptr) {
    CoverageInterval* next = c->next;
    delete c;
    c = next;
  }
  head = nullptr;
  finalisedIntervals.clear();
  finalisedIntervals.shrink_to_fit();
  count = 0;
  finalised = 0;
}

int32_t SuperPixel::CountIntervals() {
  if (finalised) return count = int32_t(finalisedIntervals.size());
  int32_t n = 0;
  for (const CoverageInterval* c = head; c != nullptr; c = c->next) n++;
  return count = n;
}

void SuperPixel::Finalise() {
  if (finalised) return;
  std::vector<CoverageInterval> array;
  for (const CoverageInterval* c = head; c != nullptr; c = c->next) {
    array.push_back(*c);
    array.back().next = array.back().previous = nullptr;
  }
  Empty();
  finalisedIntervals = std::move(array);
  count = int32_t(finalisedIntervals.size());
  finalised = 1;
}
