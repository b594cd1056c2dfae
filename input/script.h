#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "animation/surface.h"
#include "geometry/language.h"
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

// The two switches a frame is drawn with besides k: the velocity and acceleration curves
// (acc = 1), and frames accumulating instead of being cleared (ccllss = 1).
struct Switches {
  bool acc = false;
  bool accumulate = false;
  friend bool operator==(const Switches&, const Switches&) = default;
};

// The shortest key script whose last frame is drawn at control angle `k` with the switches as
// asked: BackSpace and then "/" at the first frame when they are on (each draws it once more),
// then plain keys or "," for whole steps of 0.25 from the first frame (4.5), then Enter or Tab
// for tenths. The switches go first, so that every frame on the way is drawn as the last one
// is: with frames accumulating, the picture is the pile of all of them. Nullopt when no script
// reaches k: off the grid of 0.025, above 20 (where the animation ends), or below kLowestAt.
//
// With frames accumulating, or with the curves of velocity and acceleration (whose finite
// differences carry over from frame to frame), the picture depends on the way to k: a link to a
// frame and tarsel-render --at both press exactly these keys.
std::optional<std::string> ScriptReaching(double k, Switches switches = {});
inline constexpr double kLowestAt = -100;
// The values of k that ScriptReaching reaches, as a message names them.
// TRANSLATORS: the frames a key script can reach, in a message that refuses another k.
inline constexpr const char* kReachableK = TrMark("k from -100 to 20 in steps of 0.025");
// The key these scripts step forward with: "a", which has no action of its own.
inline constexpr int kPlainKey = 'a';

// Where the frame at k with these switches stands on the way of ScriptReaching(k, switches): its
// first frame, or after the frame drawn just before it, with that frame's k as the keys
// computed it (the real handlers press them) and its switch acc. The window and the page give
// it to the driver, so that a new configuration's frame is the one a link reaches.
FrameBefore FrameBeforeReaching(double k, int acc, int ccllss);

// A sweep of frames from the one that ScriptReaching(k, switches) reaches: that script, then
// plain keys for the frames after it.
struct SweepKeys {
  std::string script;
  long first = 1;   // the number of the wait (from 1) at the frame at k: the sweep's first frame
  long frames = 0;  // frames in the sweep, that one included
};
// `frames` frames from the frame at k, or fewer where the animation ends after k = 20; with
// `frames` 0, all of them to that end. Nullopt where ScriptReaching is.
std::optional<SweepKeys> SweepFrom(double k, Switches switches, long frames);

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
