// ASL, the still-frame visibility method: add a sample location in every
// pixel a triangle overlaps without covering any existing sample, then
// resolve the nearest triangle at every sample by a software depth test.
// Window coordinates are those of the buffer's camera.
#pragma once

#include <cstdint>

#include "AslTriangle.h"
#include "GLProject.h"
#include "SampleLocationBuffer.h"
#include "VisibleSet.h"
#include "Vex3.h"

// Buffer projection from the camera's captured arrays (identity arrays when
// the buffer has no camera).
Projector BufferProjector(const SampleLocationBuffer& buffer);

// Adds at most one sample per overlapped pixel; returns the number added.
// Triangles with a vertex at window depth below 0 get none.
int32_t PlaceSamplesForTriangle(SampleLocationBuffer& buffer, const Projector& proj,
                                const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2);
int32_t PlaceSamplesForTriangle(SampleLocationBuffer& buffer, const Vex3_quarn& v0,
                                const Vex3_quarn& v1, const Vex3_quarn& v2);

// The per-pixel work of the two passes on a prepared triangle.
int32_t PlaceSamples(SampleLocationBuffer& buffer, const AslTriangle& t);
void ResolveSamples(SampleLocationBuffer& buffer, const AslTriangle& t, ResolveVariant variant,
                    int32_t id, uint32_t colour);
// The principal depth test with ties going to the smaller id: applied to
// triangles with distinct ids in any order, it leaves every sample as an
// in-order pass over ascending ids would.
void ResolveSamplesById(SampleLocationBuffer& buffer, const AslTriangle& t, int32_t id,
                        uint32_t colour);

// Depth test of the triangle at every sample inside it: a sample takes the
// triangle (depth, id, colour) when its depth is greater than the
// triangle's there and that depth lies in [0, 1]. Ties keep the earlier
// triangle. Skipped unless a vertex has window depth in [0, 1].
void ResolveTriangleAtSamples(SampleLocationBuffer& buffer, const Projector& proj,
                              const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2,
                              int32_t id, uint32_t colour);
void ResolveTriangleAtSamples(SampleLocationBuffer& buffer, const Vex3_quarn& v0,
                              const Vex3_quarn& v1, const Vex3_quarn& v2, int32_t id,
                              uint32_t colour);
// Shaded form: skipped unless a vertex has window x > 0; accepts depths
// z > 0 (no upper bound); stores ShadedColour of the triangle.
void ResolveTriangleShaded(SampleLocationBuffer& buffer, const Projector& proj,
                           const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2,
                           int32_t id);
// Keyframed form (positions from the trajectories at one time): the
// shaded form's tests, storing depth and id only.
void ResolveTriangleKeyframed(SampleLocationBuffer& buffer, const Projector& proj,
                              const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2,
                              int32_t id);

// Height ramp (blue, green, red) by the centroid's z, lit by the normal;
// packed 0xff000000 + blue << 16 + green << 8 + red.
uint32_t ShadedColour(const Vex3_quarn& v0, const Vex3_quarn& v1, const Vex3_quarn& v2);

// Flags every triangle that owns a sample (ids outside the set skipped).
void CollectSampleTriangles(const SampleLocationBuffer& buffer, VisibleSet& set);
