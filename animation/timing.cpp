#include "animation/timing.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>

#include "animation/driver.h"
#include "animation/surface.h"
#include "animation/sweep.h"
#include "animation/trace_point.h"
#include "geometry/linkage.h"

namespace tarsel {

FrameTiming TimingOf(const FrameCurves& curves, double threshold) {
  FrameTiming t;
  t.threshold = threshold;
  t.red = EventsOf(curves.red, threshold);
  t.green = EventsOf(curves.green, threshold);
  t.blue = EventsOf(curves.blue, threshold);
  if (t.red && t.blue) t.blue_from_red = Shift(*t.blue, *t.red);
  return t;
}

namespace {

// A window nobody sees, where a key is pressed as soon as a frame waits for one: the plain
// sweep, frame after frame.
class SweepSurface : public UnseenSurface {
 public:
  SweepSurface(SharedState& state, std::function<void()> at_wait)
      : state_(state), at_wait_(std::move(at_wait)) {}
  void BeginWait() override { at_wait_(); }
  void WaitEvents(bool) override { state_.kk = 1; }

 private:
  SharedState& state_;
  std::function<void()> at_wait_;
};

}  // namespace

std::vector<SweepFrame> DrawnSweepTiming(const SharedState& base, double threshold) {
  SharedState state;
  state.config = base.config;
  state.profile = base.profile;
  std::vector<SweepFrame> frames;
  frames.reserve(sweep::kFrames);
  Driver* running = nullptr;
  SweepSurface surface(state, [&] {
    const FrameCurves& curves = running->curves();
    frames.push_back({state.k, EventsOf(curves.blue, threshold), EventsOf(curves.red, threshold)});
  });
  Driver driver(state, surface);
  running = &driver;
  driver.Form_Activate();
  return frames;
}

namespace {

// Far enough from any table angle and reference angle a lesson has, near enough that every
// point of the trace (ww - xb + ff, ff = 2 (reference - phi)) fits a float.
constexpr double kFar = 1e9;

// Which segments of the blue trace decide its events at `threshold`, where every solve closes
// and the offset never turns over, so that pass 3 joins every point to the one before it.
// Segment n joins point n - 1 (for n = 1 the last point of pass 2, where the pass starts) to
// point n; it is drawn where x rises from the one to the other (pass 3's test) and both lifts
// fit a float. The lifts and that test are the tables' alone; only the x of the ends moves with
// k and the mechanism. So the segments that meet the checking lift, and the one that ends at
// the first of the highest ends, are the same in every frame, and the events of these alone
// are those of the whole trace: no other segment meets the lift, and no other end is as high
// as the peak before it. In the order drawn, so that a tie at the peak goes as in the whole.
// Nullopt for tables with an angle too far out for that (kFar).
std::optional<std::vector<int>> DecidingSegments(const ProfileTables& t, double threshold) {
  const int last = t.last();
  if (!(std::abs(t.xa[last]) <= kFar)) return std::nullopt;
  std::vector<int> deciding;
  int peak_segment = 0;
  double top = 0;
  for (int n = ProfileTables::kFirst; n <= last; ++n) {
    if (!(std::abs(t.xb[n]) <= kFar)) return std::nullopt;
    const bool first = n == ProfileTables::kFirst;
    const double x1 = first ? t.xa[last] : t.xb[n - 1];
    const double y1 = first ? t.ya[last] : t.yb[n - 1];
    if (!(x1 < t.xb[n])) continue;
    const std::optional<Segment> lifts = SegmentAsDrawn(0, y1, 0, t.yb[n]);
    if (!lifts) continue;
    if (std::min(lifts->y1, lifts->y2) <= threshold &&
        threshold <= std::max(lifts->y1, lifts->y2)) {
      deciding.push_back(n);
    }
    for (const double y : {lifts->y1, lifts->y2}) {
      if (peak_segment == 0 || y > top) {
        top = y;
        peak_segment = n;
      }
    }
  }
  if (peak_segment != 0) deciding.push_back(peak_segment);
  std::sort(deciding.begin(), deciding.end());
  deciding.erase(std::unique(deciding.begin(), deciding.end()), deciding.end());
  return deciding;
}

}  // namespace

std::vector<SweepFrame> SweepTiming(const SharedState& base, double threshold) {
  if (!ClosesInFrontAllRound(base.config) || !(std::abs(base.config.reference) <= kFar)) {
    return DrawnSweepTiming(base, threshold);
  }
  SharedState state;
  state.config = base.config;
  state.profile = base.profile;
  UnseenSurface unseen;
  Driver driver(state, unseen);
  driver.Startup();
  const ProfileTables& t = state.tables;
  const std::optional<std::vector<int>> deciding = DecidingSegments(t, threshold);
  if (!deciding) return DrawnSweepTiming(base, threshold);
  // The red profile is drawn alike in every frame.
  driver.DrawProfiles();
  const std::optional<ValveEvents> red = EventsOf(driver.drawing().red, threshold);

  const int last = t.last();
  const bool from_pass_2 = !deciding->empty() && deciding->front() == ProfileTables::kFirst;
  std::vector<SweepFrame> frames;
  frames.reserve(sweep::kFrames);
  std::vector<Segment> blue;
  // The offset pass 3 starts a frame with: the last one of the frame before (0 before the
  // first), which the segment from the last point of pass 2 is shifted by.
  double last_ff = state.ff;
  const double end = sweep::kLastK;
  const double step = state.ste;
  for (state.k = state.k0; state.k <= end; state.k += step) {
    // Where the trace draws point n in this frame; the point solved last is kept, since
    // neighbouring segments share it.
    int solved = 0;
    double solved_x = 0;
    const auto x_of = [&](int n) {
      if (n != solved) {
        solved_x = TracePointAt<LibraryMath>(state, n).x;
        solved = n;
      }
      return solved_x;
    };
    blue.clear();
    for (const int n : *deciding) {
      const bool first = n == ProfileTables::kFirst;
      const double x1 = first ? TraceX(state.ww, t.xa[last], last_ff) : x_of(n - 1);
      const double y1 = first ? t.ya[last] : t.yb[n - 1];
      if (const std::optional<Segment> s = SegmentAsDrawn(x1, y1, x_of(n), t.yb[n])) {
        blue.push_back(*s);
      }
    }
    frames.push_back({state.k, EventsOf(blue, threshold), red});
    if (from_pass_2) last_ff = TracePointAt<LibraryMath>(state, last).pose.ff;
  }
  return frames;
}

}  // namespace tarsel
