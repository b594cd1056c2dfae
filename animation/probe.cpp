#include "animation/probe.h"

#include <cmath>

namespace tarsel {

namespace {

using Tables = ProfileTables;

// The table point whose drawn position `x_of(n)` is nearest x; the lower index on a tie.
template <class XOf>
int Nearest(double x, XOf&& x_of) {
  int best = Tables::kFirst;
  double best_distance = std::abs(x_of(best) - x);
  for (int n = Tables::kFirst + 1; n <= Tables::kLast; ++n) {
    const double distance = std::abs(x_of(n) - x);
    if (distance < best_distance) best = n, best_distance = distance;
  }
  return best;
}

}  // namespace

LinkagePose BluePointPose(const SharedState& state, int n) {
  return LinkagePoseAt(state.k - (state.pi * state.tables.xb[n]) / 180, state.ww, state.pi);
}

double BlueX(const SharedState& state, int n) {
  return state.ww - state.tables.xb[n] + BluePointPose(state, n).ff;
}

ProbeReadout ReadProbe(const SharedState& state, double x) {
  const Tables& t = state.tables;
  const double ww = state.ww;
  ProbeReadout r;
  r.x = x;
  const int red = Nearest(x, [&](int n) { return ww + t.xa[n]; });
  r.red = {red, t.xa[red], t.ya[red], ww + t.xa[red]};
  const int green = Nearest(x, [&](int n) { return ww - t.xb[n]; });
  r.green = {green, t.xb[green], t.yb[green], ww - t.xb[green]};
  // The blue positions move with k. Along the table they fall (each point is at least 0.8
  // degrees from the next, and the offset changes by at most 0.28 of that), so the nearest one
  // is found by halving: 8 solves of the linkage instead of 200.
  int left = Tables::kFirst, right = Tables::kLast;  // BlueX(left) >= BlueX(right)
  while (right - left > 1) {
    const int mid = (left + right) / 2;
    (BlueX(state, mid) >= x ? left : right) = mid;
  }
  const double left_x = BlueX(state, left), right_x = BlueX(state, right);
  const int blue = std::abs(left_x - x) <= std::abs(right_x - x) ? left : right;
  r.blue = {blue, t.xb[blue], t.yb[blue], blue == left ? left_x : right_x};
  r.linkage = BluePointPose(state, blue);
  r.piston = PistonPoseAt(PistonAngleAt(x, state.pi));
  return r;
}

double StepProbe(const SharedState& state, double x, int points) {
  if (points == 0) return x;
  // The trace runs from right to left as n grows: point 1 is the rightmost.
  const int direction = points > 0 ? -1 : 1;
  int n = direction < 0 ? Tables::kLast : Tables::kFirst;
  // The first point beyond x in the direction of the move...
  while (n >= Tables::kFirst && n <= Tables::kLast &&
         (points > 0 ? BlueX(state, n) <= x : BlueX(state, n) >= x)) {
    n += direction;
  }
  if (n < Tables::kFirst || n > Tables::kLast) return ProbeEnd(state, points > 0);
  // ...then the rest of the steps, as far as the trace goes.
  n += direction * (std::abs(points) - 1);
  if (n < Tables::kFirst) n = Tables::kFirst;
  if (n > Tables::kLast) n = Tables::kLast;
  return BlueX(state, n);
}

double ProbeEnd(const SharedState& state, bool right) {
  return BlueX(state, right ? Tables::kFirst : Tables::kLast);
}

}  // namespace tarsel
