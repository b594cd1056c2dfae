#pragma once

#include <cstdint>

#include "animation/driver.h"
#include "render/image.h"

// The colours of the drawing by name, for every test folder: window colours (00BBGGRR, as the
// driver passes them) and the same as picture colours.
namespace tarsel::testing {

using namespace tarsel::colour;  // kGreen, kRed, ..., kPiston, kBack, kAll

inline constexpr int kPistonSegments = piston::kSegments;

// A window colour as a pixel of the image, 0xFFRRGGBB.
inline constexpr std::uint32_t Pixel(std::uint32_t window_colour) {
  return PixelColour(window_colour);
}
// The same without the top byte, 0xRRGGBB, as picture files and palettes give it.
inline constexpr std::uint32_t Rgb(std::uint32_t window_colour) {
  return PixelColour(window_colour) & 0xFFFFFF;
}

}  // namespace tarsel::testing
