// The two encodings of triangle identifiers in pixels, and their decoding.
//
// Float encoding (shader passes, float target): the program gets
// theID = id + 1 and writes red = (theID div 65536) / 65535 and
// alpha = (theID mod 65536) / 65535; the background is (0, 0, 0, 0).
//
// Byte encoding (fixed-function "TID" drawing): each triangle is coloured
// with the four bytes of its identifier, red the lowest; the background is
// white, so a pixel read back as RGBA bytes is the identifier itself as a
// little-endian 32-bit value and the background -1.
#pragma once

#include <cstddef>
#include <cstdint>

// red and alpha of a theID (= id + 1), as the program computes them.
void EncodeFloatId(int32_t theID, float* red, float* alpha);

// -1 when red and alpha are both 0 (whatever green and blue hold); else
// round(R * 65535) * 65536 + round(A * 65535) - 1, each rounding as
// (int)(x + 0.5) in double. Values outside [0, 1] (never written by the
// encoding) are clamped so that garbage cannot overflow the conversion.
int32_t DecodeFloatId(float red, float alpha);

// Decodes n RGBA float pixels into identifiers.
void DecodeItemBuffer(const float* rgba, size_t n, int32_t* ids);

// The four colour bytes of an identifier in the byte encoding.
void EncodeByteId(int32_t id, uint8_t rgba[4]);
