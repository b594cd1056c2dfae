#pragma once

#include <memory>

#include "animation/shared_state.h"
#include "animation/surface.h"

namespace tarsel {

// Character codes with an action of their own.
namespace key {
inline constexpr int kBackSpace = 8;
inline constexpr int kTab = 9;
inline constexpr int kEnter = 13;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kComma = 44;
inline constexpr int kSlash = 47;
}  // namespace key

// A key press with its character code. Six keys move k (in multiples of the loop's step, so
// that after the loop adds its step the next frame is one back, a tenth forward, a tenth back,
// the same again or the first) or switch a display mode; Escape clears the window and ends the
// program; every other key press flips kk, which releases the wait after a frame.
void Form_KeyPress(SharedState& state, Surface& surface, int key_ascii);

// A double-click ends the program at once, leaving the window as it is.
void Form_DblClick(SharedState& state);

// Closing the window from its frame ends the program like Escape, without the clear.
void Form_Unload(SharedState& state);

// A new configuration of the mechanism: the same frame again, drawn with it, as BackSpace draws
// the same frame again with its switch. It takes effect between two frames (the loop takes it
// after the wait), so that no frame is drawn with two; of several asked for before then, the
// last one is drawn, and only the first asks for the redraw. Asking for the configuration
// already drawn does nothing.
void Form_Configure(SharedState& state, const Configuration& config);

// A new lift profile (one read with ReadProfile, input/profile_file.h; null for the built-in
// one), asked for the same way: the same frame again, drawn with it, between two frames, the
// last one asked for drawn. Asking for the profile already drawn does nothing.
void Form_Profile(SharedState& state, std::shared_ptr<const ProfileTables> profile);

}  // namespace tarsel
