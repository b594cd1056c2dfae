#pragma once

#include <array>

namespace tarsel {

// The built-in lift profile, as two tables of 200 points over indices 1..200.
// Index 0 is never written and reads as 0.
//   xa, ya: lift against a uniform angle scale (degrees) that falls from 105.58 to -102.96,
//           centred on the peak of the lift.
//   xb, yb: the same lift against a non-uniform scale that rises from -101.84 to 100.01.
struct ProfileTables {
  static constexpr int kFirst = 1;
  static constexpr int kLast = 200;
  std::array<double, kLast + 1> xa{};
  std::array<double, kLast + 1> ya{};
  std::array<double, kLast + 1> xb{};
  std::array<double, kLast + 1> yb{};
};

// Stores the 800 built-in constants into indices 1..200 (xa and ya first, then xb and yb).
// Running it again leaves the tables unchanged.
void FillProfileTables(ProfileTables& tables);

}  // namespace tarsel
