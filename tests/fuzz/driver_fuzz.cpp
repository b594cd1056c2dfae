// Coverage-guided fuzzing of the animation loop and the key handlers. The input bytes become an
// event script in the headless replay's terms (keys of any code 0..65535 and double-clicks,
// delivered during a wait or inside any event-processing call of a drawing pass, and long runs
// of one key that drive k far below its range), played against the real driver through a
// surface that checks every call. Any of these ends the run with an abort:
//   - a line with a coordinate that is not finite, or drawn at a pen width outside 1..4;
//   - a line drawn after the program was ended;
//   - the table index register outside its range at an event-processing call (the tables
//     themselves are bounds-checked: this target is built with _GLIBCXX_ASSERTIONS);
//   - more surface calls between two waits than any frame can make (a run that neither ends
//     nor waits);
//   - any AddressSanitizer or UndefinedBehaviorSanitizer report.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "animation/driver.h"
#include "input/handlers.h"
#include "input/script.h"

namespace tarsel {
namespace {

using Event = ScriptEvent;

// Keys worth hitting often: the six that move k or switch a mode, Escape, and some plain and
// odd codes.
constexpr int kKeys[32] = {key::kComma,
                           key::kTab,
                           key::kEnter,
                           key::kBackSpace,
                           key::kSpace,
                           key::kSlash,
                           key::kComma,
                           key::kTab,
                           'a',
                           'z',
                           '0',
                           ' ' + 1,
                           0,
                           1,
                           127,
                           128,
                           255,
                           256,
                           0xD800,
                           0xFFFF,
                           key::kComma,
                           key::kTab,
                           key::kEnter,
                           key::kBackSpace,
                           key::kSlash,
                           key::kSpace,
                           'q',
                           '\n',
                           key::kEscape,
                           10,
                           12,
                           31};

// At most this many events delivered in waits (each one can release a frame) and in all.
constexpr std::size_t kMaxWaitEvents = 32;
constexpr std::size_t kMaxEvents = 100'000;
// A frame makes about 12,000 surface calls; four times that means it never reaches its wait.
constexpr long kMaxCallsBetweenWaits = 50'000;

// Decodes the input. Each event starts with one byte: bit 7 set puts it at a table point,
// then a byte of distance from the previous point event follows (times 64 with bit 6 set).
// The low six bits choose: 0..31 a key from kKeys, 32..39 a double-click, 40..47 a key code
// from the next two bytes, 48..63 a run of the key kKeys[next byte % 32], as long as the byte
// after it says (times 16 at a point, where a run costs nothing but the handler).
std::vector<Event> Decode(const std::uint8_t* data, std::size_t size) {
  std::vector<Event> events;
  std::size_t i = 0, waits = 0;
  long point = 0;
  auto next = [&]() -> int { return i < size ? data[i++] : 0; };
  while (i < size) {
    const int op = next();
    Event e;
    if (op & 0x80) {
      const long step = next();
      point += (op & 0x40) ? step * 64 : step;
      e.at = point < 1 ? 1 : point;
    }
    const int what = op & 0x3F;
    int repeat = 1;
    if (what < 32) {
      e.event = InputEvent::Key(kKeys[what]);
    } else if (what < 40) {
      e.event = InputEvent::DoubleClick();
    } else if (what < 48) {
      const int high = next();
      e.event = InputEvent::Key(high << 8 | next());
    } else {
      e.event = InputEvent::Key(kKeys[next() % 32]);
      repeat = (next() + 1) * (e.at > 0 ? 16 : 1);
    }
    for (int r = 0; r < repeat; ++r) {
      if ((e.at == 0 && ++waits > kMaxWaitEvents) || events.size() == kMaxEvents) break;
      events.push_back(e);
    }
  }
  return events;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "driver_fuzz: %s\n", what);
  std::abort();
}

// Delivers scripted events by the replay's own rules and checks every call of the driver.
class CheckingSurface : public Surface {
 public:
  explicit CheckingSurface(std::vector<Event> script)
      : driver_(state_, *this), input_(std::move(script), state_, *this) {}

  void Run() { driver_.Form_Activate(); }

  void Line(float x1, float y1, float x2, float y2, std::uint32_t) override {
    Count();
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
      Fail("a line with a coordinate that is not finite");
    }
    if (width_ < 1 || width_ > 4) Fail("a line at a pen width outside 1..4");
    if (state_.ended) Fail("a line drawn after the program was ended");
  }
  void Cls() override { Count(); }
  void DrawWidth(int width) override {
    Count();
    width_ = width;
  }
  void DoEvents() override {
    Count();
    const int n = driver_.registers().n;
    if (n < ProfileTables::kFirst || n > ProfileTables::kBuiltInLast + 1) {
      Fail("the table index is out of its range at an event-processing call");
    }
    input_.PointEvents();
  }
  void BeginWait() override { calls_since_wait_ = 0; }
  void WaitEvents(bool) override {
    calls_since_wait_ = 0;
    if (!input_.WaitRound()) state_.ended = true;
  }

 private:
  void Count() {
    if (++calls_since_wait_ > kMaxCallsBetweenWaits) {
      Fail("the run neither ends nor waits within a frame's number of calls");
    }
  }
  SharedState state_;
  Driver driver_;
  ScriptedInput input_;
  long calls_since_wait_ = 0;
  int width_ = 1;
};

}  // namespace
}  // namespace tarsel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarsel::CheckingSurface surface(tarsel::Decode(data, size));
  surface.Run();
  return 0;
}
