// Passes 1 and 2 of a frame, the piston travel curve and the order in which a frame draws them,
// observed through the calls that reach the window.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "tests/support/recording_surface.h"

namespace tarsel {
namespace {

using testing::Call;
using testing::RecordingSurface;

constexpr std::uint32_t kGreen = 65280;
constexpr std::uint32_t kRed = 255;
constexpr std::uint32_t kOrange = 33023;
constexpr std::uint32_t kMagenta = 16711935;
constexpr std::uint32_t kPiston = 8438015;

// A compact picture of a run of calls: "W3" sets the pen width, "L255@4" is a line of colour
// 255 drawn at width 4, "E" is event processing at a table point, "B" the start of the wait,
// "R" a round of the wait, "C" a clear.
std::string Signature(const std::vector<Call>& calls) {
  std::string out;
  for (const Call& c : calls) {
    if (!out.empty()) out += ' ';
    switch (c.kind) {
      case Call::kLine:
        out += "L" + std::to_string(c.colour) + "@" + std::to_string(c.width);
        break;
      case Call::kWidth:
        out += "W" + std::to_string(c.width);
        break;
      case Call::kEvents:
        out += "E";
        break;
      case Call::kWaitBegins:
        out += "B";
        break;
      case Call::kWait:
        out += "R";
        break;
      case Call::kCls:
        out += "C";
        break;
    }
  }
  return out;
}

// Splits a run of calls into table points: each group ends with its event-processing call.
// Calls after the last event-processing call form a final group of their own.
std::vector<std::vector<Call>> PerPoint(const std::vector<Call>& calls) {
  std::vector<std::vector<Call>> points(1);
  for (const Call& c : calls) {
    points.back().push_back(c);
    if (c.kind == Call::kEvents) points.emplace_back();
  }
  if (points.back().empty()) points.pop_back();
  return points;
}

std::vector<Call> OfColour(const std::vector<Call>& calls, std::uint32_t colour) {
  std::vector<Call> out;
  for (const Call& c : calls) {
    if (c.kind == Call::kLine && c.colour == colour) out.push_back(c);
  }
  return out;
}

bool Near(float got, double want) {
  return std::abs(static_cast<double>(got) - want) <= 1e-5 * std::max(1.0, std::abs(want));
}

// The line runs from (x1, y1) to (x2, y2), to single precision.
::testing::AssertionResult Joins(const Call& c, double x1, double y1, double x2, double y2) {
  if (c.kind == Call::kLine && Near(c.x1, x1) && Near(c.y1, y1) && Near(c.x2, x2) &&
      Near(c.y2, y2)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "line (" << c.x1 << ", " << c.y1 << ") -> (" << c.x2 << ", " << c.y2 << "), expected ("
         << x1 << ", " << y1 << ") -> (" << x2 << ", " << y2 << ")";
}

// Index of the first call at or after `from` that satisfies `pred`, or calls.size().
template <class Pred>
std::size_t FindFrom(const std::vector<Call>& calls, std::size_t from, Pred pred) {
  for (std::size_t i = from; i < calls.size(); ++i) {
    if (pred(calls[i])) return i;
  }
  return calls.size();
}

// Index of the last call that satisfies `pred`, or calls.size().
template <class Pred>
std::size_t FindLast(const std::vector<Call>& calls, Pred pred) {
  for (std::size_t i = calls.size(); i > 0; --i) {
    if (pred(calls[i - 1])) return i - 1;
  }
  return calls.size();
}

class PassTest : public ::testing::Test {
 protected:
  PassTest() { driver.Startup(); }

  Registers& regs() { return driver.registers(); }
  ProfileTables& tables() { return state.tables; }
  double ww() const { return state.ww; }

  // Pass 1 as the frame starts it: m := 0, n := 1.
  void RunPass1() {
    regs().m = 0;
    regs().n = 1;
    EXPECT_TRUE(driver.Pass1());
  }
  // Pass 2 as the frame starts it: n := 1, m keeps its count.
  void RunPass2() {
    regs().n = 1;
    EXPECT_TRUE(driver.Pass2());
  }
  // Pass 1 followed by pass 2; returns the number of calls that pass 1 made.
  std::size_t RunBothPasses() {
    RunPass1();
    const std::size_t mark = surface.calls.size();
    RunPass2();
    return mark;
  }

  std::vector<Call> CallsFrom(std::size_t mark) const {
    return {surface.calls.begin() + static_cast<std::ptrdiff_t>(mark), surface.calls.end()};
  }

  // Slope of the first table between points i - 1 and i, as the pass computes it.
  double SlopeA(int i) {
    return (tables().ya[i] - tables().ya[i - 1]) / (tables().xa[i] - tables().xa[i - 1]);
  }

  SharedState state;
  RecordingSurface surface;
  Driver driver{state, surface};
};

// ---------------------------------------------------------------------------------------------
// Pass 1: the second table in green, mirrored about x = ww.

using Pass1Test = PassTest;

TEST_F(Pass1Test, JoinsConsecutivePointsInGreenAtTheMirroredPositions) {
  RunPass1();
  const auto lines = surface.Lines(kGreen);
  ASSERT_EQ(lines.size(), 199u);
  EXPECT_EQ(surface.Count(Call::kLine), 199);
  for (int i = 1; i < 200; ++i) {
    const Call& c = lines[static_cast<std::size_t>(i - 1)];
    ASSERT_TRUE(Joins(c, ww() - tables().xb[i], tables().yb[i], ww() - tables().xb[i + 1],
                      tables().yb[i + 1]))
        << "segment " << i << " -> " << i + 1;
    ASSERT_EQ(c.width, 3) << "segment " << i;
  }
  // The curve runs right to left across the window.
  EXPECT_NEAR(lines.front().x1, 166.8395, 1e-4);
  EXPECT_NEAR(lines.back().x2, -35.0116, 1e-4);
  float top = 0;
  for (const Call& c : lines) top = std::max({top, c.y1, c.y2});
  EXPECT_NEAR(top, 9.574539564, 1e-5);
}

TEST_F(Pass1Test, SetsWidthThreeThenOneAndProcessesEventsOncePerPoint) {
  RunPass1();
  const auto points = PerPoint(surface.calls);
  ASSERT_EQ(points.size(), 200u);  // nothing follows the last event-processing call
  EXPECT_EQ(Signature(points[0]), "W3 W1 E");
  for (std::size_t i = 1; i < points.size(); ++i) {
    ASSERT_EQ(Signature(points[i]), "W3 L65280@3 W1 E") << "point " << i + 1;
  }
  EXPECT_EQ(surface.width, 1);
}

TEST_F(Pass1Test, FirstPointNeverDrawsWhateverTheHistoryHolds) {
  // A previous point far to the left of xb(1), which would otherwise be joined to it.
  regs().x0 = -500;
  regs().y0 = 3;
  double seen_x1 = 0, seen_y1 = 0;
  surface.on_point = [&](long n) {
    if (n == 1) {
      seen_x1 = regs().x1;
      seen_y1 = regs().y1;
    }
  };
  RunPass1();
  EXPECT_EQ(Signature(PerPoint(surface.calls)[0]), "W3 W1 E");
  EXPECT_EQ(surface.Lines(kGreen).size(), 199u);
  // The old point still moved into the history.
  EXPECT_EQ(seen_x1, -500);
  EXPECT_EQ(seen_y1, 3);
}

TEST_F(Pass1Test, StepsTheIndexAndCountBeforeProcessingEvents) {
  std::vector<int> n_seen, m_seen;
  std::vector<double> x0_seen;
  surface.on_point = [&](long) {
    n_seen.push_back(regs().n);
    m_seen.push_back(regs().m);
    x0_seen.push_back(regs().x0);
  };
  RunPass1();
  ASSERT_EQ(n_seen.size(), 200u);
  for (int p = 1; p <= 200; ++p) {
    const auto i = static_cast<std::size_t>(p - 1);
    ASSERT_EQ(n_seen[i], p + 1) << "point " << p;
    ASSERT_EQ(m_seen[i], p) << "point " << p;
    ASSERT_EQ(x0_seen[i], tables().xb[p]) << "point " << p;
  }
  EXPECT_EQ(regs().n, 201);
  EXPECT_EQ(regs().m, 200);
}

TEST_F(Pass1Test, ShiftsOnlyTheNewestPointOfTheHistory) {
  regs().x2 = 7;
  regs().y2 = 8;
  regs().x3 = 9;
  regs().s0 = 0.5;
  regs().s1 = -0.25;
  regs().s2 = 0.125;
  RunPass1();
  EXPECT_EQ(regs().x0, tables().xb[200]);
  EXPECT_EQ(regs().y0, tables().yb[200]);
  EXPECT_EQ(regs().x1, tables().xb[199]);
  EXPECT_EQ(regs().y1, tables().yb[199]);
  EXPECT_EQ(regs().x2, 7);
  EXPECT_EQ(regs().y2, 8);
  EXPECT_EQ(regs().x3, 9);
  EXPECT_EQ(regs().s0, 0.5);
  EXPECT_EQ(regs().s1, -0.25);
  EXPECT_EQ(regs().s2, 0.125);
}

TEST_F(Pass1Test, PointThatDoesNotMoveRightDrawsNothingButIsCountedAndKept) {
  // xb(50) equal to xb(49): the segment 49 -> 50 is missing, 50 -> 51 is drawn.
  tables().xb[50] = tables().xb[49];
  RunPass1();
  auto lines = surface.Lines(kGreen);
  ASSERT_EQ(lines.size(), 198u);
  EXPECT_TRUE(Joins(lines[47], ww() - tables().xb[48], tables().yb[48], ww() - tables().xb[49],
                    tables().yb[49]));
  EXPECT_TRUE(Joins(lines[48], ww() - tables().xb[50], tables().yb[50], ww() - tables().xb[51],
                    tables().yb[51]));
  EXPECT_EQ(Signature(PerPoint(surface.calls)[49]), "W3 W1 E");
  EXPECT_EQ(regs().m, 200);
}

TEST_F(Pass1Test, PointThatMovesBackStillBecomesThePreviousPoint) {
  // xb(50) below xb(49): no segment ends at it, but the next one starts from it.
  tables().xb[50] = tables().xb[49] - 1;
  RunPass1();
  auto lines = surface.Lines(kGreen);
  ASSERT_EQ(lines.size(), 198u);
  EXPECT_TRUE(Joins(lines[48], ww() - tables().xb[50], tables().yb[50], ww() - tables().xb[51],
                    tables().yb[51]));
  EXPECT_EQ(regs().m, 200);
}

TEST_F(Pass1Test, StopsRightAfterTheEventsInWhichTheProgramEnded) {
  surface.on_point = [&](long n) {
    if (n == 50) state.ended = true;
  };
  regs().m = 0;
  regs().n = 1;
  EXPECT_FALSE(driver.Pass1());
  EXPECT_EQ(surface.point_calls, 50);
  EXPECT_EQ(surface.calls.back().kind, Call::kEvents);
  EXPECT_EQ(surface.Lines(kGreen).size(), 49u);
}

// ---------------------------------------------------------------------------------------------
// Pass 2: the first table in red at x = ww + xa, after pass 1.

using Pass2Test = PassTest;

TEST_F(Pass2Test, JoinsConsecutivePointsInRedRightOfTheCentreLine) {
  const std::size_t mark = RunBothPasses();
  const auto calls = CallsFrom(mark);
  const auto lines = OfColour(calls, kRed);
  ASSERT_EQ(lines.size(), 199u);
  for (int i = 1; i < 200; ++i) {
    const Call& c = lines[static_cast<std::size_t>(i - 1)];
    ASSERT_TRUE(Joins(c, ww() + tables().xa[i], tables().ya[i], ww() + tables().xa[i + 1],
                      tables().ya[i + 1]))
        << "segment " << i << " -> " << i + 1;
    ASSERT_EQ(c.width, 4) << "segment " << i;
  }
  EXPECT_NEAR(lines.front().x1, 170.58, 1e-4);
  EXPECT_NEAR(lines.back().x2, -37.9599, 1e-4);
}

TEST_F(Pass2Test, SetsWidthFourThenOneAndProcessesEventsOncePerPoint) {
  const std::size_t mark = RunBothPasses();
  const auto points = PerPoint(CallsFrom(mark));
  ASSERT_EQ(points.size(), 200u);
  EXPECT_EQ(Signature(points[0]), "W4 W1 E");
  for (std::size_t i = 1; i < points.size(); ++i) {
    ASSERT_EQ(Signature(points[i]), "W4 L255@4 W1 E") << "point " << i + 1;
  }
  EXPECT_EQ(surface.width, 1);
}

TEST_F(Pass2Test, FirstPointIsComparedWithTheLastPointOfPass1) {
  RunPass1();
  // xa(1) = 105.58 is not below xb(200) = 100.0116: the two curves are not joined.
  ASSERT_GE(tables().xa[1], regs().x0);
  std::size_t mark = surface.calls.size();
  RunPass2();
  EXPECT_EQ(Signature(PerPoint(CallsFrom(mark))[0]), "W4 W1 E");

  // A previous point further right than xa(1) is joined to it, since m carries over.
  regs().x0 = 120;
  regs().y0 = 2;
  regs().m = 200;
  mark = surface.calls.size();
  RunPass2();
  auto lines = OfColour(CallsFrom(mark), kRed);
  ASSERT_EQ(lines.size(), 200u);
  EXPECT_TRUE(Joins(lines[0], ww() + 120, 2, ww() + tables().xa[1], tables().ya[1]));

  // With m = 0 the same point is not joined.
  regs().x0 = 120;
  regs().y0 = 2;
  regs().m = 0;
  mark = surface.calls.size();
  RunPass2();
  EXPECT_EQ(OfColour(CallsFrom(mark), kRed).size(), 199u);
}

TEST_F(Pass2Test, ProcessesEventsBeforeSteppingTheIndexAndContinuesTheCount) {
  std::vector<int> n_seen, m_seen;
  std::vector<double> x0_seen;
  surface.on_point = [&](long n) {
    if (n <= 200) return;  // pass 1
    n_seen.push_back(regs().n);
    m_seen.push_back(regs().m);
    x0_seen.push_back(regs().x0);
  };
  RunBothPasses();
  ASSERT_EQ(n_seen.size(), 200u);
  for (int p = 1; p <= 200; ++p) {
    const auto i = static_cast<std::size_t>(p - 1);
    ASSERT_EQ(n_seen[i], p) << "point " << p;
    ASSERT_EQ(m_seen[i], 200 + p) << "point " << p;
    ASSERT_EQ(x0_seen[i], tables().xa[p]) << "point " << p;
  }
  EXPECT_EQ(regs().n, 201);
  EXPECT_EQ(regs().m, 400);
}

TEST_F(Pass2Test, WithAccOffDrawsOnlyRedAndLeavesTheSlopeHistoryAlone) {
  RunPass1();
  regs().s0 = 0.5;
  regs().s1 = -0.25;
  regs().s2 = 0.125;
  const std::size_t mark = surface.calls.size();
  RunPass2();
  const auto calls = CallsFrom(mark);
  EXPECT_TRUE(OfColour(calls, kOrange).empty());
  EXPECT_TRUE(OfColour(calls, kMagenta).empty());
  EXPECT_EQ(OfColour(calls, kRed).size(), 199u);
  EXPECT_EQ(regs().s0, 0.5);
  EXPECT_EQ(regs().s1, -0.25);
  EXPECT_EQ(regs().s2, 0.125);
}

TEST_F(Pass2Test, ShiftsTheWholePointHistory) {
  std::vector<double> first;  // x3, x2, x1, y2, y1 at the first point of pass 2
  regs().x2 = 7;
  RunPass1();
  surface.on_point = [&](long) {
    if (first.empty()) first = {regs().x3, regs().x2, regs().x1, regs().y2, regs().y1};
  };
  RunPass2();
  ASSERT_EQ(first.size(), 5u);
  EXPECT_EQ(first[0], 7);  // pass 1 leaves x2 alone
  EXPECT_EQ(first[1], tables().xb[199]);
  EXPECT_EQ(first[2], tables().xb[200]);
  EXPECT_EQ(first[3], tables().yb[199]);
  EXPECT_EQ(first[4], tables().yb[200]);
  EXPECT_EQ(regs().x0, tables().xa[200]);
  EXPECT_EQ(regs().x1, tables().xa[199]);
  EXPECT_EQ(regs().x2, tables().xa[198]);
  EXPECT_EQ(regs().x3, tables().xa[197]);
  EXPECT_EQ(regs().y0, tables().ya[200]);
  EXPECT_EQ(regs().y1, tables().ya[199]);
  EXPECT_EQ(regs().y2, tables().ya[198]);
}

TEST_F(Pass2Test, PointThatDoesNotMoveLeftDrawsNothingButIsCounted) {
  tables().xa[50] = tables().xa[49];
  const std::size_t mark = RunBothPasses();
  const auto calls = CallsFrom(mark);
  const auto lines = OfColour(calls, kRed);
  ASSERT_EQ(lines.size(), 198u);
  EXPECT_EQ(Signature(PerPoint(calls)[49]), "W4 W1 E");
  EXPECT_TRUE(Joins(lines[48], ww() + tables().xa[50], tables().ya[50], ww() + tables().xa[51],
                    tables().ya[51]));
  EXPECT_EQ(regs().m, 400);
}

TEST_F(Pass2Test, PointThatMovesBackShiftsPointsButNotSlopes) {
  // xa(50) above xa(49): no red segment ends at it, so no slope is taken there, but the next
  // point's differences run through it.
  tables().xa[50] = tables().xa[49] + 1;
  state.acc = 1;
  const std::size_t mark = RunBothPasses();
  const auto calls = CallsFrom(mark);
  const auto red = OfColour(calls, kRed);
  const auto vel = OfColour(calls, kOrange);
  const auto acc = OfColour(calls, kMagenta);
  ASSERT_EQ(red.size(), 198u);
  ASSERT_EQ(vel.size(), 198u);
  ASSERT_EQ(acc.size(), 198u);
  const auto& xa = tables().xa;
  EXPECT_TRUE(Joins(red[48], ww() + xa[50], tables().ya[50], ww() + xa[51], tables().ya[51]));
  // Point 51: the velocity starts from the point history (49 -> 50) ...
  EXPECT_TRUE(Joins(vel[48], ww() + xa[50], 11 * SlopeA(50), ww() + xa[51], 11 * SlopeA(51)));
  // ... while the slope history still ends with the segments 47 -> 48 and 48 -> 49.
  EXPECT_TRUE(Joins(acc[48], ww() + xa[50], 600 * (SlopeA(49) - SlopeA(48)) / (xa[50] - xa[48]),
                    ww() + xa[51], 600 * (SlopeA(51) - SlopeA(49)) / (xa[51] - xa[49])));
  EXPECT_EQ(regs().m, 400);
}

TEST_F(Pass2Test, StopsRightAfterTheEventsInWhichTheProgramEnded) {
  RunPass1();
  surface.on_point = [&](long n) {
    if (n == 250) state.ended = true;
  };
  regs().n = 1;
  EXPECT_FALSE(driver.Pass2());
  EXPECT_EQ(surface.point_calls, 250);
  EXPECT_EQ(surface.calls.back().kind, Call::kEvents);
  EXPECT_EQ(surface.Lines(kRed).size(), 49u);
  EXPECT_EQ(regs().n, 50);  // the point whose events ended the program is not stepped past
}

// ---------------------------------------------------------------------------------------------
// Pass 2 with the velocity and acceleration curves switched on.

using DerivativeCurvesTest = PassTest;

TEST_F(DerivativeCurvesTest, FollowEveryRedSegmentAtWidthTwo) {
  state.acc = 1;
  const std::size_t mark = RunBothPasses();
  const auto calls = CallsFrom(mark);
  const auto points = PerPoint(calls);
  ASSERT_EQ(points.size(), 200u);
  EXPECT_EQ(Signature(points[0]), "W4 W1 E");
  for (std::size_t i = 1; i < points.size(); ++i) {
    ASSERT_EQ(Signature(points[i]), "W4 L255@4 W2 L33023@2 L16711935@2 W1 E") << "point " << i + 1;
  }
  const auto red = OfColour(calls, kRed);
  const auto vel = OfColour(calls, kOrange);
  const auto acc = OfColour(calls, kMagenta);
  ASSERT_EQ(vel.size(), 199u);
  ASSERT_EQ(acc.size(), 199u);
  for (std::size_t i = 0; i < red.size(); ++i) {
    ASSERT_EQ(vel[i].x1, red[i].x1);
    ASSERT_EQ(vel[i].x2, red[i].x2);
    ASSERT_EQ(acc[i].x1, red[i].x1);
    ASSERT_EQ(acc[i].x2, red[i].x2);
  }
  EXPECT_EQ(surface.width, 1);
}

TEST_F(DerivativeCurvesTest, VelocityStaysInItsBandAndStartsAndEndsAtZero) {
  state.acc = 1;
  const std::size_t mark = RunBothPasses();
  const auto vel = OfColour(CallsFrom(mark), kOrange);
  ASSERT_EQ(vel.size(), 199u);
  float low = 0, high = 0;
  for (const Call& c : vel) {
    low = std::min({low, c.y1, c.y2});
    high = std::max({high, c.y1, c.y2});
  }
  EXPECT_NEAR(low, -2.2047, 5e-4);
  EXPECT_NEAR(high, 2.2008, 5e-4);
  EXPECT_EQ(vel.front().y1, 0);
  EXPECT_EQ(vel.back().y2, 0);
}

TEST_F(DerivativeCurvesTest, AccelerationEndsAtZeroAndFromItsThirdSegmentStaysInItsBand) {
  state.acc = 1;
  const std::size_t mark = RunBothPasses();
  const auto acc = OfColour(CallsFrom(mark), kMagenta);
  ASSERT_EQ(acc.size(), 199u);
  float low = 0, high = 0;
  for (std::size_t i = 2; i < acc.size(); ++i) {
    low = std::min({low, acc[i].y1, acc[i].y2});
    high = std::max({high, acc[i].y1, acc[i].y2});
  }
  EXPECT_NEAR(low, -1.5722, 5e-4);
  EXPECT_NEAR(high, 3.9271, 5e-4);
  EXPECT_EQ(acc.back().y2, 0);
  // The slopes of the last segments are 0: the history is left clean for the next pass.
  EXPECT_EQ(regs().s0, 0);
  EXPECT_EQ(regs().s1, 0);
  EXPECT_EQ(regs().s2, 0);
}

TEST_F(DerivativeCurvesTest, VelocityStartsFromThePointHistoryNotTheSlopeHistory) {
  RunPass1();
  // Slopes that an earlier pass might have left; the velocity curve must not start from them.
  regs().s0 = 0.5;
  regs().s1 = -0.25;
  regs().s2 = 0.125;
  state.acc = 1;
  const std::size_t mark = surface.calls.size();
  RunPass2();
  const auto vel = OfColour(CallsFrom(mark), kOrange);
  ASSERT_EQ(vel.size(), 199u);
  // First segment (point 2): the point before it is xb(200), carried over from pass 1.
  const double first_start =
      11 * (tables().ya[1] - tables().yb[200]) / (tables().xa[1] - tables().xb[200]);
  EXPECT_TRUE(
      Joins(vel[0], ww() + tables().xa[1], first_start, ww() + tables().xa[2], 11 * SlopeA(2)));
  for (int p = 3; p <= 200; ++p) {
    ASSERT_TRUE(Joins(vel[static_cast<std::size_t>(p - 2)], ww() + tables().xa[p - 1],
                      11 * SlopeA(p - 1), ww() + tables().xa[p], 11 * SlopeA(p)))
        << "point " << p;
  }
}

TEST_F(DerivativeCurvesTest, FirstTwoAccelerationSegmentsStartFromTheSlopeHistory) {
  RunPass1();
  const double s0 = 0.5, s1 = -0.25;
  regs().s0 = s0;
  regs().s1 = s1;
  regs().s2 = 0.125;
  state.acc = 1;
  const std::size_t mark = surface.calls.size();
  RunPass2();
  const auto acc = OfColour(CallsFrom(mark), kMagenta);
  ASSERT_EQ(acc.size(), 199u);
  const auto& xa = tables().xa;
  const auto& xb = tables().xb;
  // Point 2: x3 is xb(199), x2 is xb(200); the new slope of 1 -> 2 is 0.
  EXPECT_TRUE(Joins(acc[0], ww() + xa[1], 600 * (s0 - s1) / (xa[1] - xb[199]), ww() + xa[2],
                    600 * (SlopeA(2) - s0) / (xa[2] - xb[200])));
  // Point 3: the seeded s0 is now two back.
  EXPECT_TRUE(Joins(acc[1], ww() + xa[2], 600 * (SlopeA(2) - s0) / (xa[2] - xb[200]), ww() + xa[3],
                    600 * (SlopeA(3) - SlopeA(2)) / (xa[3] - xa[1])));
  // Point 4 on: only slopes of this pass.
  for (int p = 4; p <= 200; ++p) {
    ASSERT_TRUE(Joins(acc[static_cast<std::size_t>(p - 2)], ww() + xa[p - 1],
                      600 * (SlopeA(p - 1) - SlopeA(p - 2)) / (xa[p - 1] - xa[p - 3]), ww() + xa[p],
                      600 * (SlopeA(p) - SlopeA(p - 1)) / (xa[p] - xa[p - 2])))
        << "point " << p;
  }
}

TEST_F(DerivativeCurvesTest, SwitchedOnMidPassTheyBeginAtTheNextRedSegment) {
  RunPass1();
  const double s0 = 0.5, s1 = -0.25;
  regs().s0 = s0;
  regs().s1 = s1;
  regs().s2 = 0.125;
  // A key during the events of point 100 of pass 2.
  surface.on_point = [&](long n) {
    if (n == 300) state.acc = 1;
  };
  const std::size_t mark = surface.calls.size();
  RunPass2();
  const auto calls = CallsFrom(mark);
  const auto points = PerPoint(calls);
  ASSERT_EQ(points.size(), 200u);
  EXPECT_EQ(Signature(points[99]), "W4 L255@4 W1 E");
  EXPECT_EQ(Signature(points[100]), "W4 L255@4 W2 L33023@2 L16711935@2 W1 E");
  const auto vel = OfColour(calls, kOrange);
  const auto acc = OfColour(calls, kMagenta);
  ASSERT_EQ(vel.size(), 100u);
  ASSERT_EQ(acc.size(), 100u);
  const auto& xa = tables().xa;
  EXPECT_TRUE(Joins(vel[0], ww() + xa[100], 11 * SlopeA(100), ww() + xa[101], 11 * SlopeA(101)));
  // The acceleration picks up the slopes that were left in the history.
  EXPECT_TRUE(Joins(acc[0], ww() + xa[100], 600 * (s0 - s1) / (xa[100] - xa[98]), ww() + xa[101],
                    600 * (SlopeA(101) - s0) / (xa[101] - xa[99])));
}

TEST_F(DerivativeCurvesTest, SwitchedOnBeforeAPointThatDrawsNoRedTheyWaitForTheNextOne) {
  // Point 101 moves right, so it draws no red segment; point 102 does.
  tables().xa[101] = tables().xa[100] + 0.5;
  RunPass1();
  surface.on_point = [&](long n) {
    if (n == 300) state.acc = 1;
  };
  const std::size_t mark = surface.calls.size();
  RunPass2();
  const auto calls = CallsFrom(mark);
  const auto points = PerPoint(calls);
  EXPECT_EQ(Signature(points[100]), "W4 W1 E");
  EXPECT_EQ(Signature(points[101]), "W4 L255@4 W2 L33023@2 L16711935@2 W1 E");
  const auto vel = OfColour(calls, kOrange);
  ASSERT_EQ(vel.size(), 99u);
  const auto& xa = tables().xa;
  EXPECT_TRUE(Joins(vel[0], ww() + xa[101], 11 * SlopeA(101), ww() + xa[102], 11 * SlopeA(102)));
}

TEST_F(DerivativeCurvesTest, SwitchedOffMidPassTheyStopAtTheNextPoint) {
  state.acc = 1;
  RunPass1();
  surface.on_point = [&](long n) {
    if (n == 350) state.acc = 0;
  };
  const std::size_t mark = surface.calls.size();
  RunPass2();
  const auto calls = CallsFrom(mark);
  EXPECT_EQ(OfColour(calls, kOrange).size(), 149u);  // points 2 to 150
  EXPECT_EQ(OfColour(calls, kMagenta).size(), 149u);
  EXPECT_EQ(OfColour(calls, kRed).size(), 199u);
  // The slope history stops with the segment 149 -> 150.
  EXPECT_EQ(regs().s0, SlopeA(150));
  EXPECT_EQ(regs().s1, SlopeA(149));
  EXPECT_EQ(regs().s2, SlopeA(148));
}

// ---------------------------------------------------------------------------------------------
// The piston travel curve.

using PistonCurveTest = PassTest;

TEST_F(PistonCurveTest, SetsWidthThreeBeforeEachOfItsSegments) {
  surface.DrawWidth(1);
  const std::size_t mark = surface.calls.size();
  driver.DrawPistonCurve();
  const auto calls = CallsFrom(mark);
  ASSERT_EQ(calls.size(), 2u * 943u);
  for (std::size_t i = 0; i < calls.size(); i += 2) {
    ASSERT_EQ(Signature({calls[i], calls[i + 1]}), "W3 L8438015@3") << "segment " << i / 2;
  }
  EXPECT_EQ(surface.width, 3);
  EXPECT_EQ(surface.point_calls, 0);  // no events while the curve is drawn
}

TEST_F(PistonCurveTest, StartsWithAStrokeFromTheAxisUpToTheCurve) {
  driver.DrawPistonCurve();
  const auto lines = surface.Lines(kPiston);
  ASSERT_EQ(lines.size(), 943u);
  EXPECT_NEAR(lines[0].x1, -75.2865, 1e-4);
  EXPECT_EQ(lines[0].y1, 0);
  EXPECT_NEAR(lines[0].x2, -75, 1e-4);
  EXPECT_NEAR(lines[0].y2, 55.85, 1e-4);
  // From there on every segment starts where the one before ended.
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ASSERT_NEAR(lines[i].y1, lines[i - 1].y2, 1e-6) << "segment " << i;
    ASSERT_NEAR(lines[i].x1, lines[i - 1].x2, 1e-4) << "segment " << i;
  }
}

TEST_F(PistonCurveTest, DrawsTheSameSegmentsWhateverHappenedInBetween) {
  driver.DrawPistonCurve();
  const auto first = surface.Lines(kPiston);
  surface.calls.clear();
  state.acc = 1;
  RunBothPasses();
  surface.DrawWidth(7);
  driver.DrawPistonCurve();
  const auto second = surface.Lines(kPiston);
  ASSERT_EQ(second.size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    ASSERT_EQ(second[i].x1, first[i].x1) << "segment " << i;
    ASSERT_EQ(second[i].y1, first[i].y1) << "segment " << i;
    ASSERT_EQ(second[i].x2, first[i].x2) << "segment " << i;
    ASSERT_EQ(second[i].y2, first[i].y2) << "segment " << i;
    ASSERT_EQ(second[i].width, 3) << "segment " << i;
  }
}

// ---------------------------------------------------------------------------------------------
// A whole frame and what it leaves behind.

using FrameTest = PassTest;

TEST_F(FrameTest, DrawsPass1ThenThePistonThenPass2ThenWaits) {
  surface.on_wait = [&](bool) { state.kk = 1; };
  ASSERT_TRUE(driver.DrawFrame());
  const auto& calls = surface.calls;
  auto is = [](std::uint32_t colour) {
    return [colour](const Call& c) { return c.kind == Call::kLine && c.colour == colour; };
  };
  EXPECT_EQ(surface.Lines(kGreen).size(), 199u);
  EXPECT_EQ(surface.Lines(kPiston).size(), 943u);
  EXPECT_EQ(surface.Lines(kRed).size(), 199u);

  // The piston curve is one unbroken block between the last point of pass 1 and the first of
  // pass 2.
  const std::size_t first_piston = FindFrom(calls, 0, is(kPiston));
  const std::size_t last_piston = FindLast(calls, is(kPiston));
  ASSERT_LT(first_piston, calls.size());
  EXPECT_EQ(last_piston - first_piston, 2u * 942u);
  EXPECT_LT(FindLast(calls, is(kGreen)), first_piston);
  EXPECT_GT(FindFrom(calls, 0, is(kRed)), last_piston);
  long events_before = 0;
  for (std::size_t i = 0; i < first_piston; ++i) events_before += calls[i].kind == Call::kEvents;
  EXPECT_EQ(events_before, 200);
  EXPECT_EQ(Signature({calls[first_piston - 1]}), "W3");
  EXPECT_EQ(calls[first_piston - 2].kind, Call::kEvents);

  // The wait begins after everything the frame draws, and the frame ends with it.
  const std::size_t begins =
      FindFrom(calls, 0, [](const Call& c) { return c.kind == Call::kWaitBegins; });
  ASSERT_LT(begins, calls.size());
  EXPECT_GT(begins, FindLast(calls, [](const Call& c) { return c.kind == Call::kLine; }));
  EXPECT_GT(begins, FindLast(calls, [](const Call& c) { return c.kind == Call::kEvents; }));
  EXPECT_EQ(Signature(std::vector<Call>(calls.begin() + static_cast<std::ptrdiff_t>(begins),
                                        calls.end())),
            "B R");
  EXPECT_EQ(surface.Count(Call::kCls), 0);
}

TEST_F(FrameTest, Pass2ContinuesTheCountThatPass1Began) {
  // A frame that follows another: the count must start afresh for pass 1 only.
  regs().m = 1234;
  regs().n = 77;
  std::vector<std::pair<int, int>> seen;  // (n, m) inside the events of selected points
  surface.on_point = [&](long k) {
    if (k == 1 || k == 200 || k == 201 || k == 400) seen.emplace_back(regs().n, regs().m);
  };
  surface.on_wait = [&](bool) { state.kk = 1; };
  ASSERT_TRUE(driver.DrawFrame());
  const std::vector<std::pair<int, int>> expected = {{2, 1}, {201, 200}, {1, 201}, {200, 400}};
  EXPECT_EQ(seen, expected);
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
  ASSERT_TRUE(driver.DrawFrame());
  std::size_t mark = surface.calls.size();
  driver.FinishFrame();
  EXPECT_EQ(state.kk, 0);
  auto after = CallsFrom(mark);
  ASSERT_EQ(after.size(), 1u + 2u * 943u);
  EXPECT_EQ(after[0].kind, Call::kCls);
  EXPECT_EQ(OfColour(after, kPiston).size(), 943u);

  // Letting frames accumulate: no clear, the piston all the same.
  state.ccllss = 1;
  ASSERT_TRUE(driver.DrawFrame());
  mark = surface.calls.size();
  driver.FinishFrame();
  EXPECT_EQ(state.kk, 0);
  after = CallsFrom(mark);
  EXPECT_EQ(after.size(), 2u * 943u);
  EXPECT_EQ(OfColour(after, kPiston).size(), 943u);
  EXPECT_EQ(surface.Count(Call::kCls), 1);
}

TEST_F(FrameTest, EndedDuringPass1TheFrameDrawsNothingMore) {
  surface.on_point = [&](long n) {
    if (n == 120) state.ended = true;
  };
  EXPECT_FALSE(driver.DrawFrame());
  EXPECT_EQ(surface.calls.back().kind, Call::kEvents);
  EXPECT_EQ(surface.point_calls, 120);
  EXPECT_TRUE(surface.Lines(kPiston).empty());
  EXPECT_EQ(surface.Count(Call::kWaitBegins), 0);
}

TEST_F(FrameTest, HistoriesCarryFromPassToPassAndFrameToFrame) {
  // Slopes left by an earlier frame; with acc = 0 nothing touches them during this frame.
  regs().s0 = 0.5;
  regs().s1 = -0.25;
  regs().s2 = 0.125;
  // BackSpace pressed during the wait: acc switches on and the wait ends.
  surface.on_wait = [&](bool) {
    state.acc = 1;
    state.kk = 1;
  };
  ASSERT_TRUE(driver.DrawFrame());
  driver.FinishFrame();
  const Registers left = regs();
  EXPECT_EQ(left.s0, 0.5);
  EXPECT_EQ(left.s1, -0.25);
  EXPECT_EQ(left.s2, 0.125);

  // Frame 2 begins with the points that frame 1 left.
  const long first_call = surface.point_calls + 1;
  Registers at_first_point;
  surface.on_point = [&](long n) {
    if (n == first_call) at_first_point = regs();
  };
  const std::size_t mark = surface.calls.size();
  ASSERT_TRUE(driver.DrawFrame());
  EXPECT_EQ(at_first_point.x1, left.x0);
  EXPECT_EQ(at_first_point.y1, left.y0);
  EXPECT_EQ(at_first_point.x0, tables().xb[1]);
  EXPECT_EQ(at_first_point.m, 1);  // the count starts afresh with each frame
  EXPECT_EQ(at_first_point.x2, left.x2);
  EXPECT_EQ(at_first_point.x3, left.x3);

  // Pass 2 of frame 2 takes its first accelerations from the slopes frame 1 left.
  const auto acc = OfColour(CallsFrom(mark), kMagenta);
  ASSERT_FALSE(acc.empty());
  const auto& xa = tables().xa;
  const auto& xb = tables().xb;
  EXPECT_TRUE(Joins(acc[0], ww() + xa[1], 600 * (left.s0 - left.s1) / (xa[1] - xb[199]),
                    ww() + xa[2], 600 * (SlopeA(2) - left.s0) / (xa[2] - xb[200])));
}

}  // namespace
}  // namespace tarsel
