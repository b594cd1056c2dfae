#pragma once

#include <cmath>

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

// Plotted height at crank angle theta: 130.35 minus the crank-centre to piston-pin distance.
inline double PistonHeight(double theta) {
  using namespace piston;
  const double s = kCrank * std::sin(theta);
  const double xp = kCrank * std::cos(theta) + std::sqrt(kRod * kRod - s * s);
  return ((kOffset + kCrank) + kRod) - xp;
}

// Horizontal plot position of crank angle theta.
inline double PistonX(double theta, double pi) {
  return piston::kOriginX + piston::kUnitsPerPi * theta / pi;
}

struct PistonSegment {
  double x1, y1, x2, y2;
};

// Walks the crank angle from -pi to 2 pi by repeated addition of 0.01 (the end value is
// computed once) and hands each segment to `emit`, 943 in all. Each segment starts at the
// abscissa of theta - 0.01 and the previous height; the first starts at height 0, so every
// curve begins with a nearly vertical stroke from the axis up to 55.85.
template <class Emit>
void ForEachPistonSegment(double pi, Emit&& emit) {
  const double end = 2 * pi;
  double yp = 0;
  for (double theta = -pi; theta <= end; theta += piston::kStep) {
    const double yq = yp;
    yp = PistonHeight(theta);
    emit(PistonSegment{PistonX(theta - piston::kStep, pi), yq, PistonX(theta, pi), yp});
  }
}

}  // namespace tarsel
