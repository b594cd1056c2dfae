// The linkage trace pass, the last pass of a frame, observed through the calls that reach the
// window while whole frames run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "animation/trace_point.h"
#include "geometry/linkage.h"
#include "tests/support/colours.h"
#include "tests/support/recording_surface.h"
#include "tests/support/tolerances.h"

namespace tarsel {
namespace {

using namespace tarsel::testing;
using testing::Call;
using Calls = std::vector<Call>;

// `head`, then what every point draws last: the axis, two marker lines and 32 tick marks.
std::string WithAxes(std::string head) {
  for (int i = 0; i < 35; ++i) head += " L7@1";
  return head;
}

bool Same(const Calls& a, const Calls& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Call& p, const Call& q) {
    return p.kind == q.kind && p.x1 == q.x1 && p.y1 == q.y1 && p.x2 == q.x2 && p.y2 == q.y2 &&
           p.colour == q.colour && p.width == q.width;
  });
}

// A driver on a recording window that runs whole frames; every wait ends at once.
struct Rig {
  explicit Rig(int acc = 0) {
    driver.Startup();
    state.k = state.k0;
    state.acc = acc;
    surface.on_wait = [this](bool) { state.kk = 1; };
  }

  // Adds `act` to what runs inside the events of point p of the trace pass (0: the last point
  // of pass 2). A change made there reaches point p + 1.
  void At(int p, std::function<void()> act) { surface.At(400 + p, std::move(act)); }

  // One frame up to and including the second piston curve. Returns the trace pass split into
  // its points (each ends with its last tick mark) and keeps it whole in `pass`; the whole
  // frame stays in surface.calls.
  std::vector<Calls> Frame() {
    pass.clear();
    surface.calls.clear();
    surface.point_calls = 0;
    EXPECT_TRUE(driver.DrawFrame());
    driver.FinishFrame();
    std::vector<Calls> points(1);
    long events = 0;
    for (const Call& c : surface.calls) {
      if (c.kind == Call::kWaitBegins) break;
      if (events >= 400) points.back().push_back(c), pass.push_back(c);
      events += c.kind == Call::kEvents;
      if (events > 400 && c.kind == Call::kLine && c.colour == kAxis && c.x1 == 600) {
        points.emplace_back();
      }
    }
    points.pop_back();
    return points;
  }

  // The offset and the trace position of table point i as the pass solves them at the current k.
  double Ff(int i) const {
    return SolveLinkage<LibraryMath>(state.config, TraceAngle(state, xb(i)), state.pi).ff;
  }
  double TraceX(int i) const { return state.ww - xb(i) + Ff(i); }
  double xb(int i) const { return state.tables.xb[static_cast<std::size_t>(i)]; }
  double yb(int i) const { return state.tables.yb[static_cast<std::size_t>(i)]; }
  Registers& regs() { return driver.registers(); }

  SharedState state;
  testing::RecordingSurface surface;
  Calls pass;
  Driver driver{state, surface};
};

