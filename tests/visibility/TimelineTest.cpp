// Timeline insertion in both forms: the overlap rules, short intervals,
// and agreement with a direct nearest-interval search.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <sstream>
#include <vector>

#include "TimelineInsert.h"

namespace {

// Every triangle at a fixed distance.
class FixedDepths : public DepthComparator {
 public:
  std::map<uint32_t, double> depth;
  mutable int calls = 0;
  bool ExistingNearer(const double*, uint32_t n, uint32_t x, double) const override {
    calls++;
    return depth.at(n) - depth.at(x) > 0;
  }
};

struct Piece {
  uint32_t t;
  double s, e;
  // The flat form's times are whole microseconds, read back as multiples
  // of 1e-6: equal to the decimal times to rounding.
  bool operator==(const Piece& o) const {
    return t == o.t && std::fabs(s - o.s) < 1e-9 && std::fabs(e - o.e) < 1e-9;
  }
};
std::ostream& operator<<(std::ostream& os, const Piece& p) {
  return os << p.t << ":[" << p.s << "," << p.e << "]";
}

std::vector<Piece> Pieces(const SuperPixel& sp) {
  std::vector<Piece> v;
  for (const CoverageInterval* c = sp.head; c; c = c->next) {
    if (c->next) {
      EXPECT_EQ(c->next->previous, c);
    }
    v.push_back({c->triangleId, c->start, c->end});
  }
  return v;
}

std::vector<Piece> Pieces(const FlatTimeline& t) {
  std::vector<Piece> v;
  for (size_t i = 0; i < t.size(); i++) {
    if (i > 0) {
      EXPECT_LE(t[i - 1].endMicro, t[i].startMicro);  // sorted and disjoint
    }
    v.push_back({t[i].triangleId, t[i].Start(), t[i].End()});
  }
  return v;
}

uint32_t Micro(double t) { return uint32_t(std::llround(t * 1e6)); }

CoverageInterval Iv(uint32_t t, double s, double e) {
  CoverageInterval c;
  c.triangleId = t;
  c.start = s;
  c.end = e;
  return c;
}

// Applies the same insertions to both forms and returns both results.
struct Both {
  SuperPixel list;
  FlatTimeline flat;
  FixedDepths depths;
  void Insert(uint32_t t, double s, double e) {
    const double ray[3] = {0, 0, 1};
    InsertInterval(list, Iv(t, s, e), depths);
    InsertInterval(flat, ray, t, Micro(s), Micro(e), depths);
  }
};

}  // namespace

TEST(Timeline, Classification) {
  EXPECT_EQ(Classify(0.1, 0.2, 0.2, 0.3), Overlap::kBefore);
  EXPECT_EQ(Classify(0.3, 0.5, 0.1, 0.3), Overlap::kAfter);
  EXPECT_EQ(Classify(0.1, 0.25, 0.2, 0.3), Overlap::kHeadOverlap);
  EXPECT_EQ(Classify(0.2, 0.3, 0.2, 0.3), Overlap::kHeadOverlap);
  EXPECT_EQ(Classify(0.25, 0.4, 0.2, 0.3), Overlap::kTailOverlap);
  EXPECT_EQ(Classify(0.2, 0.4, 0.2, 0.3), Overlap::kCovers);
  EXPECT_EQ(Classify(0.25, 0.3, 0.2, 0.3), Overlap::kInside);
  EXPECT_EQ(Classify(NAN, 0.3, 0.2, 0.3), Overlap::kWrong);
}

// Insertions applied to both forms, each case with its depths (smaller is
// nearer) and the pieces both forms must hold after.
struct InsertCase {
  const char* name;
  std::map<uint32_t, double> depth;
  std::vector<Piece> inserts, want;
  bool compares = true;  // false: no depth comparison may be needed
};
const InsertCase kInsertCases[] = {
    {"nearer partial overlap takes its part", {{1, 10}, {2, 5}},
     {{1, 0.2, 0.6}, {2, 0.4, 0.8}}, {{1, 0.2, 0.4}, {2, 0.4, 0.8}}},
    {"farther interval ending inside", {{1, 5}, {2, 10}},
     {{1, 0.4, 0.8}, {2, 0.2, 0.6}}, {{2, 0.2, 0.4}, {1, 0.4, 0.8}}},
    {"cover by a nearer interval", {{1, 10}, {2, 5}},
     {{1, 0.4, 0.5}, {2, 0.2, 0.8}}, {{2, 0.2, 0.8}}},
    {"cover by a farther interval", {{1, 5}, {2, 10}},
     {{1, 0.4, 0.5}, {2, 0.2, 0.8}}, {{2, 0.2, 0.4}, {1, 0.4, 0.5}, {2, 0.5, 0.8}}},
    {"farther interval covering two keeps the pieces between", {{1, 5}, {2, 5}, {3, 10}},
     {{1, 0.2, 0.3}, {2, 0.5, 0.6}, {3, 0.1, 0.9}},
     {{3, 0.1, 0.2}, {1, 0.2, 0.3}, {3, 0.3, 0.5}, {2, 0.5, 0.6}, {3, 0.6, 0.9}}},
    {"farther inside", {{1, 5}, {2, 10}}, {{1, 0.2, 0.8}, {2, 0.4, 0.5}}, {{1, 0.2, 0.8}}},
    {"nearer inside", {{1, 10}, {2, 5}},
     {{1, 0.2, 0.8}, {2, 0.4, 0.5}}, {{1, 0.2, 0.4}, {2, 0.4, 0.5}, {1, 0.5, 0.8}}},
    {"head overlap, then nearer than all", {{1, 5}, {2, 10}, {3, 1}},
     {{1, 0.4, 0.8}, {2, 0.2, 0.6}, {3, 0.1, 0.9}}, {{3, 0.1, 0.9}}},
    {"nearer with the same end takes the existing whole", {{1, 5}, {2, 1}},
     {{1, 0.4, 0.8}, {2, 0.3, 0.8}}, {{2, 0.3, 0.8}}},
    {"touching intervals both kept", {{1, 5}, {2, 1}},
     {{1, 0.1, 0.3}, {2, 0.3, 0.5}}, {{1, 0.1, 0.3}, {2, 0.3, 0.5}}, false},
};

