#pragma once

#include "geometry/configuration.h"
#include "geometry/joint.h"

namespace tarsel {

// The four-bar at one crank angle theta (radians, from O-Q), with O at the origin, Q at
// (ground, 0) and y upward: the crank pin P, the rocker tip R, the angle phi under which R is
// seen from O (measured from O-Q) and the phase offset ff = 2 (reference - phi), both in degrees.
//
// Where the coupler and the rocker cannot reach each other (P is farther from Q than P-R and
// Q-R together, or nearer than their difference: the cosine of the angle at Q would pass +-1),
// the linkage does not close: `closes` is false, P is where the crank puts it, and R, phi and ff
// are 0 (the point has no offset). The same happens in the two positions that leave a joint
// without a direction: P on Q, or R on O.
struct LinkagePose {
  double theta = 0;  // crank angle, radians from OQ
  Joint o, q, p, r;
  double phi = 0;  // degrees
  double ff = 0;   // 2 (reference - phi), degrees
  bool closes = true;
  // The distance P-Q, which decides whether and how the linkage closes, and the transmission
  // angle at R between the coupler and the rocker (degrees, 0 to 180; 0 when it does not close).
  double pq = 0;
  double transmission = 0;
};

// The closed-form solution, one triangle after another, written once for either set of
// functions of geometry/same_math.h: Math is LibraryMath (the C library's, which the drawing
// has always used) or SameMath (the same bits on every platform, for the numbers the desktop
// and the browser show and write). The two agree to a few units in the last place. Any real
// theta: the pose has period 2 pi.
template <class Math>
LinkagePose SolveLinkage(const Configuration& c, double theta, double pi);

// Whether SolveLinkage closes at every crank angle, with either set of functions, with the
// rocker tip R always in front of O (x > 0), so that phi stays strictly between -90 and 90
// degrees and the phase offsets of any two crank angles lie less than 360 degrees apart (the
// offset never turns over). Decided from the lengths alone, with room for rounding: over a turn
// of the crank P-Q runs from |ground - crank| to ground + crank, which must keep clear of 0 and
// within the reach |rocker - coupler| to rocker + coupler; and R, at least |coupler - crank|
// from O, stays in front of O where that is more than the distance sqrt(rocker^2 - ground^2)
// at which the rocker's circle crosses the line through O perpendicular to O-Q. Each by a
// millionth of the longest length, some fifty times what the rounding of the closed form can
// move a point. False also where it would only just hold, or not at all: such a linkage has to
// be solved point by point to know.
bool ClosesInFrontAllRound(const Configuration& c);

// The pose with SameMath: for the readout, the data, the mechanism view and the analysis.
LinkagePose LinkagePoseAt(const Configuration& c, double theta, double pi);

}  // namespace tarsel
