// The entry points of the names over the picture (web/labels.js): the window's overlay
// (render/plot_labels.h), placed by the page over its canvas element, never in its pixels.
#include <emscripten.h>

#include <string>

#include "animation/frame_curves.h"
#include "animation/shared_state.h"
#include "geometry/configuration.h"
#include "render/plot_labels.h"
#include "web/explore.h"
#include "web/exports.h"
#include "web/json.h"

namespace {

// A picture drawn under three quarters of its design size (a course page's frame, a small
// screen) keeps its ticks, its lines and its axes named; the curves' names would cover each
// other and the curves, and the legend names them instead.
constexpr double kLeastZoomForCurves = 0.75;

constexpr const char* kAnchors[] = {"centre", "start", "end"};

}  // namespace

extern "C" {

// The names over the client area of `width` x `height` logical pixels in palette `palette` (0
// exact, 1 distinguishable), shown at `zoom` CSS pixels a logical one, with the checking lift
// `threshold`, as JSON rows [key, text, x, y, anchor, curve]: x and y in logical pixels, the
// anchor "centre", "start" or "end" (the text's middle row at y, and its middle, start or end at
// x), the curve its legend index or -1. Before a run the curves are those of no frame.
EMSCRIPTEN_KEEPALIVE const char* tarsel_plot_labels(double threshold, int width, int height,
                                                    int palette, double zoom) {
  static std::string json;
  const tarsel::PageSurface* live = tarsel::exports::Live();
  tarsel::SharedState none;
  none.config = tarsel::explore::Current();
  const tarsel::FrameCurves no_curves;
  const auto labels = tarsel::PlotLabels(
      live ? live->state() : none, live ? live->curves() : no_curves, threshold,
      tarsel::Size{width, height},
      palette == 1 ? tarsel::Palette::kDistinguishable : tarsel::Palette::kExact);
  json = "[";
  for (const tarsel::PlotLabel& l : labels) {
    if (l.curve >= 0 && zoom < kLeastZoomForCurves) continue;
    if (json.size() > 1) json += ",";
    json += "[" + tarsel::page::Quoted(l.key) + "," + tarsel::page::Quoted(l.text) + "," +
            tarsel::NumberText(l.x) + "," + tarsel::NumberText(l.y) + ",\"" +
            kAnchors[static_cast<int>(l.anchor)] + "\"," + std::to_string(l.curve) + "]";
  }
  json += "]";
  return json.c_str();
}

// The logical pixel row of the checking lift's marker.
EMSCRIPTEN_KEEPALIVE double tarsel_threshold_row(double threshold) {
  return tarsel::ThresholdRow(threshold);
}

}  // extern "C"
