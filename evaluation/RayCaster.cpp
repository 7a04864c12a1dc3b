#include "RayCaster.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "ObjLoader.h"
#include "PPC.h"

namespace {

// Moeller-Trumbore: distance along the ray and the barycentric weights of
// vertices 1 and 2. False when the ray runs parallel to the plane.
bool Intersect(const Vex3_quarnd& o, const Vex3_quarnd& d, const Vex3_quarnd* p, double* t,
               double* u, double* v, bool* grazing) {
  const Vex3_quarnd e1 = p[1] - p[0], e2 = p[2] - p[0];
  const Vex3_quarnd pv = d.Cross(e2);
  const double det = e1.Dot(pv);
  const double extent = e1.Length() * e2.Length();
  // Parallel within rounding of the plane's own extent: no meaningful hit.
  if (!(std::fabs(det) > 1e-15 * extent)) return false;
  // Seen nearly edge-on, the hit is a matter of rounding.
  *grazing = std::fabs(det) < 1e-9 * extent;
  const double inv = 1 / det;
  const Vex3_quarnd tv = o - p[0];
  *u = tv.Dot(pv) * inv;
  const Vex3_quarnd qv = tv.Cross(e1);
  *v = d.Dot(qv) * inv;
  *t = e2.Dot(qv) * inv;
  return true;
}

}  // namespace

RayCaster::RayCaster(const PPC& camera) {
  eye_ = Vex3_quarnd(camera.eye);
  a_ = Vex3_quarnd(camera.a);
  b_ = Vex3_quarnd(camera.b);
  c_ = Vex3_quarnd(camera.corner);
  w_ = camera.w;
  h_ = camera.h;
  // Inverse of the column matrix [a b c], by cofactors.
  const Vex3_quarnd r0 = b_.Cross(c_), r1 = c_.Cross(a_), r2 = a_.Cross(b_);
  const double det = a_.Dot(r0);
  if (det != 0) {
    const Vex3_quarnd rows[3] = {r0 / det, r1 / det, r2 / det};
    for (int i = 0; i < 3; i++) {
      inv_[3 * i] = rows[i].x;
      inv_[3 * i + 1] = rows[i].y;
      inv_[3 * i + 2] = rows[i].z;
    }
  }
}

void RayCaster::AddTriangle(int32_t id, const Vex3_quarn a[3], const Vex3_quarn b[3]) {
  ids_.push_back(id);
  for (int k = 0; k < 3; k++) {
    start_.push_back(a[k]);
    end_.push_back(b[k]);
  }
}

void RayCaster::AddMesh(const ObjLoader& first, const ObjLoader* second) {
  const ObjLoader& to = second ? *second : first;
  for (int32_t g = 0; g < first.GroupsHeld(); g++) {
    for (int32_t k = 0; k < first.groupTriCount[g]; k++) {
      const uint32_t* t = first.Triangle(g, k);
      Vex3_quarn a[3], b[3];
      bool ok = true;
      for (int i = 0; i < 3; i++) {
        if (t[i] >= first.positions.size() || t[i] >= to.positions.size()) {
          ok = false;
          break;
        }
        a[i] = first.positions[t[i]];
        b[i] = to.positions[t[i]];
      }
      const int32_t id = first.IdOf(g, k);
      if (ok && id >= 0) AddTriangle(id, a, b);
    }
  }
}

Vex3_quarnd RayCaster::WindowRay(double x, double y) const {
  return (c_ + a_ * x + b_ * (h_ - y)).Normalized();
}

bool RayCaster::WindowOf(const Vex3_quarnd& d, double* x, double* y) const {
  const double u = inv_[0] * d.x + inv_[1] * d.y + inv_[2] * d.z;
  const double v = inv_[3] * d.x + inv_[4] * d.y + inv_[5] * d.z;
  const double w = inv_[6] * d.x + inv_[7] * d.y + inv_[8] * d.z;
  if (!(w > 1e-12 * d.Length())) return false;
  // Image coordinates (rows from the top) to window ones (from the bottom).
  *x = u / w;
  *y = h_ - v / w;
  return true;
}

void RayCaster::Positions(uint32_t i, double t, Vex3_quarnd p[3]) const {
  for (int k = 0; k < 3; k++) {
    const Vex3_quarnd a(start_[3 * size_t(i) + k]), b(end_[3 * size_t(i) + k]);
    p[k] = a * (1 - t) + b * t;
  }
}

void RayCaster::BinAt(double t) {
  bins_.resize(1);
  Bin(t, t, &bins_[0]);
}

void RayCaster::BinSpans(int spans) {
  spans = std::max(1, spans);
  bins_.resize(size_t(spans));
  for (int i = 0; i < spans; i++) Bin(double(i) / spans, double(i + 1) / spans, &bins_[size_t(i)]);
}

