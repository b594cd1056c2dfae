#pragma once

namespace tarsel::sweep {

// The loop over the control angle k: from the first frame's k0 to the last value, in steps of
// ste. The keys move k in whole steps and in tenths of a step.
inline constexpr double kFirstK = 4.5;
inline constexpr double kStep = 0.25;
inline constexpr double kLastK = 20;
inline constexpr double kTenth = kStep / 10;
// Frames of the plain sweep, k0 to the last value.
inline constexpr int kFrames = 63;
static_assert(kFirstK + (kFrames - 1) * kStep == kLastK);

// Where k stands on the plain sweep: `frame` is the number of the sweep's frame at k (1 for k0)
// when `exact`, else of the one just below k. It may lie outside 1..kFrames.
struct Position {
  long frame = 0;
  bool exact = false;
};
Position PositionOf(double k);

// Frames of the sweep from k on, plain keys only: k, k + kStep, ... up to kLastK, as the loop
// steps (0 above kLastK). For a k on the grid of tenths, however the keys summed it.
long FramesFrom(double k);

}  // namespace tarsel::sweep
