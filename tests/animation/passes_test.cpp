// Passes 1 and 2 of a frame, the piston travel curve and the order in which a frame draws them,
// observed through the calls that reach the window.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "tests/support/colours.h"
#include "tests/support/recording_surface.h"
#include "tests/support/tolerances.h"

namespace tarsel {
namespace {

using namespace tarsel::testing;
using testing::Call;
using testing::RecordingSurface;
using Calls = std::vector<Call>;

// Slopes that an earlier pass might have left in the history.
constexpr double kS0 = 0.5, kS1 = -0.25, kS2 = 0.125;
// What a point of pass 2 draws: no red segment, the red one alone, red with both curves.
constexpr const char* kNoRed = "W4 W1 E";
constexpr const char* kRedOnly = "W4 L255@4 W1 E";
constexpr const char* kCurves = "W4 L255@4 W2 L33023@2 L16711935@2 W1 E";

// Splits a run of calls into table points: each group ends with its event-processing call.
std::vector<Calls> PerPoint(const Calls& calls) {
  std::vector<Calls> points(1);
  for (const Call& c : calls) {
    points.back().push_back(c);
    if (c.kind == Call::kEvents) points.emplace_back();
  }
  if (points.back().empty()) points.pop_back();
  return points;
}

// The lowest and highest line ends from line `from` on (0 counts as seen).
std::pair<float, float> Band(const Calls& lines, std::size_t from = 0) {
  float low = 0, high = 0;
  for (std::size_t i = from; i < lines.size(); ++i) {
    low = std::min({low, lines[i].y1, lines[i].y2});
    high = std::max({high, lines[i].y1, lines[i].y2});
  }
  return {low, high};
}

class PassTest : public ::testing::Test {
 protected:
  PassTest() { driver.Startup(); }

  Registers& regs() { return driver.registers(); }
  ProfileTables& tables() { return state.tables; }
  double ww() const { return state.ww; }

  // Pass 1 as the frame starts it: m := 0, n := 1.
  void RunPass1(bool completes = true) {
    regs().m = 0;
    regs().n = 1;
    EXPECT_EQ(driver.Pass1(), completes);
  }
  // Pass 2 as the frame starts it: n := 1, m keeps its count. Returns the calls it made.
  Calls RunPass2(bool completes = true) {
    const std::size_t mark = surface.calls.size();
    regs().n = 1;
    EXPECT_EQ(driver.Pass2(), completes);
    return CallsFrom(mark);
  }
  // Pass 1, then `between`, then pass 2; returns the calls of pass 2.
  Calls BothPasses(const std::function<void()>& between = {}) {
    RunPass1();
    if (between) between();
    return RunPass2();
  }
  // Runs `act` inside the n-th event-processing call.
  void At(long n, std::function<void()> act) { surface.At(n, std::move(act)); }
  Calls CallsFrom(std::size_t mark) const {
    return {surface.calls.begin() + static_cast<std::ptrdiff_t>(mark), surface.calls.end()};
  }

  void SeedSlopes() { std::tie(regs().s0, regs().s1, regs().s2) = std::tuple(kS0, kS1, kS2); }
  std::vector<double> Slopes() { return {regs().s0, regs().s1, regs().s2}; }
  // The red, velocity and acceleration segments among `calls`, and how many of each.
  static std::array<Calls, 3> Curves(const Calls& calls) {
    return {OfColour(calls, kRed), OfColour(calls, kOrange), OfColour(calls, kMagenta)};
  }
  static std::array<std::size_t, 3> Counts(const Calls& calls) {
    const auto [red, vel, acc] = Curves(calls);
    return {red.size(), vel.size(), acc.size()};
  }
  // The 200 points of a pass: the first draws no segment, every other one `drawn`.
  void ExpectPoints(const Calls& calls, const std::string& skipped, const std::string& drawn) {
    const auto points = PerPoint(calls);
    ASSERT_EQ(points.size(), 200u);  // nothing follows the last event-processing call
    EXPECT_EQ(Signature(points[0]), skipped);
    for (std::size_t i = 1; i < points.size(); ++i) {
      ASSERT_EQ(Signature(points[i]), drawn) << "point " << i + 1;
    }
    EXPECT_EQ(surface.width, 1);
  }

