#include "animation/probe.h"

#include <gtest/gtest.h>

#include <cmath>

#include "animation/driver.h"
#include "tests/support/recording_surface.h"

namespace tarsel {
namespace {

using testing::Started;

// The blue trace's points as pass 3 draws them: the end of each segment.
std::vector<testing::Call> TracePoints(double k) {
  SharedState state;
  testing::RecordingSurface surface;
  Driver driver(state, surface);
  driver.Startup();
  state.k = k;
  driver.registers().x0 = -1000;  // so that the first point joins the one before it
  driver.registers().n = 1;
  driver.Pass3();
  return surface.Lines(colour::kBlue);
}

TEST(ProbeReadout, TheNearestBluePointAnywhere) {
  for (const double k : {4.5, 6.5, 13.0}) {
    const SharedState state = Started(k);
    for (const double x : {-300.0, -40.0, 0.0, 65.0, 98.76, 150.0, 178.0, 500.0}) {
      const ProbeReadout r = ReadProbe(state, x);
      for (int n = 1; n <= 200; ++n) {
        ASSERT_LE(std::abs(r.blue.x - x), std::abs(BlueX(state, n) - x)) << k << " " << x;
      }
    }
  }
}

TEST(ProbeReadout, NamesTheNearestPointOfEachCurve) {
  const SharedState state = Started(6.5);
  const ProbeReadout r = ReadProbe(state, 70.3);
  const auto& t = state.tables;
  for (int n = 1; n <= 200; ++n) {
    ASSERT_LE(std::abs(r.red.x - 70.3), std::abs(65 + t.xa[n] - 70.3)) << n;
    ASSERT_LE(std::abs(r.green.x - 70.3), std::abs(65 - t.xb[n] - 70.3)) << n;
    ASSERT_LE(std::abs(r.blue.x - 70.3), std::abs(BlueX(state, n) - 70.3)) << n;
  }
  EXPECT_EQ(r.red.angle, t.xa[r.red.n]);
  EXPECT_EQ(r.red.lift, t.ya[r.red.n]);
  EXPECT_EQ(r.green.x, 65 - t.xb[r.green.n]);
  EXPECT_EQ(r.blue.lift, t.yb[r.blue.n]);
  // The blue point is the green point of the same index shifted by the linkage's offset,
  // solved at theta = k - xb pi / 180.
  EXPECT_EQ(r.linkage.theta, 6.5 - (state.pi * t.xb[r.blue.n]) / 180);
  EXPECT_EQ(r.blue.x, 65 - t.xb[r.blue.n] + r.linkage.ff);
  EXPECT_EQ(r.x, 70.3);
}

TEST(ProbeReadout, TheBluePointsAreWhereTheTracePassDrawsThem) {
  for (const double k : {4.5, 6.5, 11.25, -3.0}) {
    const SharedState state = Started(k);
    const std::vector<testing::Call> drawn = TracePoints(k);
    ASSERT_EQ(drawn.size(), 200u);
    for (int n = 1; n <= 200; ++n) {
      // The drawing's offset comes from the C library's functions and is narrowed to a float.
      ASSERT_NEAR(BlueX(state, n), drawn[n - 1].x2, 2e-5) << "k " << k << ", n " << n;
      ASSERT_EQ(static_cast<float>(state.tables.yb[n]), drawn[n - 1].y2);
    }
  }
}

TEST(ProbeReadout, PistonCrankAngleAndTravelComeFromTheFormula) {
  const SharedState state = Started(4.5);
  const double pi = state.pi;
  struct Case {
    double x, angle, height;
  };
  // The curve's edge cases: bottom at -75 and 105, top at 15, square at -30 and 60.
  for (const Case& c : {Case{-75, -pi, 55.85}, Case{15, 0, 4.85}, Case{105, pi, 55.85},
                        Case{60, pi / 2, 33.6558947}, Case{-30, -pi / 2, 33.6558947}}) {
    const ProbeReadout r = ReadProbe(state, c.x);
    SCOPED_TRACE(c.x);
    EXPECT_NEAR(r.piston.theta, c.angle, 1e-15);
    EXPECT_NEAR(r.piston.height, c.height, 1e-7);
    EXPECT_NEAR(r.piston.travel, c.height - 4.85, 1e-7);
  }
  // Between the drawn points too: the value is the formula's, not the chain of segments'.
  const double x = 14.97;
  const double theta = (x - 15) * pi / 90;
  const double xp =
      25.5 * std::cos(theta) + std::sqrt(100 * 100 - std::pow(25.5 * std::sin(theta), 2));
  EXPECT_NEAR(ReadProbe(state, x).piston.travel, 125.5 - xp, 1e-12);
}

TEST(ProbeReadout, FollowsTheFrameAndNotTheProbeAlone) {
  // The same probe in two frames: the profiles stay, the blue point and its linkage move.
  const ProbeReadout a = ReadProbe(Started(4.5), 100);
  const ProbeReadout b = ReadProbe(Started(4.75), 100);
  EXPECT_EQ(a.red.n, b.red.n);
  EXPECT_EQ(a.green.n, b.green.n);
  EXPECT_NE(a.linkage.theta, b.linkage.theta);
  EXPECT_EQ(a.piston.travel, b.piston.travel);
}

TEST(ProbeSteps, WalkTheBlueTracesPoints) {
  const SharedState state = Started(6.5);
  const double right_end = ProbeEnd(state, true), left_end = ProbeEnd(state, false);
  EXPECT_EQ(right_end, BlueX(state, 1));
  EXPECT_EQ(left_end, BlueX(state, 200));
  // From the left end, one step at a time, every point in turn, to the right end.
  double x = left_end;
  for (int n = 199; n >= 1; --n) {
    x = StepProbe(state, x, 1);
    ASSERT_EQ(x, BlueX(state, n)) << n;
  }
  EXPECT_EQ(StepProbe(state, x, 1), right_end);  // and no further
  EXPECT_EQ(StepProbe(state, x, -10), BlueX(state, 11));
  EXPECT_EQ(StepProbe(state, left_end, -1), left_end);
  EXPECT_EQ(StepProbe(state, left_end, 0), left_end);
  // Between two points, the first step goes to the next one in its direction.
  const double between = (BlueX(state, 50) + BlueX(state, 51)) / 2;
  EXPECT_EQ(StepProbe(state, between, 1), BlueX(state, 50));
  EXPECT_EQ(StepProbe(state, between, -1), BlueX(state, 51));
  EXPECT_EQ(StepProbe(state, between, 10), BlueX(state, 41));
  // From beyond either end, into the trace.
  EXPECT_EQ(StepProbe(state, -1000, 1), left_end);
  EXPECT_EQ(StepProbe(state, 1000, -1), right_end);
  EXPECT_EQ(StepProbe(state, 1000, 1), right_end);
}

}  // namespace
}  // namespace tarsel
