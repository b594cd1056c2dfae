#include "geometry/valve_events.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "geometry/language.h"

namespace tarsel {

namespace {

// Where the lift along one segment equals `lift`: at an end that lies at it exactly (so that a
// crossing at a shared end gives the end's own x, not one rounded from the other end), else by
// linear interpolation. Calls `found` once for each such x (both ends of a level segment).
template <class Found>
void Crossings(const Segment& s, double lift, Found found) {
  const bool rising = s.y1 <= lift && lift <= s.y2;
  const bool falling = s.y2 <= lift && lift <= s.y1;
  if (!rising && !falling) return;
  if (s.y1 == lift || s.y2 == lift) {
    if (s.y1 == lift) found(s.x1);
    if (s.y2 == lift) found(s.x2);
    return;
  }
  const double t = (lift - s.y1) / (s.y2 - s.y1);
  found(s.x1 + t * (s.x2 - s.x1));
}

}  // namespace

std::optional<ValveEvents> EventsOf(std::span<const Segment> curve, double threshold) {
  std::optional<double> least, most;
  const auto found = [&](double x) {
    if (!least || x < *least) least = x;
    if (!most || x > *most) most = x;
  };
  double top = 0, peak = 0;
  bool any = false;
  for (const Segment& s : curve) {
    Crossings(s, threshold, found);
    for (const auto& [x, y] : {std::pair{s.x1, s.y1}, std::pair{s.x2, s.y2}}) {
      if (!any || y > top) {
        top = y;
        peak = x;
        any = true;
      }
    }
  }
  if (!least) return std::nullopt;
  return ValveEvents{*least, *most, peak, *most - *least};
}

ValveEvents InCrankDegrees(const ValveEvents& e) {
  return {CrankDegrees(e.opening), CrankDegrees(e.closing), CrankDegrees(e.peak),
          CrankSpan(e.duration)};
}

ValveEvents Shift(const ValveEvents& moved, const ValveEvents& base) {
  return {moved.opening - base.opening, moved.closing - base.closing, moved.peak - base.peak,
          moved.duration - base.duration};
}

std::string DeadCentreWords(double crank_degrees) {
  // Within its turn, from -180 to 180 degrees after top dead centre.
  double a = std::remainder(crank_degrees, 360);
  bool bottom = false;
  if (std::abs(a) > 90) {
    bottom = true;
    a = a > 0 ? a - 180 : a + 180;
  }
  // TRANSLATORS: the valve timing's words for an event at a dead centre. BDC: bottom dead
  // centre, abbreviated as the language's textbooks do (German: UT). A narrow column.
  if (std::abs(a) < 0.05 && bottom) return Tr("at BDC");
  // TRANSLATORS: TDC: top dead centre, abbreviated as the language's textbooks do (German: OT).
  if (std::abs(a) < 0.05) return Tr("at TDC");
  char degrees[32];
  std::snprintf(degrees, sizeof degrees, "%.1f", std::abs(a));
  const char* pattern = nullptr;
  if (a < 0 && bottom) {
    // TRANSLATORS: %s: crank degrees ("20.0"); BDC: bottom dead centre (German: UT).
    pattern = Tr("%s° before BDC");
  } else if (a < 0) {
    // TRANSLATORS: %s: crank degrees ("20.0"); TDC: top dead centre (German: OT).
    pattern = Tr("%s° before TDC");
  } else if (bottom) {
    // TRANSLATORS: %s: crank degrees ("20.0"); BDC: bottom dead centre (German: UT).
    pattern = Tr("%s° after BDC");
  } else {
    // TRANSLATORS: %s: crank degrees ("20.0"); TDC: top dead centre (German: OT).
    pattern = Tr("%s° after TDC");
  }
  return Fill(pattern, {degrees});
}

}  // namespace tarsel
