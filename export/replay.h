#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "animation/surface.h"
#include "input/script.h"

namespace tarsel {

class Canvas;
class LineRecord;

// Runs the real driver and handlers without a window: events come from a script, every
// drawing and event call can be written to a draw log, and drawing can go to a canvas.
//
// The draw log has one line per call: "W n" pen width, "L x1 y1 x2 y2 colour" line (the
// coordinates as the nearest 9-digit decimals of the floats, the colour 00BBGGRR in decimal),
// "C" clear, "E" event processing at a table point, "A" the wait begins, "K code" key
// delivered, "D" double-click delivered, "X" the program ends.
class Replay : public Surface {
 public:
  // log and canvas may be null. The animation draws configuration `config` throughout, with
  // the lift profile `profile` (null: the built-in one).
  Replay(std::vector<ScriptEvent> script, std::FILE* log, Canvas* canvas,
         const Configuration& config = {}, std::shared_ptr<const ProfileTables> profile = nullptr);

  // Runs the animation to its end, or until it waits with no scripted key left.
  void Run();

  // True when the run stopped because the script ran out during a wait.
  bool stopped_for_input() const { return stopped_for_input_; }
  const SharedState& state() const { return state_; }
  // The lift curves of the last frame that came to its wait.
  const FrameCurves& curves() const { return driver_.curves(); }

  // Called each time the loop begins a wait, when the frame is complete on the canvas. A
  // false result ends the run there, as if the program had been ended (see aborted()).
  void OnWait(std::function<bool()> hook) { on_wait_ = std::move(hook); }
  // The lines since the last clear also go to `record` (null: nowhere), for a vector picture.
  void RecordLines(LineRecord* record) { record_ = record; }
  bool aborted() const { return aborted_; }

  void Line(float x1, float y1, float x2, float y2, std::uint32_t colour) override;
  void Cls() override;
  void DrawWidth(int width) override;
  void DoEvents() override;
  void BeginWait() override;
  void WaitEvents(bool block) override;

 private:
  SharedState state_;
  Driver driver_;
  ScriptedInput input_;
  std::FILE* log_;
  Canvas* canvas_;
  LineRecord* record_ = nullptr;
  bool stopped_for_input_ = false;
  std::function<bool()> on_wait_;
  bool aborted_ = false;
};

}  // namespace tarsel
