#include "render/probe_view.h"

#include <cstdio>

#include "geometry/cam.h"
#include "geometry/language.h"
#include "geometry/same_math.h"

namespace tarsel {

namespace {

std::string Format(const char* format, double a, double b = 0, double c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

std::string Point(const CurvePoint& p, bool drawn_at = false) {
  char angle[32], lift[32], x[32];
  std::snprintf(angle, sizeof angle, "%.3f", p.angle);
  std::snprintf(lift, sizeof lift, "%.4f", p.lift);
  std::snprintf(x, sizeof x, "%.2f", p.x);
  if (drawn_at) {
    // TRANSLATORS: the readout's blue point: %1$s its number, %2$s its angle in degrees, %3$s
    // its lift in the plot's y-units, %4$s the x where the trace draws it.
    return Fill(Tr("point %1$s: %2$s°, lift %3$s y-units, drawn at x = %4$s"),
                {std::to_string(p.n), angle, lift, x});
  }
  // TRANSLATORS: the readout's table point: %1$s its number, %2$s its angle in degrees, %3$s its
  // lift in the plot's y-units.
  return Fill(Tr("point %1$s: %2$s°, lift %3$s y-units"), {std::to_string(p.n), angle, lift});
}

std::string Printed(const char* format, double a) {
  char text[64];
  std::snprintf(text, sizeof text, format, a);
  return text;
}

}  // namespace

std::vector<ReadoutLine> ReadoutLines(const ProbeReadout& r) {
  const double degrees_per_radian = 180 / (4 * same::Atan(1.0));
  const LinkagePose& l = r.linkage;
  const PistonPose& p = r.piston;
  // Where the linkage closes at no point of the table there is no blue point: its line names
  // the green point whose crank angle is shown, and the linkage's own numbers say why not.
  const std::string open = Tr("none: the linkage does not close here");
  std::vector<ReadoutLine> lines = {
      // TRANSLATORS: a readout line's label: where the probe stands.
      {"x", Tr("probe at"), Format("x = %.2f", r.x)},
      // TRANSLATORS: a readout line's label.
      {"k", Tr("k, the linkage's control angle"),
       Format("%.4f rad = %.2f°", r.k, r.k * degrees_per_radian)},
      // TRANSLATORS: a readout line's label: the red curve's table point nearest the probe.
      {"red", Tr("red, nearest"), Point(r.red)},
      // TRANSLATORS: a readout line's label: the green curve's table point nearest the probe.
      {"green", Tr("green, nearest"), Point(r.green)},
      // TRANSLATORS: a readout line's label: the blue curve's table point nearest the probe.
      {"blue", Tr("blue, nearest"),
       l.closes ? Point(r.blue, true) : Tr("none: the linkage closes at no point of the profile")},
      // TRANSLATORS: a readout line's label: the angle of the linkage's input crank.
      {"theta", Tr("θ, input crank O–P"),
       Format("%.4f rad = %.2f°", l.theta, l.theta * degrees_per_radian)},
      // TRANSLATORS: a readout line's label.
      {"ff", Tr("ff, phase offset"), l.closes ? Format("%.3f°", l.ff) : open},
      // TRANSLATORS: a readout line's label: the angle under which R is seen from O.
      {"phi", Tr("φ, R seen from O"), l.closes ? Format("%.3f°", l.phi) : open},
      // TRANSLATORS: a readout line's label.
      {"mu", Tr("μ, transmission angle"), l.closes ? Format("%.2f°", l.transmission) : open},
      // TRANSLATORS: a readout line's label: the crank angle of the engine (not the linkage's).
      {"crank", Tr("engine crank angle"),
       Format("%.4f rad = %.2f°", p.theta, p.theta * degrees_per_radian)},
      // TRANSLATORS: a readout line's label.
      {"travel", Tr("piston travel"),
       // TRANSLATORS: %1$s the piston's travel, %2$s the height of its curve, in y-units.
       Fill(Tr("%1$s y-units from the top (curve at %2$s)"),
            {Printed("%.3f", p.travel), Printed("%.3f", p.height)})},
  };
  // The one place the readout's numbers are written as the language writes them.
  for (ReadoutLine& line : lines) line.value = LocalNumbers(line.value);
  return lines;
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
