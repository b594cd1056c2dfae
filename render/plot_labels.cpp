#include "render/plot_labels.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "animation/style.h"
#include "geometry/language.h"
#include "geometry/piston_curve.h"
#include "geometry/valve_events.h"
#include "render/canvas.h"
#include "render/timing_view.h"

namespace tarsel {

namespace {

using Anchor = PlotLabel::Anchor;

// The ticks the axis pass draws: every 22.5 units (45 crank degrees) from x = -97.5, their
// feet a quarter of a unit under the axis.
constexpr double kFirstTick = -97.5, kTickStep = 22.5, kLastTick = 600, kTickFoot = -0.25;
// The feet of the two vertical lines at crank angles 0 and pi.
constexpr double kMarkerFoot = -2;
// Logical pixels between a label and what it names.
constexpr double kGap = 6;

// A curve's place in the legend (kCurves), found by the colour the driver draws it in.
int LegendIndex(std::uint32_t colour) {
  int i = 0;
  while (kCurves[i].colour != colour) ++i;
  return i;
}

struct Place {
  double x, y;
};

Place Pixel(double x, double y) {
  const Canvas::PointF p = Canvas::ToPixel(x, y);
  return {p.x, p.y};
}

// Where a curve, taken as its drawn segments, first (smallest x) or last meets `lift`.
std::optional<Place> Crossing(const std::vector<Segment>& curve, double lift, bool first) {
  std::optional<Place> found;
  for (const Segment& s : curve) {
    if ((s.y1 - lift) * (s.y2 - lift) > 0 || s.y1 == s.y2) continue;
    const double x = s.x1 + (s.x2 - s.x1) * (lift - s.y1) / (s.y2 - s.y1);
    if (!found || (first ? x < found->x : x > found->x)) found = Place{x, lift};
  }
  return found;
}

// The curve's highest segment end (the first drawn of equally high ones).
std::optional<Place> Peak(const std::vector<Segment>& curve) {
  std::optional<Place> peak;
  for (const Segment& s : curve) {
    for (const Place p : {Place{s.x1, s.y1}, Place{s.x2, s.y2}}) {
      if (!peak || p.y > peak->y) peak = p;
    }
  }
  return peak;
}

// Where the piston's curve, left of top dead centre, stands at `lift`: its height falls from the
// bottom of the stroke half a turn before to the top at the centre.
Place PistonAt(const Configuration& c, double lift, double pi) {
  double lo = -pi, hi = 0;
  for (int i = 0; i < 60; ++i) {
    const double mid = (lo + hi) / 2;
    (PistonHeight(c, mid) > lift ? lo : hi) = mid;
  }
  return {PistonX(lo, pi), PistonHeight(c, lo)};
}

// The curve's leftmost segment end, in plot units.
std::optional<Place> LeftEnd(const std::vector<Segment>& curve) {
  std::optional<Place> end;
  for (const Segment& s : curve) {
    for (const Place p : {Place{s.x1, s.y1}, Place{s.x2, s.y2}}) {
      if (!end || p.x < end->x) end = p;
    }
  }
  return end;
}

// The curve's highest segment end that stands in the client area with room for a name beside
// it, in logical pixels.
std::optional<Place> HighestIn(const std::vector<Segment>& curve, Size client) {
  std::optional<Place> top;
  for (const Segment& s : curve) {
    for (const Place p : {Pixel(s.x1, s.y1), Pixel(s.x2, s.y2)}) {
      if (p.x < 0 || p.x > client.width - 160 || p.y < 20 || p.y > client.height - 10) continue;
      if (!top || p.y < top->y) top = p;
    }
  }
  return top;
}

// About the room a name takes on the screen (a front end writes it in a small bold face of
// about 7 logical pixels a character), for keeping names apart.
constexpr double kRowHeight = 16, kCharacterWidth = 7;

struct Box {
  double left, top, right, bottom;
};

Box RoomOf(const PlotLabel& l) {
  // Characters, not bytes: the names hold a few that take two or three bytes in UTF-8.
  double characters = 0;
  for (const char c : l.text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  const double width = kCharacterWidth * characters + 6;
  const double left = l.anchor == PlotLabel::Anchor::kStart ? l.x
                      : l.anchor == PlotLabel::Anchor::kEnd ? l.x - width
                                                            : l.x - width / 2;
  return {left, l.y - kRowHeight / 2, left + width, l.y + kRowHeight / 2};
}

bool Covers(const PlotLabel& label, const std::vector<PlotLabel>& written) {
  const Box a = RoomOf(label);
  for (const PlotLabel& other : written) {
    const Box b = RoomOf(other);
    if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) return true;
  }
  return false;
}

std::string Degrees(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f°", value);
  return text;
}

}  // namespace

double ThresholdRow(double threshold) {
  return Pixel(0, threshold).y;
}

std::vector<PlotLabel> PlotLabels(const SharedState& state, const FrameCurves& curves,
                                  double threshold, Size client, Palette palette) {
  std::vector<PlotLabel> labels;
  const auto add = [&](std::string key, std::string text, Place at, Anchor anchor, int curve = -1) {
    labels.push_back({std::move(key), std::move(text), at.x, at.y, anchor, curve});
  };
  const int kGreen = LegendIndex(colour::kGreen), kRed = LegendIndex(colour::kRed),
            kBlue = LegendIndex(colour::kBlue), kOlive = LegendIndex(colour::kOlive),
            kPiston = LegendIndex(colour::kPiston), kOrange = LegendIndex(colour::kOrange),
            kMagenta = LegendIndex(colour::kMagenta), kLightBlue = LegendIndex(colour::kLightBlue),
            kTeal = LegendIndex(colour::kTeal);
  // A curve by its colour's name in the palette shown.
  const auto name = [palette](int curve) {
    const Curve& c = kCurves[curve];
    const std::string english(palette == Palette::kExact ? c.name : c.distinguishable_name);
    return std::string(Tr(english.c_str()));
  };
  // Under each tick its crank angle; under the two lines their names.
  for (double tick = kFirstTick; tick <= kLastTick; tick += kTickStep) {
    const Place foot = Pixel(tick, kTickFoot);
    if (foot.x < 0 || foot.x >= client.width) continue;
    const std::string degrees = Degrees(CrankDegrees(tick));
    add("tick-" + degrees.substr(0, degrees.size() - 2), degrees, {foot.x, foot.y + 9},
        Anchor::kCentre);
  }
  for (const auto& [key, x] :
       {std::pair{"tdc", piston::kOriginX}, {"bdc", piston::kOriginX + piston::kUnitsPerPi}}) {
    const Place foot = Pixel(x, kMarkerFoot);
    add(key,
        key == std::string("tdc")
            // TRANSLATORS: a name under the line of top dead centre in the plot, abbreviated as
            // the language's textbooks do (German: OT).
            ? Tr("TDC")
            // TRANSLATORS: bottom dead centre, abbreviated (German: UT).
            : Tr("BDC"),
        {foot.x, foot.y + 9}, Anchor::kCentre);
  }
  // TRANSLATORS: the plot's vertical axis; the arrow points up along it.
  add("lift", Tr("↑ lift (y-units)"), {4, Pixel(0, 3).y}, Anchor::kStart);
  // TRANSLATORS: the plot's horizontal axis; the arrow points right. TDC: top dead centre
  // (German: OT).
  add("crank", Tr("crank degrees after TDC →"), {client.width - 4.0, Pixel(0, kTickFoot).y + 24},
      Anchor::kEnd);
  // TRANSLATORS: the name at the marker of the checking lift; %s: the lift.
  add("threshold", Fill(Tr("checking lift %s"), {LocalNumbers(ThresholdText(threshold))}),
      {4, ThresholdRow(threshold) - 9}, Anchor::kStart);

  // The lift curves: red left of its rising flank, blue right of its falling one, each at seven
  // tenths of its peak; green over its peak, between the two.
  if (const auto peak = Peak(curves.red)) {
    if (const auto at = Crossing(curves.red, 0.7 * peak->y, true)) {
      const Place p = Pixel(at->x, at->y);
      // TRANSLATORS: the name beside the red curve in the plot; %s: its colour's name.
      add("red", Fill(Tr("%s: profile"), {name(kRed)}), {p.x - kGap, p.y}, Anchor::kEnd, kRed);
    }
  }
  if (const auto peak = Peak(curves.blue)) {
    if (const auto at = Crossing(curves.blue, 0.7 * peak->y, false)) {
      const Place p = Pixel(at->x, at->y);
      // TRANSLATORS: the name beside the blue curve, the profile shifted in time by the
      // linkage; %s: its colour's name.
      add("blue", Fill(Tr("%s: re-timed"), {name(kBlue)}), {p.x + kGap, p.y}, Anchor::kStart,
          kBlue);
    }
  }
  if (const auto peak = Peak(curves.green)) {
    const Place p = Pixel(peak->x, peak->y);
    add("green", name(kGreen), {p.x, p.y - 10}, Anchor::kCentre, kGreen);
  }
  const double pi = 4 * std::atan(1.0);
  const Place piston = PistonAt(state.config, 7, pi);
  const Place p = Pixel(piston.x, piston.y);
  // TRANSLATORS: the name beside the piston's curve.
  add("piston", Tr("piston"), {p.x - kGap, p.y}, Anchor::kEnd, kPiston);
  // The phase offset (divided by 13) is named under its left end; the derivative curves
  // beside their highest point in the client area.
  if (const auto end = LeftEnd(curves.olive)) {
    const Place at = Pixel(end->x, end->y);
    // TRANSLATORS: the name of the phase offset's curve, divided by 13; %s: its colour's name.
    add("offset", Fill(Tr("%s: phase offset ÷ 13"), {name(kOlive)}), {at.x + 4, at.y + 12},
        Anchor::kStart, kOlive);
  }
  const struct {
    const char* key;
    int index;
    int of;  // the profile whose derivative it is
    const char* what;
    const std::vector<Segment>& curve;
  } derivatives[] = {
      // TRANSLATORS: the name of a derivative curve in the plot; %1$s: its colour's name,
      // %2$s: the colour of the curve whose velocity it is.
      {"velocity", kOrange, kRed, TrMark("%1$s: %2$s's velocity"), curves.orange},
      // TRANSLATORS: the name of a derivative curve in the plot; %1$s: its colour's name,
      // %2$s: the colour of the curve whose acceleration it is.
      {"acceleration", kMagenta, kRed, TrMark("%1$s: %2$s's acceleration"), curves.magenta},
      {"blue-velocity", kLightBlue, kBlue, TrMark("%1$s: %2$s's velocity"), curves.light_blue},
      {"blue-acceleration", kTeal, kBlue, TrMark("%1$s: %2$s's acceleration"), curves.teal},
  };
  for (const auto& d : derivatives) {
    const auto top = HighestIn(d.curve, client);
    if (!top) continue;
    // The derivative curves peak close together: a name that would cover one already written
    // moves down under it.
    PlotLabel label{d.key,          Fill(Tr(d.what), {name(d.index), name(d.of)}),
                    top->x + kGap,  top->y - 8,
                    Anchor::kStart, d.index};
    for (int tries = 0; tries < 8 && Covers(label, labels); ++tries) label.y += kRowHeight;
    labels.push_back(std::move(label));
  }
  // A client area shorter than the plot cuts off its foot: the names there go with it.
  std::erase_if(labels, [&](const PlotLabel& l) { return l.y < 0 || l.y > client.height; });
  return labels;
}

}  // namespace tarsel
