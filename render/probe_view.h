#pragma once

#include <string>
#include <vector>

#include "animation/probe.h"
#include "animation/shared_state.h"
#include "render/image.h"
#include "render/mechanism.h"

namespace tarsel {

// One line of the readout as every front end shows it: what is read and its value, units
// included. The keys name the lines for the page's script and the tests.
struct ReadoutLine {
  const char* key;
  const char* label;  // in the language in use
  std::string value;
};

// The readout's lines, formatted once for the window and the page: the frame's k in radians and
// degrees, the nearest table point of the red, green and blue curves with its angle and lift,
// the angle theta of the linkage's input crank O-P for the blue point, its phase offset ff and
// the angle phi, and the engine's crank angle and the piston's travel at the probe: the two
// cranks named apart. Labels and values are in the language in use, the numbers written as it
// writes them (LocalNumbers, here and nowhere else in the front ends).
std::vector<ReadoutLine> ReadoutLines(const ProbeReadout& r);

// What the probe shows beside the client area: the readout at x and the mechanism view for it,
// kept up to date by Update after every frame and every move of the probe.
class ProbeView {
 public:
  // Reads the state at x and draws the mechanism view at `dpr` in `palette`. The state must
  // have been started.
  void Update(const SharedState& state, double x, double dpr, Palette palette = Palette::kExact);

  const ProbeReadout& readout() const { return readout_; }
  const Image& picture() const { return picture_; }
  std::vector<mechanism::Label> labels() const;
  std::vector<ReadoutLine> lines() const { return ReadoutLines(readout_); }

 private:
  ProbeReadout readout_;
  Configuration config_;
  mechanism::Painter painter_;
  Image picture_;
};

}  // namespace tarsel
