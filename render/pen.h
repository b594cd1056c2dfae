#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "geometry/same_math.h"
#include "render/image.h"
#include "render/palette.h"
#include "render/raster.h"

namespace tarsel {

// The pictures beside the client area (the mechanism view, the timing plot) are drawn with
// this pen: strokes, dots, arcs and dashes in logical pixels, antialiased through the raster
// functions, each colour taken from the palette of the picture beside it.
class Pen {
 public:
  Pen(Image& image, double dpr, Palette palette) : image_(image), dpr_(dpr), palette_(palette) {}

  // A line `width` logical pixels wide with round ends.
  void Stroke(raster::Point a, raster::Point b, double width, std::uint32_t colour) {
    raster::FillRoundLine(image_, Device(a), Device(b), width * dpr_ / 2, Pixel(colour),
                          image_.rect());
  }
  void Dot(raster::Point c, double radius, std::uint32_t colour) {
    raster::FillRoundLine(image_, Device(c), Device(c), radius * dpr_, Pixel(colour),
                          image_.rect());
  }
  // An arc around c from angle `from` to `to` (radians, counter-clockwise on the screen), as a
  // chain of short strokes; `dash` leaves every other one out.
  void Arc(raster::Point c, double radius, double from, double to, double width,
           std::uint32_t colour, bool dash = false) {
    const int pieces = std::max(2, static_cast<int>(std::abs(to - from) * radius / 4));
    raster::Point last = Around(c, radius, from);
    for (int i = 1; i <= pieces; ++i) {
      const raster::Point next = Around(c, radius, from + (to - from) * i / pieces);
      if (!dash || i % 2 == 1) Stroke(last, next, width, colour);
      last = next;
    }
  }
  // A straight line in dashes of about `dash` logical pixels.
  void Dashed(raster::Point a, raster::Point b, double width, double dash, std::uint32_t colour) {
    const double length = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
    const int pieces = std::max(1, static_cast<int>(length / dash));
    for (int i = 0; i < pieces; i += 2) {
      const double s = static_cast<double>(i) / pieces, e = static_cast<double>(i + 1) / pieces;
      Stroke({a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s},
             {a.x + (b.x - a.x) * e, a.y + (b.y - a.y) * e}, width, colour);
    }
  }
  // The pixels of a rectangle between two corners, filled without antialiasing.
  void Fill(raster::Point a, raster::Point b, std::uint32_t colour) {
    const raster::Point p = Device(a), q = Device(b);
    raster::FillRect(image_,
                     {static_cast<int>(std::lround(std::min(p.x, q.x))),
                      static_cast<int>(std::lround(std::min(p.y, q.y))),
                      static_cast<int>(std::lround(std::max(p.x, q.x))) - 1,
                      static_cast<int>(std::lround(std::max(p.y, q.y))) - 1},
                     Pixel(colour));
  }

 private:
  raster::Point Device(raster::Point p) const { return {p.x * dpr_, p.y * dpr_}; }
  // In the palette of the picture beside it, so that each part keeps its curve's colour.
  std::uint32_t Pixel(std::uint32_t colour) const {
    return PixelColour(Substitute(palette_, colour));
  }
  static raster::Point Around(raster::Point c, double radius, double angle) {
    return {c.x + radius * same::Cos(angle), c.y - radius * same::Sin(angle)};
  }

  Image& image_;
  double dpr_;
  Palette palette_;
};

}  // namespace tarsel
