#pragma once

#include <memory>

#include "geometry/profile_tables.h"

// The page's valve timing (web/timing.js): the events of the frame on the canvas, read off the
// segments the animation drew, and the lift profile the page draws (a file the student opened,
// or the built-in one).
namespace tarsel::timing {

// The profile a new run draws: null for the built-in tables.
const std::shared_ptr<const ProfileTables>& CurrentProfile();

}  // namespace tarsel::timing
