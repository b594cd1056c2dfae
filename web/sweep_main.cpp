// The module of the worker that writes the sweep's GIF (sweep_worker.js): the headless replay,
// the GIF writer and the label, apart from the page's module so that the page does not load
// them before a student asks for a sweep. The answers go back through tarselWorker.
#include <emscripten.h>

#include <cstddef>
#include <string>

#include "export/byte_sink.h"
#include "export/sweep_gif.h"
#include "input/link.h"

namespace {

EM_JS(void, js_gif_progress, (long done, long total), { tarselWorker.progress(done, total); });
EM_JS(void, js_gif, (const void* bytes, std::size_t size),
      { tarselWorker.gif(HEAPU8.slice(bytes, bytes + size)); });
EM_JS(void, js_gif_failed, (const char* message), { tarselWorker.failed(UTF8ToString(message)); });

}  // namespace

extern "C" {

// The GIF of the sweep, as tarsel-render --gif writes it for the same keys.
// `configuration`: the configuration on the page's canvas, in the words of a link.
EMSCRIPTEN_KEEPALIVE void tarsel_sweep_gif(const char* keys, long first, long frames, int width,
                                           int height, double dpr, int palette, int label,
                                           const char* configuration) {
  const tarsel::LinkConfiguration config = tarsel::ReadLinkConfiguration(configuration);
  if (!config.error.empty()) return js_gif_failed(config.error.c_str());
  tarsel::SweepGifRequest request;
  request.config = config.config;
  request.sweep = {keys, first, frames};
  request.logical = {width, height};
  request.dpr = dpr;
  request.palette = palette == static_cast<int>(tarsel::Palette::kDistinguishable)
                        ? tarsel::Palette::kDistinguishable
                        : tarsel::Palette::kExact;
  request.label = label != 0;
  tarsel::MemorySink out;
  const std::string error = tarsel::WriteSweepGif(
      request, out, [](long done, long total) { js_gif_progress(done, total); });
  if (!error.empty()) return js_gif_failed(error.c_str());
  js_gif(out.bytes().data(), out.bytes().size());
}

}  // extern "C"
