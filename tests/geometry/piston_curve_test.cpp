#include "geometry/piston_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

#include "tests/support/tolerances.h"

namespace tarsel {
namespace {

using namespace tarsel::testing;

const double kPi = 4 * std::atan(1.0);
const Configuration kBuiltIn;

std::vector<PistonSegment> Walk() {
  std::vector<PistonSegment> segments;
  ForEachPistonSegment(kBuiltIn, kPi, [&](const PistonSegment& s) { segments.push_back(s); });
  return segments;
}

// Crank angle at which a segment ends, recovered from its abscissa.
double EndAngle(const PistonSegment& s) {
  return (s.x2 - piston::kOriginX) * kPi / 90;
}

// --- Height and position of single crank angles --------------------------------------------

TEST(PistonHeight, IsLargestAtBottomDeadCentre) {
  // With the crank pointing away from the cylinder the pin is 100 - 25.5 from the crank centre.
  EXPECT_NEAR(PistonHeight(kBuiltIn, -kPi), 55.85, kDoubleRounding);
  EXPECT_NEAR(PistonHeight(kBuiltIn, kPi), 55.85, kDoubleRounding);
  EXPECT_NEAR(PistonX(-kPi, kPi), -75, kDoubleRounding);
  EXPECT_NEAR(PistonX(kPi, kPi), 105, kDoubleRounding);
}

TEST(PistonHeight, IsTheOffsetAtTopDeadCentre) {
  EXPECT_NEAR(PistonHeight(kBuiltIn, 0), 4.85, kDoubleRounding);
  EXPECT_NEAR(PistonX(0, kPi), 15, kDoubleRounding);
}

TEST(PistonHeight, AtQuarterTurnsIncludesTheRodAngularity) {
  // Not the midpoint 30.35 of the stroke: the rod's tilt lowers the pin by 100 - sqrt(100^2 -
  // 25.5^2), so the piston is past half travel when the crank is square to the cylinder.
  EXPECT_NEAR(PistonHeight(kBuiltIn, kPi / 2), 33.6558947, Decimals(7));
  EXPECT_NEAR(PistonHeight(kBuiltIn, -kPi / 2), 33.6558947, Decimals(7));
  EXPECT_NEAR(PistonX(kPi / 2, kPi), 60, kDoubleRounding);
  EXPECT_NEAR(PistonX(-kPi / 2, kPi), -30, kDoubleRounding);
}

// --- The walk over one and a half crank turns ----------------------------------------------

TEST(PistonWalk, EmitsTheFixedNumberOfSegments) {
  EXPECT_EQ(Walk().size(), 943u);
  EXPECT_EQ(Walk().size(), static_cast<std::size_t>(piston::kSegments));
}

TEST(PistonWalk, FirstSegmentRisesFromTheAxisToTheCurve) {
  const PistonSegment first = Walk().front();
  EXPECT_NEAR(first.x1, -75.2865, Decimals(4));
  EXPECT_NEAR(first.x1, -75 - 0.9 / kPi, kDoubleRounding);
  EXPECT_EQ(first.y1, 0.0);
  EXPECT_NEAR(first.x2, -75, kDoubleRounding);
  EXPECT_NEAR(first.y2, 55.85, kDoubleRounding);
}

TEST(PistonWalk, SegmentsJoinEndToEnd) {
  // Each start abscissa is computed afresh from theta - 0.01 rather than copied from the
  // previous end, so the two agree only to rounding; the heights are handed over exactly.
  const std::vector<PistonSegment> segments = Walk();
  for (std::size_t k = 1; k < segments.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(segments[k].x1, segments[k - 1].x2, Decimals(9));
    EXPECT_EQ(segments[k].y1, segments[k - 1].y2);
  }
  for (const PistonSegment& s : segments) {
    EXPECT_NEAR(s.x2 - s.x1, 0.9 / kPi, Decimals(9));
  }
}

TEST(PistonWalk, StaysBetweenTopAndBottomOfTheStroke) {
  for (const PistonSegment& s : Walk()) {
    EXPECT_GE(s.y2, 4.85 - 1e-12);
    EXPECT_LE(s.y2, 55.85 + 1e-12);
  }
}

TEST(PistonWalk, PassesJustBeforeTopDeadCentre) {
  // Repeated addition of 0.01 from -pi never lands on 0; the nearest point is 0.0015927 short.
  const std::vector<PistonSegment> segments = Walk();
  const PistonSegment* nearest = &segments.front();
  for (const PistonSegment& s : segments) {
    if (std::abs(s.x2 - 15) < std::abs(nearest->x2 - 15)) nearest = &s;
  }
  EXPECT_NEAR(EndAngle(*nearest), -0.0015927, Decimals(7));
  EXPECT_NEAR(nearest->x2, 14.954, Decimals(3));
  EXPECT_NEAR(nearest->y2, 4.8500406, Decimals(7));
}

TEST(PistonWalk, StraddlesBottomDeadCentre) {
  const std::vector<PistonSegment> segments = Walk();
  std::size_t after = 0;
  while (segments[after].x2 <= 105) ++after;
  ASSERT_GT(after, 0u);
  const double below = kPi - EndAngle(segments[after - 1]);
  const double above = EndAngle(segments[after]) - kPi;
  EXPECT_NEAR(below, 0.0032, Decimals(4));
  EXPECT_NEAR(above, 0.0068, Decimals(4));
  EXPECT_LT(segments[after - 1].y2, 55.85);
  EXPECT_LT(segments[after].y2, 55.85);
}

TEST(PistonWalk, EndsShortOfTwoPi) {
  const PistonSegment last = Walk().back();
  const double theta = EndAngle(last);
  EXPECT_NEAR(theta, 6.2784, Decimals(4));
  EXPECT_LT(theta, 2 * kPi);
  EXPECT_GT(theta + piston::kStep, 2 * kPi);
  EXPECT_NEAR(last.x2, 194.86, Decimals(2));
  EXPECT_NEAR(last.y2, 4.8504, Decimals(4));
}

TEST(PistonWalk, IsTheSameEveryTime) {
  const std::vector<PistonSegment> a = Walk();
  const std::vector<PistonSegment> b = Walk();
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t k = 0; k < a.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(a[k].x1, b[k].x1);
    EXPECT_EQ(a[k].y1, b[k].y1);
    EXPECT_EQ(a[k].x2, b[k].x2);
    EXPECT_EQ(a[k].y2, b[k].y2);
  }
}

}  // namespace
}  // namespace tarsel

