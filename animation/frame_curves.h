#pragma once

#include <vector>

#include "geometry/valve_events.h"

namespace tarsel {

// The segments of the three lift curves of one frame exactly as the passes handed them to the
// window (single-precision coordinates, in the order drawn): the green profile of pass 1, the
// red one of pass 2 and the blue trace of pass 3. Whatever the frame met on its way (a key
// that moved k between two points, a linkage that does not close somewhere) is in them as it
// is in the picture.
struct FrameCurves {
  std::vector<Segment> green, red, blue;

  void clear() {
    green.clear();
    red.clear();
    blue.clear();
  }
  friend bool operator==(const FrameCurves&, const FrameCurves&) = default;
};

}  // namespace tarsel
