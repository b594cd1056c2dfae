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

bool Undo(ConfigurationHistory& h) {
  if (h.before.empty()) return false;
  h.after.push_back(h.now);
  h.now = h.before.back();
  h.before.pop_back();
  return true;
}

bool Redo(ConfigurationHistory& h) {
  if (h.after.empty()) return false;
  h.before.push_back(h.now);
  h.now = h.after.back();
  h.after.pop_back();
  return true;
}

}  // namespace tarsel
