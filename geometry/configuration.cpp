#include "geometry/configuration.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "geometry/language.h"

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

// The four ways a length can be refused, each a whole sentence for its part of the mechanism
// (a translation names the part in the case and gender the sentence needs).
struct LengthWords {
  const char* not_finite;  // the number
  const char* not_above_zero;
  const char* too_short;  // the number, the least length
  const char* too_long;   // the number, the most length
};

// TRANSLATORS: a length of the mechanism that cannot be drawn. %s, %1$s: the number given (as
// typed: with a decimal point); %2$s: the least or the most length.
constexpr LengthWords kGround = {
    TrMark("the fixed line O-Q %s is not a finite number"),
    TrMark("the fixed line O-Q %s is not above 0"),
    TrMark("the fixed line O-Q %1$s is below %2$s, too short to solve for"),
    TrMark("the fixed line O-Q %1$s is above %2$s")};
// TRANSLATORS: a length of the mechanism that cannot be drawn. %s, %1$s: the number given (as
// typed: with a decimal point); %2$s: the least or the most length.
constexpr LengthWords kCrank = {TrMark("the crank O-P %s is not a finite number"),
                                TrMark("the crank O-P %s is not above 0"),
                                TrMark("the crank O-P %1$s is below %2$s, too short to solve for"),
                                TrMark("the crank O-P %1$s is above %2$s")};
// TRANSLATORS: a length of the mechanism that cannot be drawn. %s, %1$s: the number given (as
// typed: with a decimal point); %2$s: the least or the most length.
constexpr LengthWords kCoupler = {
    TrMark("the coupler P-R %s is not a finite number"),
    TrMark("the coupler P-R %s is not above 0"),
    TrMark("the coupler P-R %1$s is below %2$s, too short to solve for"),
    TrMark("the coupler P-R %1$s is above %2$s")};
// TRANSLATORS: a length of the mechanism that cannot be drawn. %s, %1$s: the number given (as
// typed: with a decimal point); %2$s: the least or the most length.
constexpr LengthWords kRocker = {
    TrMark("the rocker Q-R %s is not a finite number"), TrMark("the rocker Q-R %s is not above 0"),
    TrMark("the rocker Q-R %1$s is below %2$s, too short to solve for"),
    TrMark("the rocker Q-R %1$s is above %2$s")};
// TRANSLATORS: a length of the mechanism that cannot be drawn. %s, %1$s: the number given (as
// typed: with a decimal point); %2$s: the least or the most length.
constexpr LengthWords kPistonRadius = {
    TrMark("the piston's crank radius %s is not a finite number"),
    TrMark("the piston's crank radius %s is not above 0"),
    TrMark("the piston's crank radius %1$s is below %2$s, too short to solve for"),
    TrMark("the piston's crank radius %1$s is above %2$s")};
// TRANSLATORS: a length of the mechanism that cannot be drawn. %s, %1$s: the number given (as
// typed: with a decimal point); %2$s: the least or the most length.
constexpr LengthWords kRod = {
    TrMark("the connecting rod %s is not a finite number"),
    TrMark("the connecting rod %s is not above 0"),
    TrMark("the connecting rod %1$s is below %2$s, too short to solve for"),
    TrMark("the connecting rod %1$s is above %2$s")};

// A length of the mechanism: a finite number above 0 and at most kMostLength.
void CheckLength(std::vector<Problem>& problems, std::string_view parameter,
                 const LengthWords& words, double v) {
  const std::string value = NumberText(v);
  if (!std::isfinite(v)) {
    problems.push_back({parameter, Fill(Tr(words.not_finite), {value})});
  } else if (!(v > 0)) {
    problems.push_back({parameter, Fill(Tr(words.not_above_zero), {value})});
  } else if (v < kLeastLength) {
    problems.push_back({parameter, Fill(Tr(words.too_short), {value, NumberText(kLeastLength)})});
  } else if (v > kMostLength) {
    problems.push_back({parameter, Fill(Tr(words.too_long), {value, NumberText(kMostLength)})});
  }
}

}  // namespace

std::vector<Problem> Problems(const Configuration& c) {
  std::vector<Problem> problems;
  CheckLength(problems, "linkage", kGround, c.ground);
  CheckLength(problems, "linkage", kCrank, c.crank);
  CheckLength(problems, "linkage", kCoupler, c.coupler);
  CheckLength(problems, "linkage", kRocker, c.rocker);
  if (!std::isfinite(c.reference)) {
    // TRANSLATORS: %s is the angle given, in degrees.
    problems.push_back({"reference", Fill(Tr("the reference angle %s is not a finite number"),
                                          {NumberText(c.reference)})});
  }
  if (c.assembly != Assembly::kOpen && c.assembly != Assembly::kCrossed) {
    problems.push_back({"assembly", Tr("the assembly is neither open nor crossed")});
  }
  const std::size_t before = problems.size();
  CheckLength(problems, "piston", kPistonRadius, c.piston_radius);
  CheckLength(problems, "piston", kRod, c.rod);
  // A rod no longer than the crank cannot follow it round: the piston pin would have to leave
  // the cylinder's line.
  if (problems.size() == before && !(c.rod > c.piston_radius)) {
    // TRANSLATORS: %1$s the connecting rod's length, %2$s the crank radius of the piston.
    problems.push_back(
        {"piston", Fill(Tr("the connecting rod %1$s is not longer than the crank radius %2$s"),
                        {NumberText(c.rod), NumberText(c.piston_radius)})});
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
