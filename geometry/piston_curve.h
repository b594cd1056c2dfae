#pragma once

#include <cmath>

#include "geometry/joint.h"
#include "geometry/same_math.h"

namespace tarsel {

// Travel of a piston on an in-line crank (radius 25.5) and connecting rod (length 100),
// plotted as distance from the top position plus 4.85, against 90 units per pi radians of
// crank angle with crank angle 0 at x = 15.
namespace piston {
inline constexpr double kCrank = 25.5;
inline constexpr double kRod = 100;
inline constexpr double kOffset = 4.85;
inline constexpr double kStep = 0.01;
inline constexpr double kOriginX = 15;
inline constexpr double kUnitsPerPi = 90;
inline constexpr int kPenWidth = 3;
inline constexpr unsigned kColour = 8438015;  // 0x80C0FF: red 255, green 192, blue 128
inline constexpr int kSegments = 943;
}  // namespace piston

// The distance from the crank centre to the piston pin at crank angle theta (0 with the crank
// pointing at the cylinder): 125.5 at the top of the stroke, 74.5 at the bottom.
template <class Math>
double PistonPinDistance(double theta) {
  using namespace piston;
  const double s = kCrank * Math::Sin(theta);
  return kCrank * Math::Cos(theta) + std::sqrt(kRod * kRod - s * s);
}

// Plotted height at crank angle theta: 130.35 minus the crank-centre to piston-pin distance.
inline double PistonHeight(double theta) {
  using namespace piston;
  return ((kOffset + kCrank) + kRod) - PistonPinDistance<LibraryMath>(theta);
}

// Horizontal plot position of crank angle theta.
inline double PistonX(double theta, double pi) {
  return piston::kOriginX + piston::kUnitsPerPi * theta / pi;
}

// The crank angle that the curve plots at horizontal position x: the inverse of PistonX.
inline double PistonAngleAt(double x, double pi) {
  return (x - piston::kOriginX) * pi / piston::kUnitsPerPi;
}

// The slider-crank at crank angle theta, with the crank centre at the origin and the cylinder
// along the x axis: the crank pin, the piston pin, and the piston's travel from the top of its
// stroke (0 to 51), with the height the curve plots for it. Computed with the functions that
// give the same bits on every platform (geometry/same_math.h).
struct PistonPose {
  double theta = 0;
  Joint crank_pin, piston_pin;
  double travel = 0;  // kCrank + kRod minus the pin distance
  double height = 0;  // the curve's value: kOffset + travel
};

inline PistonPose PistonPoseAt(double theta) {
  using namespace piston;
  const double xp = PistonPinDistance<SameMath>(theta);
  PistonPose pose;
  pose.theta = theta;
  pose.crank_pin = {kCrank * same::Cos(theta), kCrank * same::Sin(theta)};
  pose.piston_pin = {xp, 0};
  pose.travel = (kCrank + kRod) - xp;
  pose.height = ((kOffset + kCrank) + kRod) - xp;
  return pose;
}

struct PistonSegment {
  double x1, y1, x2, y2;
};

// The crank angles of the curve's points: from -pi to 2 pi by repeated addition of 0.01 (the
// end value is computed once), 943 in all, the last near 6.2784.
template <class Visit>
void ForEachPistonAngle(double pi, Visit&& visit) {
  const double end = 2 * pi;
  for (double theta = -pi; theta <= end; theta += piston::kStep) visit(theta);
}

// Hands each segment of the curve to `emit`, one per crank angle above. Each segment starts at
// the abscissa of theta - 0.01 and the previous height; the first starts at height 0, so every
// curve begins with a nearly vertical stroke from the axis up to 55.85.
template <class Emit>
void ForEachPistonSegment(double pi, Emit&& emit) {
  double yp = 0;
  ForEachPistonAngle(pi, [&](double theta) {
    const double yq = yp;
    yp = PistonHeight(theta);
    emit(PistonSegment{PistonX(theta - piston::kStep, pi), yq, PistonX(theta, pi), yp});
  });
}

}  // namespace tarsel
