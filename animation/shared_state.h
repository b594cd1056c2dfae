#pragma once

#include <memory>
#include <optional>

#include "geometry/configuration.h"
#include "geometry/profile_tables.h"

namespace tarsel {

// The variables of the window object, shared by the animation loop and the key handlers.
// Everything starts at 0 (an unset value behaves as 0); the loop sets pi, ste, ww, k0 and k
// when it starts.
struct SharedState {
  double ff = 0;  // phase offset in degrees from the last linkage solve
  int kk = 0;     // key toggle: the wait after a frame ends when it is 1
  double pi = 0;
  double ste = 0;  // step of the loop over k
  double k = 0;    // control angle of the current frame, radians
  double k0 = 0;   // k of the first frame
  double ww = 0;   // centre line of the lift curves, reference angle of the linkage
  int acc = 0;     // 1: velocity and acceleration curves on
  int ccllss = 0;  // 0: clear the window between frames; 1: let frames accumulate

  ProfileTables tables;
  // A profile read from a file, which the startup puts in the tables; the built-in one when
  // null.
  std::shared_ptr<const ProfileTables> profile;
  // A new profile asked for (Form_Profile; null: the built-in one), taken between two frames as
  // a new configuration is.
  std::optional<std::shared_ptr<const ProfileTables>> next_profile;

  // The mechanism being drawn. A new one is asked for in next_config (Form_Configure); the loop
  // takes it between two frames, so that no frame is drawn with two.
  Configuration config;
  std::optional<Configuration> next_config;
  // Whether the last linkage solve closed; where it did not, ff is 0 and the point has no
  // offset.
  bool closes = true;

  // Set when the program has been told to end (Escape, double-click, closing the window).
  // Nothing is drawn after it is set, and the loop returns at its next event-processing call.
  bool ended = false;
};

}  // namespace tarsel
