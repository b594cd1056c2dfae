#pragma once

namespace tarsel {

// A point of a mechanism in its own lengths: x along the fixed line or the cylinder, y upward.
struct Joint {
  double x = 0, y = 0;
  friend bool operator==(const Joint&, const Joint&) = default;
};

}  // namespace tarsel
