#pragma once

#include <cstdint>
#include <vector>

namespace tarsel {

// One curve of the drawing as the panel's legend names it: its colour (00BBGGRR, as drawn), its
// pen width, its name and what it shows, and whether it is drawn only with velocity and
// acceleration on (BackSpace) or only with them off.
struct LegendEntry {
  enum class When { kAlways, kPlain, kDerivatives };
  std::uint32_t colour;
  int width;
  const char* name;
  const char* description;
  When when = When::kAlways;
};

// The curves of the drawing, in the order the panel lists them.
std::vector<LegendEntry> CurveLegend();

}  // namespace tarsel
