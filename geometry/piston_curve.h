#pragma once

#include <cmath>

#include "geometry/configuration.h"
#include "geometry/joint.h"
#include "geometry/same_math.h"

namespace tarsel {

// Travel of a piston on an in-line crank and connecting rod (the configuration's piston_radius
// and rod: 25.5 and 100 built in), plotted as distance from the top position plus 4.85,
// against 90 units per pi radians of crank angle with crank angle 0 at x = 15.
namespace piston {
inline constexpr double kOffset = 4.85;
inline constexpr double kStep = 0.01;
inline constexpr double kOriginX = 15;
inline constexpr double kUnitsPerPi = 90;
inline constexpr int kSegments = 943;
}  // namespace piston

// The distance from the crank centre to the piston pin at crank angle theta (0 with the crank
// pointing at the cylinder): radius + rod at the top of the stroke (125.5 built in), rod -
// radius at the bottom (74.5). The rod is longer than the radius, so the root is never of a
// negative number.
inline double PistonPinDistance(const Configuration& c, double theta) {
  const double s = c.piston_radius * same::Sin(theta);
  return c.piston_radius * same::Cos(theta) + std::sqrt(c.rod * c.rod - s * s);
}

// Plotted height at crank angle theta: 4.85 + radius + rod minus the crank-centre to
// piston-pin distance (130.35 minus it, built in).
inline double PistonHeight(const Configuration& c, double theta) {
  return ((piston::kOffset + c.piston_radius) + c.rod) - PistonPinDistance(c, theta);
}

// The piston's stroke: from the top of its travel to the bottom, twice the crank radius.
inline double PistonStroke(const Configuration& c) {
  return 2 * c.piston_radius;
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
  double travel = 0;  // radius + rod minus the pin distance
  double height = 0;  // the curve's value: kOffset + travel
};

inline PistonPose PistonPoseAt(const Configuration& c, double theta) {
  const double xp = PistonPinDistance(c, theta);
  PistonPose pose;
  pose.theta = theta;
  pose.crank_pin = {c.piston_radius * same::Cos(theta), c.piston_radius * same::Sin(theta)};
  pose.piston_pin = {xp, 0};
  pose.travel = (c.piston_radius + c.rod) - xp;
  pose.height = ((piston::kOffset + c.piston_radius) + c.rod) - xp;
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
void ForEachPistonSegment(const Configuration& c, double pi, Emit&& emit) {
  double yp = 0;
  ForEachPistonAngle(pi, [&](double theta) {
    const double yq = yp;
    yp = PistonHeight(c, theta);
    emit(PistonSegment{PistonX(theta - piston::kStep, pi), yq, PistonX(theta, pi), yp});
  });
}

}  // namespace tarsel
