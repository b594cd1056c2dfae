#pragma once

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
// the conversion to degrees.
double LinkagePhaseOffset(double theta, double ww, double pi);

}  // namespace tarsel
