#include "geometry/same_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tarsel {
namespace {

// How many representable doubles lie between a and b.
std::int64_t UlpsApart(double a, double b) {
  std::int64_t ia, ib;
  std::memcpy(&ia, &a, sizeof a);
  std::memcpy(&ib, &b, sizeof b);
  if (ia < 0) ia = std::numeric_limits<std::int64_t>::min() - ia;
  if (ib < 0) ib = std::numeric_limits<std::int64_t>::min() - ib;
  return ia > ib ? ia - ib : ib - ia;
}

// Within `ulps` of the C library's value, or within `floor` of it where the value is near 0
// (there an ulp is tiny, and the error of the argument's reduction is what counts).
void ExpectClose(double got, double library, int ulps, double floor, double x) {
  if (std::abs(got - library) <= floor) return;
  EXPECT_LE(UlpsApart(got, library), ulps) << "x = " << x << ": " << got << " vs " << library;
}

TEST(SameMath, SineAndCosineAgreeWithTheLibraryToAFewUlps) {
  const double kFloor = 4e-16;
  // Every angle the animation uses lies well within +-1000; the quadrant boundaries and the
  // reduction's extremes are taken on purpose.
  for (int i = -500000; i <= 500000; ++i) {
    const double x = i * 0.00200003;
    ExpectClose(same::Sin(x), std::sin(x), 2, kFloor, x);
    ExpectClose(same::Cos(x), std::cos(x), 2, kFloor, x);
  }
  const double pi = 4 * std::atan(1.0);
  for (int n = -64; n <= 64; ++n) {
    for (const double x : {n * pi / 4, std::nextafter(n * pi / 4, 1e9), n * pi / 2 + 1e-9,
                           n * 12345.678, 823549.0 - n}) {
      ExpectClose(same::Sin(x), std::sin(x), 2, 4e-16 * (1 + std::abs(x) / 1000), x);
      ExpectClose(same::Cos(x), std::cos(x), 2, 4e-16 * (1 + std::abs(x) / 1000), x);
    }
  }
  EXPECT_EQ(same::Sin(0.0), 0.0);
  EXPECT_EQ(same::Cos(0.0), 1.0);
  EXPECT_TRUE(std::signbit(same::Sin(-0.0)));
  EXPECT_EQ(same::Sin(1e-300), 1e-300);
}

TEST(SameMath, ArctangentAgreesWithTheLibraryToAFewUlps) {
  for (int i = -400000; i <= 400000; ++i) {
    const double x = i * 0.0000250007;  // across tan(pi/8) and 1, where the reductions switch
    ExpectClose(same::Atan(x), std::atan(x), 2, 1e-300, x);
  }
  for (int e = -30; e <= 30; ++e) {
    const double x = std::ldexp(1.2345, e);
    ExpectClose(same::Atan(x), std::atan(x), 2, 1e-300, x);
    ExpectClose(same::Atan(-x), std::atan(-x), 2, 1e-300, -x);
  }
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(same::Atan(inf), std::atan(inf));
  EXPECT_EQ(same::Atan(-inf), -std::atan(inf));
  EXPECT_TRUE(std::signbit(same::Atan(-0.0)));
  EXPECT_TRUE(std::isnan(same::Atan(std::nan(""))));
}

TEST(SameMath, BeyondTheReducedRangeTheLibraryAnswers) {
  for (const double x : {1e6, -3.5e7, 1e300}) {
    EXPECT_EQ(same::Sin(x), std::sin(x));
    EXPECT_EQ(same::Cos(x), std::cos(x));
  }
  EXPECT_TRUE(std::isnan(same::Sin(std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(same::Cos(std::nan(""))));
}

}  // namespace
}  // namespace tarsel
