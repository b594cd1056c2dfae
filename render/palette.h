#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarsel {

// Which colours the canvas puts on the screen for the colours the drawing passes. The driver
// and its draw log always speak in the exact colours; the canvas substitutes them pixel by
// pixel, so the pictures of both palettes come from the very same drawing.
enum class Palette : std::uint8_t {
  kExact,            // the window's own colours: the default everywhere
  kDistinguishable,  // colours that stay apart for the common colour-vision deficiencies
};

// When a curve is on the picture: in every frame, only while the velocity and acceleration
// curves are off (acc = 0), or only while they are on.
enum class Shown : std::uint8_t { kAlways, kPlain, kDerivatives };

// One curve of the picture as its legend describes it, in both palettes.
struct Curve {
  std::uint32_t colour;           // the colour the drawing passes (00BBGGRR): the exact one
  std::uint32_t distinguishable;  // drawn instead in the distinguishable palette (00BBGGRR)
  int width;                      // pen width in pixels
  Shown shown;
  std::string_view name;                  // of the exact colour
  std::string_view distinguishable_name;  // of the distinguishable colour
  std::string_view shows;                 // what the curve is
};

// Every curve of the picture, in the order of the legend.
extern const Curve kCurves[10];

// The colour to put on the screen for a colour of the drawing in `palette`. A colour that no
// curve uses (the back colour, a colour of a test) stays as it is.
std::uint32_t Substitute(Palette palette, std::uint32_t colour);

// The palette's name on a command line or in a link ("exact", "distinguishable"), and back.
std::string_view NameOf(Palette palette);
std::optional<Palette> PaletteNamed(std::string_view name);

}  // namespace tarsel