TEST(TracePass, FrameWithoutDerivativesDrawsTraceOffsetAndAxesAtEveryPoint) {
  Rig rig;
  const auto points = rig.Frame();
  EXPECT_EQ(rig.surface.Count(Call::kEvents), 600);
  EXPECT_EQ(rig.surface.Count(Call::kLine), 9683);
  const std::pair<std::uint32_t, std::size_t> counts[] = {
      {kGreen, 199}, {kRed, 199}, {kBlue, 200}, {kOlive, 199}, {kPiston, 1886}, {kAxis, 7000}};
  for (const auto& [colour, n] : counts) EXPECT_EQ(rig.surface.Lines(colour).size(), n) << colour;

  // Each point ends at pen width 1, so the pass leaves it there.
  ASSERT_EQ(points.size(), 200u);
  EXPECT_EQ(Signature(points[0]), WithAxes("W3 L16711680@3 E W2 W1"));
  for (std::size_t p = 1; p < 200; ++p) {
    ASSERT_EQ(Signature(points[p]), WithAxes("W3 L16711680@3 E W2 L49344@2 W1")) << p + 1;
  }
  for (const Calls& point : points) {
    const Calls axes(point.end() - 35, point.end());
    ASSERT_TRUE(Joins(axes[0], -98, 0, 360, 0));
    ASSERT_TRUE(Joins(axes[1], 15, -2, 15, 11.5));
    ASSERT_TRUE(Joins(axes[2], 105, -2, 105, 11.5));
    for (int i = 0; i < 32; ++i) {
      ASSERT_TRUE(Joins(axes[3 + i], -97.5 + 22.5 * i, -0.25, -97.5 + 22.5 * i, 0.25));
    }
  }

  const Calls blue = rig.surface.Lines(kBlue), olive = rig.surface.Lines(kOlive);
  // The first segment joins the last point of pass 2 (no offset yet) to the first trace point.
  EXPECT_TRUE(Joins(blue[0], 167.9599331, 0, rig.TraceX(1), 0));
  EXPECT_NEAR(blue[0].x2, 170.58, Decimals(2));
  for (int i = 2; i <= 200; ++i) {
    const auto j = static_cast<std::size_t>(i - 1);
    ASSERT_TRUE(Joins(blue[j], rig.TraceX(i - 1), rig.yb(i - 1), rig.TraceX(i), rig.yb(i))) << i;
    ASSERT_TRUE(
        Joins(olive[j - 1], 65 - rig.xb(i - 1), rig.Ff(i - 1) / 13, 65 - rig.xb(i), rig.Ff(i) / 13))
        << i;
  }
  // What pass 1 of the next frame starts from: x0, x1, x2, y0, y1 and the last offset.
  const Registers& r = rig.regs();
  EXPECT_EQ(
      (std::vector{r.x0, r.x1, r.x2, r.y0, r.y1, rig.state.ff}),
      (std::vector{rig.xb(200), rig.xb(200), rig.xb(199), rig.yb(200), rig.yb(199), rig.Ff(200)}));
}

TEST(TracePass, DerivativeCurvesFollowTheTraceAndStartAfreshEachFrame) {
  Rig rig(1);
  rig.At(0, [&] { rig.regs().s0 = 0.3; });  // a slope left in the history by an earlier pass
  Registers mid;
  rig.At(100, [&] { mid = rig.regs(); });
  auto points = rig.Frame();
  EXPECT_EQ(Signature(points[0]), WithAxes("W3 L16711680@3 W2 L16744576@2 E W2 W1"));
  for (std::size_t p = 1; p < 200; ++p) {
    ASSERT_EQ(Signature(points[p]), WithAxes("W3 L16711680@3 W2 L16744576@2 L8421376@2 E W2 W1"))
        << p + 1;
  }
  Calls vel = OfColour(rig.pass, kLightBlue), acc = OfColour(rig.pass, kTeal);
  ASSERT_EQ(vel.size(), 200u);
  ASSERT_EQ(acc.size(), 199u);
  // Slopes over the horizontal distance back to the previous trace point; the first point
  // follows the last point of pass 2.
  double x = -102.9599331, y = 0, f = 0, s = 0.3, u = 0, a = 0;
  std::vector<double> slopes;
  for (int i = 1; i <= 200; ++i) {
    const double span = ((rig.xb(i) - x) - rig.Ff(i)) + f;
    const double slope = (rig.yb(i) - y) / span, accel = 300 * (slope - s) / span;
    const auto j = static_cast<std::size_t>(i - 1);
    ASSERT_TRUE(Joins(vel[j], 65 - x + f, -11 * s, rig.TraceX(i), -11 * slope)) << i;
    if (i > 1) {
      ASSERT_TRUE(Joins(acc[j - 1], u, a, rig.TraceX(i), accel)) << i;
    }
    x = rig.xb(i), y = rig.yb(i), f = rig.Ff(i), s = slope, u = rig.TraceX(i), a = accel;
    slopes.push_back(slope);
  }
  // The slope history (which pass 2 of the next frame takes over), at point 100.
  for (std::size_t b = 0; b < 3; ++b) {
    EXPECT_NEAR((std::vector{mid.s0, mid.s1, mid.s2})[b], slopes[99 - b], kDoubleRounding);
  }

  // The next frame's acceleration curve is not joined to this one.
  rig.state.k += 0.25;
  points = rig.Frame();
  EXPECT_EQ(Signature(points[0]), WithAxes("W3 L16711680@3 W2 L16744576@2 E W2 W1"));
  acc = OfColour(rig.pass, kTeal);
  ASSERT_EQ(acc.size(), 199u);
  EXPECT_NEAR(acc[0].x1, rig.TraceX(1), Decimals(4));
}

