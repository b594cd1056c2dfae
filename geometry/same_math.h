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
}  // namespace same

// The two sets of functions the mechanism's closed forms can be computed with: the C
// library's, which the drawing has always used, and the ones above, for the numbers that the
// desktop and the browser must agree on to the last bit.
struct LibraryMath {
  static double Sin(double x) { return std::sin(x); }
  static double Cos(double x) { return std::cos(x); }
  static double Atan(double x) { return std::atan(x); }
};
struct SameMath {
  static double Sin(double x) { return same::Sin(x); }
  static double Cos(double x) { return same::Cos(x); }
  static double Atan(double x) { return same::Atan(x); }
};

}  // namespace tarsel
