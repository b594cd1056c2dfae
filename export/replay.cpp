#include "export/replay.h"

#include <charconv>
#include <cstdint>

#include "export/float_text.h"
#include "export/line_record.h"
#include "render/canvas.h"

namespace tarsel {

namespace {

// Writes "<tag> <number>\n", the form of the width and key lines.
void PutTagged(std::FILE* log, char tag, long number) {
  char line[32] = {tag, ' '};
  char* at = std::to_chars(line + 2, line + sizeof line - 1, number).ptr;
  *at++ = '\n';
  std::fwrite(line, 1, static_cast<std::size_t>(at - line), log);
}

}  // namespace

Replay::Replay(std::vector<ScriptEvent> script, std::FILE* log, Canvas* canvas,
               const Configuration& config, std::shared_ptr<const ProfileTables> profile)
    : driver_(state_, *this), input_(std::move(script), state_, *this), log_(log), canvas_(canvas) {
  state_.config = config;
  state_.profile = std::move(profile);
  if (log_) {
    input_.OnDeliver([this](const ScriptEvent& e) {
      if (e.event.kind == InputEvent::Kind::kDoubleClick) {
        std::fputs("D\n", log_);
      } else {
        PutTagged(log_, 'K', e.event.code);
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
    // "L x1 y1 x2 y2 colour": four at most 15 characters long ("-1.23456789e+38") and a
    // 32-bit number.
    char line[4 * 16 + 16];
    char* const end = line + sizeof line;
    char* at = line;
    *at++ = 'L';
    *at++ = ' ';
    for (const float v : {x1, y1, x2, y2}) {
      at = PutFloat(at, end, v);
      *at++ = ' ';
    }
    at = std::to_chars(at, end, colour).ptr;
    *at++ = '\n';
    std::fwrite(line, 1, static_cast<std::size_t>(at - line), log_);
  }
  if (canvas_) canvas_->Line(x1, y1, x2, y2, colour);
  if (record_) record_->Line(x1, y1, x2, y2, colour);
}

void Replay::Cls() {
  if (log_) std::fputs("C\n", log_);
  if (canvas_) canvas_->Cls();
  if (record_) record_->Cls();
}

void Replay::DrawWidth(int width) {
  if (log_) PutTagged(log_, 'W', width);
  if (canvas_) canvas_->DrawWidth(width);
  if (record_) record_->DrawWidth(width);
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
