#include "render/palette.h"

#include "animation/style.h"
#include "geometry/language.h"

namespace tarsel {

// The distinguishable colours are all dark enough for 3:1 against white (on a washed-out
// projector the light green, olive and light orange of the exact palette all but vanish), and
// were chosen so that under each of the three common colour-vision deficiencies (protanopia,
// deuteranopia, tritanopia, simulated in full) any two curves that can be on the picture
// together stay clearly apart, lightness doing most of the work where hue is lost. The red
// profile stays a red and the blue trace a blue; the pen widths (4 for the red profile, 3 for
// the other profile, the trace and the piston, 2 for the small curves) tell them apart too.
// The names and descriptions are marked for the catalogue: the legend (the window's panel, the
// page's list and the names over the page's picture) passes them through Tr(); no picture's pixels
// hold them.
const Curve kCurves[10] = {
    {colour::kGreen, 0x88950C, style::kGreen.width, Shown::kAlways,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("green"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("teal"),
     TrMark("the lift profile against its second angle scale, mirrored about x = 65")},
    {colour::kRed, 0x4800F8, style::kRed.width, Shown::kAlways,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("red"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("crimson"), TrMark("the same lift against its first, uniform angle scale")},
    {colour::kBlue, 0xA62E1B, style::kBlue.width, Shown::kAlways,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("blue"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("dark blue"),
     TrMark(
         "the mirrored profile, each point shifted by the phase offset the linkage gives it at the "
         "current k")},
    {colour::kOlive, 0xEA7B98, style::kOlive.width, Shown::kPlain,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("olive"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("lavender"), TrMark("the phase offset itself, divided by 13")},
    {colour::kPiston, 0x04646C, style::kPiston.width, Shown::kAlways,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("light orange"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("dark olive"),
     TrMark("the travel of a piston on a crank and connecting rod, one and a half turns")},
    {colour::kAxis, colour::kAxis, style::kAxis.width, Shown::kAlways,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("black"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("black"),
     TrMark("the axis and its ticks; the two vertical lines mark crank angles 0 and \u03C0")},
    {colour::kOrange, 0x003018, style::kOrange.width, Shown::kDerivatives,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("orange"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("forest green"), TrMark("velocity of the profile on the uniform scale")},
    {colour::kMagenta, 0xFC0C84, style::kMagenta.width, Shown::kDerivatives,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("magenta"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("violet"), TrMark("acceleration of the profile on the uniform scale")},
    {colour::kLightBlue, 0x6142B5, style::kLightBlue.width, Shown::kDerivatives,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("light blue"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("raspberry"), TrMark("velocity of the shifted trace")},
    {colour::kTeal, 0x421669, style::kTeal.width, Shown::kDerivatives,
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("teal"),
     // TRANSLATORS: a colour's name, in the legend of the picture.
     TrMark("wine"), TrMark("acceleration of the shifted trace")},
};

std::uint32_t Substitute(Palette palette, std::uint32_t colour) {
  if (palette == Palette::kExact) return colour;
  for (const Curve& c : kCurves) {
    if (c.colour == colour) return c.distinguishable;
  }
  return colour;
}

std::string_view NameOf(Palette palette) {
  return palette == Palette::kExact ? "exact" : "distinguishable";
}

std::optional<Palette> PaletteNamed(std::string_view name) {
  for (const Palette p : {Palette::kExact, Palette::kDistinguishable}) {
    if (NameOf(p) == name) return p;
  }
  return std::nullopt;
}

}  // namespace tarsel
