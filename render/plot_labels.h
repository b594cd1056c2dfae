#pragma once

#include <string>
#include <vector>

#include "animation/frame_curves.h"
#include "animation/shared_state.h"
#include "render/canvas.h"
#include "render/palette.h"

namespace tarsel {

// A name written over the client area by a front end (an overlay: never in the canvas's
// pixels), at (x, y) in the client area's logical pixels: the text's middle row at y, and
// across its middle, its start or its end at x.
struct PlotLabel {
  enum class Anchor { kCentre, kStart, kEnd };
  std::string key;  // "tick-45", "tdc", "bdc", "lift", "crank", "threshold", "red", ...
  std::string text;
  double x = 0, y = 0;
  Anchor anchor = Anchor::kCentre;
  int curve = -1;  // the curve it names, as its index in the legend (kCurves); -1: none
  friend bool operator==(const PlotLabel&, const PlotLabel&) = default;
};

// What the picture shows, named where it is drawn in the frame on the screen: every tick in the
// client area numbered in crank degrees after top dead centre (the piston curve is the ruler:
// 2 (x - 15), one tick every 45 degrees), the two vertical lines named TDC and BDC at their
// feet, the lift and the crank axes, the red, green and blue curves beside a flank or their
// peak, the piston's curve, the phase offset or the velocity and acceleration curves where the
// frame drew them, and the checking lift at its marker. `client` is the client area's logical size:
// labels that would stand outside it are left out. A curve goes by its colour's name in
// `palette`, the legend's.
std::vector<PlotLabel> PlotLabels(const SharedState& state, const FrameCurves& curves,
                                  double threshold, Size client, Palette palette = Palette::kExact);

// The logical pixel row of the checking lift's marker, a line across the client area.
double ThresholdRow(double threshold);

}  // namespace tarsel