TEST(TracePass, CurvesStayInTheirBandsForEveryK) {
  Rig rig(1);
  std::vector<float> vel, acc, trace;  // heights of the two curves, positions of the trace
  for (int step = 0; step <= 62; ++step) {
    rig.state.k = 4.5 + 0.25 * step;
    rig.Frame();
    ASSERT_EQ(OfColour(rig.pass, kLightBlue).size(), 200u) << rig.state.k;
    ASSERT_EQ(OfColour(rig.pass, kTeal).size(), 199u) << rig.state.k;
    for (const Call& c : rig.pass) {
      if (c.colour == kLightBlue) vel.insert(vel.end(), {c.y1, c.y2});
      if (c.colour == kTeal) acc.insert(acc.end(), {c.y1, c.y2});
      if (c.colour == kBlue) trace.push_back(c.x2);
    }
  }
  const auto [vel_low, vel_high] = std::minmax_element(vel.begin(), vel.end());
  const auto [acc_low, acc_high] = std::minmax_element(acc.begin(), acc.end());
  const auto [left, right] = std::minmax_element(trace.begin(), trace.end());
  EXPECT_NEAR(*vel_low, -3.3995, Decimals(3));
  EXPECT_NEAR(*vel_high, 2.5768, Decimals(3));
  EXPECT_NEAR(*acc_low, -2.9534, Decimals(3));
  EXPECT_NEAR(*acc_high, 7.4642, Decimals(3));
  // The ends of the table shifted by the extremes of the offset, -13.487 and 13.126.
  EXPECT_NEAR(*left, 65 - rig.xb(200) - 13.487, Decimals(2));
  EXPECT_NEAR(*right, 65 - rig.xb(1) + 13.126, Decimals(2));
}

TEST(TracePass, AccSwitchedBetweenItsTwoReadsDrawsBothCurvesOrNeither) {
  const struct {
    int from;
    const char* point50;
    std::size_t velocity, olive;
  } cases[] = {
      {1, "W3 L16711680@3 W2 L16744576@2 L8421376@2 E W2 L49344@2 W1", 50, 151},
      {0, "W3 L16711680@3 E W2 W1", 150, 48},
  };
  for (const auto& c : cases) {
    Rig rig(c.from);
    rig.At(50, [&] { rig.state.acc = 1 - c.from; });
    const auto points = rig.Frame();
    EXPECT_EQ(Signature(points[49]), WithAxes(c.point50)) << c.from;
    EXPECT_EQ(OfColour(rig.pass, kLightBlue).size(), c.velocity) << c.from;
    EXPECT_EQ(OfColour(rig.pass, kOlive).size(), c.olive) << c.from;
  }
}

