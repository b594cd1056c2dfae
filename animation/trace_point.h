#pragma once

#include "animation/shared_state.h"
#include "geometry/linkage.h"
#include "geometry/same_math.h"

namespace tarsel {

// Where the blue trace stands, in one place for the trace pass, the probe and the data: the
// point of the second table at angle xb (degrees) is solved at the crank angle k - xb pi/180,
// and drawn at the green curve's position ww - xb shifted by its phase offset ff.
inline double TraceAngle(const SharedState& state, double xb) {
  return state.k - (state.pi * xb) / 180;
}
// Where the trace draws the point of the second table at xb with the phase offset ff.
inline double TraceX(double ww, double xb, double ff) {
  return ww - xb + ff;
}

struct TracePoint {
  LinkagePose pose;  // pose.closes false: the point has no offset and the trace skips it
  double x = 0;      // where the trace draws it (only where it closes)
};

// Point n with either set of functions: the drawing's (LibraryMath, as it has always drawn) or
// the one every platform computes alike (SameMath, the default: readout, data, probe).
template <class Math = SameMath>
TracePoint TracePointAt(const SharedState& state, int n) {
  const double xb = state.tables.xb[n];
  TracePoint point;
  point.pose = SolveLinkage<Math>(state.config, TraceAngle(state, xb), state.pi);
  point.x = TraceX(state.ww, xb, point.pose.ff);
  return point;
}

// Where the trace draws point n (meaningful where the linkage closes there).
inline double BlueX(const SharedState& state, int n) {
  return TracePointAt(state, n).x;
}

}  // namespace tarsel
