#pragma once

#include <cstdio>
#include <string>

#include "geometry/profile_tables.h"

// Profile files for the tests: the built-in first table written out as a file would hold it.
namespace tarsel::testing {

// The built-in first table as "angle,lift" rows, angles increasing, every number in 17
// significant digits (reading back to the same double), under a header.
inline std::string BuiltInProfileCsv() {
  ProfileTables t;
  FillProfileTables(t);
  std::string out = "angle,lift\n";
  for (int n = t.last(); n >= ProfileTables::kFirst; --n) {
    char row[80];
    std::snprintf(row, sizeof row, "%.17g,%.17g\n", t.xa[static_cast<std::size_t>(n)],
                  t.ya[static_cast<std::size_t>(n)]);
    out += row;
  }
  return out;
}

// `rows` rows of a smooth lift event over the angles 0, 0.01, 0.02, ...
inline std::string RowsCsv(int rows) {
  std::string out;
  for (int i = 0; i < rows; ++i) {
    const double a = i * 0.01, x = static_cast<double>(i) / rows;
    char row[64];
    std::snprintf(row, sizeof row, "%.17g,%.17g\n", a, 10 * x * (1 - x));
    out += row;
  }
  return out;
}

}  // namespace tarsel::testing