TEST(TracePass, KeyThatMovesKChangesOnlyTheRestOfThePass) {
  for (int acc : {0, 1}) {
    Rig plain(acc), moved(acc);
    moved.At(20, [&] { moved.state.k -= 0.5; });
    const auto before = plain.Frame(), after = moved.Frame();
    for (std::size_t p = 0; p < 20; ++p) ASSERT_TRUE(Same(before[p], after[p])) << p + 1;
    const Calls old_blue = OfColour(plain.pass, kBlue), new_blue = OfColour(moved.pass, kBlue);
    for (int i = 21; i <= 200; ++i) {
      const auto j = static_cast<std::size_t>(i - 1);
      ASSERT_NE(new_blue[j].x2, old_blue[j].x2) << i;
      ASSERT_NEAR(new_blue[j].x2, moved.TraceX(i), Decimals(4)) << i;
    }
  }
}

// A point whose horizontal distance back to the previous trace point, ((x0 - x1) - ff) + f1, is
// 0 or the smallest step above it, set up through the offset it takes over from that point.
// The divisor 0 gives a slope of 0/0 at point 1 and of (non-zero)/0 at point 101. The tiny one
// gives curves that fit a float, or, with a far previous height, that do not.
TEST(TracePass, PointWithNoUsableDistanceBackDrawsNoDerivativesAndKeepsTheHistory) {
  const struct {
    int p;
    bool zero;
    double y_before;  // height of the previous point; NaN keeps the table's
    bool drawn;       // whether the point draws its velocity and acceleration
    std::size_t blue;
  } cases[] = {
      {1, true, NAN, false, 200},    {101, true, NAN, false, 200},
      {60, false, NAN, true, 200},   {1, false, -1e6, false, 200},
      {1, false, -1e25, false, 200}, {1, false, -1e300, false, 199},  // a start beyond a float
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "point " << c.p << ", y " << c.y_before);
    Rig plain(1), odd(1);
    Registers before, after;  // inside the events of the points p - 1 and p
    odd.At(c.p - 1, [&] {
      const double ff = odd.Ff(c.p), d = odd.xb(c.p) - odd.regs().x0;
      odd.state.ff = c.zero ? ff - d : std::nextafter(ff - d, 1e9);
      const double span = (d - ff) + odd.state.ff;  // rounds the same as the pass does
      EXPECT_TRUE(c.zero ? span == 0 : span > 0 && span < 1e-14) << span;
      if (!std::isnan(c.y_before)) odd.regs().y0 = c.y_before;
      before = odd.regs();
    });
    odd.At(c.p, [&] { after = odd.regs(); });
    const auto expected = plain.Frame(), got = odd.Frame();
    const Calls& pass = odd.pass;
    EXPECT_EQ(OfColour(pass, kBlue).size(), c.blue);
    EXPECT_EQ(OfColour(got[static_cast<std::size_t>(c.p - 1)], kLightBlue).size(),
              c.drawn ? 1u : 0u);
    EXPECT_EQ(OfColour(pass, kLightBlue).size(), c.drawn ? 200u : 199u);
    EXPECT_EQ(OfColour(pass, kTeal).size(), c.drawn ? 199u : 198u);
    for (const Call& l : odd.surface.calls) {
      ASSERT_TRUE(std::isfinite(l.x1) && std::isfinite(l.y1) && std::isfinite(l.x2) &&
                  std::isfinite(l.y2));
    }
    if (!c.drawn) {
      auto history = [](const Registers& r) {
        return std::vector{r.s0, r.s1, r.s2, r.u0, r.u1, r.a0, r.a1};
      };
      EXPECT_EQ(history(after), history(before));
      // The next velocity segment starts from the last slope before the point.
      EXPECT_FLOAT_EQ(OfColour(got[static_cast<std::size_t>(c.p)], kLightBlue).at(0).y1,
                      -11 * before.s0);
    }
    // Three points on, nothing is left of it.
    for (auto q = static_cast<std::size_t>(c.p) + 2; q < 200; ++q) {
      ASSERT_TRUE(Same(expected[q], got[q])) << "point " << q + 1;
    }
  }
}

}  // namespace
}  // namespace tarsel
