#include "render/redraw_filter.h"

namespace tarsel {

bool RedrawFilter::NeedsDrawing(const LineKey& key, Rect image, Rect* redraw) {
  checked_ = nullptr;
  for (std::size_t n = 0, i = next_; n < lines_.size(); ++n, ++i) {
    if (i >= lines_.size()) i = 0;
    if (lines_[i].key == key) {
      next_ = i + 1;
      checked_ = &lines_[i];
      *redraw = checked_->covered;
      return !redraw->empty();
    }
  }
  *redraw = image;
  return true;
}

void RedrawFilter::Drawn(const LineKey& key, Rect area) {
  if (checked_ && checked_->key == key) {
    checked_->covered = Rect();
  } else if (lines_.size() < kRemembered) {
    lines_.push_back({key, area, Rect()});
  }
  checked_ = nullptr;
  all_covered_ = false;
}

void RedrawFilter::Cover(Rect area, std::optional<std::uint32_t> same_colour) {
  if (all_covered_ || area.empty()) return;
  for (Entry& e : lines_) {
    if (same_colour && e.key.colour == *same_colour) continue;
    e.covered |= e.area & area;
  }
}

void RedrawFilter::CoverAll() {
  for (Entry& e : lines_) e.covered = e.area;
  all_covered_ = true;
}

void RedrawFilter::Forget() {
  lines_.clear();
  next_ = 0;
  checked_ = nullptr;
  all_covered_ = false;
}

}  // namespace tarsel