  // Where pass 2 draws point i, and its slope, velocity and acceleration as the pass takes them.
  double X(int i) { return ww() + tables().xa[i]; }
  double SlopeA(int i) {
    return (tables().ya[i] - tables().ya[i - 1]) / (tables().xa[i] - tables().xa[i - 1]);
  }
  double Vel(int i) { return 11 * SlopeA(i); }
  double Acc(int i) {
    return 600 * (SlopeA(i) - SlopeA(i - 1)) / (tables().xa[i] - tables().xa[i - 2]);
  }

  SharedState state;
  RecordingSurface surface;
  Driver driver{state, surface};
};

// What passes 1 and 2 share: pass 1 joins the points of the second table in green, mirrored
// about x = ww, at pen width 3 where xb rises; pass 2, after it, the first table in red at
// x = ww + xa, at pen width 4 where xa falls.

class EachPass : public PassTest, public ::testing::WithParamInterface<int> {
 protected:
  bool first() const { return GetParam() == 1; }
  std::uint32_t colour() const { return first() ? kGreen : kRed; }
  std::string pen() const { return first() ? "3" : "4"; }
  std::string Drawn() const {
    return "W" + pen() + " L" + std::to_string(colour()) + "@" + pen() + " W1 E";
  }
  std::string Skipped() const { return "W" + pen() + " W1 E"; }
  decltype(ProfileTables::xa)& xs() { return first() ? tables().xb : tables().xa; }
  double PX(int i) { return first() ? ww() - tables().xb[i] : X(i); }
  double PY(int i) { return first() ? tables().yb[i] : tables().ya[i]; }
  // Event calls made before the pass under test.
  long before() const { return first() ? 0 : 200; }
  // The pass under test, run as a frame runs it; returns the calls it made.
  Calls Run(bool completes = true) {
    if (first()) {
      RunPass1(completes);
      return surface.calls;
    }
    RunPass1();
    return RunPass2(completes);
  }
};

INSTANTIATE_TEST_SUITE_P(Passes, EachPass, ::testing::Values(1, 2),
                         [](const auto& info) { return "Pass" + std::to_string(info.param); });

TEST_P(EachPass, JoinsConsecutivePointsAtItsPenWidthAndProcessesEventsOncePerPoint) {
  SeedSlopes();
  const Calls calls = Run();
  ExpectPoints(calls, Skipped(), Drawn());
  const auto lines = OfColour(calls, colour());
  ASSERT_EQ(lines.size(), 199u);
  for (int i = 1; i < 200; ++i) {
    ASSERT_TRUE(Joins(lines[i - 1], PX(i), PY(i), PX(i + 1), PY(i + 1))) << "segment " << i;
  }
  // Both curves run right to left across the window.
  EXPECT_NEAR(lines.front().x1, first() ? 166.8395 : 170.58, Decimals(4));
  EXPECT_NEAR(lines.back().x2, first() ? -35.0116 : -37.9599, Decimals(4));
  if (first()) {
    EXPECT_NEAR(Band(lines).second, 9.574539564, Decimals(5));
  }
  // With acc off neither pass touches the slope history.
  EXPECT_EQ(Slopes(), (std::vector{kS0, kS1, kS2}));
}

TEST_P(EachPass, StepsTheIndexAroundTheEventsAndStopsRightAfterTheOnesThatEndTheProgram) {
  // Pass 1 steps n before processing events, pass 2 after; m carries on from pass 1.
  std::vector<std::vector<double>> seen;  // n, m, x0 inside the events of each point
  surface.on_point = [&](long k) {
    if (k > before()) seen.push_back({1.0 * regs().n, 1.0 * regs().m, regs().x0});
    if (k == before() + 150) state.ended = true;
  };
  const Calls calls = Run(false);
  ASSERT_EQ(seen.size(), 150u);
  for (int p = 1; p <= 150; ++p) {
    const std::vector<double> want = {first() ? p + 1.0 : p, 1.0 * before() + p, xs()[p]};
    ASSERT_EQ(seen[p - 1], want) << "point " << p;
  }
  EXPECT_EQ(surface.point_calls, before() + 150);
  EXPECT_EQ(surface.calls.back().kind, Call::kEvents);
  EXPECT_EQ(OfColour(calls, colour()).size(), 149u);
  // Pass 2 does not step past the point whose events ended the program.
  EXPECT_EQ(regs().n, first() ? 151 : 150);
  EXPECT_EQ(regs().m, before() + 150);
}

TEST_P(EachPass, PointThatDoesNotAdvanceDrawsNothingButIsCountedAndKept) {
  // Point 50 stands still and point 120 steps back: neither ends a segment, yet each becomes the
  // previous point of the next one.
  xs()[50] = xs()[49];
  xs()[120] = xs()[119] + (first() ? -1 : 1);
  const Calls calls = Run();
  const auto lines = OfColour(calls, colour());
  ASSERT_EQ(lines.size(), 197u);
  const auto points = PerPoint(calls);
  EXPECT_EQ(Signature(points[49]), Skipped());
  EXPECT_EQ(Signature(points[119]), Skipped());
  for (const auto& [line, from] : {std::pair{47, 48}, {48, 50}, {116, 118}, {117, 120}}) {
    EXPECT_TRUE(Joins(lines[line], PX(from), PY(from), PX(from + 1), PY(from + 1))) << from;
  }
  EXPECT_EQ(regs().m, before() + 200);
}

// What sets the two passes apart.

// The one list of the drawing's colours (a GIF palette, a legend are made from it) holds the
// back colour and each curve's colour, once each.
TEST(Colours, TheDriversListIsEveryColourOfTheDrawing) {
  std::vector<std::uint32_t> listed(std::begin(colour::kAll), std::end(colour::kAll));
  std::vector<std::uint32_t> want = {kBack,   kAxis,    kGreen,     kRed,  kBlue,  kOlive,
                                     kOrange, kMagenta, kLightBlue, kTeal, kPiston};
  std::sort(listed.begin(), listed.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(listed, want);
}

using Pass1Test = PassTest;
using Pass2Test = PassTest;

TEST_F(Pass1Test, FirstPointNeverDrawsWhateverTheHistoryHolds) {
  regs().x0 = -500;  // far left of xb(1), which would otherwise be joined to it
  regs().y0 = 3;
  std::vector<double> seen;
  At(1, [&] { seen = {regs().x1, regs().y1}; });
  RunPass1();
  EXPECT_EQ(Signature(PerPoint(surface.calls)[0]), "W3 W1 E");
  EXPECT_EQ(surface.Lines(kGreen).size(), 199u);
  EXPECT_EQ(seen, (std::vector<double>{-500, 3}));  // the old point still moved into the history
}

TEST_F(Pass1Test, ShiftsOnlyTheNewestPointOfTheHistoryAndPass2TheWholeOfIt) {
  regs().x2 = 7;
  regs().y2 = 8;
  regs().x3 = 9;
  RunPass1();
  const Registers& r = regs();
  const auto& t = tables();
  EXPECT_EQ((std::vector{r.x0, r.y0, r.x1, r.y1, r.x2, r.y2, r.x3}),
            (std::vector{t.xb[200], t.yb[200], t.xb[199], t.yb[199], 7.0, 8.0, 9.0}));

  std::vector<double> at_first;  // x3, x2, x1, y2, y1 at the first point of pass 2
  At(201, [&] { at_first = {r.x3, r.x2, r.x1, r.y2, r.y1}; });
  RunPass2();
  EXPECT_EQ(at_first, (std::vector{7.0, t.xb[199], t.xb[200], t.yb[199], t.yb[200]}));
  EXPECT_EQ(
      (std::vector{r.x0, r.x1, r.x2, r.x3, r.y0, r.y1, r.y2}),
      (std::vector{t.xa[200], t.xa[199], t.xa[198], t.xa[197], t.ya[200], t.ya[199], t.ya[198]}));
}

TEST_F(Pass2Test, FirstPointIsComparedWithTheLastPointOfPass1) {
  RunPass1();
  // xa(1) = 105.58 is not below xb(200) = 100.0116: the two curves are not joined.
  ASSERT_GE(tables().xa[1], regs().x0);
  EXPECT_EQ(Signature(PerPoint(RunPass2())[0]), kNoRed);

  // A previous point further right than xa(1) is joined to it while m carries a count.
  for (const int m : {200, 0}) {
    regs().x0 = 120;
    regs().y0 = 2;
    regs().m = m;
    const auto red = OfColour(RunPass2(), kRed);
    ASSERT_EQ(red.size(), m > 0 ? 200u : 199u) << "m = " << m;
    if (m > 0) {
      EXPECT_TRUE(Joins(red[0], ww() + 120, 2, X(1), tables().ya[1]));
    }
  }
}

// Pass 2 with the velocity and acceleration curves switched on.

using DerivativeCurvesTest = PassTest;

TEST_F(DerivativeCurvesTest, FollowEveryRedSegmentFromThePointAndTheSlopeHistories) {
  const Calls calls = BothPasses([&] {
    SeedSlopes();
    state.acc = 1;
  });
  ExpectPoints(calls, kNoRed, kCurves);
  ASSERT_EQ(Counts(calls), (std::array<std::size_t, 3>{199, 199, 199}));
  const auto [red, vel, acc] = Curves(calls);
  for (std::size_t i = 0; i < red.size(); ++i) {
    ASSERT_EQ(std::tuple(vel[i].x1, vel[i].x2, acc[i].x1, acc[i].x2),
              std::tuple(red[i].x1, red[i].x2, red[i].x1, red[i].x2))
        << "segment " << i;
  }

  const auto& t = tables();
  // Point 2: the points before it are xb(199) and xb(200), carried over from pass 1; the
  // velocity ignores the seeded slopes, the acceleration starts from them.
  EXPECT_TRUE(
      Joins(vel[0], X(1), 11 * (t.ya[1] - t.yb[200]) / (t.xa[1] - t.xb[200]), X(2), Vel(2)));
  const double acc2 = 600 * (SlopeA(2) - kS0) / (t.xa[2] - t.xb[200]);
  EXPECT_TRUE(Joins(acc[0], X(1), 600 * (kS0 - kS1) / (t.xa[1] - t.xb[199]), X(2), acc2));
  // Point 3: the seeded s0 is now two back.
  EXPECT_TRUE(Joins(acc[1], X(2), acc2, X(3), Acc(3)));
  for (int p = 3; p <= 200; ++p) {
    ASSERT_TRUE(Joins(vel[p - 2], X(p - 1), Vel(p - 1), X(p), Vel(p))) << "point " << p;
    if (p > 3) {
      ASSERT_TRUE(Joins(acc[p - 2], X(p - 1), Acc(p - 1), X(p), Acc(p))) << "point " << p;
    }
  }

  // The velocity starts and ends at 0; the acceleration ends at 0 and from its third segment on
  // stays in its band.
  const auto [vel_low, vel_high] = Band(vel);
  EXPECT_NEAR(vel_low, -2.2047, Rounded(3));
  EXPECT_NEAR(vel_high, 2.2008, Rounded(3));
  EXPECT_EQ(vel.front().y1, 0);
  EXPECT_EQ(vel.back().y2, 0);
  const auto [acc_low, acc_high] = Band(acc, 2);
  EXPECT_NEAR(acc_low, -1.5722, Rounded(3));
  EXPECT_NEAR(acc_high, 3.9271, Rounded(3));
  EXPECT_EQ(acc.back().y2, 0);
  // The slopes of the last segments are 0: the history is left clean for the next pass.
  EXPECT_EQ(Slopes(), (std::vector<double>{0, 0, 0}));
}

TEST_F(DerivativeCurvesTest, PointThatMovesBackShiftsPointsButNotSlopes) {
  // xa(50) above xa(49): no red segment ends at it, so no slope is taken there, but the next
  // point's differences run through it.
  tables().xa[50] = tables().xa[49] + 1;
  state.acc = 1;
  const Calls calls = BothPasses();
  ASSERT_EQ(Counts(calls), (std::array<std::size_t, 3>{198, 198, 198}));
  const auto [red, vel, acc] = Curves(calls);
  const auto& xa = tables().xa;
  EXPECT_TRUE(Joins(red[48], X(50), tables().ya[50], X(51), tables().ya[51]));
  // Point 51: the velocity starts from the point history (49 -> 50) ...
  EXPECT_TRUE(Joins(vel[48], X(50), Vel(50), X(51), Vel(51)));
  // ... while the slope history still ends with the segments 47 -> 48 and 48 -> 49.
  EXPECT_TRUE(Joins(acc[48], X(50), 600 * (SlopeA(49) - SlopeA(48)) / (xa[50] - xa[48]), X(51),
                    600 * (SlopeA(51) - SlopeA(49)) / (xa[51] - xa[49])));
  EXPECT_EQ(regs().m, 400);
}

TEST_F(DerivativeCurvesTest, SwitchedMidPassTheyStartAndStopWithTheNextRedSegment) {
  tables().xa[171] = tables().xa[170] + 0.5;  // point 171 draws no red segment, 172 does
  std::vector<double> kept;
  const Calls calls = BothPasses([&] {
    SeedSlopes();
    // Keys during the events of points 100 (on), 150 (off) and 170 (on) of pass 2.
    surface.on_point = [&](long n) {
      if (n == 370) kept = Slopes();
      if (n == 300 || n == 350 || n == 370) state.acc = n != 350;
    };
  });
  const auto points = PerPoint(calls);
  ASSERT_EQ(points.size(), 200u);
  const std::pair<std::size_t, const char*> drawn[] = {{99, kRedOnly}, {100, kCurves},
                                                       {149, kCurves}, {150, kRedOnly},
                                                       {170, kNoRed},  {171, kCurves}};
  for (const auto& [i, signature] : drawn) EXPECT_EQ(Signature(points[i]), signature) << i + 1;
  // Curves at points 101 to 150 and 172 to 200.
  ASSERT_EQ(Counts(calls), (std::array<std::size_t, 3>{198, 79, 79}));
  const auto [red, vel, acc] = Curves(calls);
  const auto& xa = tables().xa;
  EXPECT_TRUE(Joins(vel[0], X(100), Vel(100), X(101), Vel(101)));
  EXPECT_TRUE(Joins(vel[50], X(171), Vel(171), X(172), Vel(172)));
  // The acceleration picks up the slopes that were left in the history ...
  EXPECT_TRUE(Joins(acc[0], X(100), 600 * (kS0 - kS1) / (xa[100] - xa[98]), X(101),
                    600 * (SlopeA(101) - kS0) / (xa[101] - xa[99])));
  // ... which stops with the segment 149 -> 150 once they are off.
  EXPECT_EQ(kept, (std::vector{SlopeA(150), SlopeA(149), SlopeA(148)}));
}

// The piston travel curve.

using PistonCurveTest = PassTest;

TEST_F(PistonCurveTest, StrokeFromTheAxisThenTheSameUnbrokenCurveEachTime) {
  // The pen width and the order of the segments are checked in a whole frame below.
  driver.DrawPistonCurve();
  const Calls calls = surface.calls;
  const auto lines = surface.Lines(kPiston);
  ASSERT_EQ(lines.size(), 943u);
  EXPECT_NEAR(lines[0].x1, -75.2865, Decimals(4));
  EXPECT_EQ(lines[0].y1, 0);
  EXPECT_NEAR(lines[0].x2, -75, Decimals(4));
  EXPECT_NEAR(lines[0].y2, 55.85, Decimals(4));
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ASSERT_NEAR(lines[i].y1, lines[i - 1].y2, Decimals(6)) << "segment " << i;
    ASSERT_NEAR(lines[i].x1, lines[i - 1].x2, Decimals(4)) << "segment " << i;
  }

  // The same segments whatever happened in between.
  state.acc = 1;
  BothPasses();
  surface.DrawWidth(7);
  const std::size_t mark = surface.calls.size();
  driver.DrawPistonCurve();
  EXPECT_TRUE(std::ranges::equal(CallsFrom(mark), calls, [](const Call& a, const Call& b) {
    return std::tuple(a.kind, a.x1, a.y1, a.x2, a.y2, a.colour, a.width) ==
           std::tuple(b.kind, b.x1, b.y1, b.x2, b.y2, b.colour, b.width);
  }));
}

// A whole frame and what it leaves behind.

using FrameTest = PassTest;

TEST_F(FrameTest, DrawsPass1ThenThePistonThenPass2ThenWaitsContinuingTheCount) {
  // A frame that follows another: the count must start afresh for pass 1 only.
  regs().m = 1234;
  regs().n = 77;
  std::vector<std::pair<int, int>> seen;  // (n, m) inside the events of selected points
  surface.on_point = [&](long k) {
    if (k == 1 || k == 200 || k == 201 || k == 400) seen.emplace_back(regs().n, regs().m);
  };
  surface.on_wait = [&](bool) { state.kk = 1; };
  ASSERT_TRUE(driver.DrawFrame());
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{2, 1}, {201, 200}, {1, 201}, {200, 400}}));

  // The piston curve, each segment at width 3, is one unbroken block between the events of the
  // last point of pass 1 and the first point of pass 2.
  const auto points = PerPoint(surface.calls);
  ASSERT_GT(points.size(), 200u);
  std::string piston;
  for (int i = 0; i < 943; ++i) piston += "W3 L8438015@3 ";
  EXPECT_EQ(Signature(points[200]), piston + kNoRed);
  EXPECT_EQ(surface.Lines(kPiston).size(), 943u);
  // The wait begins after everything the frame draws, and the frame ends with it.
  EXPECT_TRUE(Signature(points.back()).ends_with(" B R"));
  EXPECT_EQ(surface.Count(Call::kWaitBegins), 1);
  EXPECT_EQ(surface.Count(Call::kWait), 1);
  EXPECT_EQ(surface.Count(Call::kCls), 0);
}

