// The lift curves a frame keeps for its valve events are the very segments it drew.
#include "animation/timing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "animation/driver.h"
#include "animation/style.h"
#include "geometry/linkage.h"
#include "input/handlers.h"
#include "input/profile_file.h"
#include "tests/support/configurations.h"
#include "tests/support/profiles.h"
#include "tests/support/recording_surface.h"

namespace tarsel {
namespace {

using testing::Call;
using testing::RecordingSurface;

std::vector<Segment> Drawn(const RecordingSurface& s, std::uint32_t colour) {
  std::vector<Segment> out;
  for (const Call& c : s.Lines(colour)) out.push_back({c.x1, c.y1, c.x2, c.y2});
  return out;
}

struct Rig {
  Rig() {
    driver.Startup();
    state.k = state.k0;
    surface.on_wait = [this](bool) { state.kk = 1; };
  }
  void Frame() {
    surface.calls.clear();
    ASSERT_TRUE(driver.DrawFrame());
  }
  SharedState state;
  RecordingSurface surface;
  Driver driver{state, surface};
};

TEST(FrameCurves, AreTheSegmentsEachFrameDrew) {
  const struct {
    const char* name;
    long key_at;  // a key that moves k inside this event call of the frame (0: none)
  } cases[] = {{"a plain frame", 0}, {"k moved in the middle of the trace pass", 500}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    if (c.key_at) rig.surface.At(c.key_at, [&] { rig.state.k += 1.5; });
    rig.Frame();
    const FrameCurves& curves = rig.driver.curves();
    EXPECT_EQ(curves.green, Drawn(rig.surface, colour::kGreen));
    EXPECT_EQ(curves.red, Drawn(rig.surface, colour::kRed));
    EXPECT_EQ(curves.blue, Drawn(rig.surface, colour::kBlue));
    EXPECT_EQ(curves.blue.size(), 200u);
  }
}

TEST(FrameCurves, AFrameEndedHalfWayLeavesThoseOfTheLastWholeOne) {
  Rig rig;
  rig.Frame();
  const FrameCurves whole = rig.driver.curves();
  rig.driver.FinishFrame();
  rig.state.k += rig.state.ste;
  rig.surface.At(rig.surface.point_calls + 300, [&] { rig.state.ended = true; });
  EXPECT_FALSE(rig.driver.DrawFrame());
  EXPECT_EQ(rig.driver.curves(), whole);
}

TEST(FrameTiming, BuiltInFirstFrame) {
  Rig rig;
  rig.Frame();
  const FrameTiming t = TimingOf(rig.driver.curves(), kDefaultThreshold);
  ASSERT_TRUE(t.red && t.green && t.blue && t.blue_from_red);
  // The red curve is drawn at 65 + angle, its first points on the right: its lift passes 1 on
  // the left between points 164 (0.935003564 at -65.51993315) and 163 (1.070238931 at
  // -64.47993315), and on the right between 38 (1.044957347 at 66.01360008) and 37
  // (0.907071366 at 67.19667102).
  const double t163 = (1 - 1.070238931) / (0.935003564 - 1.070238931);
  EXPECT_NEAR(t.red->opening, 65 - 64.47993315 + t163 * (-65.51993315 + 64.47993315), 1e-4);
  const double t38 = (1 - 1.044957347) / (0.907071366 - 1.044957347);
  EXPECT_NEAR(t.red->closing, 65 + 66.01360008 + t38 * (67.19667102 - 66.01360008), 1e-4);
  // The peak, point 101, at 65 + 0.000066853.
  EXPECT_NEAR(t.red->peak, 65.000066853, 1e-5);
  // At k = 4.5 the blue trace lies almost on the red curve.
  EXPECT_NEAR(t.blue_from_red->opening, 0, 1.5);
  EXPECT_NEAR(t.blue_from_red->closing, 0, 1.5);
  EXPECT_EQ(t.blue_from_red->duration, t.blue->duration - t.red->duration);
}

// A profile asked for while a frame is drawn: the same frame again, with it, as a run that
// started with it draws its first frame; and the built-in one back the same way.
TEST(FrameCurves, AProfileAskedForRedrawsTheFrameWithIt) {
  const std::vector<double> angles = {-40, -20, 0, 20, 40, 60}, lifts = {0, 2, 5, 3, 1, 0};
  const auto own = std::make_shared<const ProfileTables>(TablesOf(angles, lifts));
  Rig fresh;
  fresh.state.profile = own;
  fresh.driver.Startup();
  fresh.Frame();
  Rig rig;
  rig.Frame();
  const FrameCurves built_in = rig.driver.curves();
  for (const auto& [profile, expected] :
       {std::pair{own, fresh.driver.curves()}, std::pair{decltype(own)(), built_in}}) {
    Form_Profile(rig.state, profile);
    Form_Profile(rig.state, profile);  // asked twice: one redraw
    rig.driver.FinishFrame();
    rig.state.k += rig.state.ste;
    rig.Frame();
    EXPECT_EQ(rig.state.k, 4.5);
    EXPECT_EQ(rig.driver.curves(), expected);
  }
  EXPECT_EQ(rig.driver.curves().blue.size(), 200u);
}

// The sweep's timing from the few points that decide it equals that of the 63 frames drawn,
// to the bit, whether it takes the short way or (a linkage that may break off) the drawn one.
TEST(SweepTiming, EqualsTheFramesDrawn) {
  const auto profile = [](const std::string& text) {
    return std::make_shared<const ProfileTables>(*ReadProfile(text, nullptr));
  };
  const auto own = profile("angle,lift\n-70,3\n-50,1\n-30,5\n-10,5\n10,1\n30,1\n50,0.5\n");
  Configuration crossed;
  crossed.assembly = Assembly::kCrossed;
  crossed.reference = 10;
  const struct {
    const char* name;
    Configuration config;
    std::shared_ptr<const ProfileTables> profile;
    double threshold;
    bool short_way;
  } cases[] = {
      {"built-in", {}, nullptr, kDefaultThreshold, true},
      {"built-in, at the peak lift", {}, nullptr, 9.574539564, true},
      {"built-in, above the peak", {}, nullptr, 50, true},
      {"a longer crank", testing::Linkage(31.5, 7.5, 25, 31), nullptr, 0.5, true},
      {"crossed, another reference", crossed, nullptr, 5, true},
      {"a rocker longer than the fixed line", testing::Linkage(31.5, 7, 80, 60), nullptr, 1, true},
      {"partly closing", testing::PartlyClosing(), nullptr, 1, false},
      {"never closing", testing::NeverClosing(), nullptr, 1, false},
      {"R behind O", testing::Linkage(31.5, 7, 25, 40), nullptr, 1, false},
      {"the built-in table from a file", {}, profile(testing::BuiltInProfileCsv()), 1, true},
      {"10,000 rows", testing::Linkage(31.5, 8, 25, 31), profile(testing::RowsCsv(10000)), 2, true},
      {"own, ties at the peak and lifts at the threshold", {}, own, 1, true},
      {"own, from pass 2's last point", {}, own, 2, true},
      {"own, partly closing", testing::PartlyClosing(), own, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ClosesInFrontAllRound(c.config), c.short_way);
    SharedState base;
    base.config = c.config;
    base.profile = c.profile;
    const std::vector<SweepFrame> drawn = DrawnSweepTiming(base, c.threshold);
    const std::vector<SweepFrame> fast = SweepTiming(base, c.threshold);
    ASSERT_EQ(fast.size(), drawn.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(fast[i].k, drawn[i].k);
      EXPECT_EQ(fast[i].blue, drawn[i].blue);
      EXPECT_EQ(fast[i].red, drawn[i].red);
    }
  }
}

}  // namespace
}  // namespace tarsel
