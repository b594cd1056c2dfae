#include "geometry/configuration.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarsel {

std::string NumberText(double v) {
  // printf's %.Ng and strtod are exact in both C libraries (glibc's and the browser's), unlike
  // the floating-point std::to_chars, which the browser's C++ library lacks. Most numbers need
  // 15 digits or fewer.
  char text[32];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    if (digits == 17 || std::strtod(text, nullptr) == v) break;
  }
  return text;
}

namespace {

// A length of the mechanism: a finite number above 0 and at most kMostLength.
void CheckLength(std::vector<Problem>& problems, std::string_view parameter, const char* name,
                 double v) {
  const std::string named = std::string(name) + " " + NumberText(v);
  if (!std::isfinite(v)) {
    problems.push_back({parameter, named + " is not a finite number"});
  } else if (!(v > 0)) {
    problems.push_back({parameter, named + " is not above 0"});
  } else if (v < kLeastLength) {
    problems.push_back(
        {parameter, named + " is below " + NumberText(kLeastLength) + ", too short to solve for"});
  } else if (v > kMostLength) {
    problems.push_back({parameter, named + " is above " + NumberText(kMostLength)});
  }
}

}  // namespace

std::vector<Problem> Problems(const Configuration& c) {
  std::vector<Problem> problems;
  CheckLength(problems, "linkage", "the fixed line O-Q", c.ground);
  CheckLength(problems, "linkage", "the crank O-P", c.crank);
  CheckLength(problems, "linkage", "the coupler P-R", c.coupler);
  CheckLength(problems, "linkage", "the rocker Q-R", c.rocker);
  if (!std::isfinite(c.reference)) {
    problems.push_back({"reference", "the reference angle " + NumberText(c.reference) +
                                         " is not a finite number"});
  }
  if (c.assembly != Assembly::kOpen && c.assembly != Assembly::kCrossed) {
    problems.push_back({"assembly", "the assembly is neither open nor crossed"});
  }
  const std::size_t before = problems.size();
  CheckLength(problems, "piston", "the piston's crank radius", c.piston_radius);
  CheckLength(problems, "piston", "the connecting rod", c.rod);
  // A rod no longer than the crank cannot follow it round: the piston pin would have to leave
  // the cylinder's line.
  if (problems.size() == before && !(c.rod > c.piston_radius)) {
    problems.push_back({"piston", "the connecting rod " + NumberText(c.rod) +
                                      " is not longer than the crank radius " +
                                      NumberText(c.piston_radius)});
  }
  return problems;
}

std::string ProblemsLine(const Configuration& c) {
  std::string line;
  for (const Problem& p : Problems(c)) line += (line.empty() ? "" : "; ") + p.text;
  return line;
}

std::string_view NameOf(Assembly assembly) {
  return assembly == Assembly::kCrossed ? "crossed" : "open";
}

bool AssemblyNamed(std::string_view name, Assembly* assembly) {
  for (const Assembly a : {Assembly::kOpen, Assembly::kCrossed}) {
    if (NameOf(a) == name) {
      *assembly = a;
      return true;
    }
  }
  return false;
}

}  // namespace tarsel