TEST_F(FrameTest, WaitRunsUntilAKeyAndAtLeastOnce) {
  int rounds = 0;
  surface.on_wait = [&](bool first) {
    EXPECT_EQ(first, rounds == 0);
    if (++rounds == 3) state.kk = 1;
  };
  ASSERT_TRUE(driver.Wait());
  EXPECT_EQ(rounds, 3);

  // Already released: the pending events are still processed once.
  rounds = 0;
  surface.on_wait = [&](bool) { ++rounds; };
  ASSERT_TRUE(driver.Wait());
  EXPECT_EQ(rounds, 1);
}

TEST_F(FrameTest, AfterTheWaitResetsTheKeyClearsAndRedrawsThePiston) {
  surface.on_wait = [&](bool) { state.kk = 1; };
  for (const int accumulate : {0, 1}) {  // ccllss = 1 lets frames accumulate: no clear
    state.ccllss = accumulate;
    ASSERT_TRUE(driver.DrawFrame());
    const std::size_t mark = surface.calls.size();
    driver.FinishFrame();
    EXPECT_EQ(state.kk, 0);
    const Calls after = CallsFrom(mark);
    ASSERT_EQ(after.size(), (accumulate ? 0u : 1u) + 2u * 943u);
    EXPECT_EQ(after[0].kind == Call::kCls, accumulate == 0);
    EXPECT_EQ(OfColour(after, kPiston).size(), 943u);
  }
  EXPECT_EQ(surface.Count(Call::kCls), 1);
}

