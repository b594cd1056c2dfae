#include "geometry/linkage.h"

#include <cmath>

#include "geometry/same_math.h"

namespace tarsel {

namespace {

// The closed-form solution, one triangle after another, written once for either set of
// functions: Math::Sin, Cos and Atan.
template <class Math>
LinkagePose Solve(double theta, double ww, double pi) {
  using namespace linkage;
  const double cos_theta = Math::Cos(theta), sin_theta = Math::Sin(theta);
  // Triangle O, P, Q: the distance from the crank pin to the rocker pivot (24.5 to 38.5).
  const double d = std::sqrt((kFixed * kFixed + kCrank * kCrank) - 2 * kFixed * kCrank * cos_theta);
  // The angle at Q between QO and QP (law of sines); it has the sign of sin(theta). The
  // arcsine is formed through the arctangent; |t| <= 7/31.5, so the root is never small.
  const double t = kCrank * sin_theta / d;
  const double alpha = Math::Atan(t / std::sqrt(1 - t * t));
  // Triangle P, Q, R: the angle at Q between QP and the rocker (law of cosines). h stays
  // between 0.616 and 0.762, so the arccosine through the arctangent needs no quadrant fix.
  const double h = ((d * d + kRocker * kRocker) - kCoupler * kCoupler) / (2 * d * kRocker);
  const double beta = Math::Atan(std::sqrt(1 - h * h) / h);
  // Triangle O, Q, R: the rocker at alpha + beta from QO, turned the way P is from the fixed
  // line; e, the distance from O to R, is at least 18.
  const double cos_rocker = Math::Cos(alpha + beta), sin_rocker = Math::Sin(alpha + beta);
  const double e =
      std::sqrt((kRocker * kRocker + kFixed * kFixed) - 2 * kRocker * kFixed * cos_rocker);
  // The angle at O between OQ and OR (law of sines), between about 58.4 and 71.7 degrees.
  const double w = kRocker * sin_rocker / e;
  const double phi = Math::Atan(w / std::sqrt(1 - w * w));

  LinkagePose pose;
  pose.theta = theta;
  pose.q = {kFixed, 0};
  pose.p = {kCrank * cos_theta, kCrank * sin_theta};
  pose.r = {kFixed - kRocker * cos_rocker, kRocker * sin_rocker};
  pose.phi = phi * 180 / pi;
  pose.ff = 2 * (ww - pose.phi);
  return pose;
}

}  // namespace

double LinkagePhaseOffset(double theta, double ww, double pi) {
  return Solve<LibraryMath>(theta, ww, pi).ff;
}

LinkagePose LinkagePoseAt(double theta, double ww, double pi) {
  return Solve<SameMath>(theta, ww, pi);
}

}  // namespace tarsel
