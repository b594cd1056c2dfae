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
