#pragma once

#include "animation/shared_state.h"
#include "animation/trace_point.h"
#include "geometry/linkage.h"
#include "geometry/piston_curve.h"

namespace tarsel {

// The probe: a vertical line at a horizontal position x of the plot (user units), and what it
// reads off the frame there. Everything here is a function of the shared state and x alone, so
// the window, the page and the exports show the same numbers.
namespace probe {
// Where the probe stands before the user moves it: the centre line, where the red profile
// peaks.
inline constexpr double kStartX = 65;
// Table points a move with Shift takes at once.
inline constexpr int kLongStep = 10;
// The probe stands within +-kLimit: far beyond any window, and close enough that its crank
// angle keeps every digit in the functions that give the same bits everywhere.
inline constexpr double kLimit = 1e6;
}  // namespace probe

// One point of a profile table as a curve draws it.
struct CurvePoint {
  int n = 0;         // table index, 1 to 200
  double angle = 0;  // the table's angle, degrees (xa for red, xb for green and blue)
  double lift = 0;   // the table's lift
  double x = 0;      // where the curve draws the point
};

struct ProbeReadout {
  double x = 0;
  // The table point of each curve nearest the probe (horizontally). The blue one is the nearest
  // point where the linkage closes; where it closes at no point of the table, blue is the green
  // point, unshifted, and linkage.closes is false.
  CurvePoint red, green, blue;
  // The linkage as it stands for the blue point: solved at theta = k - xb pi/180, with the
  // phase offset ff that shifts the point and the angle phi under which R is seen from O.
  LinkagePose linkage;
  // The slider-crank at the probe's crank angle on the piston curve's scale.
  PistonPose piston;
};

// The readout at x. The state must have been started (tables filled, pi and ww set).
ProbeReadout ReadProbe(const SharedState& state, double x);

// The probe moved along the blue trace's table points (those where the linkage closes; the
// green curve's when there are none): `points` of them to the right (negative: to the left) of
// x, stopping at the last one. From a position between two points the first step goes to the
// next point in that direction.
double StepProbe(const SharedState& state, double x, int points);
// The blue trace's rightmost (first) or leftmost (last) table point.
double ProbeEnd(const SharedState& state, bool right);

}  // namespace tarsel
