#pragma once

#include <cstdint>

#include "render/image.h"

// The colours of the drawing by name, for every test folder, written out here rather than
// taken from the driver so that a test compares the program with the values it must have.
// Window colours, 00BBGGRR (red in the low byte), as the driver passes them.
namespace tarsel::testing {

inline constexpr std::uint32_t kGreen = 65280;         // profile, second table
inline constexpr std::uint32_t kRed = 255;             // profile, first table
inline constexpr std::uint32_t kOrange = 33023;        // velocity of the red profile
inline constexpr std::uint32_t kMagenta = 16711935;    // acceleration of the red profile
inline constexpr std::uint32_t kBlue = 16711680;       // the re-timed trace
inline constexpr std::uint32_t kLightBlue = 16744576;  // velocity of the trace
inline constexpr std::uint32_t kTeal = 8421376;        // acceleration of the trace
inline constexpr std::uint32_t kOlive = 49344;         // phase offset / 13
inline constexpr std::uint32_t kAxis = 7;              // axis, marker lines, ticks
inline constexpr std::uint32_t kPiston = 8438015;      // piston travel curve
inline constexpr std::uint32_t kBack = 16777215;       // white

inline constexpr int kPistonSegments = 943;

// A window colour as a pixel of the image, 0xFFRRGGBB.
inline constexpr std::uint32_t Pixel(std::uint32_t window_colour) {
  return PixelColour(window_colour);
}
// The same as 0xRRGGBB, as picture files and palettes give it.
inline constexpr std::uint32_t Rgb(std::uint32_t window_colour) {
  return PixelRgb(PixelColour(window_colour));
}
// A 0xRRGGBB colour as a pixel of the image, in the image's layout.
inline constexpr std::uint32_t RgbPixel(std::uint32_t rgb) {
  return PixelColour(static_cast<std::uint32_t>(RgbRed(rgb)) |
                     static_cast<std::uint32_t>(RgbGreen(rgb)) << 8 |
                     static_cast<std::uint32_t>(RgbBlue(rgb)) << 16);
}

}  // namespace tarsel::testing
