// The entry points of the page's exports: a link to the frame on the canvas, the picture as
// SVG, and the keys of the sweep from that frame, which the worker's module (sweep_main.cpp)
// writes as a GIF. The answers go back through tarselExports; every failure is one line.
#include "web/exports.h"

#include <emscripten.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "export/svg_file.h"
#include "geometry/language.h"
#include "input/configuration_text.h"
#include "input/link.h"
#include "input/script.h"

namespace {

EM_JS(void, js_link_opened, (), { tarselExports.linkOpened(); });
EM_JS(void, js_link_failed, (const char* message),
      { tarselExports.linkFailed(UTF8ToString(message)); });
EM_JS(void, js_link, (const char* query), { tarselExports.link(UTF8ToString(query)); });
EM_JS(void, js_svg, (const void* bytes, std::size_t size),
      { tarselExports.svg(HEAPU8.slice(bytes, bytes + size)); });
EM_JS(void, js_failed, (const char* message), { tarselExports.failed(UTF8ToString(message)); });
EM_JS(void, js_sweep,
      (const char* keys, long first, long frames, int width, int height, double dpr, int palette,
       const char* configuration),
      {
        tarselExports.sweep(UTF8ToString(keys), first, frames, width, height, dpr, palette,
                            UTF8ToString(configuration));
      });

// The frame on the canvas as the exports name it: k and the two switches. False (with the
// reason given to the page) before the animation has started.
bool FrameOnCanvas(double* k, tarsel::Switches* switches) {
  const tarsel::PageSurface* live = tarsel::exports::Live();
  if (!live || !live->Started()) {
    js_failed(tarsel::Tr("the animation has not started yet: click the picture first"));
    return false;
  }
  const tarsel::SharedState& state = live->state();
  *k = state.k;
  *switches = {.acc = state.acc == 1, .accumulate = state.ccllss == 1};
  return true;
}

// Why no export starts from k, one line.
void Unreachable(double k) {
  char value[32];
  std::snprintf(value, sizeof value, "%.3f", k);
  // TRANSLATORS: %1$s is k, %2$s the values of k that key scripts reach.
  js_failed(tarsel::Fill(tarsel::Tr("no key script reaches k = %1$s: expected %2$s"),
                         {tarsel::LocalNumbers(value), tarsel::kReachableK})
                .c_str());
}

}  // namespace

namespace tarsel::exports {

void LinkOpened() {
  js_link_opened();
}

void LinkFailed(const char* message) {
  js_link_failed(message);
}

}  // namespace tarsel::exports

extern "C" {

// "Copy link": the query of a link to the frame on the canvas.
EMSCRIPTEN_KEEPALIVE void tarsel_link() {
  double k = 0;
  tarsel::Switches switches;
  if (!FrameOnCanvas(&k, &switches)) return;
  const std::optional<std::string> query =
      tarsel::LinkQuery(k, switches, tarsel::exports::Live()->state().config);
  if (!query) return Unreachable(k);
  js_link(query->c_str());
}

// "Save SVG": the lines since the last clear, at the canvas's size and pixel ratio.
EMSCRIPTEN_KEEPALIVE void tarsel_svg() {
  double k = 0;
  tarsel::Switches switches;
  if (!FrameOnCanvas(&k, &switches)) return;
  const tarsel::PageSurface& live = *tarsel::exports::Live();
  const tarsel::Image& image = live.canvas().image();
  std::string svg;
  if (std::string error = tarsel::SvgPicture(live.lines(), {image.width, image.height}, image.dpr,
                                             live.canvas().palette(), &svg);
      !error.empty()) {
    return js_failed(error.c_str());
  }
  js_svg(svg.data(), svg.size());
}

// "Save the sweep": the keys of the sweep from the frame on the canvas, `frames` frames (0: to
// the end), for the worker, with the canvas's size, pixel ratio and palette.
EMSCRIPTEN_KEEPALIVE void tarsel_sweep(long frames) {
  double k = 0;
  tarsel::Switches switches;
  if (!FrameOnCanvas(&k, &switches)) return;
  const std::optional<tarsel::SweepKeys> sweep = tarsel::SweepFrom(k, switches, frames);
  if (!sweep) return Unreachable(k);
  const tarsel::Canvas& canvas = tarsel::exports::Live()->canvas();
  // The configuration on the canvas, in the words of a link, for the worker's module.
  const std::string configuration =
      tarsel::ConfigurationQuery(tarsel::exports::Live()->state().config);
  js_sweep(sweep->script.c_str(), sweep->first, sweep->frames, canvas.logicalSize().width,
           canvas.logicalSize().height, canvas.devicePixelRatio(),
           static_cast<int>(canvas.palette()), configuration.c_str());
}

}  // extern "C"
