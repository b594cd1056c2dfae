#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

#include "render/image.h"

// Comparisons of pictures pixel by pixel, for every test folder: the project's images and a
// toolkit's 32-bit images (tests/support/qt_pixels.h) alike, through a view of their words.
namespace tarsel::testing {

// A picture's pixels as 32-bit words whose low 24 bits are the colour, row by row.
struct PixelView {
  const std::uint32_t* words = nullptr;
  int width = 0, height = 0;
  std::size_t stride = 0;  // words from one row to the next

  std::uint32_t colour(int x, int y) const {
    return words[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)] & 0xFFFFFF;
  }
  Rect rect() const { return Rect::Sized(0, 0, width, height); }
};

inline PixelView PixelsOf(const Image& image) {
  return {image.pixels.data(), image.width, image.height, static_cast<std::size_t>(image.width)};
}

// Every pixel of `area` (cut to the picture; by default all of it) is white.
inline bool AllWhite(const PixelView& picture, Rect area = {0, 0, INT_MAX, INT_MAX}) {
  area = area & picture.rect();
  for (int y = area.top; y <= area.bottom; ++y) {
    for (int x = area.left; x <= area.right; ++x) {
      if (picture.colour(x, y) != 0xFFFFFF) return false;
    }
  }
  return true;
}

// The pixels whose colour differs between two pictures of one size, inside and outside
// `area` (by default none: every difference counts as outside).
struct Differences {
  long inside = 0, outside = 0;
  long total() const { return inside + outside; }
};

inline Differences CountDifferences(const PixelView& a, const PixelView& b, const Rect& area = {}) {
  Differences d;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (a.colour(x, y) != b.colour(x, y)) ++(area.contains(x, y) ? d.inside : d.outside);
    }
  }
  return d;
}

}  // namespace tarsel::testing
