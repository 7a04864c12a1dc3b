// Depth resolution at the exact sample positions: the window depth plane
// of the triangle is evaluated at every sample inside its edge lines.
#include <algorithm>
#include <cmath>

#include "Asl.h"
#include "AslTriangle.h"

namespace {

// Calls take(sample, z) for every sample of the triangle's screen rectangle
// that lies inside its edge lines, z the triangle's window depth there.
template <typename Take>
inline void ForEachSampleInside(SampleLocationBuffer& buffer, const AslTriangle& t, Take take) {
  for (int32_t j = t.row0; j <= t.row1; j++) {
    for (int32_t k = t.col0; k <= t.col1; k++) {
      PixelSamples& pixel = buffer.Pixel(k, j);
      for (int32_t s = 0; s < pixel.count; s++) {
        SampleLocation& sl = pixel.samples[s];
        if (t.Inside(sl.x, sl.y, sl.w)) take(sl, t.pa * sl.x + t.pb * sl.y + t.pc);
      }
    }
  }
}

template <ResolveVariant V>
void Apply(SampleLocationBuffer& buffer, const AslTriangle& t, int32_t id, uint32_t colour) {
  ForEachSampleInside(buffer, t, [&](SampleLocation& sl, double z) {
    const bool accept = V == ResolveVariant::kPrincipal ? (sl.depth > z && z >= 0 && z <= 1)
                                                        : (sl.depth > z && z > 0);
    if (!accept) return;
    sl.depth = z;
    sl.triangleId = id;
    if (V != ResolveVariant::kKeyframed) sl.color = colour;
  });
}

}  // namespace

bool PrepareResolve(const Projector& proj, const Vex3_quarn v[3], int32_t width, int32_t height,
                    ResolveVariant variant, AslTriangle* t) {
  if (!ProjectAslTriangle(proj, v, t)) return false;
  bool keep = false;
  for (int i = 0; i < 3; i++) {
    if (variant == ResolveVariant::kPrincipal)
      keep = keep || (t->z[i] >= 0 && t->z[i] <= 1);
    else
      keep = keep || t->x[i] > 0;
  }
  if (!keep) return false;
  BuildEdgeLines(t);
  if (IsDegenerate(*t)) return false;
  if (!ScreenRectangle(t, width, height)) return false;
  return DepthPlane(*t, &t->pa, &t->pb, &t->pc);
}

void ResolveSamples(SampleLocationBuffer& buffer, const AslTriangle& t, ResolveVariant variant,
                    int32_t id, uint32_t colour) {
  switch (variant) {
    case ResolveVariant::kPrincipal: Apply<ResolveVariant::kPrincipal>(buffer, t, id, colour); break;
    case ResolveVariant::kShaded: Apply<ResolveVariant::kShaded>(buffer, t, id, colour); break;
    case ResolveVariant::kKeyframed: Apply<ResolveVariant::kKeyframed>(buffer, t, id, colour); break;
  }
}

void ResolveSamplesById(SampleLocationBuffer& buffer, const AslTriangle& t, int32_t id,
                        uint32_t colour) {
  ForEachSampleInside(buffer, t, [&](SampleLocation& sl, double z) {
    if (!(z >= 0 && z <= 1)) return;
    // Nearest wins; on equal depth the smaller id, which is the one an
    // in-order pass would have kept. A cleared sample (depth 1, id -1)
    // takes only depths below 1, as in order.
    if (sl.depth > z || (sl.depth == z && sl.triangleId > id)) {
      sl.depth = z;
      sl.triangleId = id;
      sl.color = colour;
    }
  });
}

namespace {
void Resolve(SampleLocationBuffer& buffer, const Projector& proj, const Vex3_quarn v[3],
             ResolveVariant variant, int32_t id, uint32_t colour) {
  AslTriangle t;
  if (PrepareResolve(proj, v, buffer.width, buffer.height, variant, &t))
    ResolveSamples(buffer, t, variant, id, colour);
}
}  // namespace

void ResolveTriangleAtSamples(SampleLocationBuffer& buffer, const Projector& proj,
                              const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2,
                              int32_t id, uint32_t colour) {
  const Vex3_quarn v[3] = {v0, v1, v2};
  Resolve(buffer, proj, v, ResolveVariant::kPrincipal, id, colour);
}

void ResolveTriangleAtSamples(SampleLocationBuffer& buffer, const Vex3_quarn& v0,
                              const Vex3_quarn& v1, const Vex3_quarn& v2, int32_t id,
                              uint32_t colour) {
  ResolveTriangleAtSamples(buffer, BufferProjector(buffer), v0, v1, v2, id, colour);
}

void ResolveTriangleShaded(SampleLocationBuffer& buffer, const Projector& proj,
                           const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2,
                           int32_t id) {
  const Vex3_quarn v[3] = {v0, v1, v2};
  Resolve(buffer, proj, v, ResolveVariant::kShaded, id, ShadedColour(v0, v1, v2));
}

void ResolveTriangleKeyframed(SampleLocationBuffer& buffer, const Projector& proj,
                              const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2,
                              int32_t id) {
  const Vex3_quarn v[3] = {v0, v1, v2};
  Resolve(buffer, proj, v, ResolveVariant::kKeyframed, id, 0);
}

uint32_t ShadedColour(const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2) {
  const float h = (v0.z + v1.z + v2.z) / 3.0f;
  const Vex3_quarn n = (v1 - v0).Cross(v2 - v0).Normalized();
  float s = 1.4f - h / 1039.0f;
  if (s < 0) s = 0;
  const Vex3_quarn blue(8 / 255.0f, 165 / 255.0f, 233 / 255.0f);
  const Vex3_quarn green(167 / 255.0f, 243 / 255.0f, 109 / 255.0f);
  const Vex3_quarn red(237 / 255.0f, 28 / 255.0f, 36 / 255.0f);
  Vex3_quarn ramp = red;
  if (s < 0.2f) {
    ramp = blue;
  } else if (s < 0.5f) {
    const float wgt = (s - 0.2f) / 0.3f;
    ramp = blue * (1 - wgt) + green * wgt;
  } else if (s < 0.8f) {
    const float wgt = (s - 0.5f) / 0.3f;
    ramp = green * (1 - wgt) + red * wgt;
  }
  ramp *= std::max(s, 0.4f);
  const float light = std::fabs(0.577f * n.z - 0.577f * n.y - 0.577f * n.x) * 0.6f + 0.4f;
  ramp *= light;
  auto channel = [](float c) { return uint32_t(std::min(std::max(c, 0.0f), 1.0f) * 255.0f); };
  return 0xff000000u + channel(ramp.z) * 65536u + channel(ramp.y) * 256u + channel(ramp.x);
}

void CollectSampleTriangles(const SampleLocationBuffer& buffer, VisibleSet& set) {
  const int64_t n = int64_t(set.size());
  for (const PixelSamples& pixel : buffer.pixels) {
    for (int32_t s = 0; s < pixel.count; s++) {
      const int32_t id = pixel.samples[s].triangleId;
      if (id >= 0 && id < n) set[size_t(id)] = 1;
    }
  }
}
