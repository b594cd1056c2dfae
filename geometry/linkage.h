#pragma once

#include "geometry/joint.h"

namespace tarsel {

// A planar four-bar linkage: crank pivot O and rocker pivot Q on a fixed line 31.5 apart, a
// crank OP of 7, a coupler PR of 25 and a rocker QR of 31.
namespace linkage {
inline constexpr double kFixed = 31.5;
inline constexpr double kCrank = 7;
inline constexpr double kCoupler = 25;
inline constexpr double kRocker = 31;
}  // namespace linkage

// The phase offset in degrees for crank angle theta (radians, from OQ): twice the difference
// between the reference angle ww (degrees) and the angle phi under which the rocker tip R is
// seen from O. Depends on theta only through its sine and cosine, so it has period 2 pi; it
// stays within about -13.49 and 13.13 for ww = 65. pi is the program's value of pi, used for
// the conversion to degrees. Computed with the C library's sine, cosine and arctangent, as the
// drawing always has been.
double LinkagePhaseOffset(double theta, double ww, double pi);

// The whole linkage at crank angle theta, with O at the origin, Q at (31.5, 0) and y upward:
// the crank pin P, the rocker tip R (on the side of the coupler away from O, the way the
// linkage is assembled), the angle phi under which R is seen from O, and the phase offset.
struct LinkagePose {
  double theta = 0;  // crank angle, radians from OQ
  Joint o, q, p, r;
  double phi = 0;  // degrees
  double ff = 0;   // 2 (ww - phi), degrees
};

// The same steps as LinkagePhaseOffset, with the sine, cosine and arctangent that give the
// same bits on every platform (geometry/same_math.h): for the numbers the desktop and the
// browser show and write. ff agrees with LinkagePhaseOffset to a few units in the last place.
LinkagePose LinkagePoseAt(double theta, double ww, double pi);

}  // namespace tarsel
