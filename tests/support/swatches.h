#pragma once

#include <cstdint>

#include "render/image.h"
#include "tests/support/colours.h"

namespace tarsel::testing {

// The colour of swatch `i`, 0xRRGGBB: different for every i up to a few thousand.
inline constexpr std::uint32_t SwatchColour(int i) {
  return static_cast<std::uint32_t>(i * 37 % 256) << 16 |
         static_cast<std::uint32_t>(i * 11 % 256) << 8 | static_cast<std::uint32_t>(i / 3 % 256);
}

// A picture of `n` different colours, one pixel each, row by row `width` wide, then white
// (a white row at least).
inline Image Swatches(int n, int width) {
  Image image(width, (n + width - 1) / width + 1, 1);
  for (int i = 0; i < n; ++i) image.row(i / width)[i % width] = RgbPixel(SwatchColour(i));
  return image;
}

}  // namespace tarsel::testing
