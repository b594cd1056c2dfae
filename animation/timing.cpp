#include "animation/timing.h"

namespace tarsel {

FrameTiming TimingOf(const FrameCurves& curves, double threshold) {
  FrameTiming t;
  t.threshold = threshold;
  t.red = EventsOf(curves.red, threshold);
  t.green = EventsOf(curves.green, threshold);
  t.blue = EventsOf(curves.blue, threshold);
  if (t.red && t.blue) t.blue_from_red = Shift(*t.blue, *t.red);
  return t;
}

}  // namespace tarsel
