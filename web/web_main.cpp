// The entry points that the page calls: the animation as the user drives it, and the replay of
// a script for tests and for links to a given frame.
#include <emscripten.h>
#include <emscripten/heap.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "animation/probe.h"
#include "animation/sweep.h"
#include "export/data_csv.h"
#include "export/replay.h"
#include "geometry/language.h"
#include "input/link.h"
#include "input/number.h"
#include "input/probe_keys.h"
#include "input/script.h"
#include "render/canvas.h"
#include "render/mechanism.h"
#include "render/palette.h"
#include "render/probe_view.h"
#include "render/timing_plot.h"
#include "web/explore.h"
#include "web/exports.h"
#include "web/json.h"
#include "web/page.h"
#include "web/page_surface.h"
#include "web/timing.h"

namespace {

namespace sweep = tarsel::sweep;

// A replay's draw log is written into the page's memory: past this size the page says that it
// stops there rather than hand over a log that memory cut short. tarsel-render --log writes any
// length.
constexpr std::size_t kMostLogBytes = std::size_t{64} << 20;
// A long replay gives the browser control (and shows how far it is) this often.
constexpr double kProgressMs = 100;

using tarsel::page::Quoted;

std::string Hex(std::uint32_t window_colour) {
  // 00BBGGRR to the page's #rrggbb.
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", window_colour & 0xFF, window_colour >> 8 & 0xFF,
                window_colour >> 16 & 0xFF);
  return text;
}

// The legend: every curve with its colour, name and pen width in both palettes. Its names and
// descriptions in the language of the catalogue in use (the table's marked literals), so the
// catalogue is to be given before the page asks for its constants.
std::string CurvesJson() {
  const auto text = [](std::string_view marked) { return Quoted(tarsel::Tr(marked.data())); };
  constexpr const char* kShown[] = {"always", "plain", "derivatives"};
  std::string json = "[";
  for (const tarsel::Curve& c : tarsel::kCurves) {
    if (json.size() > 1) json += ",";
    json += "{\"colours\":[" + Quoted(Hex(c.colour)) + "," + Quoted(Hex(c.distinguishable)) +
            "],\"names\":[" + text(c.name) + "," + text(c.distinguishable_name) +
            "],\"width\":" + std::to_string(c.width) +
            ",\"shown\":" + Quoted(kShown[static_cast<int>(c.shown)]) +
            ",\"shows\":" + text(c.shows) + "}";
  }
  return json + "]";
}

// The explore controls' fields: each number's key, name, slider span and step, built-in value.
std::string FieldsJson() {
  const tarsel::Configuration built_in;
  std::string json = "[";
  for (const tarsel::ConfigurationField& f : tarsel::kConfigurationFields) {
    if (json.size() > 1) json += ",";
    json += "{\"key\":" + Quoted(f.key) + ",\"name\":" + Quoted(tarsel::Tr(f.name.data())) +
            ",\"low\":" + tarsel::NumberText(f.low) + ",\"high\":" + tarsel::NumberText(f.high) +
            ",\"step\":" + tarsel::NumberText(f.step) +
            ",\"builtin\":" + tarsel::NumberText(built_in.*f.value) + "}";
  }
  return json + "]";
}

std::string ConstantsJson() {
  namespace wire = tarsel::page::wire;
  using tarsel::Canvas;
  using tarsel::ProbeKey;
  char text[1024];
  std::snprintf(
      text, sizeof text,
      "{\"design\":[%d,%d],\"maxDeviceSide\":%d,\"scales\":[%.17g,%.17g],"
      "\"events\":{\"none\":%d,\"doubleClick\":%d,\"resize\":%d,\"configure\":%d},"
      "\"sweep\":{\"firstK\":%.17g,\"step\":%.17g,\"lastK\":%.17g,\"frames\":%d},"
      "\"mapping\":{\"left\":%.17g,\"top\":%.17g,\"pixelsPerX\":%.17g,\"pixelsPerY\":%.17g},"
      "\"probe\":{\"startX\":%.17g,\"limit\":%.17g,\"keys\":{\"left\":%d,\"right\":%d,\"home\":%d,"
      "\"end\":%d}},\"mechanism\":[%d,%d],\"timingPlot\":[%d,%d],\"mostLogBytes\":%zu,",
      Canvas::kDesignWidth, Canvas::kDesignHeight, Canvas::kMaxDeviceSide, Canvas::kLeastScale,
      Canvas::kMostScale, wire::kNone, wire::kDoubleClick, wire::kResize, wire::kConfigure,
      sweep::kFirstK, sweep::kStep, sweep::kLastK, sweep::kFrames, Canvas::kLeft, Canvas::kTop,
      Canvas::kPixelsPerX, Canvas::kPixelsPerY, tarsel::probe::kStartX, tarsel::probe::kLimit,
      static_cast<int>(ProbeKey::kLeft), static_cast<int>(ProbeKey::kRight),
      static_cast<int>(ProbeKey::kHome), static_cast<int>(ProbeKey::kEnd),
      tarsel::mechanism::kSize.width, tarsel::mechanism::kSize.height,
      tarsel::timing_plot::kSize.width, tarsel::timing_plot::kSize.height, kMostLogBytes);
  std::string json = text;
  json += "\"palettes\":[" + Quoted(NameOf(tarsel::Palette::kExact)) + "," +
          Quoted(NameOf(tarsel::Palette::kDistinguishable)) + "],";
  return json + "\"curves\":" + CurvesJson() + ",\"explore\":" + FieldsJson() + "}";
}

