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
// derivative curves, for the configuration and the profile of `base`. Nothing is drawn.
//
// Where the linkage closes all round in front of O (ClosesInFrontAllRound), which segments the
// blue trace draws does not depend on k, and the events need only a few of them: those that
// reach the checking lift and the one that ends at the peak. Those are worked out from the
// driver's own functions (TracePointAt, SegmentAsDrawn), a few points a frame instead of every
// one, and the red profile's events, the same in every frame, once. Any other linkage has its
// frames drawn unseen (DrawnSweepTiming). Both give the same numbers, to the bit.
std::vector<SweepFrame> SweepTiming(const SharedState& base, double threshold);

// The same with every frame drawn unseen by the driver, its lift curves kept: the way for a
// linkage whose trace may break off or turn over somewhere.
std::vector<SweepFrame> DrawnSweepTiming(const SharedState& base, double threshold);

}  // namespace tarsel
