#pragma once

#include <string>

#include "animation/timing.h"
#include "geometry/configuration.h"
#include "geometry/linkage_analysis.h"

namespace tarsel {

// The analysis of a configuration as JSON, for tarsel-render --report and the page, angles in
// degrees, each number in the fewest digits that read back to the same double:
//   {"configuration": {"linkage": [G, A, C, B], "reference": R, "assembly": "open",
//    "piston": [R, L]},
//    "grashof": {"class": "crank-rocker", "s_plus_l": 38.5, "p_plus_q": 56},
//    "closes": [[0, 360]], "open": [{"from": F, "to": T, "why": "too near"}],
//    "transmission_angle": [least, most], "phi": [least, most], "phase_offset": [least, most],
//    "rocker": [least, most], "stroke": 51}
// "closes" lists the crank angles where the linkage closes, one pair each, an interval through 0
// with from > to, [] when it never does; "open" the others with why ("too far": P-Q is longer
// than the coupler and the rocker together; "too near": shorter than their difference). The
// ranges are over the whole turn where it closes, null when it never does; "rocker" is null
// also when the rocker turns all round. Ends with a newline.
// With `timing`, the valve events of a frame follow, after "stroke":
//   "timing": {"threshold": T, "red": {"opening": .., "closing": .., "peak": .., "duration": ..,
//    "opening_crank": .., "closing_crank": .., "peak_crank": .., "duration_crank": ..},
//    "green": {..}, "blue": {..}}
// in the plot's degrees and in crank degrees after top dead centre (a duration as its span),
// null for a curve that never reaches the threshold.
std::string ReportJson(const Configuration& c, const LinkageAnalysis& a,
                       const FrameTiming* timing = nullptr);

// The "timing" object alone.
std::string TimingJson(const FrameTiming& timing);

}  // namespace tarsel
