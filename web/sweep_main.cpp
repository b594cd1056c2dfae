// The module of the worker that writes the sweep's GIF (sweep_worker.js): the headless replay,
// the GIF writer and the label, apart from the page's module so that the page does not load
// them before a student asks for a sweep. It also works out the timing over the sweep (63
// frames drawn unseen, the plot and the timing data) and reads a profile file, which the page
// likewise needs only when a student asks. The answers go back through tarselWorker.
#include <emscripten.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "animation/timing.h"
#include "export/byte_sink.h"
#include "export/data_csv.h"
#include "export/sweep_gif.h"
#include "input/link.h"
#include "input/profile_file.h"
#include "render/timing_plot.h"

namespace {

EM_JS(void, js_gif_progress, (long done, long total), { tarselWorker.progress(done, total); });
EM_JS(void, js_gif, (const void* bytes, std::size_t size),
      { tarselWorker.gif(HEAPU8.slice(bytes, bytes + size)); });
EM_JS(void, js_gif_failed, (const char* message), { tarselWorker.failed(UTF8ToString(message)); });
EM_JS(void, js_timing, (const void* rgba, int width, int height),
      { tarselWorker.timing(HEAPU8.slice(rgba, rgba + width * height * 4), width, height); });
EM_JS(void, js_timing_csv, (const char* csv), { tarselWorker.timingCsv(UTF8ToString(csv)); });
EM_JS(void, js_profile, (const double* angles, const double* lifts, int rows), {
  tarselWorker.profile(HEAPF64.slice(angles / 8, angles / 8 + rows),
                       HEAPF64.slice(lifts / 8, lifts / 8 + rows));
});
EM_JS(void, js_timing_failed, (const char* message),
      { tarselWorker.timingFailed(UTF8ToString(message)); });

// The profile's rows, angles rising, from its first table (which holds them falling).
void Rows(const tarsel::ProfileTables& t, std::vector<double>* angles, std::vector<double>* lifts) {
  const std::size_t rows = t.xa.size() - 1;
  for (std::size_t n = rows; n >= 1; --n) {
    angles->push_back(t.xa[n]);
    lifts->push_back(t.ya[n]);
  }
}

// The sweep's events for the configuration, profile and checking lift asked for last: a new k
// only moves the plot's mark, so the 63 frames are drawn again only when one of these changes.
// Their timing data is written when it is saved: its 567 numbers, each in the shortest text
// that reads back as the same double, take the browser's C library several times as long as
// the events and the plot together.
struct SweepCache {
  std::string configuration, profile;
  double threshold = 0;
  std::vector<tarsel::SweepFrame> frames;
  bool valid = false;
};
SweepCache cache;

}  // namespace

extern "C" {

// The GIF of the sweep, as tarsel-render --gif writes it for the same keys.
// `configuration`: the configuration on the page's canvas, in the words of a link; `profile`:
// the text of the profile file it draws, empty for the built-in one.
EMSCRIPTEN_KEEPALIVE void tarsel_sweep_gif(const char* keys, long first, long frames, int width,
                                           int height, double dpr, int palette, int label,
                                           const char* configuration, const char* profile) {
  const tarsel::LinkConfiguration config = tarsel::ReadLinkConfiguration(configuration);
  if (!config.error.empty()) return js_gif_failed(config.error.c_str());
  tarsel::SweepGifRequest request;
  request.config = config.config;
  if (*profile != '\0') {
    std::string error;
    std::optional<tarsel::ProfileTables> tables = tarsel::ReadProfile(profile, &error);
    if (!tables) return js_gif_failed(error.c_str());
    request.profile = std::make_shared<const tarsel::ProfileTables>(std::move(*tables));
  }
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

extern "C" {

// A profile file's bytes, read as tarsel-render --profile reads them: its rows (tarselWorker.
// profile), or the one line that names the line and the fault.
EMSCRIPTEN_KEEPALIVE void tarsel_read_profile(const char* text, int length) {
  std::string error;
  const std::optional<tarsel::ProfileTables> tables =
      tarsel::ReadProfile(std::string_view(text, static_cast<std::size_t>(length)), &error);
  if (!tables) return js_timing_failed(error.c_str());
  std::vector<double> angles, lifts;
  Rows(*tables, &angles, &lifts);
  js_profile(angles.data(), lifts.data(), static_cast<int>(angles.size()));
}

// The timing over the sweep, as tarsel-render --timing-png and --timing-csv write it for the
// same configuration (a link's words), profile (a file's text, empty for the built-in one) and
// checking lift, with the frame at k marked on a plot of dpr device pixels a logical one.
// The catalogue of the page's language, for the messages the worker sends back (a profile
// file's faults).
EMSCRIPTEN_KEEPALIVE void tarsel_use_catalogue(const char* entries) {
  tarsel::UseCatalogueEntries(entries);
}

EMSCRIPTEN_KEEPALIVE void tarsel_sweep_timing(const char* configuration, const char* profile,
                                              double threshold, double k, double dpr, int palette) {
  if (!cache.valid || cache.configuration != configuration || cache.profile != profile ||
      cache.threshold != threshold) {
    const tarsel::LinkConfiguration config = tarsel::ReadLinkConfiguration(configuration);
    if (!config.error.empty()) return js_timing_failed(config.error.c_str());
    tarsel::SharedState base;
    base.config = config.config;
    const std::string_view text(profile);
    if (!text.empty()) {
      std::string error;
      std::optional<tarsel::ProfileTables> tables = tarsel::ReadProfile(text, &error);
      if (!tables) return js_timing_failed(error.c_str());
      base.profile = std::make_shared<const tarsel::ProfileTables>(std::move(*tables));
    }
    cache = {configuration, profile, threshold, tarsel::SweepTiming(base, threshold), true};
  }
  tarsel::Image plot;
  tarsel::timing_plot::Draw(plot, dpr, cache.frames, k,
                            palette == static_cast<int>(tarsel::Palette::kDistinguishable)
                                ? tarsel::Palette::kDistinguishable
                                : tarsel::Palette::kExact);
  js_timing(plot.pixels.data(), plot.width, plot.height);
}

// The timing data of the sweep worked out last, as tarsel-render --timing-csv writes it, with
// semicolons and decimal commas for `semicolons` (--csv-style semicolon); "" before any.
EMSCRIPTEN_KEEPALIVE void tarsel_sweep_timing_csv(int semicolons) {
  if (!cache.valid) return js_timing_csv("");
  js_timing_csv(tarsel::TimingCsv(cache.frames, semicolons != 0 ? tarsel::CsvStyle::kSemicolon
                                                                : tarsel::CsvStyle::kComma)
                    .c_str());
}

}  // extern "C"
