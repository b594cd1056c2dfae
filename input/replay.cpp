#include "input/replay.h"

#include "render/canvas.h"

namespace tarsel {

Replay::Replay(std::vector<ScriptEvent> script, std::FILE* log, Canvas* canvas)
    : driver_(state_, *this), input_(std::move(script), state_, *this), log_(log), canvas_(canvas) {
  if (log_) {
    input_.OnDeliver([this](const ScriptEvent& e) {
      if (e.double_click) {
        std::fputs("D\n", log_);
      } else {
        std::fprintf(log_, "K %d\n", e.code);
      }
    });
  }
}

void Replay::Run() {
  driver_.Form_Activate();
  if (!stopped_for_input_ && !aborted_ && log_) std::fputs("X\n", log_);
}

void Replay::Line(float x1, float y1, float x2, float y2, std::uint32_t colour) {
  if (log_) {
    std::fprintf(log_, "L %.9g %.9g %.9g %.9g %u\n", static_cast<double>(x1),
                 static_cast<double>(y1), static_cast<double>(x2), static_cast<double>(y2),
                 static_cast<unsigned>(colour));
  }
  if (canvas_) canvas_->Line(x1, y1, x2, y2, colour);
}

void Replay::Cls() {
  if (log_) std::fputs("C\n", log_);
  if (canvas_) canvas_->Cls();
}

void Replay::DrawWidth(int width) {
  if (log_) std::fprintf(log_, "W %d\n", width);
  if (canvas_) canvas_->DrawWidth(width);
}

void Replay::DoEvents() {
  if (log_) std::fputs("E\n", log_);
  input_.PointEvents();
}

void Replay::BeginWait() {
  if (log_) std::fputs("A\n", log_);
  if (on_wait_ && !on_wait_()) {
    aborted_ = true;
    state_.ended = true;
  }
}

void Replay::WaitEvents(bool) {
  if (aborted_) return;
  if (!input_.WaitRound()) {
    // Nobody is left to press a key: stop here, as a user who walks away would leave it.
    stopped_for_input_ = true;
    state_.ended = true;
  }
}

}  // namespace tarsel
