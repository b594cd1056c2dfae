#pragma once

#include <optional>

#include "animation/frame_curves.h"
#include "geometry/valve_events.h"

namespace tarsel {

// The valve events of one frame at a checking lift: of the red profile (the base timing), the
// green one and the blue trace (the timing the linkage makes of it), and how far the blue's lie
// from the red's. A curve that never reaches the threshold has none.
struct FrameTiming {
  double threshold = kDefaultThreshold;
  std::optional<ValveEvents> red, green, blue;
  // blue - red, where both have events: opening and closing later (positive) or earlier,
  // the lift held open longer or shorter, the peak later or earlier.
  std::optional<ValveEvents> blue_from_red;
};

FrameTiming TimingOf(const FrameCurves& curves, double threshold);

}  // namespace tarsel
