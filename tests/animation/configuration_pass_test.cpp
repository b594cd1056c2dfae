// The passes with any configuration: which segments join points where the linkage does not
// close, and how a new configuration takes effect between two frames.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "animation/driver.h"
#include "animation/trace_point.h"
#include "input/handlers.h"
#include "input/script.h"
#include "tests/support/configurations.h"
#include "tests/support/recording_surface.h"

namespace tarsel {
namespace {

using testing::Call;

// One frame at k with configuration c, from the start of the loop, with the switch acc.
struct Frame {
  SharedState state;
  testing::RecordingSurface surface;
  std::vector<bool> closes;  // by table index, at the frame's k

  Frame(const Configuration& c, double k, int acc) {
    state.config = c;
    Driver driver(state, surface);
    driver.Startup();
    state.acc = acc;
    state.k = k;
    surface.on_wait = [&](bool) { state.ended = true; };
    driver.DrawFrame();
    closes.push_back(true);  // the start counts as a point that closed
    double last_ff = 0;
    for (int n = 1; n <= 200; ++n) {
      const LinkagePose pose = TracePointAt(state, n).pose;
      closes.push_back(pose.closes);
      if (pose.closes && std::abs(pose.ff - last_ff) > 360) turned_over.push_back(n);
      last_ff = pose.ff;
    }
  }
  // The points whose offset turned over (by two whole turns, as the rocker tip passed behind O)
  // from the point before: each starts a run of its own.
  std::vector<int> turned_over;
  // Points n (1 to 200) where points n - span + 1 .. n all closed, none starting afresh after
  // the first.
  long Runs(int span, int from = 1) const {
    long count = 0;
    for (int n = from; n <= 200; ++n) {
      bool all = true;
      for (int i = std::max(0, n - span + 1); i <= n; ++i) all = all && closes[i];
      for (const int t : turned_over) all = all && !(t > n - span + 1 && t <= n);
      count += all;
    }
    return count;
  }
  long Lines(std::uint32_t colour) const { return static_cast<long>(surface.Lines(colour).size()); }
};

TEST(AnyConfiguration, OnlyPointsThatBothCloseAreJoined) {
  const Frame plain(testing::PartlyClosing(), 4.5, 0), with(testing::PartlyClosing(), 4.5, 1);
  // Some of the frame's points close and some do not.
  ASSERT_GT(plain.Runs(1), 20);
  ASSERT_LT(plain.Runs(1), 180);
  // And once its offset turns over: the trace starts afresh there instead of a stroke across
  // the plot.
  ASSERT_EQ(plain.turned_over.size(), 1u);
  for (const Call& c : plain.surface.Lines(colour::kBlue)) EXPECT_LT(std::abs(c.x2 - c.x1), 360);
  EXPECT_EQ(plain.Lines(colour::kBlue), plain.Runs(2));
  EXPECT_EQ(plain.Lines(colour::kOlive), plain.Runs(2, 2));  // none at the first point
  EXPECT_EQ(with.Lines(colour::kBlue), with.Runs(2));
  // The velocity needs two joined segments, the acceleration three (and, as always, a trace
  // that runs to the left there).
  EXPECT_EQ(with.Lines(colour::kLightBlue), with.Runs(3));
  EXPECT_LE(with.Lines(colour::kTeal), with.Runs(4));
  for (const Frame* f : {&plain, &with}) {
    for (const Call& c : f->surface.calls) {
      ASSERT_TRUE(std::isfinite(c.x1) && std::isfinite(c.y1) && std::isfinite(c.x2) &&
                  std::isfinite(c.y2));
    }
  }
}

TEST(AnyConfiguration, ALinkageThatNeverClosesDrawsTheProfilesAndThePistonAlone) {
  for (const int acc : {0, 1}) {
    const Frame f(testing::NeverClosing(), 6.5, acc);
    for (const std::uint32_t c :
         {colour::kBlue, colour::kOlive, colour::kLightBlue, colour::kTeal}) {
      EXPECT_EQ(f.Lines(c), 0) << c;
    }
    EXPECT_EQ(f.Lines(colour::kGreen), 199);
    EXPECT_EQ(f.Lines(colour::kRed), 199);
    EXPECT_EQ(f.Lines(colour::kPiston), 943);
    EXPECT_EQ(f.Lines(colour::kAxis), 200 * 35);
  }
}

// --- A new configuration, between two frames ----------------------------------------------

// The piston curve's highest point: 4.85 plus the stroke, which tells the configurations apart.
float PistonTop(const std::vector<Call>& calls) {
  float top = 0;
  for (const Call& c : testing::OfColour(calls, colour::kPiston)) top = std::max(top, c.y2);
  return top;
}

TEST(Configure, TakesEffectAfterTheWaitAndTheLastOneAskedForIsDrawn) {
  Configuration a = testing::PartlyClosing(), b = a;
  a.piston_radius = 10;
  b.piston_radius = 20;
  SharedState state;
  testing::RecordingSurface surface;
  Driver driver(state, surface);
  std::vector<std::size_t> frame_starts;
  // Two changes while the first frame is drawn (a dragged slider): one redraw, with the last.
  surface.At(100, [&] { Form_Configure(state, a); });
  surface.At(300, [&] {
    EXPECT_EQ(state.kk, 1);
    Form_Configure(state, b);
    EXPECT_EQ(state.kk, 1);  // the second change asks for no redraw of its own
  });
  surface.on_wait = [&](bool) {
    frame_starts.push_back(surface.calls.size());
    if (frame_starts.size() == 2) state.ended = true;
  };
  driver.Form_Activate();
  ASSERT_EQ(frame_starts.size(), 2u);
  const std::vector<Call> first(surface.calls.begin(), surface.calls.begin() + frame_starts[0]);
  const std::vector<Call> second(surface.calls.begin() + frame_starts[0], surface.calls.end());
  // The first frame is the built-in one throughout; the second is b's, from the clear on, at
  // the same k.
  EXPECT_FLOAT_EQ(PistonTop(first), 4.85f + 51);
  EXPECT_FLOAT_EQ(PistonTop(second), 4.85f + 40);
  EXPECT_EQ(state.config, b);
  EXPECT_FALSE(state.next_config);
  EXPECT_EQ(state.k, 4.5);
}

TEST(Configure, TheRedrawnFirstFrameIsTheFirstFrameOfThatConfiguration) {
  const Configuration c = testing::PartlyClosing();
  for (const int acc : {0, 1}) {
    SharedState fresh_state;
    fresh_state.config = c;
    testing::RecordingSurface fresh;
    Driver fresh_driver(fresh_state, fresh);
    fresh_driver.Startup();
    fresh_state.k = fresh_state.k0;
    fresh_state.acc = acc;
    fresh.on_wait = [&](bool) { fresh_state.ended = true; };
    fresh_driver.DrawFrame();

    SharedState state;
    testing::RecordingSurface surface;
    Driver driver(state, surface);
    state.acc = acc;
    std::size_t redraw = 0;
    surface.on_wait = [&](bool) {
      if (redraw == 0) {
        Form_Configure(state, c);
        redraw = surface.calls.size();
      } else {
        state.ended = true;
      }
    };
    driver.Form_Activate();
    // After the clear and the piston curve of the new configuration, the frame itself.
    std::vector<Call> again(surface.calls.begin() + static_cast<long>(redraw), surface.calls.end());
    const auto frame = std::find_if(again.begin(), again.end(),
                                    [](const Call& k) { return k.kind == Call::kEvents; });
    again.erase(again.begin(), frame - 1);  // from pass 1's first pen width
    const auto first = std::find_if(fresh.calls.begin(), fresh.calls.end(),
                                    [](const Call& k) { return k.kind == Call::kEvents; });
    const std::vector<Call> expected(first - 1, fresh.calls.end());
    ASSERT_EQ(again.size(), expected.size()) << acc;
    EXPECT_EQ(testing::Signature(again), testing::Signature(expected));
    for (std::size_t i = 0; i < again.size(); ++i) {
      ASSERT_TRUE(again[i].x1 == expected[i].x1 && again[i].y1 == expected[i].y1 &&
                  again[i].x2 == expected[i].x2 && again[i].y2 == expected[i].y2)
          << acc << " call " << i;
    }
  }
}

// The calls since the last clear of a run that presses the keys of ScriptReaching(k, switches)
// with configuration `start`, and, when `change` is given, asks for it at the wait after the
// last of them (as a student does at the frame on the screen).
std::vector<Call> SinceTheLastClear(double k, Switches switches, const Configuration& start,
                                    const Configuration* change) {
  SharedState state;
  state.config = start;
  testing::RecordingSurface surface;
  Driver driver(state, surface);
  driver.SetWayToFrames(FrameBeforeReaching);
  ScriptedInput input(*ParseScript(*ScriptReaching(k, switches), nullptr), state, surface);
  bool changed = change == nullptr;
  surface.on_point = [&](long) { input.PointEvents(); };
  surface.on_wait = [&](bool) {
    if (input.WaitRound()) return;
    if (changed) {
      state.ended = true;
      return;
    }
    Form_Configure(state, *change);
    changed = true;
  };
  driver.Form_Activate();
  // After the last clear (a first frame has none: its picture starts white all the same).
  std::size_t last = 0;
  for (std::size_t i = 0; i < surface.calls.size(); ++i) {
    if (surface.calls[i].kind == Call::kCls) last = i + 1;
  }
  return {surface.calls.begin() + static_cast<long>(last), surface.calls.end()};
}

// A new configuration draws the frame that a link to it draws (tarsel-render --at K with that
// configuration): the same calls since the clear, so the same pixels.
TEST(Configure, TheFrameIsTheOneTheKeysReachWithTheNewConfiguration) {
  Configuration crossed;
  crossed.assembly = Assembly::kCrossed, crossed.reference = -65, crossed.piston_radius = 20;
  for (const Configuration& c : {testing::PartlyClosing(), crossed}) {
    for (const double k : {4.5, 6.5, 6.525, 4.475, 19.75}) {
      for (const bool acc : {false, true}) {
        SCOPED_TRACE(::testing::Message() << "k " << k << ", acc " << acc);
        const std::vector<Call> reached = SinceTheLastClear(k, {.acc = acc}, c, nullptr);
        const std::vector<Call> changed = SinceTheLastClear(k, {.acc = acc}, Configuration{}, &c);
        ASSERT_EQ(changed.size(), reached.size());
        for (std::size_t i = 0; i < changed.size(); ++i) {
          const Call &a = changed[i], &b = reached[i];
          ASSERT_TRUE(a.kind == b.kind && a.width == b.width && a.colour == b.colour &&
                      a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2)
              << "call " << i << " of " << changed.size();
        }
      }
    }
  }
}

TEST(Configure, TheConfigurationOnScreenAsksForNothingAndAnEndedRunTakesNone) {
  SharedState state = testing::Started(6.5);
  Form_Configure(state, state.config);
  EXPECT_EQ(state.kk, 0);
  EXPECT_EQ(state.k, 6.5);
  EXPECT_FALSE(state.next_config);
  state.ended = true;
  Form_Configure(state, testing::NeverClosing());
  EXPECT_FALSE(state.next_config);
}

}  // namespace
}  // namespace tarsel
