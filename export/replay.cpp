#include "export/replay.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "render/canvas.h"

namespace tarsel {

namespace {

// The text of recent coordinates by their bits. Most come back in every frame (the axis and
// its ticks after each of the 200 trace points, both profiles, the piston curve), so most are
// copied from here instead of being formatted again.
struct Coordinates {
  static constexpr int kBits = 13;
  struct Entry {
    std::uint32_t bits = 0;
    std::uint8_t size = 0;  // 0: empty
    char text[15];          // at most "-1.23456789e+38"
  };
  Entry entries[1 << kBits];
};

// Appends a float as printf's "%.9g" would write it (nine significant digits, enough to read
// back the same float), and a space. std::to_chars gives the same characters several times
// faster: it neither parses a format nor consults the locale, and a frame has 40,000 of them.
char* PutCoordinate(char* at, char* end, float v) {
  // One per thread: replays may run side by side.
  thread_local Coordinates cache;
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  Coordinates::Entry& e = cache.entries[(bits * 2654435761u) >> (32 - Coordinates::kBits)];
  if (e.size == 0 || e.bits != bits) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    const char* last = std::to_chars(e.text, e.text + sizeof e.text, static_cast<double>(v),
                                     std::chars_format::general, 9)
                           .ptr;
    const auto size = last - e.text;
#else
    // A standard library without the floating-point to_chars (the browser edition's): the
    // same characters by printf, so that the log is the same everywhere.
    char text[32];
    const int size = std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    std::memcpy(e.text, text, sizeof e.text);
#endif
    e.bits = bits;
    e.size = static_cast<std::uint8_t>(size);
  }
  if (end - at < e.size + 1) return at;
  at = std::copy_n(e.text, e.size, at);
  *at++ = ' ';
  return at;
}

// Writes "<tag> <number>\n", the form of the width and key lines.
void PutTagged(std::FILE* log, char tag, long number) {
  char line[32] = {tag, ' '};
  char* at = std::to_chars(line + 2, line + sizeof line - 1, number).ptr;
  *at++ = '\n';
  std::fwrite(line, 1, static_cast<std::size_t>(at - line), log);
}

}  // namespace

Replay::Replay(std::vector<ScriptEvent> script, std::FILE* log, Canvas* canvas)
    : driver_(state_, *this), input_(std::move(script), state_, *this), log_(log), canvas_(canvas) {
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
    for (const float v : {x1, y1, x2, y2}) at = PutCoordinate(at, end, v);
    at = std::to_chars(at, end, colour).ptr;
    *at++ = '\n';
    std::fwrite(line, 1, static_cast<std::size_t>(at - line), log_);
  }
  if (canvas_) canvas_->Line(x1, y1, x2, y2, colour);
}

void Replay::Cls() {
  if (log_) std::fputs("C\n", log_);
  if (canvas_) canvas_->Cls();
}

void Replay::DrawWidth(int width) {
  if (log_) PutTagged(log_, 'W', width);
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
