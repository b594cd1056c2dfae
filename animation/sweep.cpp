#include "animation/sweep.h"

#include <cmath>

namespace tarsel::sweep {

Position PositionOf(double k) {
  // The keys reach k by sums of tenths, so a value meant to be on the grid may be off it by
  // rounding: a millionth of a step is far below any step a key makes.
  const double steps = (k - kFirstK) / kStep;
  const double whole = std::round(steps);
  if (std::abs(steps - whole) < 1e-6) return {static_cast<long>(whole) + 1, true};
  return {static_cast<long>(std::floor(steps)) + 1, false};
}

long FramesFrom(double k) {
  // The same allowance for rounding: a k that the keys meant to be 20 still draws its frame.
  const double steps = (kLastK - k) / kStep;
  if (!(steps > -1e-6)) return 0;
  return static_cast<long>(std::floor(steps + 1e-6)) + 1;
}

}  // namespace tarsel::sweep
