#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tarsel {

// A rectangle of whole pixels, both edges inclusive. Empty when right < left or bottom < top.
struct Rect {
  int left = 0, top = 0, right = -1, bottom = -1;

  static Rect Sized(int x, int y, int width, int height) {
    return {x, y, x + width - 1, y + height - 1};
  }
  bool empty() const { return right < left || bottom < top; }
  int width() const { return empty() ? 0 : right - left + 1; }
  int height() const { return empty() ? 0 : bottom - top + 1; }
  bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }

  // The common part (empty when there is none).
  Rect operator&(const Rect& o) const {
    return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
            std::min(bottom, o.bottom)};
  }
  // The smallest rectangle holding both; an empty one adds nothing.
  Rect& operator|=(const Rect& o) {
    if (o.empty()) return *this;
    if (empty()) return *this = o;
    left = std::min(left, o.left);
    top = std::min(top, o.top);
    right = std::max(right, o.right);
    bottom = std::max(bottom, o.bottom);
    return *this;
  }
  friend bool operator==(const Rect& a, const Rect& b) {
    return (a.empty() && b.empty()) ||
           (a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom);
  }
};

// Colours of the picture: one 32-bit word a pixel, the top byte always FF. Desktop toolkits
// take 0xFFRRGGBB words (Qt's RGB32), which is the default. A browser's canvas takes the bytes
// R, G, B, A, the word 0xFFBBGGRR on a little-endian machine, which is the window colour
// itself with the top byte set: built with TARSEL_PIXELS_RGBA, the image has that layout and
// goes to the canvas without a conversion. Blending treats the three channels alike, so both
// layouts hold the same picture. The drawing itself passes window colours, 00BBGGRR with red
// in the low byte.
inline constexpr std::uint32_t kWhitePixel = 0xFFFFFFFF;

inline constexpr std::uint32_t PixelColour(std::uint32_t window_colour) {
#if defined(TARSEL_PIXELS_RGBA)
  return 0xFF000000 | (window_colour & 0xFFFFFF);
#else
  return 0xFF000000 | (window_colour & 0xFF) << 16 | (window_colour & 0xFF00) |
         (window_colour >> 16 & 0xFF);
#endif
}

// The colour of a pixel word as 0xRRGGBB, in either layout: what picture files, palettes and
// colour distances work with, so that both builds write the same colours in the same order.
inline constexpr std::uint32_t PixelRgb(std::uint32_t pixel) {
#if defined(TARSEL_PIXELS_RGBA)
  return (pixel & 0xFF) << 16 | (pixel & 0xFF00) | (pixel >> 16 & 0xFF);
#else
  return pixel & 0xFFFFFF;
#endif
}

// The channels of a 0xRRGGBB colour, 0 to 255.
inline constexpr int RgbRed(std::uint32_t rgb) {
  return static_cast<int>(rgb >> 16 & 0xFF);
}
inline constexpr int RgbGreen(std::uint32_t rgb) {
  return static_cast<int>(rgb >> 8 & 0xFF);
}
inline constexpr int RgbBlue(std::uint32_t rgb) {
  return static_cast<int>(rgb & 0xFF);
}

// An RGB picture in device pixels, rows top to bottom without padding, and how many device
// pixels make one logical pixel. A front end shows it as it is: the pixel memory can be
// wrapped by a toolkit's image type without a copy.
struct Image {
  int width = 0, height = 0;
  double dpr = 1;
  std::vector<std::uint32_t> pixels;

  Image() = default;
  Image(int w, int h, double ratio)
      : width(w), height(h), dpr(ratio), pixels(std::size_t(w) * std::size_t(h), kWhitePixel) {}

  std::uint32_t* row(int y) { return pixels.data() + std::size_t(y) * std::size_t(width); }
  const std::uint32_t* row(int y) const {
    return pixels.data() + std::size_t(y) * std::size_t(width);
  }
  std::uint32_t pixel(int x, int y) const { return row(y)[x]; }
  Rect rect() const { return Rect::Sized(0, 0, width, height); }
  int bytesPerLine() const { return width * 4; }

  friend bool operator==(const Image& a, const Image& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
  }
};

}  // namespace tarsel
