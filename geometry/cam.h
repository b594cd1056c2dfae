#pragma once

#include <vector>

#include "geometry/joint.h"
#include "geometry/profile_tables.h"

namespace tarsel {

// The lobe that makes a lift profile, as a radial follower reads it: turned by an angle a
// (degrees, the first table's scale), the follower standing on the cam's vertical through its
// centre rests on the contour at radius base + lift(a). So the contour, in polar form around
// the centre, is r(b) = base + lift(b) for every cam angle b: the profile's lift added to a base
// circle. Beyond the profile's angles the follower rests on the base circle.
struct CamLobe {
  double base = 0;   // the base circle's radius, in lift units
  double peak = 0;   // the highest lift of the profile
  double angle = 0;  // the cam angle under the follower, within half a turn of the profile's middle
  double lift = 0;   // the lift there: the follower's foot stands at base + lift
  // The contour in lift units around the cam's centre, y up, turned so that `angle` lies under
  // the follower (straight up): point i is at cam angle angle + 360 i / n - 180, so the
  // middle one is the follower's and the turn runs counter-clockwise.
  std::vector<Joint> contour;
};

// The points of the contour a view draws: every two degrees, the flanks smooth at any size
// the views draw it.
inline constexpr int kCamPoints = 180;

// The first table's lift at cam angle `angle` (degrees), linearly between its points, taken
// once round the turn: the angle is moved by whole turns into the half turn either side of the
// profile's middle. 0 beyond the profile's angles (the base circle). A profile spanning more
// than a turn is read over the one turn around its middle.
double CamLift(const ProfileTables& t, double angle);

// The lobe turned to `angle`. The base circle is one and a half times the peak lift (1 for a
// profile that never lifts), a proportion a valve cam's lobe has, so that the lobe reads as one
// whatever the profile's units.
CamLobe CamAt(const ProfileTables& t, double angle, int points = kCamPoints);

}  // namespace tarsel
