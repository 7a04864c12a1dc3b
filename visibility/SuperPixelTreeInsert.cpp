// Tree-form timeline insertion: the search tree (keyed by start time) finds
// where the walk begins; the time-order thread carries the walk itself.
#include <vector>

#include "TimelineInsert.h"

namespace {

// Subtree over nodes[lo, hi) in time order, split at the middle.
IntervalNode* BuildBalanced(IntervalNode* const* nodes, size_t lo, size_t hi) {
  if (lo >= hi) return nullptr;
  size_t mid = lo + (hi - lo) / 2;
  IntervalNode* n = nodes[mid];
  n->left = BuildBalanced(nodes, lo, mid);
  n->right = BuildBalanced(nodes, mid + 1, hi);
  return n;
}

// Intervals of one triangle's sweep arrive in time order at neighbouring
// samples, so a plain search tree tends to grow into a list. When a path
// gets much longer than a balanced tree's, the tree is rebuilt balanced from
// the time-order thread (same nodes, same order, O(count)).
void Rebalance(SuperPixelTree& t) {
  static thread_local std::vector<IntervalNode*> nodes;
  nodes.clear();
  for (IntervalNode* c = t.first; c; c = c->next) nodes.push_back(c);
  t.root = BuildBalanced(nodes.data(), 0, nodes.size());
}

bool TooDeep(int depth, int32_t count) {
  int log2 = 0;
  while ((int64_t(1) << log2) <= int64_t(count)) log2++;
  return depth > 2 * log2 + 4;
}

// Inserts n into the search tree: smaller starts to the left, equal or
// greater to the right. Returns the depth n was placed at.
int TreeInsert(SuperPixelTree& t, IntervalNode* n) {
  n->left = n->right = nullptr;
  if (!t.root) {
    t.root = n;
    return 0;
  }
  IntervalNode* p = t.root;
  for (int depth = 1;; depth++) {
    IntervalNode*& child = n->start < p->start ? p->left : p->right;
    if (!child) {
      child = n;
      return depth;
    }
    p = child;
  }
}

// Removes x from the search tree. Starts of the intervals present are
// distinct (they are disjoint and non-empty), so the path to x follows the
// keys; node identity settles it.
void TreeRemove(SuperPixelTree& t, IntervalNode* x) {
  IntervalNode** link = &t.root;
  while (*link && *link != x) link = x->start < (*link)->start ? &(*link)->left : &(*link)->right;
  if (!*link) return;
  if (!x->left) {
    *link = x->right;
  } else if (!x->right) {
    *link = x->left;
  } else {
    // Replace x by the leftmost node of its right subtree.
    IntervalNode** sLink = &x->right;
    while ((*sLink)->left) sLink = &(*sLink)->left;
    IntervalNode* s = *sLink;
    *sLink = s->right;
    s->left = x->left;
    s->right = x->right;
    *link = s;
  }
}

// Links n after prev in time order (first when prev is null) and in the tree.
void LinkAfter(SuperPixelTree& t, IntervalNode* prev, IntervalNode* n) {
  n->previous = prev;
  n->next = prev ? prev->next : t.first;
  if (n->next) n->next->previous = n;
  if (prev)
    prev->next = n;
  else
    t.first = n;
  t.count++;
  if (TooDeep(TreeInsert(t, n), t.count)) Rebalance(t);
}

void Unlink(SuperPixelTree& t, IntervalNode* x) {
  if (x->previous)
    x->previous->next = x->next;
  else
    t.first = x->next;
  if (x->next) x->next->previous = x->previous;
  TreeRemove(t, x);
  t.count--;
  delete x;
}

IntervalNode* NewNode(uint32_t triangle, double start, double end) {
  IntervalNode* n = new IntervalNode;
  n->triangleId = triangle;
  n->start = start;
  n->end = end;
  return n;
}

// The last interval in time order whose start is not greater than s.
IntervalNode* WalkStart(const SuperPixelTree& t, double s) {
  IntervalNode* best = nullptr;
  for (IntervalNode* p = t.root; p;) {
    if (p->start <= s) {
      best = p;
      p = p->right;
    } else {
      p = p->left;
    }
  }
  return best;
}

}  // namespace

void InsertInterval(SuperPixelTree& t, uint32_t triangle, double start, double end,
                    const DepthComparator& depth, std::ostream& err) {
  if (t.finalised) {
    err << "This super pixel has been finalized already\n";
    return;
  }
  if (!(end > start)) return;
  if (!t.first) {
    LinkAfter(t, nullptr, NewNode(triangle, start, end));
    return;
  }
  // Pending part of the new interval: [s, e]. Parts cut off where the two
  // triangles of an overlap change places in depth wait in `later`.
  double s = start, e = end;
  Span later[kMaxCuts];
  int cuts = 0;
  IntervalNode* x = WalkStart(t, s);
  if (!x) x = t.first;
  IntervalNode* prev = x->previous;
  bool pending = true;
  while (x && pending) {
    const double xs = x->start, xe = x->end;
    const Overlap kind = Classify(s, e, xs, xe);
    bool xNearer = false;
    double lo, hi;
    if (OverlapOf(kind, s, e, xs, xe, &lo, &hi)) {
      const OverlapOrder order = depth.Order(t.ray, triangle, x->triangleId, lo, hi);
      if (order.swap > lo && order.swap < hi && cuts < kMaxCuts) {
        later[cuts++] = {order.swap, e};
        e = order.swap;
        continue;  // the shortened interval is classified again
      }
      xNearer = order.existingNearer;
    }
    switch (kind) {
      case Overlap::kBefore:
        LinkAfter(t, prev, NewNode(triangle, s, e));
        pending = false;
        break;
      case Overlap::kAfter:
        prev = x;
        x = x->next;
        break;
      case Overlap::kHeadOverlap:
        if (xNearer) {
          e = xs;
          if (s < e) LinkAfter(t, prev, NewNode(triangle, s, e));
        } else if (e < xe) {
          x->start = e;
          LinkAfter(t, prev, NewNode(triangle, s, e));
        } else {
          // X is wholly taken: it becomes N in place (its order is kept,
          // since N starts after every earlier interval ends).
          x->triangleId = triangle;
          x->start = s;
          x->end = e;
        }
        pending = false;
        break;
      case Overlap::kTailOverlap:
        if (xNearer)
          s = xe;
        else
          x->end = s;
        prev = x;
        x = x->next;
        break;
      case Overlap::kCovers:
        if (xNearer) {
          if (s < xs) LinkAfter(t, prev, NewNode(triangle, s, xs));
          s = xe;
          prev = x;
          x = x->next;
        } else {
          IntervalNode* next = x->next;
          Unlink(t, x);
          x = next;
        }
        break;
      case Overlap::kInside:
        if (!xNearer) {
          uint32_t xt = x->triangleId;
          x->end = s;
          IntervalNode* n = NewNode(triangle, s, e);
          LinkAfter(t, x, n);
          if (e < xe) LinkAfter(t, n, NewNode(xt, e, xe));
        }
        pending = false;
        break;
      case Overlap::kWrong:
        err << "Wrong classification\n";
        prev = x;
        x = x->next;
        break;
    }
  }
  if (pending && s < e) LinkAfter(t, prev, NewNode(triangle, s, e));
  for (int i = 0; i < cuts; i++) InsertInterval(t, triangle, later[i].start, later[i].end, depth, err);
}