TEST_F(FrameTest, EndedDuringPass1TheFrameDrawsNothingMore) {
  At(120, [&] { state.ended = true; });
  EXPECT_FALSE(driver.DrawFrame());
  EXPECT_EQ(surface.calls.back().kind, Call::kEvents);
  EXPECT_EQ(surface.point_calls, 120);
  EXPECT_TRUE(surface.Lines(kPiston).empty());
  EXPECT_EQ(surface.Count(Call::kWaitBegins), 0);
}

TEST_F(FrameTest, HistoriesCarryFromPassToPassAndFrameToFrame) {
  SeedSlopes();  // left by an earlier frame; with acc = 0 nothing touches them in this one
  // BackSpace pressed during the wait: acc switches on and the wait ends.
  surface.on_wait = [&](bool) {
    state.acc = 1;
    state.kk = 1;
  };
  ASSERT_TRUE(driver.DrawFrame());
  driver.FinishFrame();
  const Registers left = regs();
  EXPECT_EQ(Slopes(), (std::vector{kS0, kS1, kS2}));

  // Frame 2 begins with the points that frame 1 left, and a fresh count.
  const long first_call = surface.point_calls + 1;
  Registers at;
  At(first_call, [&] { at = regs(); });
  const std::size_t mark = surface.calls.size();
  ASSERT_TRUE(driver.DrawFrame());
  EXPECT_EQ((std::vector{at.x1, at.y1, at.x0, at.x2, at.x3, 1.0 * at.m}),
            (std::vector{left.x0, left.y0, tables().xb[1], left.x2, left.x3, 1.0}));

  // Pass 2 of frame 2 takes its first accelerations from the slopes frame 1 left.
  const auto acc = OfColour(CallsFrom(mark), kMagenta);
  ASSERT_FALSE(acc.empty());
  const auto& xa = tables().xa;
  const auto& xb = tables().xb;
  EXPECT_TRUE(Joins(acc[0], X(1), 600 * (left.s0 - left.s1) / (xa[1] - xb[199]), X(2),
                    600 * (SlopeA(2) - left.s0) / (xa[2] - xb[200])));
}

}  // namespace
}  // namespace tarsel
