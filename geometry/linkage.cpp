#include "geometry/linkage.h"

#include <algorithm>
#include <cmath>

#include "geometry/same_math.h"

namespace tarsel {

namespace {

// The root of 1 - x^2 for a sine or cosine that rounding may have taken a hair past 1.
double Complement(double x) {
  return std::sqrt(std::max(0.0, 1 - x * x));
}

}  // namespace

template <class Math>
LinkagePose SolveLinkage(const Configuration& c, double theta, double pi) {
  const double g = c.ground, a = c.crank, coupler = c.coupler, b = c.rocker;
  const double cos_theta = Math::Cos(theta), sin_theta = Math::Sin(theta);
  LinkagePose pose;
  pose.theta = theta;
  pose.q = {g, 0};
  pose.p = {a * cos_theta, a * sin_theta};
  // Triangle O, P, Q: the distance from the crank pin to the rocker pivot, between |g - a| and
  // g + a.
  const double d = std::sqrt(std::max(0.0, (g * g + a * a) - 2 * g * a * cos_theta));
  pose.pq = d;
  const auto open = [&] {
    pose.closes = false;
    pose.r = {};
    return pose;
  };
  if (d == 0) return open();  // P on Q: the rocker has no direction to take
  // The angle at Q between Q-O and Q-P, on the side of P (the sign of sin theta): the arcsine
  // of t by the law of sines, turned past a right angle where P stands beyond Q (g < a cos
  // theta), which only a crank longer than the fixed line can do.
  const double t = a * sin_theta / d;
  const double alpha = Math::Atan2(t, g - a * cos_theta >= 0 ? Complement(t) : -Complement(t));
  // Triangle P, Q, R: the angle at Q between Q-P and the rocker, by the law of cosines. Past
  // +-1 the coupler and the rocker cannot reach each other. Open: the rocker turned on from
  // Q-P, away from O; crossed: back the other way.
  const double h = ((d * d + b * b) - coupler * coupler) / (2 * d * b);
  if (!(std::abs(h) <= 1)) return open();
  const double beta = Math::Atan2(Complement(h), h);
  const double rocker = c.assembly == Assembly::kCrossed ? alpha - beta : alpha + beta;
  // Triangle O, Q, R: the rocker at that angle from Q-O; e is the distance from O to R.
  const double cos_rocker = Math::Cos(rocker), sin_rocker = Math::Sin(rocker);
  const double e = std::sqrt(std::max(0.0, (b * b + g * g) - 2 * b * g * cos_rocker));
  pose.r = {g - b * cos_rocker, b * sin_rocker};
  if (e == 0) return open();  // R on O: nothing to sight it by
  // The angle at O between O-Q and O-R (law of sines), turned past a right angle where R
  // stands behind O.
  const double w = b * sin_rocker / e;
  const double phi = Math::Atan2(w, pose.r.x >= 0 ? Complement(w) : -Complement(w));
  // The angle at R between the coupler and the rocker, by the law of cosines in P, Q, R.
  const double mu = (b * b + coupler * coupler - d * d) / (2 * b * coupler);
  pose.transmission = Math::Atan2(Complement(mu), mu) * 180 / pi;
  pose.phi = phi * 180 / pi;
  pose.ff = 2 * (c.reference - pose.phi);
  return pose;
}

template LinkagePose SolveLinkage<LibraryMath>(const Configuration&, double, double);
template LinkagePose SolveLinkage<SameMath>(const Configuration&, double, double);

bool ClosesInFrontAllRound(const Configuration& c) {
  const double g = c.ground, a = c.crank, coupler = c.coupler, b = c.rocker;
  const double longest = std::max({g, a, coupler, b});
  if (!(std::min({g, a, coupler, b}) > 0) || !(longest <= kMostLength)) return false;
  const double room = 1e-6 * longest;
  // P-Q within the reach of the coupler and the rocker all round, and never near 0.
  if (!(std::abs(g - a) >= std::abs(b - coupler) + 2 * room)) return false;
  if (!(g + a + 2 * room <= b + coupler)) return false;
  // Where R comes within `room` of the perpendicular through O (x <= room), it is at most
  // sqrt(b^2 - g^2 + 2 g room) from O; it is never nearer than |coupler - a|.
  const double nearest_r = coupler - a;
  return nearest_r * nearest_r >= b * b - g * g + 4 * room * longest;
}

LinkagePose LinkagePoseAt(const Configuration& c, double theta, double pi) {
  return SolveLinkage<SameMath>(c, theta, pi);
}

}  // namespace tarsel
