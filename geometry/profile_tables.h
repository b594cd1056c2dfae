#pragma once

#include <span>
#include <vector>

namespace tarsel {

// A lift profile as two tables over indices 1..last() (index 0 is never written and reads as 0):
//   xa, ya: the lift against the first angle scale (degrees), falling with the index;
//   xb, yb: the same lift against the second scale, rising with the index.
// The built-in profile has 200 points: xa falls uniformly from 105.58 to -102.96, centred on
// the peak of the lift, and xb rises unevenly from -101.84 to 100.01. A profile read from a
// file has as many points as the file has rows. A table that holds nothing yet has the built-in
// number of points, all 0.
struct ProfileTables {
  static constexpr int kFirst = 1;
  static constexpr int kBuiltInLast = 200;
  std::vector<double> xa = std::vector<double>(kBuiltInLast + 1);
  std::vector<double> ya = std::vector<double>(kBuiltInLast + 1);
  std::vector<double> xb = std::vector<double>(kBuiltInLast + 1);
  std::vector<double> yb = std::vector<double>(kBuiltInLast + 1);

  // The index of the last point: the passes run from kFirst to it.
  int last() const { return static_cast<int>(xa.size()) - 1; }
  friend bool operator==(const ProfileTables&, const ProfileTables&) = default;
};

// Stores the 800 built-in constants into indices 1..200 (xa and ya first, then xb and yb).
// Running it again leaves the tables unchanged.
void FillProfileTables(ProfileTables& tables);

// The tables of a profile given as lifts against angles (degrees, strictly increasing, as
// many lifts as angles), stored as the built-in ones are: the first table's angles falling
// (xa[n] is the angle of row N + 1 - n, ya[n] its lift), the second mirrored, xb[n] = -xa[n]
// and yb = ya. The red and the green curve then coincide at x = 65 + angle, and the blue trace
// shows the linkage's re-timing alone.
ProfileTables TablesOf(std::span<const double> angles, std::span<const double> lifts);

}  // namespace tarsel
