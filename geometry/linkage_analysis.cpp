#include "geometry/linkage_analysis.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "geometry/linkage.h"
#include "geometry/piston_curve.h"
#include "geometry/same_math.h"

namespace tarsel {

namespace {

const double kPi = 4 * same::Atan(1.0);

double Degrees(double radians) {
  return radians * 180 / kPi;
}

// The arccosine in degrees, through the arctangent that gives the same bits everywhere.
double ArccosDegrees(double x) {
  x = std::clamp(x, -1.0, 1.0);
  return Degrees(same::Atan2(std::sqrt(1 - x * x), x));
}

// The closed-form ranges: the crank angles where P-Q lies within the reach of the coupler and
// the rocker. P-Q grows with the crank angle from 0 to 180 degrees (d^2 = G^2 + A^2 - 2 G A cos
// theta), so the linkage closes where cos theta lies between `low` (P-Q = C + B) and `high`
// (P-Q = |C - B|).
void FindIntervals(const Configuration& c, LinkageAnalysis& out) {
  const double g = c.ground, a = c.crank, sum = c.coupler + c.rocker,
               difference = c.coupler - c.rocker;
  const double low = ((g * g + a * a) - sum * sum) / (2 * g * a);
  const double high = ((g * g + a * a) - difference * difference) / (2 * g * a);
  if (!std::isfinite(low) || !std::isfinite(high)) {
    // Bars so short against the others that G A vanishes in double precision: P-Q is the
    // same at every crank angle.
    const double d = std::hypot(g, a);
    if (d > sum) out.open = {{{0, 360}, OpenReason::kTooFar}};
    if (d < std::abs(difference)) out.open = {{{0, 360}, OpenReason::kTooNear}};
    if (out.open.empty()) out.closes = {{0, 360}};
    return;
  }
  if (high < -1) {
    out.open = {{{0, 360}, OpenReason::kTooNear}};
    return;
  }
  if (low > 1) {
    out.open = {{{0, 360}, OpenReason::kTooFar}};
    return;
  }
  // On the upper half turn it closes from `first` up to `last` degrees; the lower half is its
  // mirror image.
  const double last = low > -1 ? ArccosDegrees(low) : 180;
  const double first = high < 1 ? ArccosDegrees(high) : 0;
  if (first == 0 && last == 180) {
    out.closes = {{0, 360}};
  } else if (first == 0) {
    out.closes = {{360 - last, last}};
  } else if (last == 180) {
    out.closes = {{first, 360 - first}};
  } else {
    out.closes = {{first, last}, {360 - last, 360 - first}};
  }
  if (first > 0) out.open.push_back({{360 - first, first}, OpenReason::kTooNear});
  if (last < 180) out.open.push_back({{last, 360 - last}, OpenReason::kTooFar});
}

void FindClass(const Configuration& c, LinkageAnalysis& out) {
  std::array<double, 4> sorted = {c.ground, c.crank, c.coupler, c.rocker};
  std::sort(sorted.begin(), sorted.end());
  out.s_plus_l = sorted[0] + sorted[3];
  out.p_plus_q = sorted[1] + sorted[2];
  if (out.s_plus_l > out.p_plus_q) {
    out.grashof = GrashofClass::kTripleRocker;
  } else if (out.s_plus_l == out.p_plus_q) {
    out.grashof = GrashofClass::kChangePoint;
  } else if (c.ground == sorted[0]) {
    // Below Grashof's sum the shortest bar is unique: two bars of that length would make L
    // less than P.
    out.grashof = GrashofClass::kDoubleCrank;
  } else if (c.crank == sorted[0]) {
    out.grashof = GrashofClass::kCrankRocker;
  } else if (c.rocker == sorted[0]) {
    out.grashof = GrashofClass::kRockerCrank;
  } else {
    out.grashof = GrashofClass::kDoubleRocker;
  }
}

// The transmission angle depends on P-Q alone and grows with it (law of cosines in P, Q, R), so
// its extremes are at the extremes of P-Q where the linkage closes.
void FindTransmission(const Configuration& c, LinkageAnalysis& out) {
  const double b = c.rocker, coupler = c.coupler;
  const auto at = [&](double d) {
    return ArccosDegrees((b * b + coupler * coupler - d * d) / (2 * b * coupler));
  };
  const double nearest = std::max(out.pq.least, out.reach.least);
  const double farthest = std::min(out.pq.most, out.reach.most);
  out.transmission = Range{at(nearest), at(farthest)};
}

// A quantity of the pose along the turn, and where its extremes are. The pose is solved with a
// hair of slack at the limits of an interval, where rounding may put the crank just outside.
struct Sampled {
  double least = INFINITY, most = -INFINITY;
  void Take(double v) {
    least = std::min(least, v);
    most = std::max(most, v);
  }
};

// The extreme of f near a sample that is higher (sign 1) or lower (sign -1) than both its
// neighbours, found by golden-section search between them.
template <class F>
double Refine(F&& f, double left, double right, double sign) {
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  double x1 = right - ratio * (right - left), x2 = left + ratio * (right - left);
  double f1 = sign * f(x1), f2 = sign * f(x2);
  for (int i = 0; i < 80 && right - left > 1e-13; ++i) {
    if (f1 < f2) {
      left = x1, x1 = x2, f1 = f2;
      x2 = left + ratio * (right - left), f2 = sign * f(x2);
    } else {
      right = x2, x2 = x1, f2 = f1;
      x1 = right - ratio * (right - left), f1 = sign * f(x1);
    }
  }
  return sign * std::max(f1, f2);
}

// Samples f over [from, to] (radians) every half degree or so, and refines every local extreme.
template <class F>
void Sweep(F&& f, double from, double to, Sampled& s) {
  const int n = std::max(16, static_cast<int>(std::ceil((to - from) / (kPi / 360))));
  std::vector<double> values(static_cast<std::size_t>(n) + 1);
  const auto angle = [&](int i) { return from + (to - from) * i / n; };
  for (int i = 0; i <= n; ++i) values[static_cast<std::size_t>(i)] = f(angle(i));
  s.Take(values.front());
  s.Take(values.back());
  for (int i = 1; i < n; ++i) {
    const double v = values[static_cast<std::size_t>(i)];
    const double before = values[static_cast<std::size_t>(i - 1)];
    const double after = values[static_cast<std::size_t>(i + 1)];
    if (v >= before && v >= after) s.Take(Refine(f, angle(i - 1), angle(i + 1), 1));
    if (v <= before && v <= after) s.Take(Refine(f, angle(i - 1), angle(i + 1), -1));
  }
}

// phi and the rocker's angle over the closing intervals. A pose just outside an interval (by
// rounding) counts as its end: the value nearest inside.
void FindSwing(const Configuration& c, LinkageAnalysis& out) {
  Sampled phi, rocker;
  for (const AngleInterval& i : out.closes) {
    const double from = i.from * kPi / 180;
    double to = i.to * kPi / 180;
    if (to <= from && !(i.from == 0 && i.to == 0)) to += 2 * kPi;
    // A hair inside the ends, where the coupler and the rocker stand in one line.
    const double inset = out.closes.size() == 1 && i.from == 0 && i.to == 360 ? 0 : 1e-12;
    const double a = from + inset, b = std::max(a, to - inset);
    const auto pose = [&](double theta) { return LinkagePoseAt(c, theta, kPi); };
    const auto phi_at = [&](double theta) {
      const LinkagePose p = pose(theta);
      return p.closes ? p.phi : phi.least;
    };
    const auto rocker_at = [&](double theta) {
      const LinkagePose p = pose(theta);
      return p.closes ? Degrees(same::Atan2(p.r.y, c.ground - p.r.x)) : rocker.least;
    };
    // The first closing sample seeds the fallbacks above.
    for (int k = 0; k <= 64 && phi.least == INFINITY; ++k) {
      const LinkagePose p = pose(a + (b - a) * k / 64);
      if (p.closes) phi.Take(p.phi), rocker.Take(Degrees(same::Atan2(p.r.y, c.ground - p.r.x)));
    }
    if (phi.least == INFINITY) continue;
    Sweep(phi_at, a, b, phi);
    Sweep(rocker_at, a, b, rocker);
  }
  if (phi.least == INFINITY) return;
  out.phi = Range{phi.least, phi.most};
  out.phase_offset = Range{2 * (c.reference - phi.most), 2 * (c.reference - phi.least)};
  const bool rocker_turns =
      out.grashof == GrashofClass::kDoubleCrank || out.grashof == GrashofClass::kRockerCrank;
  if (!rocker_turns) out.rocker = Range{rocker.least, rocker.most};
}

}  // namespace

std::string_view NameOf(GrashofClass c) {
  switch (c) {
    case GrashofClass::kCrankRocker:
      return "crank-rocker";
    case GrashofClass::kDoubleCrank:
      return "double-crank";
    case GrashofClass::kRockerCrank:
      return "rocker-crank";
    case GrashofClass::kDoubleRocker:
      return "double-rocker";
    case GrashofClass::kTripleRocker:
      return "triple-rocker";
    case GrashofClass::kChangePoint:
      break;
  }
  return "change-point";
}

bool ClosesAllRound(const Configuration& c) {
  return std::abs(c.ground - c.crank) >= std::abs(c.coupler - c.rocker) &&
         c.ground + c.crank <= c.coupler + c.rocker;
}

LinkageAnalysis Analyse(const Configuration& c) {
  LinkageAnalysis out;
  FindClass(c, out);
  out.pq = {std::abs(c.ground - c.crank), c.ground + c.crank};
  out.reach = {std::abs(c.coupler - c.rocker), c.coupler + c.rocker};
  FindIntervals(c, out);
  out.stroke = PistonStroke(c);
  if (out.closes.empty()) return out;
  FindTransmission(c, out);
  FindSwing(c, out);
  return out;
}

double& LengthOf(Configuration& c, int which) {
  switch (which) {
    case 0:
      return c.ground;
    case 1:
      return c.crank;
    case 2:
      return c.coupler;
    default:
      return c.rocker;
  }
}

std::vector<Range> AllRoundSpans(const Configuration& c, int which, double low, double high) {
  // The crank turns all round while |G - A| >= |C - B| and G + A <= C + B. Each side of these
  // changes sign where one of G + A - C - B, G - A - C + B, G - A + C - B is 0, and each of these
  // is linear in any one length: solved for it, they are the only places where the answer can
  // change.
  constexpr int kSigns[3][4] = {{1, 1, -1, -1}, {1, -1, -1, 1}, {1, -1, 1, -1}};
  std::vector<double> cuts = {low, high};
  for (const auto& sign : kSigns) {
    Configuration rest = c;
    LengthOf(rest, which) = 0;
    double others = 0;
    for (int i = 0; i < 4; ++i) others += sign[i] * LengthOf(rest, i);
    const double at = -others / sign[which];
    if (at > low && at < high) cuts.push_back(at);
  }
  std::sort(cuts.begin(), cuts.end());
  std::vector<Range> spans;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    if (!(cuts[i] < cuts[i + 1])) continue;
    Configuration probe = c;
    LengthOf(probe, which) = (cuts[i] + cuts[i + 1]) / 2;
    if (!ClosesAllRound(probe)) continue;
    if (!spans.empty() && spans.back().most == cuts[i]) {
      spans.back().most = cuts[i + 1];
    } else {
      spans.push_back({cuts[i], cuts[i + 1]});
    }
  }
  return spans;
}

std::vector<Range> SliderSpans(const Configuration& c, const ConfigurationField& field) {
  for (int which = 0; which < 4; ++which) {
    Configuration probe = c;
    if (&(probe.*field.value) == &LengthOf(probe, which)) {
      return AllRoundSpans(c, which, field.low, field.high);
    }
  }
  Range span{field.low, field.high};
  if (field.value == &Configuration::piston_radius) span.most = std::min(span.most, c.rod);
  if (field.value == &Configuration::rod) span.least = std::max(span.least, c.piston_radius);
  if (!(span.least < span.most)) return {};
  return {span};
}

}  // namespace tarsel
