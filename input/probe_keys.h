#pragma once

#include "animation/shared_state.h"

namespace tarsel {

// The keys that move the probe. They produce no character, so they never reach the key
// handler: the animation's keys and its pacing stay as they are, and neither k nor the draw log
// changes when they are pressed.
enum class ProbeKey { kLeft, kRight, kHome, kEnd };

// Where the probe at x goes on `key`: Left and Right one table point of the blue trace (ten
// with Shift), Home and End its left and right ends.
double MoveProbe(const SharedState& state, double x, ProbeKey key, bool shift);

}  // namespace tarsel
