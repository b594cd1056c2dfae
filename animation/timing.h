#pragma once

#include <optional>
#include <vector>

#include "animation/frame_curves.h"
#include "animation/shared_state.h"
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

// One frame of the plain sweep: its k and the events of its blue trace and of its red profile
// (the base the linkage re-times).
struct SweepFrame {
  double k = 0;
  std::optional<ValveEvents> blue, red;
};

// The events of the frames of the plain sweep (k = 4.5 to 20 by 0.25, sweep::kFrames of them)
// as the animation draws them with plain keys from its start, frames cleared and without the
// derivative curves, for the configuration and the profile of `base`. Nothing is drawn: the
// frames are drawn unseen, only their lift curves kept.
std::vector<SweepFrame> SweepTiming(const SharedState& base, double threshold);

}  // namespace tarsel
