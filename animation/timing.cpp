#include "animation/timing.h"

#include <functional>
#include <utility>

#include "animation/driver.h"
#include "animation/surface.h"
#include "animation/sweep.h"

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

std::vector<SweepFrame> SweepTiming(const SharedState& base, double threshold) {
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

}  // namespace tarsel
