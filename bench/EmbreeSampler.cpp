#include "EmbreeSampler.h"

#include <embree3/rtcore.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

#include "Parallel.h"

namespace {

double Since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

constexpr int kBlock = 4;  // packet side in pixels

struct ThreadSeen {
  std::vector<uint8_t> seen, reported;
  std::vector<DenseSighting> unexpected;
  int64_t hits = 0;
};

}  // namespace

std::string DenseMode::Name() const {
  return std::string(refit ? "refit" : "rebuild") + (packets ? ", 4 x 4 packets" : ", single rays");
}

DenseResult SampleDensely(const DenseScene& scene, const DenseRays& rays, int moments,
                          int threads, const DenseMode& mode,
                          const std::vector<int32_t>& expected, int subset) {
  DenseResult result;
  const auto started = std::chrono::steady_clock::now();
  const std::string config = "threads=" + std::to_string(threads);
  RTCDevice device = rtcNewDevice(config.c_str());
  RTCScene rtScene = rtcNewScene(device);
  rtcSetSceneFlags(rtScene, RTC_SCENE_FLAG_ROBUST | (mode.refit ? RTC_SCENE_FLAG_NONE
                                                                 : RTC_SCENE_FLAG_DYNAMIC));
  rtcSetSceneBuildQuality(rtScene, mode.refit ? RTC_BUILD_QUALITY_MEDIUM : RTC_BUILD_QUALITY_LOW);
  RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
  const size_t vertices = scene.first.size(), tris = scene.triangles.size() / 3;
  // Embree reads vertex buffers 16 bytes at a time: one float of padding.
  float* vb = static_cast<float*>(rtcSetNewGeometryBuffer(
      geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 3 * sizeof(float), vertices + 1));
  unsigned* ib = static_cast<unsigned*>(rtcSetNewGeometryBuffer(
      geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 3 * sizeof(unsigned), tris));
  std::copy(scene.triangles.begin(), scene.triangles.end(), ib);
  rtcSetGeometryBuildQuality(geometry, mode.refit ? RTC_BUILD_QUALITY_REFIT
                                                  : RTC_BUILD_QUALITY_LOW);
  rtcAttachGeometry(rtScene, geometry);

  std::vector<ThreadSeen> perThread(size_t(std::max(1, threads)));
  for (ThreadSeen& t : perThread) {
    t.seen.assign(size_t(scene.idCount), 0);
    t.reported.assign(size_t(scene.idCount), 0);
  }
  const int w = rays.width, h = rays.height;
  const int blocksX = (w + kBlock - 1) / kBlock, blocksY = (h + kBlock - 1) / kBlock;
  const int blocks = blocksX * blocksY;
  const float ox = float(rays.origin.x), oy = float(rays.origin.y), oz = float(rays.origin.z);
  const int count = subset > 0 ? std::min(subset, moments) : moments;

  for (int step = 0; step < count; step++) {
    const int k = subset > 0 ? int(int64_t(step) * (moments - 1) / std::max(1, count - 1)) : step;
    const double time = moments > 1 ? double(k) / (moments - 1) : 0.0;
    const float s = float(time);
    // Positions at this moment, then the BVH.
    const auto u0 = std::chrono::steady_clock::now();
    RunOnThreads(threads, [&](int part) {
      const size_t lo = vertices * size_t(part) / size_t(threads),
                   hi = vertices * size_t(part + 1) / size_t(threads);
      for (size_t v = lo; v < hi; v++) {
        const Vex3_quarn& a = scene.first[v];
        const Vex3_quarn& b = scene.second[v];
        vb[3 * v] = a.x + (b.x - a.x) * s;
        vb[3 * v + 1] = a.y + (b.y - a.y) * s;
        vb[3 * v + 2] = a.z + (b.z - a.z) * s;
      }
    });
    rtcUpdateGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0);
    rtcCommitGeometry(geometry);
    rtcCommitScene(rtScene);
    result.updateSeconds += Since(u0);

    // Rays in blocks of 4 x 4 pixels, handed out one by one.
    const auto t0 = std::chrono::steady_clock::now();
    std::atomic<int> next{0};
    RunOnThreads(threads, [&](int part) {
      ThreadSeen& mine = perThread[size_t(part)];
      RTCIntersectContext context;
      rtcInitIntersectContext(&context);
      auto record = [&](unsigned prim, int pixel) {
        const int32_t id = scene.ids[prim];
        mine.hits++;
        mine.seen[size_t(id)] = 1;
        if (!expected.empty() && !expected[size_t(id)] && !mine.reported[size_t(id)]) {
          mine.reported[size_t(id)] = 1;
          mine.unexpected.push_back({id, pixel, time});
        }
      };
      for (int b; (b = next.fetch_add(1)) < blocks;) {
        const int bx = (b % blocksX) * kBlock, by = (b / blocksX) * kBlock;
        if (mode.packets) {
          alignas(64) RTCRayHit16 rh;
          alignas(64) int valid[16];
          int pixel[16];
          for (int i = 0; i < 16; i++) {
            const int x = bx + i % kBlock, y = by + i / kBlock;
            valid[i] = x < w && y < h ? -1 : 0;
            const int p = valid[i] ? y * w + x : 0;
            pixel[i] = p;
            rh.ray.org_x[i] = ox;
            rh.ray.org_y[i] = oy;
            rh.ray.org_z[i] = oz;
            rh.ray.dir_x[i] = rays.directions[size_t(p) * 3];
            rh.ray.dir_y[i] = rays.directions[size_t(p) * 3 + 1];
            rh.ray.dir_z[i] = rays.directions[size_t(p) * 3 + 2];
            rh.ray.tnear[i] = 0;
            rh.ray.tfar[i] = std::numeric_limits<float>::infinity();
            rh.ray.time[i] = 0;
            rh.ray.mask[i] = 0xffffffffu;
            rh.ray.id[i] = unsigned(i);
            rh.ray.flags[i] = 0;
            rh.hit.geomID[i] = RTC_INVALID_GEOMETRY_ID;
          }
          rtcIntersect16(valid, rtScene, &context, &rh);
          for (int i = 0; i < 16; i++)
            if (valid[i] && rh.hit.geomID[i] != RTC_INVALID_GEOMETRY_ID)
              record(rh.hit.primID[i], pixel[i]);
        } else {
          for (int y = by; y < std::min(by + kBlock, h); y++)
            for (int x = bx; x < std::min(bx + kBlock, w); x++) {
              const int p = y * w + x;
              RTCRayHit rh;
              rh.ray.org_x = ox;
              rh.ray.org_y = oy;
              rh.ray.org_z = oz;
              rh.ray.dir_x = rays.directions[size_t(p) * 3];
              rh.ray.dir_y = rays.directions[size_t(p) * 3 + 1];
              rh.ray.dir_z = rays.directions[size_t(p) * 3 + 2];
              rh.ray.tnear = 0;
              rh.ray.tfar = std::numeric_limits<float>::infinity();
              rh.ray.time = 0;
              rh.ray.mask = 0xffffffffu;
              rh.ray.id = 0;
              rh.ray.flags = 0;
              rh.hit.geomID = RTC_INVALID_GEOMETRY_ID;
              rtcIntersect1(rtScene, &context, &rh);
              if (rh.hit.geomID != RTC_INVALID_GEOMETRY_ID) record(rh.hit.primID, p);
            }
        }
      }
    });
    result.traceSeconds += Since(t0);
    result.rays += int64_t(w) * h;
    if (step == 0) result.firstSeconds = Since(started);
  }
  rtcReleaseGeometry(geometry);
  rtcReleaseScene(rtScene);
  rtcReleaseDevice(device);

  result.seen.assign(size_t(scene.idCount), 0);
  std::vector<uint8_t> reported(size_t(scene.idCount), 0);
  for (const ThreadSeen& t : perThread) {
    result.hits += t.hits;
    for (size_t i = 0; i < t.seen.size(); i++) result.seen[i] |= t.seen[i];
    for (const DenseSighting& x : t.unexpected)
      if (!reported[size_t(x.triangle)]) {
        reported[size_t(x.triangle)] = 1;
        result.unexpected.push_back(x);
      }
  }
  result.seconds = Since(started);
  return result;
}
