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

std::string Interval(const AngleInterval& i) {
  return Format("%.1f° to %.1f°", i.from, i.to);
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
  if (a.closes.empty()) return "at no crank angle";
  if (a.closes.size() == 1 && a.closes[0] == AngleInterval{0, 360}) return "all round";
  std::string text = "for θ from " + Interval(a.closes[0]);
  for (std::size_t i = 1; i < a.closes.size(); ++i) text += " and from " + Interval(a.closes[i]);
  return text;
}

// Why it does not close over one interval, in the terms of triangle P, Q, R.
std::string OpenText(const Configuration& c, const LinkageAnalysis& a, const OpenInterval& o) {
  const bool all = o.where == AngleInterval{0, 360};
  std::string text = all ? "at every crank angle" : "for θ from " + Interval(o.where);
  text += Format(" P-Q (%.2f to %.2f as the crank turns) ", a.pq.least, a.pq.most);
  if (o.why == OpenReason::kTooFar) {
    text += "is longer than the coupler and the rocker together (" + NumberText(c.coupler) + " + " +
            NumberText(c.rocker) + " = " + NumberText(a.reach.most) +
            "): they cannot reach each other";
  } else {
    text += "is shorter than the difference of the coupler and the rocker (" +
            NumberText(a.reach.least) + "): they cannot fold that tightly";
  }
  return text;
}

std::string TransmissionText(const LinkageAnalysis& a, const LinkagePose* at_probe) {
  std::string text =
      at_probe && at_probe->closes ? Format("%.1f° at the probe; ", at_probe->transmission) : "";
  const Range& t = *a.transmission;
  text += Format("over the turn %.1f° to %.1f°", t.least, t.most);
  const bool good = t.least >= kLeastGoodTransmission && t.most <= kMostGoodTransmission;
  return text + (good ? ", within the usual 40° to 140°"
                      : ", outside the usual 40° to 140°: there the coupler pushes the rocker "
                        "poorly");
}

std::string LimitsText(const Configuration& c, const LinkageAnalysis& a) {
  std::string text = a.rocker ? Format("the rocker swings from %.1f° to %.1f° from Q-O",
                                       a.rocker->least, a.rocker->most)
                              : std::string("the rocker turns all round: no limit positions");
  text += Format("; φ from %.2f° to %.2f°", a.phi->least, a.phi->most);
  text += ", so ff = 2 (" + NumberText(c.reference) + "° - φ) runs from " +
          Format("%.2f° to %.2f°", a.phase_offset->least, a.phase_offset->most);
  return text;
}

}  // namespace

std::vector<ReadoutLine> AnalysisLines(const Configuration& c, const LinkageAnalysis& a,
                                       const LinkagePose* at_probe) {
  std::vector<ReadoutLine> lines = {
      // TRANSLATORS: a label of the mechanism's account: Grashof's condition and class.
      {"class", Tr("Grashof"), ClassText(a)},
      {"closes", "closes", ClosesText(a)},
  };
  for (const OpenInterval& o : a.open)
    lines.push_back({"open", "does not close", OpenText(c, a, o)});
  if (a.transmission) {
    lines.push_back({"transmission", "transmission angle", TransmissionText(a, at_probe)});
    lines.push_back({"limits", "limit positions", LimitsText(c, a)});
  }
  lines.push_back({"stroke", "piston",
                   "stroke " + NumberText(a.stroke) + " (twice the crank radius " +
                       NumberText(c.piston_radius) + "), rod " + NumberText(c.rod)});
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
    return "The reference angle shifts the phase offset only: every value works.";
  }
  const bool piston = f.value == &Configuration::piston_radius || f.value == &Configuration::rod;
  std::string text =
      piston ? "The rod stays longer than the crank radius" : "The crank turns all round";
  if (good.empty()) return text + " at no value of the slider.";
  text += " for ";
  for (std::size_t i = 0; i < good.size(); ++i) {
    if (i > 0) text += " and for ";
    text += EndText(good[i].least) + " to " + EndText(good[i].most);
  }
  return text + " of the slider's " + NumberText(f.low) + " to " + NumberText(f.high) +
         "; the strip under it marks the rest.";
}

}  // namespace tarsel
