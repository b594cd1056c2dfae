#include "render/probe_view.h"

#include <cstdio>

#include "geometry/cam.h"
#include "geometry/same_math.h"

namespace tarsel {

namespace {

std::string Format(const char* format, double a, double b = 0, double c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

std::string Point(const CurvePoint& p) {
  char text[160];
  std::snprintf(text, sizeof text, "point %d: %.3f°, lift %.4f y-units", p.n, p.angle, p.lift);
  return text;
}

}  // namespace

std::vector<ReadoutLine> ReadoutLines(const ProbeReadout& r) {
  const double degrees_per_radian = 180 / (4 * same::Atan(1.0));
  const LinkagePose& l = r.linkage;
  const PistonPose& p = r.piston;
  // Where the linkage closes at no point of the table there is no blue point: its line names
  // the green point whose crank angle is shown, and the linkage's own numbers say why not.
  const std::string open = "none: the linkage does not close here";
  return {
      {"x", "probe at", Format("x = %.2f", r.x)},
      {"red", "red, nearest", Point(r.red)},
      {"green", "green, nearest", Point(r.green)},
      {"blue", "blue, nearest",
       l.closes ? Point(r.blue) + Format(", drawn at x = %.2f", r.blue.x)
                : "none: the linkage closes at no point of the profile"},
      {"theta", "θ, its crank angle",
       Format("%.4f rad = %.2f°", l.theta, l.theta * degrees_per_radian)},
      {"ff", "ff, phase offset", l.closes ? Format("%.3f°", l.ff) : open},
      {"phi", "φ, R seen from O", l.closes ? Format("%.3f°", l.phi) : open},
      {"mu", "μ, transmission angle", l.closes ? Format("%.2f°", l.transmission) : open},
      {"crank", "piston crank angle",
       Format("%.4f rad = %.2f°", p.theta, p.theta * degrees_per_radian)},
      {"travel", "piston travel",
       Format("%.3f y-units from the top (curve at %.3f)", p.travel, p.height)},
  };
}

void ProbeView::Update(const SharedState& state, double x, double dpr, Palette palette) {
  readout_ = ReadProbe(state, x);
  config_ = state.config;
  // The cam turned to the red curve's angle at the probe: x = ww + angle.
  const CamLobe cam = CamAt(state.tables, x - state.ww);
  painter_.Draw(picture_, dpr, config_, readout_.linkage, readout_.piston, cam, palette);
}

std::vector<mechanism::Label> ProbeView::labels() const {
  return mechanism::Labels(config_, readout_.linkage, readout_.piston);
}

}  // namespace tarsel
