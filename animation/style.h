#pragma once

#include <cstdint>

namespace tarsel {

// How every curve of the drawing is stroked: its colour (00BBGGRR, red in the low byte) and the
// pen width the passes set before it. The driver draws with these, the palette and the legend
// describe them, and the GIF keeps these colours exact.
struct Stroke {
  std::uint32_t colour;
  int width;
};

namespace style {
inline constexpr Stroke kGreen{65280, 3};         // profile, second table (pass 1)
inline constexpr Stroke kRed{255, 4};             // profile, first table (pass 2)
inline constexpr Stroke kOrange{33023, 2};        // velocity of the red profile
inline constexpr Stroke kMagenta{16711935, 2};    // acceleration of the red profile
inline constexpr Stroke kBlue{16711680, 3};       // the profile re-timed by the linkage
inline constexpr Stroke kLightBlue{16744576, 2};  // velocity of the blue trace
inline constexpr Stroke kTeal{8421376, 2};        // acceleration of the blue trace
inline constexpr Stroke kOlive{49344, 2};         // phase offset / 13
inline constexpr Stroke kAxis{7, 1};              // axis, marker lines, ticks
inline constexpr Stroke kPiston{8438015, 3};      // piston travel curve: 0x80C0FF
// The width every point of a pass ends with, ready for the axes.
inline constexpr int kRestWidth = 1;
}  // namespace style

// The colours alone, as the drawing and its draw log speak them.
namespace colour {
inline constexpr std::uint32_t kGreen = style::kGreen.colour;
inline constexpr std::uint32_t kRed = style::kRed.colour;
inline constexpr std::uint32_t kOrange = style::kOrange.colour;
inline constexpr std::uint32_t kMagenta = style::kMagenta.colour;
inline constexpr std::uint32_t kBlue = style::kBlue.colour;
inline constexpr std::uint32_t kLightBlue = style::kLightBlue.colour;
inline constexpr std::uint32_t kTeal = style::kTeal.colour;
inline constexpr std::uint32_t kOlive = style::kOlive.colour;
inline constexpr std::uint32_t kAxis = style::kAxis.colour;
inline constexpr std::uint32_t kPiston = style::kPiston.colour;
inline constexpr std::uint32_t kBack = 16777215;  // the window's back colour, white

// Every colour on the window: the back colour, then each curve's own.
inline constexpr std::uint32_t kAll[] = {kBack,   kAxis,    kGreen,     kRed,  kBlue,  kOlive,
                                         kOrange, kMagenta, kLightBlue, kTeal, kPiston};
}  // namespace colour

}  // namespace tarsel
