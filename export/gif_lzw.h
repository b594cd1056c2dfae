#pragma once

#include <cstdint>
#include <vector>

namespace tarsel {

// One pixel of a GIF frame to be coded: its palette index, and whether it may be written as
// `keep` instead (the transparent index: the pixel already shows its colour).
struct LzwPixel {
  std::uint8_t index = 0;
  bool may_keep = false;
};

// The LZW code stream of a GIF image (without the code-size byte and the sub-block lengths),
// for palette indices of `min_code_size` bits (2 to 8). Where a pixel may be written either
// way, the coder takes the index that continues the string it is matching, so that the choice
// lengthens codes instead of breaking them; a decoder shows the same pixels either way.
// giflib's own coder takes the indices as given, which is why this one exists.
std::vector<std::uint8_t> LzwCode(const std::vector<LzwPixel>& pixels, int min_code_size,
                                  std::uint8_t keep);

}  // namespace tarsel
