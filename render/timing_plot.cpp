#include "render/timing_plot.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <tuple>

#include "animation/style.h"
#include "animation/sweep.h"
#include "render/pen.h"

namespace tarsel::timing_plot {

namespace {

constexpr std::uint32_t kBox = 0xC8C8C8;  // the panels' outlines
constexpr std::uint32_t kMark = colour::kAxis;

// The two panels in logical pixels: left and right edges shared, top and bottom of each.
constexpr double kLeft = 10, kRight = kSize.width - 10;
constexpr double kEventsTop = 10, kEventsBottom = 160;
constexpr double kDurationTop = 175, kDurationBottom = kSize.height - 10;
// Room kept inside a panel above and below its highest and lowest value.
constexpr double kInset = 8;

double KX(double k) {
  return kLeft + (k - sweep::kFirstK) / (sweep::kLastK - sweep::kFirstK) * (kRight - kLeft);
}

// A vertical scale: the values from least to most fill a panel between top and bottom.
struct Scale {
  double least = 0, most = 0, top = 0, bottom = 0;
  void Take(double v) {
    least = std::min(least, v);
    most = std::max(most, v);
  }
  double Y(double v) const {
    const double span = most - least;
    if (span <= 0) return (top + bottom) / 2;
    return (bottom - kInset) - (v - least) / span * ((bottom - top) - 2 * kInset);
  }
};

// The scale of one panel, over the values that `value` gives of the blue and the red events.
template <class Value>
Scale ScaleOf(const std::vector<SweepFrame>& frames, double top, double bottom, Value value) {
  std::optional<double> first;
  Scale s{0, 0, top, bottom};
  for (const SweepFrame& f : frames) {
    for (const std::optional<ValveEvents>& e : {f.blue, f.red}) {
      if (!e) continue;
      for (const double v : value(*e)) {
        if (!first) first = v, s.least = s.most = v;
        s.Take(v);
      }
    }
  }
  return s;
}

// A value over the sweep as a polyline, broken where a frame has no events.
void Curve(Pen& pen, const std::vector<SweepFrame>& frames, const Scale& s,
           std::optional<ValveEvents> SweepFrame::*curve, double ValveEvents::*value, double width,
           std::uint32_t colour, bool dashed) {
  for (std::size_t i = 1; i < frames.size(); ++i) {
    const std::optional<ValveEvents>& a = frames[i - 1].*curve;
    const std::optional<ValveEvents>& b = frames[i].*curve;
    if (!a || !b) continue;
    const raster::Point p{KX(frames[i - 1].k), s.Y(*a.*value)};
    const raster::Point q{KX(frames[i].k), s.Y(*b.*value)};
    if (dashed && i % 2 == 0) continue;
    pen.Stroke(p, q, width, colour);
  }
}

void Box(Pen& pen, double top, double bottom) {
  pen.Stroke({kLeft, top}, {kRight, top}, 1, kBox);
  pen.Stroke({kRight, top}, {kRight, bottom}, 1, kBox);
  pen.Stroke({kRight, bottom}, {kLeft, bottom}, 1, kBox);
  pen.Stroke({kLeft, bottom}, {kLeft, top}, 1, kBox);
}

}  // namespace

void Draw(Image& image, double dpr, const std::vector<SweepFrame>& frames, double k,
          Palette palette) {
  image = Image(Canvas::DeviceSide(kSize.width, dpr), Canvas::DeviceSide(kSize.height, dpr), dpr);
  Pen pen(image, dpr, palette);
  Box(pen, kEventsTop, kEventsBottom);
  Box(pen, kDurationTop, kDurationBottom);
  const Scale events = ScaleOf(frames, kEventsTop, kEventsBottom, [](const ValveEvents& e) {
    return std::array{e.opening, e.closing, e.peak};
  });
  const Scale duration = ScaleOf(frames, kDurationTop, kDurationBottom,
                                 [](const ValveEvents& e) { return std::array{e.duration}; });
  // The frame on the screen, under the curves.
  const bool on_sweep = k >= sweep::kFirstK && k <= sweep::kLastK;
  if (on_sweep) {
    pen.Dashed({KX(k), kEventsTop}, {KX(k), kEventsBottom}, 1, 3, kMark);
    pen.Dashed({KX(k), kDurationTop}, {KX(k), kDurationBottom}, 1, 3, kMark);
  }
  using F = SweepFrame;
  using E = ValveEvents;
  // The red's first: the blue's lie over them where the linkage leaves the timing as it is.
  for (const auto& [curve, width, c] :
       {std::tuple{&F::red, 1.5, colour::kRed}, std::tuple{&F::blue, 2.0, colour::kBlue}}) {
    Curve(pen, frames, events, curve, &E::opening, width, c, false);
    Curve(pen, frames, events, curve, &E::closing, width, c, false);
    Curve(pen, frames, events, curve, &E::peak, width, c, true);
    Curve(pen, frames, duration, curve, &E::duration, width, c, false);
  }
  if (!on_sweep) return;
  // Dots on the blue events of the frame on the screen, when it is one of the sweep's.
  for (const SweepFrame& f : frames) {
    if (f.k != k || !f.blue) continue;
    for (const double v : {f.blue->opening, f.blue->closing, f.blue->peak}) {
      pen.Dot({KX(k), events.Y(v)}, 3, colour::kBlue);
    }
    pen.Dot({KX(k), duration.Y(f.blue->duration)}, 3, colour::kBlue);
  }
}

}  // namespace tarsel::timing_plot
