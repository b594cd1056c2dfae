#pragma once

#include <cstdint>

#include "animation/shared_state.h"
#include "animation/surface.h"

namespace tarsel {

// One thing the user does that reaches the animation: a key press with the character code it
// produces, a double-click on the client area, the window closed from its frame, the client
// area resized (the page's own event: a desktop window grows its canvas itself), or another
// configuration of the mechanism asked for (the page's own event too: the page holds the
// configuration it stands for). Every front end and every script speaks in these.
struct InputEvent {
  enum class Kind : std::uint8_t { kKey, kDoubleClick, kClose, kResize, kConfigure };
  Kind kind = Kind::kKey;
  int code = 0;  // kKey: the character code, 0 to 65535

  static constexpr InputEvent Key(int code) { return {Kind::kKey, code}; }
  static constexpr InputEvent DoubleClick() { return {Kind::kDoubleClick, 0}; }
  static constexpr InputEvent Close() { return {Kind::kClose, 0}; }
  static constexpr InputEvent Resize() { return {Kind::kResize, 0}; }
  static constexpr InputEvent Configure() { return {Kind::kConfigure, 0}; }
  friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

// Hands an event to its handler (a key to Form_KeyPress, a double-click to Form_DblClick, the
// close to Form_Unload) and returns true; returns false for an event that is the front end's
// own business (kResize, kConfigure), which it then handles itself.
bool Dispatch(SharedState& state, Surface& surface, const InputEvent& event);

}  // namespace tarsel
