#include "geometry/same_math.h"

#include <array>
#include <cmath>
#include <limits>

namespace tarsel::same {

namespace {

// pi/2 in three parts. The first two have 33 significant bits, so that n times either is exact
// for |n| < 2^20; the third is the rest, rounded. x - n pi/2 then loses nothing to
// cancellation, whatever the quadrant.
constexpr double kHalfPi1 = 0x1.921fb544p+0;
constexpr double kHalfPi2 = 0x1.0b4611a6p-34;
constexpr double kHalfPi3 = 0x1.3198a2e037073p-69;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kHalfPi = 0x1.921fb54442d18p+0;
constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
// The reduction is exact while n stays below 2^20.
constexpr double kLargestReduced = 0x1p19 * kHalfPi;
// tan(pi/8): below it the arctangent's series converges fast enough.
constexpr double kTanEighthPi = 0x1.a827999fcef32p-2;

// 1/n!, computed once by the compiler in IEEE double arithmetic (the same in every compiler).
constexpr double InverseFactorial(int n) {
  double f = 1;
  for (int i = 2; i <= n; ++i) f *= i;
  return 1 / f;
}

// Taylor coefficients of sin r = r + r z (s[0] + z s[1] + ...) and cos r = 1 - z/2 + z^2 (c[0]
// + z c[1] + ...), z = r^2. For |r| <= pi/4 the first term left out is below 1e-27 of the
// result.
template <int kFirst, int kTerms>
constexpr std::array<double, kTerms> Alternating(double first_sign) {
  std::array<double, kTerms> a{};
  for (int i = 0; i < kTerms; ++i) {
    a[i] = (i % 2 == 0 ? first_sign : -first_sign) * InverseFactorial(kFirst + 2 * i);
  }
  return a;
}
constexpr auto kSinTerms = Alternating<3, 11>(-1);  // -1/3!, +1/5!, ..., -1/23!
constexpr auto kCosTerms = Alternating<4, 11>(1);   // +1/4!, -1/6!, ..., +1/24!

// Arctangent series u - u^3/3 + u^5/5 - ...: for |u| <= tan(pi/8) the first term left out is
// below 1e-18 of the result.
constexpr std::array<double, 22> ArctangentTerms() {
  std::array<double, 22> a{};
  for (int i = 0; i < 22; ++i) a[i] = (i % 2 == 0 ? -1.0 : 1.0) / (2 * i + 3);
  return a;
}
constexpr auto kAtanTerms = ArctangentTerms();

template <std::size_t N>
double Horner(const std::array<double, N>& a, double z) {
  double sum = a[N - 1];
  for (std::size_t i = N - 1; i-- > 0;) sum = a[i] + z * sum;
  return sum;
}

// For |r| <= pi/4.
double SinKernel(double r) {
  const double z = r * r;
  return r + r * z * Horner(kSinTerms, z);
}

double CosKernel(double r) {
  const double z = r * r, half = 0.5 * z;
  const double w = 1 - half;
  // (1 - w) - half is what the rounding of w lost; added back, it keeps the error below an
  // ulp where z/2 is large.
  return w + (((1 - w) - half) + z * z * Horner(kCosTerms, z));
}

// x - n pi/2 with n the nearest whole number to x 2/pi, and n itself.
double Reduce(double x, long* n) {
  const double k = std::floor(x * kTwoOverPi + 0.5);
  *n = static_cast<long>(k);
  return ((x - k * kHalfPi1) - k * kHalfPi2) - k * kHalfPi3;
}

}  // namespace

double Sin(double x) {
  if (x == 0) return x;                                       // keeps the sign of -0
  if (!(std::abs(x) <= kLargestReduced)) return std::sin(x);  // NaN and infinities too
  long n = 0;
  const double r = Reduce(x, &n);
  switch (n & 3) {
    case 0:
      return SinKernel(r);
    case 1:
      return CosKernel(r);
    case 2:
      return -SinKernel(r);
    default:
      return -CosKernel(r);
  }
}

double Cos(double x) {
  if (!(std::abs(x) <= kLargestReduced)) return std::cos(x);
  long n = 0;
  const double r = Reduce(x, &n);
  switch (n & 3) {
    case 0:
      return CosKernel(r);
    case 1:
      return -SinKernel(r);
    case 2:
      return -CosKernel(r);
    default:
      return SinKernel(r);
  }
}

double Atan(double x) {
  if (std::isnan(x)) return x;
  double a = std::abs(x);
  // atan a = pi/2 - atan(1/a) above 1, and pi/4 + atan((a - 1)/(a + 1)) above tan(pi/8).
  const bool inverted = a > 1;
  if (inverted) a = 1 / a;
  double base = 0, u = a;
  if (a > kTanEighthPi) {
    base = kQuarterPi;
    u = (a - 1) / (a + 1);
  }
  const double z = u * u;
  double y = base + (u + u * z * Horner(kAtanTerms, z));
  if (inverted) y = kHalfPi - y;
  return std::signbit(x) ? -y : y;
}

double Atan2(double y, double x) {
  return QuadrantArctangent<SameMath>(y, x);
}

}  // namespace tarsel::same
