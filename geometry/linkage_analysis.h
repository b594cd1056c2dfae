#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "geometry/configuration.h"

namespace tarsel {

// What kind of four-bar the lengths make, the crank O-P being the input. Grashof's condition
// compares the shortest and the longest bar, S + L, with the other two, P + Q: below, the
// shortest bar turns all round against the others, and which bar is the shortest names the
// class; above, no bar turns all round (triple-rocker); equal, the bars can all fall in one
// line (change-point).
enum class GrashofClass : std::uint8_t {
  kCrankRocker,   // the crank is the shortest: it turns all round, the rocker swings
  kDoubleCrank,   // the fixed line is the shortest: crank and rocker both turn all round
  kRockerCrank,   // the rocker is the shortest: it turns all round, the crank only swings
  kDoubleRocker,  // the coupler is the shortest: it turns all round, crank and rocker swing
  kTripleRocker,  // S + L > P + Q
  kChangePoint,   // S + L = P + Q
};
std::string_view NameOf(GrashofClass c);  // "crank-rocker", ...

// Crank angles from `from` to `to` in degrees, 0 to 360; an interval through 0 has from > to.
struct AngleInterval {
  double from = 0, to = 0;
  friend bool operator==(const AngleInterval&, const AngleInterval&) = default;
};

// The least and the greatest value of a quantity over the turn.
struct Range {
  double least = 0, most = 0;
};

// Why the linkage fails to close over an interval of crank angles: P comes too far from Q for
// the coupler and the rocker together, or too near for the difference of the two.
enum class OpenReason : std::uint8_t { kTooFar, kTooNear };
struct OpenInterval {
  AngleInterval where;
  OpenReason why = OpenReason::kTooFar;
};

// Everything the panel and --report say about a configuration.
struct LinkageAnalysis {
  GrashofClass grashof = GrashofClass::kCrankRocker;
  double s_plus_l = 0, p_plus_q = 0;
  // Where the linkage closes: [{0, 360}] all round, none when it never does; and where it
  // does not, with the reason.
  std::vector<AngleInterval> closes;
  std::vector<OpenInterval> open;
  // P-Q ranges over [|G - A|, G + A] as the crank turns; the coupler and the rocker reach
  // over [|C - B|, C + B].
  Range pq, reach;
  // Over the turn where it closes (nullopt when it never does): the transmission angle at R
  // (degrees), the angle phi of R seen from O, the phase offset, and the rocker's angle from
  // Q-O; the rocker's limit positions are its least and greatest angle, and there are none
  // when it turns all round.
  std::optional<Range> transmission, phi, phase_offset;
  std::optional<Range> rocker;
  double stroke = 0;  // the piston's
};

LinkageAnalysis Analyse(const Configuration& c);

// Whether the crank O-P turns all round: P-Q stays within the coupler's and the rocker's reach.
bool ClosesAllRound(const Configuration& c);

// The lengths of the linkage, by index: 0 the fixed line, 1 the crank, 2 the coupler, 3 the
// rocker.
double& LengthOf(Configuration& c, int which);

// For one of the four lengths, the other three as they are: the intervals of values between
// `low` and `high` over which the crank turns all round (the rest of the span is where the
// linkage stops closing somewhere on the turn). In increasing order.
std::vector<Range> AllRoundSpans(const Configuration& c, int which, double low, double high);

// For any field of a panel, the rest as they are: the spans of its slider over which the
// crank turns all round (a length of the linkage), the piston's rod stays longer than its crank
// (the piston's numbers), or everything is fine (the reference angle).
std::vector<Range> SliderSpans(const Configuration& c, const ConfigurationField& field);

}  // namespace tarsel
