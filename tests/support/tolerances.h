#pragma once

// How far a computed number may lie from the value a test expects, named for what allows the
// difference. A bare number in a check says nothing of why it is enough.
namespace tarsel::testing {

// The same closed form evaluated in two ways in double precision, on values the size of the
// window's coordinates (at most a few hundred): a few thousand units in the last place.
inline constexpr double kDoubleRounding = 1e-12;

// Agrees with a value quoted to `n` decimal places, to its last digit.
constexpr double Decimals(int n) {
  double t = 1;
  for (int i = 0; i < n; ++i) t /= 10;
  return t;
}

// Rounds to a value quoted with `n` decimal places: within half a unit of its last digit.
constexpr double Rounded(int n) {
  return Decimals(n) / 2;
}

}  // namespace tarsel::testing
