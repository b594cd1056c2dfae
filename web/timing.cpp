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
#include "render/timing_view.h"
#include "web/exports.h"
#include "web/json.h"

namespace tarsel::timing {

namespace {
std::shared_ptr<const ProfileTables> current;
}  // namespace

const std::shared_ptr<const ProfileTables>& CurrentProfile() {
  return current;
}

}  // namespace tarsel::timing

namespace {

// The panels' lines of the valve timing as [key, label, value] rows.
std::string LinesJson(const tarsel::FrameTiming& t) {
  using tarsel::page::Quoted;
  std::string json;
  for (const tarsel::ReadoutLine& l : tarsel::TimingLines(t)) {
    json += (json.empty() ? "[" : ",") + std::string("[") + Quoted(l.key) + "," + Quoted(l.label) +
            "," + Quoted(l.value) + "]";
  }
  return json + "]";
}

}  // namespace

extern "C" {

// The valve events of the frame on the canvas at the checking lift `threshold`, as JSON: its
// k, the window panel's lines (render/timing_view.h) and the sentence a screen reader hears
// after the frame's own words. "" before the first frame. Cheap: the frame's own segments, a
// few hundred of them.
EMSCRIPTEN_KEEPALIVE const char* tarsel_timing(double threshold) {
  static std::string json;
  const tarsel::PageSurface* live = tarsel::exports::Live();
  if (!live || !live->Started() || !(threshold > 0)) return "";
  const tarsel::FrameTiming t = tarsel::TimingOf(live->curves(), threshold);
  json = "{\"k\":" + tarsel::NumberText(live->state().k) + ",\"lines\":" + LinesJson(t) +
         ",\"spoken\":" + tarsel::page::Quoted(tarsel::TimingSpoken(t)) + "}";
  return json.c_str();
}

// The same events as --report's "timing" object (plot units and crank degrees after TDC), on
// demand: its numbers in the shortest text that reads back as the same double cost as much as
// the rest of the frame's events, and only a comparison with tarsel-render needs them.
EMSCRIPTEN_KEEPALIVE const char* tarsel_timing_report(double threshold) {
  static std::string json;
  const tarsel::PageSurface* live = tarsel::exports::Live();
  if (!live || !live->Started() || !(threshold > 0)) return "";
  json = tarsel::TimingJson(tarsel::TimingOf(live->curves(), threshold));
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