// The animation of the page: one run at a time, kept after its end so that the page can still
// show its picture at another size, scale or palette.
std::unique_ptr<tarsel::PageSurface> live;

}  // namespace

tarsel::PageSurface* tarsel::exports::Live() {
  return live.get();
}

extern "C" {

// The constants the page shares with the core, as one JSON object: the design size and the cap
// of the client area, the scales it can be drawn at, the numbers its input events travel as,
// the sweep, the mapping from user coordinates to the canvas's pixels (for the probe's marker),
// the probe's start and keys, the mechanism view's size, the palettes and the legend. The page
// reads them once, when the module has loaded.
// The catalogue of the language the student chose (web/language.js), before the constants are
// read: "english\x1ftranslation" entries, each ended by \x1e (the English of a text with a
// context is "context\x04english"). From then on the module's words (the readout, the
// account of the mechanism, the timing, the errors, the names over the pictures) are in that
// language; the pixels are the same in every one. An empty text is English.
EMSCRIPTEN_KEEPALIVE void tarsel_use_catalogue(const char* entries) {
  tarsel::UseCatalogueEntries(entries);
}

EMSCRIPTEN_KEEPALIVE const char* tarsel_constants() {
  static const std::string json = ConstantsJson();
  return json.c_str();
}

// 1 when a client area of width x height CSS pixels at ratio dpr fits the image's cap.
EMSCRIPTEN_KEEPALIVE int tarsel_fits(int width, int height, double dpr) {
  return tarsel::Canvas::FitsCap(tarsel::Size{width, height}, dpr) ? 1 : 0;
}

// The module's memory in bytes, for the tests: a replay holds no more than its canvas needs.
EMSCRIPTEN_KEEPALIVE double tarsel_heap_bytes() {
  return static_cast<double>(emscripten_get_heap_size());
}

// The most logical pixels a side of the client area at ratio dpr.
EMSCRIPTEN_KEEPALIVE int tarsel_most_side(double dpr) {
  return tarsel::Canvas::MostLogicalSide(dpr);
}

// Why the page's query (after "?") cannot be used, one line, or "": a parameter given twice, or
// a script with a parameter that names a frame. The page asks before it replays a script; the
// animation's own link reads the query the same way (tarsel_live).
EMSCRIPTEN_KEEPALIVE const char* tarsel_query_refusal(const char* query) {
  static std::string error;
  error = tarsel::ReadQuery(query).error;
  return error.c_str();
}

// A parameter's value as a number, as tarsel-render reads its numbers (input/number.h): the
// text's bytes and their count, so that a NUL among them is not the end. NaN when it is not a
// number.
EMSCRIPTEN_KEEPALIVE double tarsel_number(const char* text, int length) {
  return tarsel::ReadNumber(std::string_view(text, static_cast<std::size_t>(length)))
      .value_or(std::nan(""));
}

// Runs the animation in the client area the page shows (tarselPage.view()), from its first
// frame, or from the frame a link names when `query` (the page's, after "?") holds one: its keys
// are pressed first. It returns to the page only when the animation has ended; in between it is
// suspended in its waits and yields. After an end, a new call starts again with a fresh state
// and canvas.
EMSCRIPTEN_KEEPALIVE void tarsel_live(const char* query) {
  if (live && !live->ended()) return;
  live.reset();  // the old picture's memory goes first
  const tarsel::LinkRequest link = tarsel::ReadLink(query);
  std::vector<tarsel::ScriptEvent> opening;
  if (!link.error.empty()) tarsel::exports::LinkFailed(link.error.c_str());
  if (link.present && link.error.empty()) {
    opening = *tarsel::ParseScript(link.script, nullptr);
    tarsel::explore::SetCurrent(link.config);
  }
  live =
      std::make_unique<tarsel::PageSurface>(tarsel::page::CurrentView(), tarsel::explore::Current(),
                                            tarsel::timing::CurrentProfile(), std::move(opening));
  if (link.present && link.error.empty() && link.script.empty()) tarsel::exports::LinkOpened();
  live->Run();
}

// After the end of a run: shows its picture as the page now wants it (size, scale, palette).
// While a run goes on, the page queues a resize event instead.
EMSCRIPTEN_KEEPALIVE void tarsel_view_changed() {
  if (live && live->ended()) live->ApplyView();
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
// data", with commas (semicolons 0) or with semicolons and decimal commas (1); empty before the
// animation has started.
EMSCRIPTEN_KEEPALIVE const char* tarsel_data(int which, int semicolons) {
  static std::string csv;
  csv = live ? live->Csv(which == 1,
                         semicolons ? tarsel::CsvStyle::kSemicolon : tarsel::CsvStyle::kComma)
             : "";
  return csv.c_str();
}

// Plays a script as tarsel-render --script does, on a canvas of width x height CSS pixels at
// ratio dpr in palette `palette` (0 exact, 1 distinguishable), with the probe at `probe` and the
// configuration that `query` (the link's) names, and hands the page the draw log and the data
// export when `dump` is set.
EMSCRIPTEN_KEEPALIVE void tarsel_replay(const char* script, int length, int width, int height,
                                        double dpr, int dump, int palette, double probe,
                                        const char* query) {
  const tarsel::LinkConfiguration config = tarsel::ReadLinkConfiguration(query);
  if (!config.error.empty()) {
    tarsel::page::ReplayFailed(config.error.c_str());
    return;
  }
  tarsel::explore::SetCurrent(config.config);
  std::string error;
  // The script comes with its length, as the bytes of the link: a NUL among them is refused
  // with the token that holds it, instead of ending the script there.
  auto events =
      tarsel::ParseScript(std::string_view(script, static_cast<std::size_t>(length)), &error);
  if (!events) {
    tarsel::page::ReplayFailed(error.c_str());
    return;
  }
  // A frame at the start, and one after each key pressed in a wait.
  const long total = 1 + std::count_if(events->begin(), events->end(),
                                       [](const tarsel::ScriptEvent& e) { return e.at == 0; });
  tarsel::Canvas canvas(tarsel::Size{width, height}, dpr);
  const tarsel::Palette colours =
      palette == 1 ? tarsel::Palette::kDistinguishable : tarsel::Palette::kExact;
  canvas.SetPalette(colours);
  char* log_text = nullptr;
  std::size_t log_size = 0;
  std::FILE* log = dump ? open_memstream(&log_text, &log_size) : nullptr;
  tarsel::Replay replay(std::move(*events), log, &canvas, config.config);
  long frames = 0, cut_after = 0;
  double shown_ms = emscripten_get_now();
  replay.OnWait([&] {
    ++frames;
    if (log && (std::fflush(log) != 0 || log_size > kMostLogBytes)) {
      cut_after = frames;
      return false;
    }
    if (emscripten_get_now() - shown_ms >= kProgressMs) {
      tarsel::page::ReplayProgress(frames, total);
      tarsel::page::Yield();
      shown_ms = emscripten_get_now();
    }
    return true;
  });
  replay.Run();
  if (log) std::fclose(log);

  tarsel::page::MatchCanvas(canvas);
  tarsel::page::Show(canvas.image(), canvas.image().rect());
  tarsel::page::Readout(replay.state());
  tarsel::ProbeView view;
  view.Update(replay.state(), probe, tarsel::page::DeviceRatio(), colours);
  tarsel::page::ShowProbe(probe, view);
  const std::string csv = dump ? tarsel::LinkageCsv(replay.state()) : "";
  const std::string piston_csv = dump ? tarsel::PistonCsv(replay.state()) : "";
  tarsel::page::ReplayDone(log_text, log_size, dump ? csv.c_str() : nullptr,
                           dump ? piston_csv.c_str() : nullptr, cut_after);
  std::free(log_text);
}

}  // extern "C"
