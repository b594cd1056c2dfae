// The entry points that the page calls: the animation as the user drives it, and the replay of
// a script for tests and for links to a given frame.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "animation/sweep.h"
#include "export/replay.h"
#include "input/script.h"
#include "render/canvas.h"
#include "web/page.h"
#include "web/page_surface.h"

extern "C" {

// The constants the page shares with the core, as one JSON object: the design size and the cap
// of the client area, the numbers its input events travel as, and the sweep. The page reads
// them once, when the module has loaded.
EMSCRIPTEN_KEEPALIVE const char* tarsel_constants() {
  namespace sweep = tarsel::sweep;
  namespace wire = tarsel::page::wire;
  static const std::string json = [] {
    char text[512];
    std::snprintf(text, sizeof text,
                  "{\"design\":[%d,%d],\"maxDeviceSide\":%d,"
                  "\"events\":{\"none\":%d,\"doubleClick\":%d,\"resize\":%d},"
                  "\"sweep\":{\"firstK\":%.17g,\"step\":%.17g,\"lastK\":%.17g,\"frames\":%d}}",
                  tarsel::Canvas::kDesignWidth, tarsel::Canvas::kDesignHeight,
                  tarsel::Canvas::kMaxDeviceSide, wire::kNone, wire::kDoubleClick, wire::kResize,
                  sweep::kFirstK, sweep::kStep, sweep::kLastK, sweep::kFrames);
    return std::string(text);
  }();
  return json.c_str();
}

// 1 when a client area of width x height CSS pixels at ratio dpr fits the image's cap.
EMSCRIPTEN_KEEPALIVE int tarsel_fits(int width, int height, double dpr) {
  return tarsel::Canvas::FitsCap(tarsel::Size{width, height}, dpr) ? 1 : 0;
}

// Runs the animation in a client area of width x height CSS pixels. It returns to the page
// only when the animation has ended; in between it is suspended in its waits and yields.
EMSCRIPTEN_KEEPALIVE void tarsel_live(int width, int height, double dpr) {
  // Lives as long as the page: a new run needs a new page.
  static std::unique_ptr<tarsel::PageSurface> surface;
  if (surface) return;
  surface = std::make_unique<tarsel::PageSurface>(tarsel::Size{width, height}, dpr);
  surface->Run();
}

// Plays a script as tarsel-render --script does, on a canvas of width x height CSS pixels, and
// hands the page the draw log when `dump` is set.
EMSCRIPTEN_KEEPALIVE void tarsel_replay(const char* script, int width, int height, double dpr,
                                        int dump) {
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
  tarsel::page::ReplayDone(log_text, log_size);
  std::free(log_text);
}

}  // extern "C"
