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

void SuperPixelTree::Empty() {
  IntervalNode* c = first;
  while (c != nullptr) {
    IntervalNode* next = c->next;
    delete c;
    c = next;
  }
  root = first = nullptr;
  finalisedNodes.clear();
  finalisedNodes.shrink_to_fit();
  count = 0;
  finalised = 0;
}

int32_t SuperPixelTree::CountIntervals() {
  if (finalised) return count = int32_t(finalisedNodes.size());
  int32_t n = 0;
  for (const IntervalNode* c = first; c != nullptr; c = c->next) n++;
  return count = n;
}

void SuperPixelTree::Finalise() {
  if (finalised) return;
  std::vector<IntervalNode> array;
  for (const IntervalNode* c = first; c != nullptr; c = c->next) {
    array.push_back(*c);
    IntervalNode& n = array.back();
    n.next = n.previous = n.left = n.right = nullptr;
  }
  Empty();
  finalisedNodes = std::move(array);
  count = int32_t(finalisedNodes.size());
  finalised = 1;
}
