#include "input/probe_keys.h"

#include "animation/probe.h"

namespace tarsel {

double MoveProbe(const SharedState& state, double x, ProbeKey key, bool shift) {
  const int points = shift ? probe::kLongStep : 1;
  switch (key) {
    case ProbeKey::kLeft:
      return StepProbe(state, x, -points);
    case ProbeKey::kRight:
      return StepProbe(state, x, points);
    case ProbeKey::kHome:
      return ProbeEnd(state, false);
    case ProbeKey::kEnd:
      return ProbeEnd(state, true);
  }
  return x;
}

}  // namespace tarsel
