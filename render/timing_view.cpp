#include "render/timing_view.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace tarsel {

namespace {

std::string Printed(const char* format, double a, const std::string& b = "") {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b.c_str());
  return text;
}

struct Name {
  const char* key;
  const char* label;
};
// Each curve's four lines: opening, closing, peak and duration.
constexpr Name kEvents[][4] = {
    {{"red-opening", "red opens"},
     {"red-closing", "red closes"},
     {"red-peak", "red peaks"},
     {"red-duration", "red open for"}},
    {{"green-opening", "green opens"},
     {"green-closing", "green closes"},
     {"green-peak", "green peaks"},
     {"green-duration", "green open for"}},
    {{"blue-opening", "blue opens"},
     {"blue-closing", "blue closes"},
     {"blue-peak", "blue peaks"},
     {"blue-duration", "blue open for"}},
};

std::string Never(double threshold) {
  return Printed("never reaches the checking lift %g", threshold);
}

// An event's crank angle from the nearer dead centre.
std::string Crank(double x) {
  return DeadCentreWords(CrankDegrees(x));
}

void CurveLines(const Name (&names)[4], const std::optional<ValveEvents>& e, double threshold,
                std::vector<ReadoutLine>& lines) {
  if (!e) {
    const std::string never = Never(threshold);
    for (const auto& n : names) lines.push_back({n.key, n.label, never});
    return;
  }
  const auto at = [](double x) { return Printed("x = %.2f°: %s", x, Crank(x)); };
  lines.push_back({names[0].key, names[0].label, at(e->opening)});
  lines.push_back({names[1].key, names[1].label, at(e->closing)});
  lines.push_back({names[2].key, names[2].label, at(e->peak)});
  lines.push_back(
      {names[3].key, names[3].label,
       Printed("%.2f°", e->duration) + Printed(" = %.1f crank degrees", CrankSpan(e->duration))});
}

// A shift in crank degrees, with the words for its sign.
std::string Moved(double units, const char* more, const char* less) {
  const double crank = CrankSpan(units);
  if (std::abs(crank) < 0.05) return "as the red's";
  return Printed("%.1f° ", std::abs(crank)) + (crank > 0 ? more : less) + " than the red's";
}

constexpr const char* kLater = "later";
constexpr const char* kEarlier = "earlier";

}  // namespace

std::string TimingSpoken(const FrameTiming& t) {
  const Name(&blue)[4] = kEvents[2];
  if (!t.blue) return "blue " + Never(t.threshold);
  const auto event = [&](const Name& name, double x, std::optional<double> shift) {
    std::string text = name.label + (" " + Crank(x));
    if (shift) text += ", " + Moved(*shift, kLater, kEarlier);
    return text;
  };
  const auto& d = t.blue_from_red;
  return event(blue[0], t.blue->opening, d ? std::optional(d->opening) : std::nullopt) + "; " +
         event(blue[1], t.blue->closing, d ? std::optional(d->closing) : std::nullopt);
}

std::string ThresholdText(double threshold) {
  return Printed("%.6g", threshold);
}

std::vector<ReadoutLine> TimingLines(const FrameTiming& t) {
  std::vector<ReadoutLine> lines;
  lines.push_back({"threshold", "checking lift", ThresholdText(t.threshold) + " y-units"});
  CurveLines(kEvents[0], t.red, t.threshold, lines);
  CurveLines(kEvents[1], t.green, t.threshold, lines);
  CurveLines(kEvents[2], t.blue, t.threshold, lines);
  const char* keys[] = {"shift-opening", "shift-closing", "shift-duration", "shift-peak"};
  const char* labels[] = {"blue's opening", "blue's closing", "blue's duration", "blue's peak"};
  if (!t.blue_from_red) {
    for (int i = 0; i < 4; ++i) {
      lines.push_back({keys[i], labels[i], "no comparison: a curve never reaches the lift"});
    }
    return lines;
  }
  const ValveEvents& d = *t.blue_from_red;
  lines.push_back({keys[0], labels[0], Moved(d.opening, kLater, kEarlier)});
  lines.push_back({keys[1], labels[1], Moved(d.closing, kLater, kEarlier)});
  lines.push_back({keys[2], labels[2], Moved(d.duration, "longer", "shorter")});
  lines.push_back({keys[3], labels[3], Moved(d.peak, kLater, kEarlier)});
  return lines;
}

}  // namespace tarsel
