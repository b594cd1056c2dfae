#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "animation/surface.h"

namespace tarsel::testing {

// One call made through the interface.
struct Call {
  enum Kind { kLine, kCls, kWidth, kEvents, kWaitBegins, kWait } kind;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::uint32_t colour = 0;
  int width = 0;  // kWidth: the width set; kLine: the pen width in force
};

// Records every call and lets a test act inside the event-processing calls, the way a user's
// key presses arrive.
class RecordingSurface : public Surface {
 public:
  std::vector<Call> calls;
  int width = 1;
  long point_calls = 0;  // DoEvents calls at table points so far
  long wait_calls = 0;
  // Runs inside the n-th DoEvents call (1-based over the whole run).
  std::function<void(long n)> on_point;
  // Runs inside every round of a wait; `first` is the round that does not block.
  std::function<void(bool first)> on_wait;

  void Line(float x1, float y1, float x2, float y2, std::uint32_t colour) override {
    calls.push_back({Call::kLine, x1, y1, x2, y2, colour, width});
  }
  void Cls() override { calls.push_back({Call::kCls}); }
  void DrawWidth(int w) override {
    width = w;
    Call c{Call::kWidth};
    c.width = w;
    calls.push_back(c);
  }
  void DoEvents() override {
    calls.push_back({Call::kEvents});
    ++point_calls;
    if (on_point) on_point(point_calls);
  }
  void BeginWait() override { calls.push_back({Call::kWaitBegins}); }
  void WaitEvents(bool block) override {
    calls.push_back({Call::kWait});
    ++wait_calls;
    if (on_wait) on_wait(!block);
  }

  std::vector<Call> Lines(std::uint32_t colour) const {
    std::vector<Call> out;
    for (const Call& c : calls) {
      if (c.kind == Call::kLine && c.colour == colour) out.push_back(c);
    }
    return out;
  }
  long Count(Call::Kind kind) const {
    long n = 0;
    for (const Call& c : calls) n += c.kind == kind;
    return n;
  }
};

}  // namespace tarsel::testing
