#include "app/legend.h"

#include "animation/driver.h"

namespace tarsel {

std::vector<LegendEntry> CurveLegend() {
  using When = LegendEntry::When;
  return {
      {colour::kGreen, 3, "green",
       "the lift profile against its second angle scale, mirrored about x = 65"},
      {colour::kRed, 4, "red", "the same lift against its first, uniform angle scale"},
      {colour::kBlue, 3, "blue",
       "the green profile, each point shifted by the phase offset the linkage gives it at k"},
      {colour::kOlive, 2, "olive", "the phase offset itself, divided by 13", When::kPlain},
      {colour::kPiston, 3, "light orange",
       "the travel of a piston on a crank and connecting rod, one and a half turns"},
      {colour::kAxis, 1, "black",
       "the axis and its ticks; the verticals mark crank angles 0 and π"},
      {colour::kOrange, 2, "orange", "velocity of the red profile", When::kDerivatives},
      {colour::kMagenta, 2, "magenta", "acceleration of the red profile", When::kDerivatives},
      {colour::kLightBlue, 2, "light blue", "velocity of the blue trace", When::kDerivatives},
      {colour::kTeal, 2, "teal", "acceleration of the blue trace", When::kDerivatives},
  };
}

}  // namespace tarsel
