// The entry points of the messages a page framing this one exchanges with it (web/messages.js):
// the state of the animation as a "state" or "frame" message gives it, and whether the query
// that a "set" message stands for opens a frame. Both read the page's link as the page does
// when it opens one (input/link.h), so that a message and a link can never mean two things.
#include <emscripten.h>

#include <cmath>
#include <string>
#include <string_view>

#include "animation/sweep.h"
#include "geometry/configuration.h"
#include "input/configuration_text.h"
#include "input/link.h"
#include "web/explore.h"
#include "web/exports.h"
#include "web/json.h"

namespace {

namespace sweep = tarsel::sweep;

using tarsel::page::Quoted;

// The frame of the sweep at k: a whole number on a step, a tenth more for every tenth of a
// step past it (4.525 is frame 1.1), as the keys move k.
double FrameAt(double k) {
  const sweep::Position at = sweep::PositionOf(k);
  if (at.exact) return static_cast<double>(at.frame);
  const double tenths = std::round((k - sweep::kFirstK) / sweep::kTenth);
  return 1 + tenths / 10;
}

// k as a link writes it: the thousandth the keys meant, not the sum's last bits.
double GridK(double k) {
  return std::round(k * 1000) / 1000;
}

}  // namespace

extern "C" {

// The animation's state as JSON: whether it has started, is still pressing a link's keys and
// has ended, k, its frame, the two
// switches, the query of a link to it (null where no key reaches k) and every parameter of
// the configuration on screen as a link writes it. Before the first frame: the first frame
// with the configuration the page will draw.
EMSCRIPTEN_KEEPALIVE const char* tarsel_state() {
  static std::string json;
  const tarsel::PageSurface* live = tarsel::exports::Live();
  const bool started = live && live->Started();
  double k = sweep::kFirstK;
  tarsel::Switches switches;
  tarsel::Configuration config = tarsel::explore::Current();
  if (started) {
    const tarsel::SharedState& s = live->state();
    k = s.k;
    switches = {.acc = s.acc == 1, .accumulate = s.ccllss == 1};
    config = s.config;
  }
  const std::optional<std::string> query = tarsel::LinkQuery(k, switches, config);
  const tarsel::ConfigurationTexts texts = tarsel::TextsOf(config);
  json = std::string("{\"started\":") + (started ? "true" : "false") +
         ",\"opening\":" + (live && live->opening() ? "true" : "false") +
         ",\"ended\":" + (live && live->ended() ? "true" : "false") +
         ",\"k\":" + tarsel::NumberText(GridK(k)) + ",\"frame\":" + tarsel::NumberText(FrameAt(k)) +
         ",\"acc\":" + (switches.acc ? "1" : "0") +
         ",\"accumulate\":" + (switches.accumulate ? "1" : "0") +
         ",\"query\":" + (query ? Quoted(*query) : "null") +
         ",\"linkage\":" + Quoted(*texts.linkage) + ",\"reference\":" + Quoted(*texts.reference) +
         ",\"assembly\":" + Quoted(*texts.assembly) + ",\"piston\":" + Quoted(*texts.piston) + "}";
  return json.c_str();
}

// Why a query cannot open a frame, one line naming the value, or "": read as the page reads
// its own link when it opens (tarsel_live), so that "set" refuses what a link would.
EMSCRIPTEN_KEEPALIVE const char* tarsel_link_refusal(const char* query) {
  static std::string error;
  error = tarsel::ReadLink(query).error;
  return error.c_str();
}

}  // extern "C"
