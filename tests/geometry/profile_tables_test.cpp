#include "geometry/profile_tables.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/tolerances.h"

namespace tarsel {
namespace {

using namespace tarsel::testing;

constexpr int kFirst = ProfileTables::kFirst;
constexpr int kLast = ProfileTables::kBuiltInLast;

// The peak of the lift, and the last point of the uniform run that precedes the irregular
// stretch of the first angle scale together with the first point of the run that follows it.
constexpr int kPeak = 101;
constexpr int kIrregularFrom = 26;
constexpr int kIrregularTo = 47;

const ProfileTables& Filled() {
  static const ProfileTables tables = [] {
    ProfileTables t;
    FillProfileTables(t);
    return t;
  }();
  return tables;
}

// Step of the first scale from i to i + 1 (positive: the scale falls).
double XaStep(int i) {
  return Filled().xa[i] - Filled().xa[i + 1];
}

// Step of the second scale from i to i + 1 (positive: the scale rises).
double XbStep(int i) {
  return Filled().xb[i + 1] - Filled().xb[i];
}

// --- Filling -------------------------------------------------------------------------------

TEST(ProfileTablesFill, LeavesIndexZeroEmptyInAllFourColumns) {
  const ProfileTables& t = Filled();
  EXPECT_EQ(t.xa[0], 0.0);
  EXPECT_EQ(t.ya[0], 0.0);
  EXPECT_EQ(t.xb[0], 0.0);
  EXPECT_EQ(t.yb[0], 0.0);
}

TEST(ProfileTablesFill, NeverWritesIndexZero) {
  // A fill that is off by one would overwrite a sentinel placed in slot 0.
  ProfileTables t;
  t.xa[0] = t.ya[0] = t.xb[0] = t.yb[0] = 12345.0;
  FillProfileTables(t);
  EXPECT_EQ(t.xa[0], 12345.0);
  EXPECT_EQ(t.ya[0], 12345.0);
  EXPECT_EQ(t.xb[0], 12345.0);
  EXPECT_EQ(t.yb[0], 12345.0);
  EXPECT_EQ(t.xa[kFirst], Filled().xa[kFirst]);
  EXPECT_EQ(t.yb[kLast], Filled().yb[kLast]);
}

TEST(ProfileTablesFill, SecondFillLeavesEveryElementUnchanged) {
  ProfileTables once;
  FillProfileTables(once);
  ProfileTables twice;
  FillProfileTables(twice);
  FillProfileTables(twice);
  for (int i = 0; i <= kLast; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(once.xa[i], twice.xa[i]);
    EXPECT_EQ(once.ya[i], twice.ya[i]);
    EXPECT_EQ(once.xb[i], twice.xb[i]);
    EXPECT_EQ(once.yb[i], twice.yb[i]);
  }
}

TEST(ProfileTablesFill, BothTablesCarryTheSameLift) {
  const ProfileTables& t = Filled();
  for (int i = kFirst; i <= kLast; ++i) {
    EXPECT_EQ(t.yb[i], t.ya[i]) << "i = " << i;
  }
}

// --- Lift ----------------------------------------------------------------------------------

TEST(ProfileLift, IsZeroOutsideTheEventAndPositiveInside) {
  const ProfileTables& t = Filled();
  for (int i = kFirst; i <= kLast; ++i) {
    const bool inside = i >= 4 && i <= 194;
    if (inside) {
      EXPECT_GT(t.ya[i], 0.0) << "i = " << i;
    } else {
      EXPECT_EQ(t.ya[i], 0.0) << "i = " << i;
    }
  }
  EXPECT_EQ(t.ya[4], 0.002);
  EXPECT_EQ(t.ya[194], 0.001);
}

TEST(ProfileLift, RisesToASinglePeakAndFallsAfterIt) {
  const ProfileTables& t = Filled();
  for (int i = 4; i < kPeak; ++i) {
    EXPECT_LT(t.ya[i], t.ya[i + 1]) << "rise at i = " << i;
  }
  for (int i = kPeak; i < 194; ++i) {
    EXPECT_GT(t.ya[i], t.ya[i + 1]) << "fall at i = " << i;
  }
  EXPECT_EQ(t.ya[kPeak], 9.574539564);
  for (int i = kFirst; i <= kLast; ++i) {
    if (i != kPeak) {
      EXPECT_LT(t.ya[i], t.ya[kPeak]) << "i = " << i;
    }
  }
}

TEST(ProfileLift, IsSmoothAlongTheTable) {
  // The lift is a smooth cam curve sampled about a degree apart, so its third difference stays
  // around 0.002 at most (largest where it leaves zero and where the first scale is irregular).
  // A wrong digit in any of the first three decimals of a lift value breaks this.
  const ProfileTables& t = Filled();
  for (int i = kFirst; i + 3 <= kLast; ++i) {
    const double d3 = t.ya[i + 3] - 3 * t.ya[i + 2] + 3 * t.ya[i + 1] - t.ya[i];
    EXPECT_LT(std::abs(d3), 2.5e-3) << "third difference from i = " << i;
  }
}

// --- First angle scale ---------------------------------------------------------------------

TEST(ProfileFirstScale, FallsAtEveryStepAndCrossesZeroJustAfterThePeak) {
  const ProfileTables& t = Filled();
  for (int i = kFirst; i < kLast; ++i) {
    EXPECT_GT(t.xa[i], t.xa[i + 1]) << "i = " << i;
  }
  EXPECT_EQ(t.xa[kFirst], 105.58);
  EXPECT_EQ(t.xa[kLast], -102.9599331);
  EXPECT_EQ(t.xa[kPeak], 0.000066853);
  EXPECT_EQ(t.xa[kPeak + 1], -1.039933147);
}

TEST(ProfileFirstScale, StepsAreUniformOutsideTheIrregularStretch) {
  for (int i = kFirst; i < kLast; ++i) {
    if (i >= kIrregularFrom && i < kIrregularTo) continue;
    EXPECT_NEAR(XaStep(i), 1.04, Rounded(7)) << "step from i = " << i;
  }
  // Across the stretch the scale falls 1.57993315 more than 21 uniform steps would.
  EXPECT_NEAR(Filled().xa[kIrregularFrom] - Filled().xa[kIrregularTo], 23.41993315, Decimals(9));
}

TEST(ProfileFirstScale, UniformRunsKeepTheirRoundingPrecision) {
  // Before the irregular stretch the values are exact two-decimal counts down from 105.58.
  // After it they follow 104.000066853 - 1.04 (i - 1), whose ninth decimal is always 3: kept
  // around the peak (i = 90..109), dropped elsewhere (eight decimals), and at the far end
  // (i = 196..200, seven decimals) ...9331 stands for ...933147.
  const ProfileTables& t = Filled();
  for (int i = kFirst; i <= kIrregularFrom; ++i) {
    EXPECT_NEAR(t.xa[i], 105.58 - 1.04 * (i - 1), kDoubleRounding) << "i = " << i;
  }
  for (int i = kIrregularTo; i <= kLast; ++i) {
    const double exact = 104.000066853 - 1.04 * (i - 1);
    double rounding = -3e-9;
    if (i >= 90 && i <= 109) rounding = 0;
    if (i >= 196) rounding = 4.7e-8;
    EXPECT_NEAR(t.xa[i] - exact, rounding, kDoubleRounding) << "i = " << i;
  }
}

TEST(ProfileFirstScale, IrregularStepsWidenThenNarrowSmoothly) {
  // The twenty points between i = 26 and 47 are spaced wider than 1.04, widest at 35..36.
  constexpr int kWidest = 35;
  for (int i = kIrregularFrom; i < kIrregularTo; ++i) {
    EXPECT_GT(XaStep(i), 1.04) << "step from i = " << i;
    EXPECT_LT(XaStep(i), 1.2) << "step from i = " << i;
  }
  for (int i = kIrregularFrom; i < kWidest; ++i) {
    EXPECT_LT(XaStep(i), XaStep(i + 1)) << "widening from i = " << i;
  }
  for (int i = kWidest; i + 1 < kIrregularTo; ++i) {
    EXPECT_GT(XaStep(i), XaStep(i + 1)) << "narrowing from i = " << i;
  }
  EXPECT_NEAR(XaStep(kIrregularFrom), 1.04336454, Decimals(9));
  EXPECT_NEAR(XaStep(kWidest), 1.19003063, Decimals(9));
  EXPECT_NEAR(XaStep(kIrregularTo - 1), 1.04000729, Decimals(9));
}

// --- Second angle scale --------------------------------------------------------------------

TEST(ProfileSecondScale, RisesAtEveryStepAndCrossesZeroAfterThePeak) {
  const ProfileTables& t = Filled();
  for (int i = kFirst; i < kLast; ++i) {
    EXPECT_LT(t.xb[i], t.xb[i + 1]) << "i = " << i;
  }
  for (int i = kFirst; i <= kLast; ++i) {
    if (i <= 113) {
      EXPECT_LT(t.xb[i], 0.0) << "i = " << i;
    } else {
      EXPECT_GT(t.xb[i], 0.0) << "i = " << i;
    }
  }
  EXPECT_EQ(t.xb[kFirst], -101.8395);
  EXPECT_EQ(t.xb[kPeak], -12.9894152207401);
  EXPECT_EQ(t.xb[113], -0.9407896364255);
  EXPECT_EQ(t.xb[114], 0.0812656554933);
  EXPECT_EQ(t.xb[kLast], 100.01164708353656);
}

TEST(ProfileSecondScale, StepsGrowFromNarrowestNearTheStartToWidestAtTheEnd) {
  double narrowest = XbStep(kFirst);
  double widest = XbStep(kFirst);
  for (int i = kFirst; i < kLast; ++i) {
    if (i >= 8 && i <= 10) {
      EXPECT_NEAR(XbStep(i), 0.8136, Decimals(9)) << "step from i = " << i;
    } else {
      EXPECT_GT(XbStep(i), 0.8136 + 1e-9) << "step from i = " << i;
    }
    narrowest = std::fmin(narrowest, XbStep(i));
    widest = std::fmax(widest, XbStep(i));
  }
  EXPECT_NEAR(narrowest, 0.8136, Decimals(9));
  EXPECT_EQ(widest, XbStep(kLast - 1));
  EXPECT_NEAR(widest, 1.3055909753146437, kDoubleRounding);
}

TEST(ProfileSecondScale, StepRatioToTheFirstScaleChangesSmoothly) {
  // The second scale is a smooth function of the first, so |dxb/dxa| taken step by step is a
  // smooth curve, from about 0.7845 to about 1.2554, even across the irregular stretch of xa.
  // Its third difference stays below 6e-5 wherever both scales carry many digits; where it
  // reaches into xb(1..26), which carry only four decimals, the rounding alone moves it by up
  // to 7e-4.
  // A wrong digit down to the fourth decimal of any xb value, or of an xa value in the
  // irregular stretch, shows up here.
  double ratio[kLast] = {};  // ratio[i]: step from i to i + 1
  for (int i = kFirst; i < kLast; ++i) ratio[i] = XbStep(i) / XaStep(i);

  EXPECT_NEAR(ratio[kFirst], 0.7845, Rounded(4));
  EXPECT_NEAR(ratio[kLast - 1], 1.2554, Rounded(4));
  for (int i = kFirst; i < kLast; ++i) {
    EXPECT_GT(ratio[i], 0.78) << "i = " << i;
    EXPECT_LT(ratio[i], 1.26) << "i = " << i;
  }
  constexpr int kLastFourDecimal = 26;
  for (int i = kFirst; i + 3 < kLast; ++i) {
    const double d3 = ratio[i + 3] - 3 * ratio[i + 2] + 3 * ratio[i + 1] - ratio[i];
    const double bound = i <= kLastFourDecimal ? 1e-3 : 1e-4;
    EXPECT_LT(std::abs(d3), bound) << "third difference from step i = " << i;
  }
}

// --- Both scales over the lift event -------------------------------------------------------

TEST(ProfileScales, SpanTheLiftEventAsExpected) {
  // On the second scale the event is shorter, its rise compressed and its fall stretched.
  const ProfileTables& t = Filled();
  EXPECT_NEAR(t.xa[4] - t.xa[194], 199.17993315, Decimals(9));
  EXPECT_NEAR(t.xa[4] - t.xa[kPeak], 102.459933147, Decimals(9));
  EXPECT_NEAR(t.xa[kPeak] - t.xa[194], 96.720000003, Decimals(9));
  EXPECT_NEAR(t.xb[194] - t.xb[4], 191.61198425672727, Decimals(10));
  EXPECT_NEAR(t.xb[kPeak] - t.xb[4], 86.4039847792599, Decimals(10));
  EXPECT_NEAR(t.xb[194] - t.xb[kPeak], 105.20799947746737, Decimals(10));
}

}  // namespace
}  // namespace tarsel
