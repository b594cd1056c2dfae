#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/language.h"

namespace tarsel {

// How the four-bar is put together: for the same crank angle the coupler and the rocker meet at
// one of two points R, mirror images of each other in the line P-Q. Open is the way the built-in
// linkage stands (R on the side of P-Q away from O); crossed is the other one.
enum class Assembly : std::uint8_t { kOpen, kCrossed };

// The mechanism the animation draws, with the built-in numbers as its defaults: the four-bar
// (crank pivot O and rocker pivot Q on the fixed line, crank O-P, coupler P-R, rocker Q-R, and
// the reference angle of the phase offset ff = 2 (reference - phi)) and the slider-crank of the
// piston (crank radius and connecting rod). Lengths are in the mechanism's own units, angles in
// degrees. This is the one home of these numbers: every reader takes them from here.
struct Configuration {
  double ground = 31.5;  // the fixed line O-Q
  double crank = 7;      // O-P, the input
  double coupler = 25;   // P-R
  double rocker = 31;    // Q-R
  double reference = 65;
  Assembly assembly = Assembly::kOpen;
  double piston_radius = 25.5;  // the engine's crank
  double rod = 100;             // the connecting rod

  friend bool operator==(const Configuration&, const Configuration&) = default;
};

// The largest length a configuration may have: far beyond any lesson, small enough that every
// square and sum of the closed forms stays exact to the digits a student reads. And the
// smallest: a length above 0 but so short that its square would vanish in double precision
// leaves the closed forms 0 / 0.
inline constexpr double kMostLength = 10000;
inline constexpr double kLeastLength = 1e-6;

// The numbers of a configuration as a panel offers them: the key the page names its field by
// ("explore-" + key), what it is, and the span of its slider (a typed value may go beyond, up
// to what the check allows), which holds the built-in value on a whole step. The names are marked
// for the catalogue; the panels pass them through Tr().
struct ConfigurationField {
  std::string_view key;
  std::string_view name;
  double low, high, step;
  double Configuration::*value;
};
inline constexpr ConfigurationField kConfigurationFields[] = {
    // TRANSLATORS: a field's and its slider's name in the configuration panel; O, P, Q, R are
    // the points' names in the picture, kept as they are.
    {"ground", TrMark("fixed line O-Q"), 0.5, 80, 0.5, &Configuration::ground},
    // TRANSLATORS: a field's and its slider's name in the configuration panel; O, P, Q, R are
    // the points' names in the picture, kept as they are.
    {"crank", TrMark("crank O-P"), 0.5, 80, 0.5, &Configuration::crank},
    // TRANSLATORS: a field's and its slider's name in the configuration panel; O, P, Q, R are
    // the points' names in the picture, kept as they are.
    {"coupler", TrMark("coupler P-R"), 0.5, 80, 0.5, &Configuration::coupler},
    // TRANSLATORS: a field's and its slider's name in the configuration panel; O, P, Q, R are
    // the points' names in the picture, kept as they are.
    {"rocker", TrMark("rocker Q-R"), 0.5, 80, 0.5, &Configuration::rocker},
    // TRANSLATORS: a field's and its slider's name in the configuration panel.
    {"reference", TrMark("reference angle, degrees"), -180, 180, 0.5, &Configuration::reference},
    // TRANSLATORS: a field's and its slider's name in the configuration panel.
    {"piston-radius", TrMark("piston's crank radius"), 0.5, 80, 0.5, &Configuration::piston_radius},
    // TRANSLATORS: a field's and its slider's name in the configuration panel.
    {"rod", TrMark("connecting rod"), 1, 300, 0.5, &Configuration::rod},
};

inline bool IsBuiltIn(const Configuration& c) {
  return c == Configuration{};
}

// A reason the configuration cannot be drawn, in words that name the value ("the crank O-P 0 is
// not above 0"), and the parameter of a link or command line that carries it: "linkage"
// (the four lengths), "reference", "assembly" or "piston" (crank radius and rod).
struct Problem {
  std::string_view parameter;
  std::string text;
};
// Every reason; empty when it can be drawn. A linkage that closes at no crank angle is not
// among them: it is drawn, and explained (geometry/linkage_analysis.h).
std::vector<Problem> Problems(const Configuration& c);
// The same reasons as one line, joined by "; " (empty when there are none).
std::string ProblemsLine(const Configuration& c);

// The assembly's name on a command line or in a link ("open", "crossed"), and back.
std::string_view NameOf(Assembly assembly);
bool AssemblyNamed(std::string_view name, Assembly* assembly);

// A number as the messages and the label write it: the shortest of %g's forms that reads
// back to the same double, so that 31.5 is "31.5" and 0.1 + 0.2 shows all its digits.
std::string NumberText(double v);

}  // namespace tarsel
