#include "geometry/linkage.h"

#include <cmath>

namespace tarsel {

double LinkagePhaseOffset(double theta, double ww, double pi) {
  using namespace linkage;
  // Triangle O, P, Q: the distance from the crank pin to the rocker pivot (24.5 to 38.5).
  const double d =
      std::sqrt((kFixed * kFixed + kCrank * kCrank) - 2 * kFixed * kCrank * std::cos(theta));
  // The angle at Q between QO and QP (law of sines); it has the sign of sin(theta). The
  // arcsine is formed through the arctangent; |t| <= 7/31.5, so the root is never small.
  const double t = kCrank * std::sin(theta) / d;
  const double alpha = std::atan(t / std::sqrt(1 - t * t));
  // Triangle P, Q, R: the angle at Q between QP and the rocker (law of cosines). h stays
  // between 0.616 and 0.762, so the arccosine through the arctangent needs no quadrant fix.
  const double h = ((d * d + kRocker * kRocker) - kCoupler * kCoupler) / (2 * d * kRocker);
  const double beta = std::atan(std::sqrt(1 - h * h) / h);
  // Triangle O, Q, R: the rocker at alpha + beta from QO; e, the distance from O to R, is at
  // least 18.
  const double e = std::sqrt((kRocker * kRocker + kFixed * kFixed) -
                             2 * kRocker * kFixed * std::cos(alpha + beta));
  // The angle at O between OQ and OR (law of sines), between about 58.4 and 71.7 degrees.
  const double w = kRocker * std::sin(alpha + beta) / e;
  const double phi = std::atan(w / std::sqrt(1 - w * w));
  return 2 * (ww - phi * 180 / pi);
}

}  // namespace tarsel
