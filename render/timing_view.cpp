#include "render/timing_view.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "geometry/language.h"

namespace tarsel {

namespace {

std::string Printed(const char* format, double a) {
  char text[160];
  std::snprintf(text, sizeof text, format, a);
  return text;
}

struct Name {
  const char* key;
  const char* label;
};
// Each curve's four lines: opening, closing, peak and duration.
constexpr Name kEvents[][4] = {
    // TRANSLATORS: labels of the valve timing's lines: where the red curve's lift rises past
    // the checking lift (opens), falls below it (closes), peaks, and for how long it is open.
    {{"red-opening", TrMark("red opens")},
     {"red-closing", TrMark("red closes")},
     {"red-peak", TrMark("red peaks")},
     {"red-duration", TrMark("red open for")}},
    // TRANSLATORS: labels of the valve timing's lines, for the green curve.
    {{"green-opening", TrMark("green opens")},
     {"green-closing", TrMark("green closes")},
     {"green-peak", TrMark("green peaks")},
     {"green-duration", TrMark("green open for")}},
    // TRANSLATORS: labels of the valve timing's lines, for the blue curve.
    {{"blue-opening", TrMark("blue opens")},
     {"blue-closing", TrMark("blue closes")},
     {"blue-peak", TrMark("blue peaks")},
     {"blue-duration", TrMark("blue open for")}},
};

// TRANSLATORS: %s: the checking lift.
std::string Never(double threshold) {
  return Fill(Tr("never reaches the checking lift %s"), {Printed("%g", threshold)});
}

// An event's crank angle from the nearer dead centre.
std::string Crank(double x) {
  return DeadCentreWords(CrankDegrees(x));
}

void CurveLines(const Name (&names)[4], const std::optional<ValveEvents>& e, double threshold,
                std::vector<ReadoutLine>& lines) {
  if (!e) {
    const std::string never = Never(threshold);
    for (const auto& n : names) lines.push_back({n.key, Tr(n.label), never});
    return;
  }
  const auto at = [](double x) {
    return Printed("x = %.2f°: ", x) + DeadCentreWords(CrankDegrees(x));
  };
  lines.push_back({names[0].key, Tr(names[0].label), at(e->opening)});
  lines.push_back({names[1].key, Tr(names[1].label), at(e->closing)});
  lines.push_back({names[2].key, Tr(names[2].label), at(e->peak)});
  // TRANSLATORS: how long a curve is open: %1$s in the plot's degrees, %2$s in crank degrees.
  lines.push_back({names[3].key, Tr(names[3].label),
                   Fill(Tr("%1$s° = %2$s crank degrees"),
                        {Printed("%.2f", e->duration), Printed("%.1f", CrankSpan(e->duration))})});
}

// A shift in crank degrees, with the words for its sign.
// `more` and `less` are whole patterns: %s the crank degrees.
std::string Moved(double units, const char* more, const char* less) {
  const double crank = CrankSpan(units);
  // TRANSLATORS: the blue curve's event lies where the red's does.
  if (std::abs(crank) < 0.05) return Tr("as the red's");
  return Fill(crank > 0 ? more : less, {Printed("%.1f", std::abs(crank))});
}

}  // namespace

std::string TimingSpoken(const FrameTiming& t) {
  if (!t.blue) {
    // TRANSLATORS: the live region, when the blue curve never reaches the checking lift; %s:
    // the lift.
    return LocalNumbers(
        Fill(Tr("blue never reaches the checking lift %s"), {Printed("%g", t.threshold)}));
  }
  const char* later = Tr("%s° later than the red's");
  const char* earlier = Tr("%s° earlier than the red's");
  const auto& d = t.blue_from_red;
  // TRANSLATORS: the live region's words for the blue curve's events: %1$s where it opens or
  // closes ("23.0° before TDC"), %2$s how far that lies from the red's ("7.0° later than the
  // red's").
  const std::string opening = d ? Fill(Tr("blue opens %1$s, %2$s"),
                                       {Crank(t.blue->opening), Moved(d->opening, later, earlier)})
                                // TRANSLATORS: %s: where the blue curve opens ("23.0° before TDC").
                                : Fill(Tr("blue opens %s"), {Crank(t.blue->opening)});
  const std::string closing = d ? Fill(Tr("blue closes %1$s, %2$s"),
                                       {Crank(t.blue->closing), Moved(d->closing, later, earlier)})
                                // TRANSLATORS: %s: where the blue curve closes ("85.0° after BDC").
                                : Fill(Tr("blue closes %s"), {Crank(t.blue->closing)});
  // TRANSLATORS: the live region joins the blue curve's opening (%1$s) and closing (%2$s).
  return LocalNumbers(Fill(Tr("%1$s; %2$s"), {opening, closing}));
}

std::string ThresholdText(double threshold) {
  return Printed("%.6g", threshold);
}

std::vector<ReadoutLine> TimingLines(const FrameTiming& t) {
  std::vector<ReadoutLine> lines;
  // TRANSLATORS: a valve timing line's label: the lift at which the events are read.
  lines.push_back({"threshold", Tr("checking lift"),
                   // TRANSLATORS: %s: the checking lift, in the plot's y-units.
                   Fill(Tr("%s y-units"), {ThresholdText(t.threshold)})});
  CurveLines(kEvents[0], t.red, t.threshold, lines);
  CurveLines(kEvents[1], t.green, t.threshold, lines);
  CurveLines(kEvents[2], t.blue, t.threshold, lines);
  const char* keys[] = {"shift-opening", "shift-closing", "shift-duration", "shift-peak"};
  // TRANSLATORS: labels of the lines that compare the blue curve's events with the red's.
  const char* labels[] = {Tr("blue's opening"), Tr("blue's closing"), Tr("blue's duration"),
                          Tr("blue's peak")};
  if (!t.blue_from_red) {
    for (int i = 0; i < 4; ++i) {
      lines.push_back({keys[i], labels[i], Tr("no comparison: a curve never reaches the lift")});
    }
    return lines;
  }
  // TRANSLATORS: how far the blue's event lies from the red's; %s: crank degrees.
  const char* later = Tr("%s° later than the red's");
  // TRANSLATORS: %s: crank degrees.
  const char* earlier = Tr("%s° earlier than the red's");
  const ValveEvents& d = *t.blue_from_red;
  lines.push_back({keys[0], labels[0], Moved(d.opening, later, earlier)});
  lines.push_back({keys[1], labels[1], Moved(d.closing, later, earlier)});
  // TRANSLATORS: how much longer the blue is open than the red; %s: crank degrees.
  lines.push_back({keys[2], labels[2],
                   Moved(d.duration, Tr("%s° longer than the red's"),
                         // TRANSLATORS: %s: crank degrees.
                         Tr("%s° shorter than the red's"))});
  lines.push_back({keys[3], labels[3], Moved(d.peak, later, earlier)});
  // The one place the timing's numbers are written as the language writes them.
  for (ReadoutLine& line : lines) line.value = LocalNumbers(line.value);
  return lines;
}

}  // namespace tarsel
