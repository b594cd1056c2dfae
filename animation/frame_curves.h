#pragma once

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "geometry/valve_events.h"

namespace tarsel {

// Whether a coordinate has a place on any screen: finite and within the range of a float.
inline bool FitsAFloat(double v) {
  return std::isfinite(v) && std::abs(v) <= std::numeric_limits<float>::max();
}

// A line as the passes hand it to the window, each coordinate in single precision; none where
// a coordinate does not fit. The driver draws through it, and whatever works out a curve
// without drawing it gets the very same segment.
inline std::optional<Segment> SegmentAsDrawn(double x1, double y1, double x2, double y2) {
  if (!FitsAFloat(x1) || !FitsAFloat(y1) || !FitsAFloat(x2) || !FitsAFloat(y2)) {
    return std::nullopt;
  }
  return Segment{static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                 static_cast<float>(y2)};
}

// The segments of the three lift curves of one frame exactly as the passes handed them to the
// window (single-precision coordinates, in the order drawn): the green profile of pass 1, the
// red one of pass 2 and the blue trace of pass 3. Whatever the frame met on its way (a key
// that moved k between two points, a linkage that does not close somewhere) is in them as it
// is in the picture.
struct FrameCurves {
  std::vector<Segment> green, red, blue;
  // The curves drawn under them, kept the same way so that a front end can name them where
  // they are: the phase offset / 13 (olive) while acc = 0; while acc = 1 the red profile's
  // velocity (orange) and acceleration (magenta) and the blue trace's (light blue, teal).
  std::vector<Segment> olive, orange, magenta, light_blue, teal;

  void clear() {
    for (std::vector<Segment>* c :
         {&green, &red, &blue, &olive, &orange, &magenta, &light_blue, &teal}) {
      c->clear();
    }
  }
  friend bool operator==(const FrameCurves&, const FrameCurves&) = default;
};

}  // namespace tarsel
