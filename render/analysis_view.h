#pragma once

#include <string>
#include <vector>

#include "geometry/configuration.h"
#include "geometry/linkage.h"
#include "geometry/linkage_analysis.h"
#include "render/probe_view.h"

namespace tarsel {

// What the configuration is, in lines the panel shows beside the mechanism view (the window's
// and the page's alike): the Grashof condition with its numbers and the class, where the
// linkage closes and, where it does not, over which crank angles and why, the transmission
// angle at the probe's point and over the turn against the usual 40 to 140 degrees, the
// rocker's limit positions with the ranges of phi and of the phase offset, and the piston's
// stroke. `at_probe`, the linkage at the probe's blue point, adds its transmission angle (the
// panels show it in the readout instead, which follows the probe).
std::vector<ReadoutLine> AnalysisLines(const Configuration& c, const LinkageAnalysis& a,
                                       const LinkagePose* at_probe = nullptr);

// Where on its slider a field's number keeps the mechanism working, in words (`good`, from
// SliderSpans): the description of a field and its slider in both panels, for those who cannot
// see the strip under the slider.
std::string SliderSpansText(const ConfigurationField& f, const std::vector<Range>& good);

// The usual band of a good transmission angle, in degrees.
inline constexpr double kLeastGoodTransmission = 40, kMostGoodTransmission = 140;

}  // namespace tarsel
