#pragma once

#include <cstddef>
#include <vector>

#include "geometry/configuration.h"

namespace tarsel {

// The configurations a student has asked for, for Undo and Redo: the one asked for now, the
// ones before it (the latest last) and the ones undone after it (the next last).
struct ConfigurationHistory {
  Configuration now;
  std::vector<Configuration> before, after;
};

// Enough steps back for any lesson; the oldest is forgotten past it.
inline constexpr std::size_t kMostUndoSteps = 500;

// Makes c the configuration asked for. The one it replaces becomes a step back and the steps
// undone are dropped, unless `merge`: then c takes the place of the current one within the
// same step (the positions a slider passes while it is dragged are one step). False when c is
// the current configuration already.
bool Change(ConfigurationHistory& h, const Configuration& c, bool merge = false);

// One step back or forward; false when there is none.
bool Undo(ConfigurationHistory& h);
bool Redo(ConfigurationHistory& h);

}  // namespace tarsel