namespace tarsel {
namespace {

// --- The slider-crank at one crank angle ----------------------------------------------------

TEST(PistonPose, ClosesTheSliderCrankAndGivesTheCurvesValue) {
  for (int i = -1000; i <= 2000; ++i) {
    const double theta = i * 0.00628;
    const PistonPose pose = PistonPoseAt(kBuiltIn, theta);
    SCOPED_TRACE(theta);
    ASSERT_NEAR(std::hypot(pose.crank_pin.x, pose.crank_pin.y), 25.5, 1e-9);
    ASSERT_NEAR(
        std::hypot(pose.piston_pin.x - pose.crank_pin.x, pose.piston_pin.y - pose.crank_pin.y), 100,
        1e-9);
    ASSERT_EQ(pose.piston_pin.y, 0);
    ASSERT_NEAR(pose.height, PistonHeight(kBuiltIn, theta), 1e-12);
    ASSERT_NEAR(pose.height - pose.travel, 4.85, 1e-12);
    ASSERT_GE(pose.travel, -1e-12);
    ASSERT_LE(pose.travel, 51 + 1e-12);
  }
}

TEST(PistonPose, AtTheEdgesOfTheStroke) {
  const PistonPose top = PistonPoseAt(kBuiltIn, 0);
  EXPECT_EQ(top.travel, 0);
  EXPECT_NEAR(top.height, 4.85, 1e-12);
  EXPECT_EQ(top.piston_pin, (Joint{125.5, 0}));
  for (const double bottom : {kPi, -kPi}) {
    EXPECT_NEAR(PistonPoseAt(kBuiltIn, bottom).travel, 51, 1e-12);
    EXPECT_NEAR(PistonPoseAt(kBuiltIn, bottom).height, 55.85, 1e-12);
    EXPECT_NEAR(PistonPoseAt(kBuiltIn, bottom).piston_pin.x, 74.5, 1e-12);
  }
  EXPECT_NEAR(PistonPoseAt(kBuiltIn, kPi / 2).height, 33.6558947, 1e-7);
  EXPECT_NEAR(PistonPoseAt(kBuiltIn, -kPi / 2).height, 33.6558947, 1e-7);
}

TEST(PistonAngleAt, UndoesThePlotPosition) {
  EXPECT_EQ(PistonAngleAt(15, kPi), 0);
  EXPECT_NEAR(PistonAngleAt(105, kPi), kPi, 1e-15);
  EXPECT_NEAR(PistonAngleAt(-75, kPi), -kPi, 1e-15);
  EXPECT_NEAR(PistonAngleAt(60, kPi), kPi / 2, 1e-15);
  for (int i = -100; i <= 300; ++i) {
    ASSERT_NEAR(PistonX(PistonAngleAt(i * 0.7, kPi), kPi), i * 0.7, 1e-12);
  }
}

}  // namespace
}  // namespace tarsel
