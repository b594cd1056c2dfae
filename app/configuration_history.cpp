#include "app/configuration_history.h"

namespace tarsel {

bool Change(ConfigurationHistory& h, const Configuration& c, bool merge) {
  if (c == h.now) return false;
  if (!merge || h.before.empty()) {
    h.before.push_back(h.now);
    if (h.before.size() > kMostUndoSteps) h.before.erase(h.before.begin());
  }
  h.after.clear();
  h.now = c;
  return true;
}

namespace {
// One step along the history: the last of `from` becomes the current configuration, and the
// current one goes on `to`.
bool Move(std::vector<Configuration>& from, std::vector<Configuration>& to, Configuration& now) {
  if (from.empty()) return false;
  to.push_back(now);
  now = from.back();
  from.pop_back();
  return true;
}
}  // namespace

bool Undo(ConfigurationHistory& h) {
  return Move(h.before, h.after, h.now);
}

bool Redo(ConfigurationHistory& h) {
  return Move(h.after, h.before, h.now);
}

}  // namespace tarsel