void RayCaster::Bin(double t0, double t1, Bins* bins) const {
  Bins& B = *bins;
  B.t0 = t0;
  B.t1 = t1;
  const size_t n = ids_.size();
  // Window box of every triangle over the moments: a point moving on a
  // line in front of the eye projects onto the segment between its
  // projected ends, so the boxes at t0 and t1 hold it throughout. Boxes are
  // a pixel wider than the projections, so that rays a method made from
  // the camera's GL arrays, which agree with the record only to float
  // precision, find them too.
  B.box.assign(4 * n, 0.0f);
  B.behind.clear();
  B.offscreen.clear();
  std::vector<uint8_t> onScreen(n, 0);
  double sizes = 0;
  size_t counted = 0;
  for (size_t i = 0; i < n; i++) {
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    bool front = true;
    for (int m = 0; m < (t0 == t1 ? 1 : 2); m++) {
      const double t = m == 0 ? t0 : t1;
      Vex3_quarnd p[3];
      Positions(uint32_t(i), t, p);
      for (int k = 0; k < 3 && front; k++) {
        double x = 0, y = 0;
        front = WindowOf(p[k] - eye_, &x, &y);
        lo[0] = std::min(lo[0], x);
        hi[0] = std::max(hi[0], x);
        lo[1] = std::min(lo[1], y);
        hi[1] = std::max(hi[1], y);
      }
    }
    if (!front) {
      B.behind.push_back(uint32_t(i));
      continue;
    }
    if (hi[0] < -1 || hi[1] < -1 || lo[0] > w_ + 1 || lo[1] > h_ + 1) continue;
    float* ib = &B.box[4 * i];
    ib[0] = float(std::max(lo[0], -2.0) - 1);
    ib[1] = float(std::max(lo[1], -2.0) - 1);
    ib[2] = float(std::min(hi[0], w_ + 2.0) + 1);
    ib[3] = float(std::min(hi[1], h_ + 2.0) + 1);
    onScreen[i] = 1;
    sizes += std::max(ib[2] - ib[0], ib[3] - ib[1]);
    counted++;
    // A triangle reaching off screen is also tried by the rays outside it.
    if (lo[0] < 1 || lo[1] < 1 || hi[0] > w_ - 1 || hi[1] > h_ - 1) B.offscreen.push_back(uint32_t(i));
  }
  // Tiles about as wide as a typical box: few triangles per tile, few
  // tiles per triangle.
  B.tile = 1;
  const double typical = counted ? sizes / double(counted) - 2 : 8;
  while (B.tile < 16 && B.tile * 2 <= typical) B.tile *= 2;
  B.tilesX = (w_ + B.tile - 1) / B.tile;
  B.tilesY = (h_ + B.tile - 1) / B.tile;
  auto range = [&](size_t i, int r[4]) {
    const float* ib = &B.box[4 * i];
    r[0] = int(std::clamp(double(ib[0]), 0.0, w_ - 1.0)) / B.tile;
    r[1] = int(std::clamp(double(ib[1]), 0.0, h_ - 1.0)) / B.tile;
    r[2] = int(std::clamp(double(ib[2]), 0.0, w_ - 1.0)) / B.tile;
    r[3] = int(std::clamp(double(ib[3]), 0.0, h_ - 1.0)) / B.tile;
  };
  std::vector<uint32_t> counts(size_t(B.tilesX) * B.tilesY + 1, 0);
  for (size_t i = 0; i < n; i++) {
    if (!onScreen[i]) continue;
    int r[4];
    range(i, r);
    for (int ty = r[1]; ty <= r[3]; ty++)
      for (int tx = r[0]; tx <= r[2]; tx++) counts[size_t(ty) * B.tilesX + tx + 1]++;
  }
  for (size_t i = 1; i < counts.size(); i++) counts[i] += counts[i - 1];
  B.tileStart = counts;
  B.tileList.resize(counts.back());
  for (size_t i = 0; i < n; i++) {
    if (!onScreen[i]) continue;
    int r[4];
    range(i, r);
    for (int ty = r[1]; ty <= r[3]; ty++)
      for (int tx = r[0]; tx <= r[2]; tx++) B.tileList[counts[size_t(ty) * B.tilesX + tx]++] = uint32_t(i);
  }
}

