#include "geometry/cam.h"

#include <algorithm>
#include <cmath>

#include "geometry/same_math.h"

namespace tarsel {

namespace {

// The first table's angles fall with the index: its lowest angle is the last point's.
double Lowest(const ProfileTables& t) {
  return t.xa[t.last()];
}
double Highest(const ProfileTables& t) {
  return t.xa[ProfileTables::kFirst];
}

// `angle` moved by whole turns into [middle - 180, middle + 180).
double WithinTurn(double angle, double middle) {
  return angle - 360 * std::floor((angle - middle + 180) / 360);
}

}  // namespace

double CamLift(const ProfileTables& t, double angle) {
  if (t.last() < ProfileTables::kFirst || !std::isfinite(angle)) return 0;
  const double lo = Lowest(t), hi = Highest(t);
  const double a = WithinTurn(angle, (lo + hi) / 2);
  if (a < lo || a > hi) return 0;
  const auto begin = t.xa.begin() + ProfileTables::kFirst;
  const auto end = t.xa.begin() + t.last() + 1;
  const auto at = std::lower_bound(begin, end, a, [](double x, double v) { return x > v; });
  // xa falls: `at` is the first point whose angle is not above a; a >= lo, so there is one.
  const int n = static_cast<int>(at - t.xa.begin());
  if (t.xa[n] == a || n == ProfileTables::kFirst) return t.ya[n];
  // a lies between point n (below it) and point n - 1 (above it).
  const double x0 = t.xa[n], x1 = t.xa[n - 1];
  const double f = (a - x0) / (x1 - x0);
  return t.ya[n] + f * (t.ya[n - 1] - t.ya[n]);
}

CamLobe CamAt(const ProfileTables& t, double angle, int points) {
  CamLobe cam;
  for (int n = ProfileTables::kFirst; n <= t.last(); ++n) cam.peak = std::max(cam.peak, t.ya[n]);
  cam.base = cam.peak > 0 ? 1.5 * cam.peak : 1;
  if (t.last() >= ProfileTables::kFirst && std::isfinite(angle)) {
    cam.angle = WithinTurn(angle, (Lowest(t) + Highest(t)) / 2);
  }
  cam.lift = CamLift(t, cam.angle);
  if (points < 1) return cam;
  const double pi = 4 * same::Atan(1.0);
  cam.contour.reserve(static_cast<std::size_t>(points));
  for (int i = 0; i < points; ++i) {
    // Cam angle b stands at angle - b from the vertical, so the lobe turns counter-clockwise as
    // the angle under the follower grows.
    const double offset = 360.0 * i / points - 180;
    const double b = cam.angle + offset;
    const double r = cam.base + (offset == 0 ? cam.lift : CamLift(t, b));
    const double screen = (90 - offset) * pi / 180;
    cam.contour.push_back({r * same::Cos(screen), r * same::Sin(screen)});
  }
  return cam;
}

}  // namespace tarsel
