#include "geometry/linkage.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/tolerances.h"

namespace tarsel {
namespace {

using namespace tarsel::testing;

const double kPi = 4 * std::atan(1.0);
constexpr double kWw = 65;

// The built-in linkage with reference angle ww.
LinkagePose Pose(double theta, double ww = kWw) {
  Configuration c;
  c.reference = ww;
  return LinkagePoseAt(c, theta, kPi);
}

double Offset(double theta) {
  return Pose(theta).ff;
}

TEST(LinkagePhaseOffset, AtTheQuarterTurns) {
  const double cases[][2] = {
      {0, 3.8307597}, {kPi / 2, 10.6442696}, {kPi, -7.1246156}, {3 * kPi / 2, -13.0318594}};
  for (const auto& c : cases) EXPECT_NEAR(Offset(c[0]), c[1], Decimals(7)) << "theta " << c[0];
}

TEST(LinkagePhaseOffset, RepeatsEveryTurnAndMovesWithTheReferenceAngle) {
  for (int i = 0; i < 720; ++i) {
    const double theta = 2 * kPi * i / 720, ff = Offset(theta);
    for (double turns : {1.0, -1.0, 3.0, -5.0}) {
      ASSERT_NEAR(Offset(theta + turns * 2 * kPi), ff, Decimals(10)) << theta << " + " << turns;
    }
    for (double ww : {0.0, 64.5, 90.0, -30.25}) {
      ASSERT_NEAR(Pose(theta, ww).ff - ff, 2 * (ww - kWw), kDoubleRounding) << ww;
    }
  }
}

TEST(LinkagePhaseOffset, ReachesItsExtremesAtTheKnownAngles) {
  double high = -100, low = 100, at_high = 0, at_low = 0;
  for (int i = 0; i < 360000; ++i) {  // every thousandth of a degree
    const double theta = 2 * kPi * i / 360000, ff = Offset(theta);
    if (ff > high) high = ff, at_high = theta;
    if (ff < low) low = ff, at_low = theta;
  }
  EXPECT_NEAR(high, 13.126, Decimals(3));
  EXPECT_NEAR(at_high * 180 / kPi, 58.4, Decimals(1));
  EXPECT_NEAR(low, -13.487, Decimals(3));
  EXPECT_NEAR(at_low * 180 / kPi, 251.7, Decimals(1));
}

TEST(LinkagePhaseOffset, MatchesTheFormWithTheLibraryInverseSineAndCosine) {
  for (int i = 0; i < 3600; ++i) {
    const double theta = 2 * kPi * i / 3600;
    const double d = std::sqrt(31.5 * 31.5 + 7 * 7 - 2 * 31.5 * 7 * std::cos(theta));
    const double rocker =
        std::asin(7 * std::sin(theta) / d) + std::acos((d * d + 31 * 31 - 25 * 25) / (2 * d * 31));
    const double e = std::sqrt(31 * 31 + 31.5 * 31.5 - 2 * 31 * 31.5 * std::cos(rocker));
    const double phi = std::asin(31 * std::sin(rocker) / e);
    ASSERT_NEAR(Offset(theta), 2 * (kWw - phi * 180 / kPi), kDoubleRounding) << theta;
  }
}

}  // namespace
}  // namespace tarsel

namespace tarsel {
namespace {

double Distance(Joint a, Joint b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// --- The whole pose ------------------------------------------------------------------------

TEST(LinkagePose, EveryPoseClosesTheLinkage) {
  for (int i = -3600; i <= 3600; ++i) {
    const double theta = i * 0.0031;  // a little over three turns either way
    const LinkagePose pose = Pose(theta);
    SCOPED_TRACE(theta);
    EXPECT_EQ(pose.o, (Joint{0, 0}));
    EXPECT_EQ(pose.q, (Joint{31.5, 0}));
    ASSERT_NEAR(Distance(pose.o, pose.p), 7, 1e-9);
    ASSERT_NEAR(Distance(pose.p, pose.r), 25, 1e-9);
    ASSERT_NEAR(Distance(pose.q, pose.r), 31, 1e-9);
    // phi is the direction of OR, and ff is twice its difference from ww.
    ASSERT_NEAR(pose.phi, std::atan2(pose.r.y, pose.r.x) * 180 / kPi, 1e-10);
    ASSERT_EQ(pose.ff, 2 * (kWw - pose.phi));
    // The rocker tip stays above the fixed line, as the linkage is assembled.
    ASSERT_GT(pose.r.y, 0);
  }
}

TEST(LinkagePose, AtTheQuarterTurns) {
  struct Case {
    double theta, d, ff;
  };
  for (const Case& c : {Case{0, 24.5, 3.8307597}, Case{kPi / 2, 32.268406, 10.6442696},
                        Case{kPi, 38.5, -7.1246156}, Case{3 * kPi / 2, 32.268406, -13.0318594}}) {
    const LinkagePose pose = Pose(c.theta);
    SCOPED_TRACE(c.theta);
    EXPECT_NEAR(Distance(pose.p, pose.q), c.d, 1e-6);
    EXPECT_NEAR(pose.ff, c.ff, 1e-7);
    EXPECT_NEAR(pose.phi, kWw - c.ff / 2, 1e-7);
  }
  // At theta = 0 the crank lies along the fixed line: t and alpha are exactly 0.
  const LinkagePose zero = Pose(0);
  EXPECT_EQ(zero.p, (Joint{7, 0}));
}

TEST(LinkagePose, AgreesWithTheCLibraryToTheLastBits) {
  // The pose is solved with the functions that give the same bits everywhere; the same steps
  // with the C library's are a few units in the last place of the angles apart, which the
  // conversion to degrees multiplies by 114.
  for (int i = 0; i < 7200; ++i) {
    const double theta = -20 + i * 0.0061;
    const double d = std::sqrt((31.5 * 31.5 + 7 * 7) - 2 * 31.5 * 7 * std::cos(theta));
    const double t = 7 * std::sin(theta) / d, h = ((d * d + 31 * 31) - 25 * 25) / (2 * d * 31);
    const double rocker = std::atan(t / std::sqrt(1 - t * t)) + std::atan(std::sqrt(1 - h * h) / h);
    const double e = std::sqrt((31 * 31 + 31.5 * 31.5) - 2 * 31 * 31.5 * std::cos(rocker));
    const double w = 31 * std::sin(rocker) / e;
    const double ff = 2 * (kWw - std::atan(w / std::sqrt(1 - w * w)) * 180 / kPi);
    ASSERT_NEAR(Offset(theta), ff, 1e-12) << theta;
  }
}

}  // namespace
}  // namespace tarsel
