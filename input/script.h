#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "animation/shared_state.h"
#include "animation/surface.h"
#include "input/event.h"

namespace tarsel {

// One event of a script, and when it is delivered: with `at` 0, during a wait, one per test of
// the wait; with `at` N > 0, inside the N-th event-processing call made at a table point of a
// drawing pass.
struct ScriptEvent {
  InputEvent event;
  std::int64_t at = 0;
  friend bool operator==(const ScriptEvent&, const ScriptEvent&) = default;
};

// Parses "TOKENS": character codes ("44", "13", ...), key names ("space", "enter", "tab",
// "backspace", "esc", "comma", "slash"), a single printable character other than a digit or
// "@" ("a", "/": its own code), or "dbl", each optionally followed by "@N", separated by spaces
// or commas. On a malformed token returns nullopt and names it in
// *error.
std::optional<std::vector<ScriptEvent>> ParseScript(std::string_view text, std::string* error);

// The shortest key script whose last frame is drawn at control angle `k`: plain keys or ","
// for whole steps of 0.25 from the first frame (4.5), then Enter or Tab for tenths. Nullopt
// when no script reaches k: off the grid of 0.025, above 20 (where the animation ends), or
// below kLowestAt.
std::optional<std::string> ScriptReaching(double k);
inline constexpr double kLowestAt = -100;

// Plays a script into the handlers at the moments a user's events would reach them: the
// events of TOKEN@N inside the N-th event-processing call at a table point (in script order
// within one call), the others one per test of a wait. A wait that finds kk already 1 takes
// none, and a wait with no event left means nobody is there to press a key.
class ScriptedInput {
 public:
  ScriptedInput(std::vector<ScriptEvent> script, SharedState& state, Surface& surface);

  // Called with each event just before its handler runs (a draw log writes it down).
  void OnDeliver(std::function<void(const ScriptEvent&)> hook) { on_deliver_ = std::move(hook); }

  // Inside the driver's event-processing call at a table point.
  void PointEvents();
  // One test of the wait. False when the wait needs a key and the script has none left.
  bool WaitRound();

  std::int64_t point_calls() const { return point_calls_; }

 private:
  void Deliver(const ScriptEvent& e);

  SharedState& state_;
  Surface& surface_;
  std::vector<ScriptEvent> at_points_;  // sorted by `at`, script order within one call
  std::vector<ScriptEvent> in_waits_;   // script order
  std::size_t next_point_ = 0;
  std::size_t next_wait_ = 0;
  std::int64_t point_calls_ = 0;
  std::function<void(const ScriptEvent&)> on_deliver_;
};

}  // namespace tarsel
