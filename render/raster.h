#pragma once

// The raster operations of the canvas, as free functions over an image in device pixels.
// Pixel centres lie at half-integer positions: pixel (i, j) covers [i, i + 1) x [j, j + 1).

#include <cstdint>

#include "render/image.h"

namespace tarsel::raster {

struct Point {
  double x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Cuts the segment p-q to the rectangle [left, right] x [top, bottom] (Liang-Barsky). False
// when nothing of it lies inside.
bool ClipSegment(Point& p, Point& q, double left, double top, double right, double bottom);

// floor and ceil of values within the range of int, without a call into the library.
inline int FloorInt(double v) {
  const int i = static_cast<int>(v);
  return i - (i > v);
}
inline int CeilInt(double v) {
  const int i = static_cast<int>(v);
  return i + (i < v);
}

// The pixels within `reach` of the bounding box of p and q.
Rect AreaAround(Point p, Point q, double reach);

// x * a / 255 on each byte of a pixel, rounded to nearest.
inline std::uint32_t ByteMul(std::uint32_t x, std::uint32_t a) {
  std::uint32_t t = (x & 0xFF00FF) * a;
  t = ((t + ((t >> 8) & 0xFF00FF) + 0x800080) >> 8) & 0xFF00FF;
  x = ((x >> 8) & 0xFF00FF) * a;
  x = (x + ((x >> 8) & 0xFF00FF) + 0x800080) & 0xFF00FF00;
  return x | t;
}

// Puts `colour` (0xFFRRGGBB) over one pixel with coverage `alpha` of 255.
[[gnu::always_inline]] inline void BlendAlpha(std::uint32_t& pixel, std::uint32_t colour,
                                              std::uint32_t alpha) {
  if (alpha == 0) return;
  if (alpha >= 255) {
    pixel = colour;
    return;
  }
  const std::uint32_t c = ByteMul(colour, alpha);
  pixel = c + ByteMul(pixel, 255 - alpha);
}

// The same with coverage as a share from 0 to 1, rounded to the nearest 255th.
[[gnu::always_inline]] inline void Blend(std::uint32_t& pixel, std::uint32_t colour, double share) {
  BlendAlpha(pixel, colour, static_cast<std::uint32_t>(share * 255 + 0.5));
}

// Sets every pixel of `area` (cut to the image) to `colour`.
void FillRect(Image& image, Rect area, std::uint32_t colour);

// An antialiased thick line with round ends from p to q, blended over the pixels of `clip`
// (which must lie within the image): every pixel gets the share of its square that lies
// within `radius` of the segment. With p = q it is a round dot. Returns the part of `clip`
// whose pixels it may have changed.
Rect FillRoundLine(Image& image, Point p, Point q, double radius, std::uint32_t colour, Rect clip);

// The pixels of an aliased line `thickness` pixels thick: a pixel belongs to the line when it
// holds a point of it. A horizontal line from p to q takes the `thickness` rows around
// p.y and the columns from p.x to q.x, each end extended by (thickness - 1) / 2 as a square
// pen would be, so it has the same thickness wherever it lies; a vertical one likewise. A
// slanted line takes, in each column (or row, for a steep line) along it, the rows around
// the line's height at the column's centre. Only pixels of `clip` (which must lie within the
// image) are set; which ones does not depend on the clip. Returns every pixel the whole line
// may set, clip or not.
Rect DrawThinLine(Image& image, Point p, Point q, int thickness, std::uint32_t colour, Rect clip);

}  // namespace tarsel::raster
