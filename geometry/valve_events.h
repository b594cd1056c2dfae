#pragma once

#include <optional>
#include <span>
#include <string>

#include "geometry/piston_curve.h"

namespace tarsel {

// One straight piece of a curve as it is drawn, in the plot's units: x in degrees along the
// horizontal axis, y the lift.
struct Segment {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  friend bool operator==(const Segment&, const Segment&) = default;
};

// The checking lift a valve's events are read at unless another is asked for. Valve timing is
// quoted at a small fraction of the peak lift, where the valve is just off its seat and the
// flanks are steep enough for a definite angle: 1 is about a tenth of the built-in profile's
// peak of 9.57.
inline constexpr double kDefaultThreshold = 1;

// Where a lift event opens and closes at a checking lift, in the plot's horizontal units.
struct ValveEvents {
  double opening = 0;   // the smallest x at which the curve's lift equals the checking lift
  double closing = 0;   // the largest
  double peak = 0;      // x of the highest segment end (the first drawn of equally high ones)
  double duration = 0;  // closing - opening
  friend bool operator==(const ValveEvents&, const ValveEvents&) = default;
};

// The events of a curve taken as the polyline of its segments, in the order drawn: along each
// segment the lift runs linearly from one end to the other, so a segment that rises or falls
// through `threshold` meets it at one x, and one that lies level at it (a plateau) meets it
// along its whole length, both ends counting. Nullopt when no segment reaches the threshold.
std::optional<ValveEvents> EventsOf(std::span<const Segment> curve, double threshold);

// The piston curve is the ruler of the crank: x = 15 is top dead centre, 90 units further
// bottom dead centre, so one unit is two crank degrees (the cam turns once in two crank turns).
inline constexpr double kCrankDegreesPerUnit = 180 / piston::kUnitsPerPi;
// An event at x, in crank degrees after top dead centre.
inline double CrankDegrees(double x) {
  return (x - piston::kOriginX) * kCrankDegreesPerUnit;
}
// A span of d plot units (a duration, a shift), in crank degrees.
inline double CrankSpan(double d) {
  return d * kCrankDegreesPerUnit;
}

// The same events in crank degrees: opening, closing and peak after top dead centre, duration
// as a span.
ValveEvents InCrankDegrees(const ValveEvents& e);

// How far each event of `moved` lies from that of `base` (positive: later, or longer).
ValveEvents Shift(const ValveEvents& moved, const ValveEvents& base);

// A crank angle after top dead centre the way engine courses write an event: from the nearer
// dead centre of its turn, to a tenth of a degree ("20.0° before TDC", "42.5° after BDC",
// "at TDC"), in the language in use; the number keeps its decimal point (the readout that shows
// it writes its numbers as the language does, LocalNumbers).
std::string DeadCentreWords(double crank_degrees);

}  // namespace tarsel
