#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "animation/driver.h"
#include "animation/shared_state.h"
#include "animation/surface.h"

namespace tarsel::testing {

// One call made through the interface.
struct Call {
  enum Kind { kLine, kCls, kWidth, kEvents, kWaitBegins, kWait } kind;
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::uint32_t colour = 0;
  int width = 0;  // kWidth: the width set; kLine: the pen width in force
};

// The lines of one colour among `calls`, in order.
inline std::vector<Call> OfColour(const std::vector<Call>& calls, std::uint32_t colour) {
  std::vector<Call> out;
  for (const Call& c : calls) {
    if (c.kind == Call::kLine && c.colour == colour) out.push_back(c);
  }
  return out;
}

// The calls as a short text: "W3" sets the pen width, "L255@4" is a line of colour 255 at width
// 4, "E" processes the events of a table point, "B" begins the wait, "R" is a round of it and
// "C" a clear.
inline std::string Signature(const std::vector<Call>& calls) {
  std::string out;
  for (const Call& c : calls) {
    out += out.empty() ? "" : " ";
    out += "LCWEBR"[c.kind];
    if (c.kind == Call::kLine) out += std::to_string(c.colour) + "@";
    if (c.kind == Call::kLine || c.kind == Call::kWidth) out += std::to_string(c.width);
  }
  return out;
}

// The call is a line from (x1, y1) to (x2, y2), to single precision: each end within a float's
// rounding of a coordinate as large as the window's (relative 1e-5, absolute below 1).
inline ::testing::AssertionResult Joins(const Call& c, double x1, double y1, double x2, double y2) {
  constexpr double kFloatRounding = 1e-5;
  auto near = [](float got, double want) {
    return std::abs(static_cast<double>(got) - want) <=
           kFloatRounding * std::max(1.0, std::abs(want));
  };
  if (c.kind == Call::kLine && near(c.x1, x1) && near(c.y1, y1) && near(c.x2, x2) &&
      near(c.y2, y2)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "line (" << c.x1 << ", " << c.y1 << ") -> (" << c.x2 << ", " << c.y2 << "), expected ("
         << x1 << ", " << y1 << ") -> (" << x2 << ", " << y2 << ")";
}

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

  std::vector<Call> Lines(std::uint32_t colour) const { return OfColour(calls, colour); }
  // Adds `act` to what runs inside the n-th DoEvents call; earlier actions still run.
  void At(long n, std::function<void()> act) {
    on_point = [n, act = std::move(act), before = std::move(on_point)](long k) {
      if (before) before(k);
      if (k == n) act();
    };
  }
  long Count(Call::Kind kind) const {
    long n = 0;
    for (const Call& c : calls) n += c.kind == kind;
    return n;
  }
};

// The state as the loop's startup leaves it (tables filled, nothing drawn yet), at control
// angle k.
inline SharedState Started(double k) {
  SharedState state;
  RecordingSurface surface;
  Driver(state, surface).Startup();
  state.k = k;
  return state;
}

}  // namespace tarsel::testing
