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
  const char* label;
  std::string value;
};

// The readout's lines, formatted once for the window and the page: the nearest table point of
// the red, green and blue curves with its angle and lift, the blue point's crank angle theta,
// its phase offset ff and the angle phi, and the piston's crank angle and travel at the probe.
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
