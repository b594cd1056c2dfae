#include "render/analysis_view.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "geometry/language.h"

namespace tarsel {

namespace {

std::string Format(const char* format, double a, double b = 0) {
  char text[200];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// "10.0° to 170.0°", a part of the sentences below.
std::string Interval(const AngleInterval& i) {
  // TRANSLATORS: an interval of crank angles, %1$s° its start and %2$s° its end.
  return Fill(Tr("%1$s° to %2$s°"), {Format("%.1f", i.from), Format("%.1f", i.to)});
}

std::string ClassText(const LinkageAnalysis& a) {
  const char* relation = a.s_plus_l < a.p_plus_q ? "<" : a.s_plus_l > a.p_plus_q ? ">" : "=";
  const std::string sum =
      "S + L = " + NumberText(a.s_plus_l) + " " + relation + " P + Q = " + NumberText(a.p_plus_q);
  // The kind's English id (NameOf) stays for the report; here each kind is named in the
  // sentence that says what it means. %s: Grashof's comparison, "S + L = 38.5 < P + Q = 56".
  switch (a.grashof) {
    case GrashofClass::kCrankRocker:
      // TRANSLATORS: a kind of four-bar linkage, as the textbooks name it (German:
      // Kurbelschwinge); %s: Grashof's comparison, "S + L = 38.5 < P + Q = 56".
      return Fill(Tr("%s: crank-rocker, the crank O-P is the shortest bar: it turns all round, "
                     "the rocker swings"),
                  {sum});
    case GrashofClass::kDoubleCrank:
      // TRANSLATORS: a kind of four-bar linkage (German: Doppelkurbel); %s: Grashof's
      // comparison.
      return Fill(Tr("%s: double-crank, the fixed line is the shortest bar: crank and rocker "
                     "both turn all round"),
                  {sum});
    case GrashofClass::kRockerCrank:
      // TRANSLATORS: a kind of four-bar linkage (German: Schwingkurbel); %s: Grashof's
      // comparison.
      return Fill(Tr("%s: rocker-crank, the rocker Q-R is the shortest bar: it turns all round, "
                     "the crank only swings"),
                  {sum});
    case GrashofClass::kDoubleRocker:
      // TRANSLATORS: a kind of four-bar linkage (German: Doppelschwinge); %s: Grashof's
      // comparison.
      return Fill(Tr("%s: double-rocker, the coupler P-R is the shortest bar: it turns all "
                     "round, crank and rocker only swing"),
                  {sum});
    case GrashofClass::kTripleRocker:
      // TRANSLATORS: a kind of four-bar linkage that fails Grashof's condition; %s: Grashof's
      // comparison.
      return Fill(Tr("%s: triple-rocker: no bar turns all round, the crank swings between two "
                     "limits"),
                  {sum});
    case GrashofClass::kChangePoint:
      break;
  }
  // TRANSLATORS: a four-bar linkage on the border of Grashof's condition; %s: Grashof's
  // comparison.
  return Fill(Tr("%s: change-point: at some crank angle all four bars fall in one line, where "
                 "the linkage can change between its open and crossed assembly"),
              {sum});
}

std::string ClosesText(const LinkageAnalysis& a) {
  // TRANSLATORS: where the linkage closes: at no crank angle.
  if (a.closes.empty()) return Tr("at no crank angle");
  // TRANSLATORS: where the linkage closes: at every crank angle.
  if (a.closes.size() == 1 && a.closes[0] == AngleInterval{0, 360}) return Tr("all round");
  // TRANSLATORS: where the linkage closes; %s: an interval of crank angles ("10.0° to 170.0°").
  std::string text = Fill(Tr("for θ from %s"), {Interval(a.closes[0])});
  for (std::size_t i = 1; i < a.closes.size(); ++i) {
    // TRANSLATORS: one more interval where the linkage closes: %1$s the text so far ("for θ from
    // 10.0° to 40.0°"), %2$s the next interval ("320.0° to 350.0°").
    text = Fill(Tr("%1$s and from %2$s"), {text, Interval(a.closes[i])});
  }
  return text;
}

// Why it does not close over one interval, in the terms of triangle P, Q, R.
std::string OpenText(const Configuration& c, const LinkageAnalysis& a, const OpenInterval& o) {
  const std::string least = Format("%.2f", a.pq.least), most = Format("%.2f", a.pq.most);
  const bool all = o.where == AngleInterval{0, 360};
  if (o.why == OpenReason::kTooFar) {
    const std::string coupler = NumberText(c.coupler), rocker = NumberText(c.rocker),
                      reach = NumberText(a.reach.most);
    if (all) {
      // TRANSLATORS: why the linkage does not close; %1$s to %2$s: the distance P-Q over the
      // turn; %3$s + %4$s = %5$s: the coupler's and the rocker's lengths and their sum.
      return Fill(Tr("at every crank angle P-Q (%1$s to %2$s as the crank turns) is longer than "
                     "the coupler and the rocker together (%3$s + %4$s = %5$s): they cannot reach "
                     "each other"),
                  {least, most, coupler, rocker, reach});
    }
    // TRANSLATORS: why the linkage does not close; %1$s: an interval of crank angles ("10.0° to
    // 40.0°"); %2$s to %3$s: the distance P-Q over the turn; %4$s + %5$s = %6$s: the coupler's
    // and the rocker's lengths and their sum.
    return Fill(Tr("for θ from %1$s P-Q (%2$s to %3$s as the crank turns) is longer than the "
                   "coupler and the rocker together (%4$s + %5$s = %6$s): they cannot reach each "
                   "other"),
                {Interval(o.where), least, most, coupler, rocker, reach});
  }
  const std::string difference = NumberText(a.reach.least);
  if (all) {
    // TRANSLATORS: why the linkage does not close; %1$s to %2$s: the distance P-Q over the turn;
    // %3$s: the difference of the coupler's and the rocker's lengths.
    return Fill(Tr("at every crank angle P-Q (%1$s to %2$s as the crank turns) is shorter than "
                   "the difference of the coupler and the rocker (%3$s): they cannot fold that "
                   "tightly"),
                {least, most, difference});
  }
  // TRANSLATORS: why the linkage does not close; %1$s: an interval of crank angles ("10.0° to
  // 40.0°"); %2$s to %3$s: the distance P-Q over the turn; %4$s: the difference of the coupler's
  // and the rocker's lengths.
  return Fill(Tr("for θ from %1$s P-Q (%2$s to %3$s as the crank turns) is shorter than the "
                 "difference of the coupler and the rocker (%4$s): they cannot fold that tightly"),
              {Interval(o.where), least, most, difference});
}

std::string TransmissionText(const LinkageAnalysis& a, const LinkagePose* at_probe) {
  const Range& t = *a.transmission;
  const std::string least = Format("%.1f", t.least), most = Format("%.1f", t.most);
  const bool good = t.least >= kLeastGoodTransmission && t.most <= kMostGoodTransmission;
  const std::string text =
      good
          // TRANSLATORS: the transmission angle's range over a turn of the crank, %1$s° to
          // %2$s°.
          ? Fill(Tr("over the turn %1$s° to %2$s°, within the usual 40° to 140°"), {least, most})
          // TRANSLATORS: the transmission angle's range over a turn of the crank, %1$s° to
          // %2$s°.
          : Fill(Tr("over the turn %1$s° to %2$s°, outside the usual 40° to 140°: there the "
                    "coupler pushes the rocker poorly"),
                 {least, most});
  if (!at_probe || !at_probe->closes) return text;
  // TRANSLATORS: %1$s°: the transmission angle where the probe stands; %2$s: its range over the
  // turn ("over the turn 35.2° to 120.4°, ...").
  return Fill(Tr("%1$s° at the probe; %2$s"), {Format("%.1f", at_probe->transmission), text});
}

std::string LimitsText(const Configuration& c, const LinkageAnalysis& a) {
  const std::string phi_least = Format("%.2f", a.phi->least),
                    phi_most = Format("%.2f", a.phi->most), reference = NumberText(c.reference),
                    ff_least = Format("%.2f", a.phase_offset->least),
                    ff_most = Format("%.2f", a.phase_offset->most);
  if (!a.rocker) {
    // TRANSLATORS: the limit positions of a rocker that turns all round. φ: the angle whose
    // range %1$s° to %2$s° is given; ff: the phase offset, 2 (%3$s° - φ) with %3$s the reference
    // angle, running from %4$s° to %5$s°. Keep φ and ff.
    return Fill(Tr("the rocker turns all round: no limit positions; φ from %1$s° to %2$s°, so "
                   "ff = 2 (%3$s° - φ) runs from %4$s° to %5$s°"),
                {phi_least, phi_most, reference, ff_least, ff_most});
  }
  // TRANSLATORS: the rocker's limit positions, %1$s° to %2$s° measured from the line Q-O; φ: the
  // angle whose range %3$s° to %4$s° is given; ff: the phase offset, 2 (%5$s° - φ) with %5$s the
  // reference angle, running from %6$s° to %7$s°. Keep φ and ff.
  return Fill(Tr("the rocker swings from %1$s° to %2$s° from Q-O; φ from %3$s° to %4$s°, so ff = "
                 "2 (%5$s° - φ) runs from %6$s° to %7$s°"),
              {Format("%.1f", a.rocker->least), Format("%.1f", a.rocker->most), phi_least, phi_most,
               reference, ff_least, ff_most});
}

}  // namespace

std::vector<ReadoutLine> AnalysisLines(const Configuration& c, const LinkageAnalysis& a,
                                       const LinkagePose* at_probe) {
  std::vector<ReadoutLine> lines = {
      // TRANSLATORS: a label of the mechanism's account: Grashof's condition and class.
      {"class", Tr("Grashof"), ClassText(a)},
      // TRANSLATORS: a label of the mechanism's account: where the linkage closes.
      {"closes", Tr("closes"), ClosesText(a)},
  };
  for (const OpenInterval& o : a.open) {
    // TRANSLATORS: a label of the mechanism's account: where the linkage does not close.
    lines.push_back({"open", Tr("does not close"), OpenText(c, a, o)});
  }
  if (a.transmission) {
    // TRANSLATORS: a label of the mechanism's account.
    lines.push_back({"transmission", Tr("transmission angle"), TransmissionText(a, at_probe)});
    // TRANSLATORS: a label of the mechanism's account: the rocker's extreme positions.
    lines.push_back({"limits", Tr("limit positions"), LimitsText(c, a)});
  }
  // TRANSLATORS: a label of the mechanism's account, the line about the piston.
  lines.push_back({"stroke", Tr("piston"),
                   // TRANSLATORS: the piston's stroke %1$s, the crank radius %2$s, the
                   // connecting rod's length %3$s.
                   Fill(Tr("stroke %1$s (twice the crank radius %2$s), rod %3$s"),
                        {NumberText(a.stroke), NumberText(c.piston_radius), NumberText(c.rod)})});
  // The one place the account's numbers are written as the language writes them.
  for (ReadoutLine& line : lines) line.value = LocalNumbers(line.value);
  return lines;
}

namespace {

// A span's end as a student reads it: two decimals at most.
std::string EndText(double v) {
  return NumberText(std::round(v * 100) / 100);
}

}  // namespace

std::string SliderSpansText(const ConfigurationField& f, const std::vector<Range>& good) {
  if (f.value == &Configuration::reference) {
    // TRANSLATORS: what a slider's values do, under the reference angle's slider.
    return Tr("The reference angle shifts the phase offset only: every value works.");
  }
  const bool piston = f.value == &Configuration::piston_radius || f.value == &Configuration::rod;
  if (good.empty()) {
    return piston
               // TRANSLATORS: what a slider's values do, under the piston's sliders.
               ? Tr("The rod stays longer than the crank radius at no value of the slider.")
               // TRANSLATORS: what a slider's values do, under a bar's slider.
               : Tr("The crank turns all round at no value of the slider.");
  }
  // TRANSLATORS: a span of a slider's values, from %1$s to %2$s.
  std::string spans = Fill(Tr("%1$s to %2$s"), {EndText(good[0].least), EndText(good[0].most)});
  for (std::size_t i = 1; i < good.size(); ++i) {
    // TRANSLATORS: one more span of a slider's values: %1$s the spans so far ("1 to 2.5"), then
    // the next one from %2$s to %3$s.
    spans = Fill(Tr("%1$s and for %2$s to %3$s"),
                 {spans, EndText(good[i].least), EndText(good[i].most)});
  }
  const std::string low = NumberText(f.low), high = NumberText(f.high);
  // Read on screen under the slider: its numbers as the language writes them.
  return LocalNumbers(
      piston
          // TRANSLATORS: under the piston's sliders: %1$s the spans of values that work ("1 to
          // 2.5 and for 4 to 6"), %2$s to %3$s the slider's whole range.
          ? Fill(Tr("The rod stays longer than the crank radius for %1$s of the slider's %2$s to "
                    "%3$s; the strip under it marks the rest."),
                 {spans, low, high})
          // TRANSLATORS: under a bar's slider: %1$s the spans of values that work ("1 to 2.5
          // and for 4 to 6"), %2$s to %3$s the slider's whole range.
          : Fill(Tr("The crank turns all round for %1$s of the slider's %2$s to %3$s; the strip "
                    "under it marks the rest."),
                 {spans, low, high}));
}

}  // namespace tarsel