TEST(Timeline, InsertionRulesInBothForms) {
  for (const InsertCase& c : kInsertCases) {
    SCOPED_TRACE(c.name);
    Both b;
    b.depths.depth = c.depth;
    for (const Piece& p : c.inserts) b.Insert(p.t, p.s, p.e);
    EXPECT_EQ(Pieces(b.list), c.want);
    EXPECT_EQ(Pieces(b.flat), c.want);
    if (!c.compares) {
      EXPECT_EQ(b.depths.calls, 0);  // "after" needs no comparison
    }
  }
  // Both forms keep a short interval: it hides what lies behind it.
  Both b;
  b.depths.depth = {{1, 1}, {2, 5}};
  b.Insert(2, 0.0, 1.0);
  b.Insert(1, 0.5, 0.50005);
  const std::vector<Piece> want = {{2, 0.0, 0.5}, {1, 0.5, 0.50005}, {2, 0.50005, 1.0}};
  EXPECT_EQ(Pieces(b.list), want);
  EXPECT_EQ(Pieces(b.flat), want);
}

TEST(Timeline, FinalisedAndWrongClassification) {
  Both b;
  b.depths.depth = {{1, 5}, {2, 1}};
  b.Insert(1, 0.1, 0.3);
  b.list.Finalise();
  std::ostringstream err;
  InsertInterval(b.list, Iv(2, 0.2, 0.4), b.depths, err);
  EXPECT_EQ(err.str(), "This super pixel has been finalized already\n");
  EXPECT_EQ(b.list.CountIntervals(), 1);

  Both w;
  w.depths.depth = {{1, 5}, {2, 1}};
  w.Insert(1, 0.1, 0.3);
  std::ostringstream err2;
  InsertInterval(w.list, Iv(2, NAN, 0.4), w.depths, err2);
  EXPECT_EQ(err2.str(), "Wrong classification\n");
  EXPECT_EQ(Pieces(w.list).size(), 1u);  // a time that is no number is not kept
}

// Random insertions against the nearest covering interval found directly.
TEST(Timeline, AgreesWithNearestCoveringInterval) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> U(0, 1);
  for (int trial = 0; trial < 300; trial++) {
    Both b;
    std::vector<Piece> ins;
    int n = 1 + trial % 25;
    for (int i = 0; i < n; i++) {
      // Whole thousandths, each end divided once, so equal ends are equal
      // doubles in the list form as in the flat one.
      const double s0 = std::floor(U(rng) * 1000), len = std::floor(1 + U(rng) * 300);
      const double s = s0 / 1000, e = std::min(1000.0, s0 + len) / 1000;
      uint32_t t = uint32_t(i);
      b.depths.depth[t] = U(rng);
      ins.push_back({t, s, e});
      if (ins.back().e - ins.back().s < 1e-3) {
        ins.pop_back();
        continue;
      }
      b.Insert(t, ins.back().s, ins.back().e);
    }
    std::vector<Piece> lp = Pieces(b.list), tp = Pieces(b.flat);
    ASSERT_EQ(lp, tp) << "trial " << trial;
    for (int k = 0; k < 400; k++) {
      double time = (k + 0.25) / 400;  // never on a multiple of 1/1000
      int64_t best = -1;
      for (const Piece& in : ins)
        if (time > in.s && time < in.e &&
            (best < 0 || b.depths.depth[in.t] < b.depths.depth[uint32_t(best)]))
          best = in.t;
      int64_t got = -1;
      for (const Piece& p : lp)
        if (time > p.s && time < p.e) got = p.t;
      ASSERT_EQ(got, best) << "trial " << trial << " time " << time;
    }
  }
}
