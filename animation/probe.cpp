#include "animation/probe.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tarsel {

namespace {

using Tables = ProfileTables;

// The table point whose drawn position `x_of(n)` is nearest x; the lower index on a tie.
template <class XOf>
int Nearest(const Tables& t, double x, XOf&& x_of) {
  int best = Tables::kFirst;
  double best_distance = std::abs(x_of(best) - x);
  for (int n = Tables::kFirst + 1; n <= t.last(); ++n) {
    const double distance = std::abs(x_of(n) - x);
    if (distance < best_distance) best = n, best_distance = distance;
  }
  return best;
}

// The trace's points in table order, with where each is drawn: the points where the linkage
// closes, or the green curve's when it closes at none (the probe then steps along the profile).
struct TraceStop {
  int n;
  double x;
};
std::vector<TraceStop> TraceStops(const SharedState& state) {
  std::vector<TraceStop> stops;
  for (int n = Tables::kFirst; n <= state.tables.last(); ++n) {
    const TracePoint p = TracePointAt(state, n);
    if (p.pose.closes) stops.push_back({n, p.x});
  }
  if (stops.empty()) {
    for (int n = Tables::kFirst; n <= state.tables.last(); ++n) {
      stops.push_back({n, state.ww - state.tables.xb[n]});
    }
  }
  return stops;
}

}  // namespace

ProbeReadout ReadProbe(const SharedState& state, double x) {
  const Tables& t = state.tables;
  const double ww = state.ww;
  ProbeReadout r;
  r.x = x;
  const int red = Nearest(t, x, [&](int n) { return ww + t.xa[n]; });
  r.red = {red, t.xa[red], t.ya[red], ww + t.xa[red]};
  const int green = Nearest(t, x, [&](int n) { return ww - t.xb[n]; });
  r.green = {green, t.xb[green], t.yb[green], ww - t.xb[green]};
  // The nearest point of the trace, the lower index on a tie. With any lengths the offset may
  // change faster than the table steps, so the trace's points need not fall in order: each is
  // looked at.
  const std::vector<TraceStop> stops = TraceStops(state);
  const TraceStop* best = &stops.front();
  for (const TraceStop& s : stops) {
    if (std::abs(s.x - x) < std::abs(best->x - x)) best = &s;
  }
  r.blue = {best->n, t.xb[best->n], t.yb[best->n], best->x};
  r.linkage = TracePointAt(state, best->n).pose;
  r.piston = PistonPoseAt(state.config, PistonAngleAt(x, state.pi));
  return r;
}

double StepProbe(const SharedState& state, double x, int points) {
  if (points == 0) return x;
  const std::vector<TraceStop> stops = TraceStops(state);
  const long last = static_cast<long>(stops.size()) - 1;
  // The trace runs from right to left as n grows: its first stop is the rightmost.
  const long direction = points > 0 ? -1 : 1;
  long i = direction < 0 ? last : 0;
  // The first stop beyond x in the direction of the move...
  while (i >= 0 && i <= last &&
         (points > 0 ? stops[static_cast<std::size_t>(i)].x <= x
                     : stops[static_cast<std::size_t>(i)].x >= x)) {
    i += direction;
  }
  if (i < 0 || i > last) return ProbeEnd(state, points > 0);
  // ...then the rest of the steps, as far as the trace goes.
  i = std::clamp(i + direction * (std::abs(points) - 1), 0L, last);
  return stops[static_cast<std::size_t>(i)].x;
}

double ProbeEnd(const SharedState& state, bool right) {
  const std::vector<TraceStop> stops = TraceStops(state);
  return right ? stops.front().x : stops.back().x;
}

}  // namespace tarsel
