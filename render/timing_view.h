#pragma once

#include <string>
#include <vector>

#include "animation/timing.h"
#include "render/probe_view.h"

namespace tarsel {

// The valve timing of a frame in the panels' words, one line per event: for the red, green and
// blue curves where each opens, closes and peaks (the plot's x in degrees, and the crank angle
// from the nearer dead centre, "30.0° before TDC") and how long it is open (plot and crank
// degrees); then how far the blue's events lie from the red's, in crank degrees, earlier or
// later, longer or shorter. The lines are always the same, in the same order, whatever the
// frame: a curve that never reaches the checking lift says so in each of its lines.
std::vector<ReadoutLine> TimingLines(const FrameTiming& t);

// The blue trace's opening and closing in one sentence, each with how far it lies from the
// red's, for a screen reader after the frame's own words: "blue opens 23.0° before TDC, 7.0°
// later than the red's; blue closes ...". The words are those of TimingLines.
std::string TimingSpoken(const FrameTiming& t);

// The checking lift as the panels write it ("1", "0.25").
std::string ThresholdText(double threshold);

}  // namespace tarsel
