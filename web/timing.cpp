// The entry points of the panel's "Valve timing": the events of the frame on the canvas at a
// checking lift, and another lift profile from a file the student opened. The timing over the
// sweep is the worker's (sweep_main.cpp): it draws 63 frames unseen and holds the plot's pixels,
// which the page does not need before a student asks for them.
#include "web/timing.h"

#include <emscripten.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "animation/timing.h"
#include "export/report.h"
#include "geometry/valve_events.h"
#include "web/exports.h"

namespace tarsel::timing {

namespace {
std::shared_ptr<const ProfileTables> current;
}  // namespace

const std::shared_ptr<const ProfileTables>& CurrentProfile() {
  return current;
}

}  // namespace tarsel::timing

namespace {

// An event's crank angle in the words of a valve-timing diagram, as a JSON string.
std::string Words(double x) {
  return "\"" + tarsel::DeadCentreWords(tarsel::CrankDegrees(x)) + "\"";
}

std::string WordsJson(const std::optional<tarsel::ValveEvents>& e) {
  if (!e) return "null";
  return "{\"opening\":" + Words(e->opening) + ",\"closing\":" + Words(e->closing) +
         ",\"peak\":" + Words(e->peak) + "}";
}

// blue - red in crank degrees: positive later (or longer).
std::string ShiftJson(const std::optional<tarsel::ValveEvents>& d) {
  if (!d) return "null";
  const tarsel::ValveEvents c{tarsel::CrankSpan(d->opening), tarsel::CrankSpan(d->closing),
                              tarsel::CrankSpan(d->peak), tarsel::CrankSpan(d->duration)};
  return "{\"opening\":" + tarsel::NumberText(c.opening) +
         ",\"closing\":" + tarsel::NumberText(c.closing) +
         ",\"peak\":" + tarsel::NumberText(c.peak) +
         ",\"duration\":" + tarsel::NumberText(c.duration) + "}";
}

// Where a curve's highest segment end is drawn, [x, lift], for its name over the picture; null
// for a curve not drawn.
std::string PeakJson(const std::vector<tarsel::Segment>& curve) {
  if (curve.empty()) return "null";
  double x = curve.front().x1, y = curve.front().y1;
  for (const tarsel::Segment& s : curve) {
    if (s.y1 > y) x = s.x1, y = s.y1;
    if (s.y2 > y) x = s.x2, y = s.y2;
  }
  return "[" + tarsel::NumberText(x) + "," + tarsel::NumberText(y) + "]";
}

}  // namespace

extern "C" {

// The valve events of the frame on the canvas at the checking lift `threshold`, as JSON: the
// report's "timing" object (plot units and crank degrees after TDC), each curve's events in
// before/after words, and the blue's shift from the red in crank degrees. "" before the first
// frame. Cheap: the frame's own segments, a few hundred of them.
EMSCRIPTEN_KEEPALIVE const char* tarsel_timing(double threshold) {
  static std::string json;
  const tarsel::PageSurface* live = tarsel::exports::Live();
  if (!live || !live->Started() || !(threshold > 0)) return "";
  const tarsel::FrameCurves& curves = live->curves();
  const tarsel::FrameTiming t = tarsel::TimingOf(curves, threshold);
  json = "{\"k\":" + tarsel::NumberText(live->state().k) + ",\"report\":" + tarsel::TimingJson(t) +
         ",\"words\":{\"red\":" + WordsJson(t.red) + ",\"green\":" + WordsJson(t.green) +
         ",\"blue\":" + WordsJson(t.blue) + "},\"shift\":" + ShiftJson(t.blue_from_red) +
         ",\"peaks\":{\"red\":" + PeakJson(curves.red) + ",\"green\":" + PeakJson(curves.green) +
         ",\"blue\":" + PeakJson(curves.blue) + "}}";
  return json.c_str();
}

// Another lift profile: its rows, angles rising, as the sweep's worker read them from the file
// (tarsel_read_profile, with the core's reader: the page's module does without it); no rows ask
// for the built-in profile again. The running animation draws the frame on the canvas again with
// it once the page has queued wire::kConfigure, and the next run starts with it.
EMSCRIPTEN_KEEPALIVE void tarsel_profile(const double* angles, const double* lifts, int rows) {
  std::shared_ptr<const tarsel::ProfileTables> profile;
  if (rows > 0) {
    const auto n = static_cast<std::size_t>(rows);
    profile = std::make_shared<const tarsel::ProfileTables>(
        tarsel::TablesOf(std::span(angles, n), std::span(lifts, n)));
  }
  tarsel::timing::current = std::move(profile);
  if (tarsel::PageSurface* live = tarsel::exports::Live()) {
    live->StageProfile(tarsel::timing::current);
  }
}

}  // extern "C"
