#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "animation/surface.h"

namespace tarsel {

class Canvas;

// One user event of a replay script.
struct ScriptEvent {
  bool double_click = false;
  int code = 0;  // character code of a key press
  // 0: delivered during a wait, one per test of the wait. N > 0: delivered inside the N-th
  // event-processing call made at a table point of a drawing pass.
  long at = 0;
};

// Parses "TOKENS": character codes ("44", "13", ...) or "dbl", each optionally followed by
// "@N", separated by spaces or commas. On a malformed token returns nullopt and names it in
// *error.
std::optional<std::vector<ScriptEvent>> ParseScript(const std::string& text, std::string* error);

// Runs the real driver and handlers without a window: events come from a script, every
// drawing and event call can be written to a draw log, and drawing can go to a canvas.
class Replay : public Surface {
 public:
  // log and canvas may be null.
  Replay(std::vector<ScriptEvent> script, std::FILE* log, Canvas* canvas);

  // Runs the animation to its end, or until it waits with no scripted key left.
  void Run();

  // True when the run stopped because the script ran out during a wait.
  bool stopped_for_input() const { return stopped_for_input_; }
  const SharedState& state() const { return state_; }

  // Called each time the loop begins a wait, when the frame is complete on the canvas. A
  // false result ends the run there, as if the program had been ended (see aborted()).
  void OnWait(std::function<bool()> hook) { on_wait_ = std::move(hook); }
  bool aborted() const { return aborted_; }

  void Line(float x1, float y1, float x2, float y2, std::uint32_t colour) override;
  void Cls() override;
  void DrawWidth(int width) override;
  void DoEvents() override;
  void BeginWait() override;
  void WaitEvents(bool block) override;

 private:
  void Deliver(const ScriptEvent& e);

  SharedState state_;
  Driver driver_;
  std::FILE* log_;
  Canvas* canvas_;
  std::vector<ScriptEvent> at_points_;  // sorted by `at`, script order within one call
  std::vector<ScriptEvent> in_waits_;   // script order
  std::size_t next_point_ = 0;
  std::size_t next_wait_ = 0;
  long point_calls_ = 0;
  bool stopped_for_input_ = false;
  std::function<bool()> on_wait_;
  bool aborted_ = false;
};

}  // namespace tarsel
