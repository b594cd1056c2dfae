// The entry points that the page calls: the animation as the user drives it, and the replay of
// a script for tests and for links to a given frame.
#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "animation/probe.h"
#include "animation/sweep.h"
#include "export/data_csv.h"
#include "export/replay.h"
#include "input/link.h"
#include "input/probe_keys.h"
#include "input/script.h"
#include "render/canvas.h"
#include "render/mechanism.h"
#include "render/probe_view.h"
#include "web/exports.h"
#include "web/page.h"
#include "web/page_surface.h"

namespace {
// The animation as the user drives it; lives as long as the page (a new run needs a new page).
std::unique_ptr<tarsel::PageSurface> live;
}  // namespace

tarsel::PageSurface* tarsel::exports::Live() {
  return live.get();
}

extern "C" {

// The constants the page shares with the core, as one JSON object: the design size and the cap
// of the client area, the numbers its input events travel as, the sweep, the mapping from user
// coordinates to the canvas's pixels (for the probe's marker), the probe's start and keys and
// the mechanism view's size. The page reads them once, when the module has loaded.
EMSCRIPTEN_KEEPALIVE const char* tarsel_constants() {
  namespace sweep = tarsel::sweep;
  namespace wire = tarsel::page::wire;
  using tarsel::Canvas;
  using tarsel::ProbeKey;
  static const std::string json = [] {
    char text[1024];
    std::snprintf(
        text, sizeof text,
        "{\"design\":[%d,%d],\"maxDeviceSide\":%d,"
        "\"events\":{\"none\":%d,\"doubleClick\":%d,\"resize\":%d},"
        "\"sweep\":{\"firstK\":%.17g,\"step\":%.17g,\"lastK\":%.17g,\"frames\":%d},"
        "\"mapping\":{\"left\":%.17g,\"top\":%.17g,\"pixelsPerX\":%.17g,\"pixelsPerY\":%.17g},"
        "\"probe\":{\"startX\":%.17g,\"limit\":%.17g,\"keys\":{\"left\":%d,\"right\":%d,\"home\":%"
        "d,\"end\":%d}},"
        "\"mechanism\":[%d,%d]}",
        Canvas::kDesignWidth, Canvas::kDesignHeight, Canvas::kMaxDeviceSide, wire::kNone,
        wire::kDoubleClick, wire::kResize, sweep::kFirstK, sweep::kStep, sweep::kLastK,
        sweep::kFrames, Canvas::kLeft, Canvas::kTop, Canvas::kPixelsPerX, Canvas::kPixelsPerY,
        tarsel::probe::kStartX, tarsel::probe::kLimit, static_cast<int>(ProbeKey::kLeft),
        static_cast<int>(ProbeKey::kRight), static_cast<int>(ProbeKey::kHome),
        static_cast<int>(ProbeKey::kEnd), tarsel::mechanism::kSize.width,
        tarsel::mechanism::kSize.height);
    return std::string(text);
  }();
  return json.c_str();
}

// 1 when a client area of width x height CSS pixels at ratio dpr fits the image's cap.
EMSCRIPTEN_KEEPALIVE int tarsel_fits(int width, int height, double dpr) {
  return tarsel::Canvas::FitsCap(tarsel::Size{width, height}, dpr) ? 1 : 0;
}

// Runs the animation in a client area of width x height CSS pixels, first pressing the keys of
// a link to a frame when the page's query (`query`, after "?") holds one. It returns to the page
// only when the animation has ended; in between it is suspended in its waits and yields.
EMSCRIPTEN_KEEPALIVE void tarsel_live(int width, int height, double dpr, const char* query) {
  if (live) return;
  const tarsel::LinkRequest link = tarsel::ReadLink(query);
  std::vector<tarsel::ScriptEvent> opening;
  if (!link.error.empty()) tarsel::exports::LinkFailed(link.error.c_str());
  if (link.present && link.error.empty()) opening = *tarsel::ParseScript(link.script, nullptr);
  live =
      std::make_unique<tarsel::PageSurface>(tarsel::Size{width, height}, dpr, std::move(opening));
  if (link.present && link.error.empty() && link.script.empty()) tarsel::exports::LinkOpened();
  live->Run();
}

// The probe of the running animation: moved to x (user units), or by one of its keys
// (tarsel::ProbeKey). Called while the animation is suspended; the readout follows at once.
EMSCRIPTEN_KEEPALIVE void tarsel_probe_at(double x) {
  if (live && std::abs(x) <= tarsel::probe::kLimit) live->MoveProbeTo(x);
}
EMSCRIPTEN_KEEPALIVE void tarsel_probe_key(int key, int shift) {
  if (live && key >= 0 && key <= static_cast<int>(tarsel::ProbeKey::kEnd)) {
    live->PressProbeKey(static_cast<tarsel::ProbeKey>(key), shift != 0);
  }
}

// The data export of the frame on the canvas (which 0) or of the piston curve (1), for "Save
// data"; empty before the animation has started.
EMSCRIPTEN_KEEPALIVE const char* tarsel_data(int which) {
  static std::string csv;
  csv = live ? live->Csv(which == 1) : "";
  return csv.c_str();
}

// Plays a script as tarsel-render --script does, on a canvas of width x height CSS pixels, with
// the probe at `probe`, and hands the page the draw log and the data export when `dump` is set.
EMSCRIPTEN_KEEPALIVE void tarsel_replay(const char* script, int width, int height, double dpr,
                                        int dump, double probe) {
  std::string error;
  auto events = tarsel::ParseScript(script, &error);
  if (!events) {
    tarsel::page::ReplayFailed(error.c_str());
    return;
  }
  tarsel::Canvas canvas(tarsel::Size{width, height}, dpr);
  char* log_text = nullptr;
  std::size_t log_size = 0;
  std::FILE* log = dump ? open_memstream(&log_text, &log_size) : nullptr;
  tarsel::Replay replay(std::move(*events), log, &canvas);
  replay.Run();
  if (log) std::fclose(log);

  tarsel::page::MatchCanvas(canvas);
  tarsel::page::Show(canvas.image(), canvas.image().rect());
  tarsel::page::Readout(replay.state());
  tarsel::ProbeView view;
  view.Update(replay.state(), probe, dpr);
  tarsel::page::ShowProbe(probe, view);
  const std::string csv = dump ? tarsel::LinkageCsv(replay.state()) : "";
  const std::string piston_csv = dump ? tarsel::PistonCsv(replay.state()) : "";
  tarsel::page::ReplayDone(log_text, log_size, dump ? csv.c_str() : nullptr,
                           dump ? piston_csv.c_str() : nullptr);
  std::free(log_text);
}

}  // extern "C"
