#include "geometry/linkage.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/tolerances.h"

namespace tarsel {
namespace {

using namespace tarsel::testing;

const double kPi = 4 * std::atan(1.0);
constexpr double kWw = 65;

double Offset(double theta) {
  return LinkagePhaseOffset(theta, kWw, kPi);
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
      ASSERT_NEAR(LinkagePhaseOffset(theta, ww, kPi) - ff, 2 * (ww - kWw), kDoubleRounding) << ww;
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
