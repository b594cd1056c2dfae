#pragma once

#include <cmath>

namespace tarsel {

// Sine, cosine and arctangent that give the same bits on every platform. The C libraries do
// not: the desktop's and the browser's round the last bit differently for a few inputs in a
// hundred, which is invisible in a drawing but not in a table whose numbers read back to the
// same double. These use only the basic operations of IEEE double arithmetic (and the square
// root, which is exact everywhere), so the desktop and the browser compute identical numbers
// from identical inputs. They are within a few units in the last place of the true values.
//
// Arguments beyond 2^19 pi/2 (about 823,550) are handed to the C library: the reduction here
// keeps its precision only up to there, and no angle of the animation comes near it.
namespace same {
double Sin(double x);
double Cos(double x);
double Atan(double x);
// The angle of the point (x, y) from the positive x axis, in (-pi, pi]. Right of the y axis it
// is exactly Atan(y / x), so a closed form that only ever had x > 0 keeps its bits; left of it
// Atan(y / x) moved by pi towards the side of y; on the y axis +-pi/2 (0 at the origin).
double Atan2(double y, double x);
}  // namespace same

// The arctangent of two arguments built on Math::Atan: the one construction both sets use.
template <class Math>
double QuadrantArctangent(double y, double x) {
  constexpr double kPi = 0x1.921fb54442d18p+1;
  if (std::isnan(x) || std::isnan(y)) return x + y;
  if (x > 0) return Math::Atan(y / x);
  if (x < 0) return std::signbit(y) ? Math::Atan(y / x) - kPi : Math::Atan(y / x) + kPi;
  if (y == 0) return y;
  return std::signbit(y) ? -kPi / 2 : kPi / 2;
}

// The two sets of functions the mechanism's closed forms can be computed with: the C
// library's, which the drawing has always used, and the ones above, for the numbers that the
// desktop and the browser must agree on to the last bit.
struct LibraryMath {
  static double Sin(double x) { return std::sin(x); }
  static double Cos(double x) { return std::cos(x); }
  static double Atan(double x) { return std::atan(x); }
  static double Atan2(double y, double x) { return QuadrantArctangent<LibraryMath>(y, x); }
};
struct SameMath {
  static double Sin(double x) { return same::Sin(x); }
  static double Cos(double x) { return same::Cos(x); }
  static double Atan(double x) { return same::Atan(x); }
  static double Atan2(double y, double x) { return same::Atan2(y, x); }
};

}  // namespace tarsel