RayHit RayCaster::Cast(const Vex3_quarnd& d, double time) const {
  RayHit best;
  double bestT = 1e300;
  double bestEdge = 0;     // smallest barycentric weight of the nearest hit
  double nearMiss = 1e300;  // nearest triangle missed by less than the band
  double secondT = 1e300;   // nearest other hit
  auto consider = [&](uint32_t i) {
    Vex3_quarnd p[3];
    Positions(i, time, p);
    double t, u, v;
    bool grazing = false;
    if (!Intersect(eye_, d, p, &t, &u, &v, &grazing) || !(t > 0)) return;
    double m = std::min({u, v, 1 - u - v});
    if (m < -kTieBand) return;
    if (m < 0) {
      nearMiss = std::min(nearMiss, t);
      return;
    }
    if (grazing) m = 0;  // a tie, like a ray on an edge
    if (t < bestT || (t == bestT && ids_[i] < best.id)) {
      secondT = bestT;
      bestT = t;
      bestEdge = m;
      best.id = ids_[i];
    } else {
      secondT = std::min(secondT, t);
    }
  };
  // The bins of the moment: the first whose span reaches it.
  const Bins* B = bins_.empty() ? nullptr : &bins_.back();
  for (const Bins& b : bins_)
    if (time <= b.t1) {
      B = &b;
      break;
    }
  if (!B) return best;
  double x, y;
  if (WindowOf(d, &x, &y) && x >= 0 && x < w_ && y >= 0 && y < h_) {
    const size_t tile = size_t(int(y) / B->tile) * size_t(B->tilesX) + size_t(int(x) / B->tile);
    for (uint32_t k = B->tileStart[tile]; k < B->tileStart[tile + 1]; k++) {
      const uint32_t i = B->tileList[k];
      const float* ib = &B->box[4 * size_t(i)];
      if (x >= ib[0] && x <= ib[2] && y >= ib[1] && y <= ib[3]) consider(i);
    }
  } else {
    for (uint32_t i : B->offscreen) consider(i);
  }
  // Triangles reaching behind the eye plane are in no tile.
  for (uint32_t i : B->behind) consider(i);
  if (best.id < 0) {
    best.tie = nearMiss < 1e300;
    return best;
  }
  best.distance = bestT;
  best.tie = bestEdge <= kTieBand || nearMiss <= bestT ||
             secondT - bestT <= 1e-9 * bestT;
  return best;
}

std::vector<uint8_t> VisibleAtPixelSamples(RayCaster& caster, int perSide,
                                           const std::vector<double>& times, int threads,
                                           int64_t* ties, const CastProgress& progress) {
  perSide = std::max(1, perSide);
  threads = std::max(1, threads);
  const int w = caster.width(), h = caster.height();
  const size_t ids = size_t(caster.MaxId() + 1);
  std::vector<std::vector<uint8_t>> seen(size_t(threads), std::vector<uint8_t>(ids, 0));
  std::vector<int64_t> tieCounts(size_t(threads), 0);
  if (ties) *ties = 0;
  if (w <= 0 || h <= 0 || times.empty()) return std::vector<uint8_t>(ids, 0);

  // Bands of whole pixel rows of about 64k rays, at least four per thread,
  // so the threads finish together and progress comes often.
  const int64_t perRow = int64_t(w) * perSide * perSide;
  const int64_t total = perRow * h * int64_t(times.size());
  int rows = int(std::min<int64_t>(h, (65536 + perRow - 1) / perRow));
  rows = std::max(1, std::min(rows, h / (4 * threads)));
  const int bands = (h + rows - 1) / rows;

  std::mutex mutex;
  std::condition_variable changed;
  int64_t done = 0, reported = 0;
  for (double t : times) {
    caster.BinAt(t);
    std::atomic<int> next{0};
    int finished = 0;
    auto work = [&](int k) {
      std::vector<uint8_t>& mine = seen[size_t(k)];
      int64_t tied = 0;
      for (int band = next++; band < bands; band = next++) {
        const int r0 = band * rows, r1 = std::min(h, r0 + rows);
        for (int row = r0; row < r1; row++)
          for (int col = 0; col < w; col++)
            for (int j = 0; j < perSide; j++)
              for (int i = 0; i < perSide; i++) {
                const RayHit hit = caster.Cast(
                    caster.WindowRay(col + (i + 0.5) / perSide, row + (j + 0.5) / perSide), t);
                if (hit.tie) tied++;
                if (hit.id >= 0) mine[size_t(hit.id)] = 1;
              }
        std::lock_guard<std::mutex> lock(mutex);
        done += perRow * (r1 - r0);
        changed.notify_one();
      }
      tieCounts[size_t(k)] += tied;
      std::lock_guard<std::mutex> lock(mutex);
      finished++;
      changed.notify_one();
    };
    std::vector<std::thread> pool;
    for (int k = 0; k < threads; k++) pool.emplace_back(work, k);
    // Progress is reported here, on the caller's thread, never by a worker.
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return finished == threads || done != reported; });
      if (done != reported) {
        reported = done;
        if (progress) {
          lock.unlock();
          progress(reported, total);
          lock.lock();
        }
      } else if (finished == threads) {
        break;
      }
    }
    lock.unlock();
    for (std::thread& th : pool) th.join();
  }
  std::vector<uint8_t> flags(ids, 0);
  for (const auto& s : seen)
    for (size_t i = 0; i < ids; i++) flags[i] |= s[i];
  if (ties)
    for (int64_t c : tieCounts) *ties += c;
  return flags;
}
