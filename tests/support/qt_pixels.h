#pragma once

#include <QImage>
#include <cstdint>

#include "tests/support/pixels.h"

namespace tarsel::testing {

// A view of a Qt image of 32-bit pixels (RGB32 or ARGB32: 0xAARRGGBB words) for the
// comparisons of tests/support/pixels.h.
inline PixelView PixelsOf(const QImage& image) {
  return {reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(), image.height(),
          static_cast<std::size_t>(image.bytesPerLine() / 4)};
}

}  // namespace tarsel::testing
