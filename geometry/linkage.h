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

// The pose with SameMath: for the readout, the data, the mechanism view and the analysis.
LinkagePose LinkagePoseAt(const Configuration& c, double theta, double pi);

}  // namespace tarsel
