#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/image.h"

namespace tarsel {

// A picture in at most 256 colours: the colours and one palette index per pixel, row by row.
struct Indexed {
  std::vector<std::uint32_t> colours;  // 0xRRGGBB, at most 256
  std::vector<std::uint8_t> pixels;
  bool exact = false;        // every colour of the picture is in `colours`
  std::size_t distinct = 0;  // colours in the picture
};

// The part `rect` of `image` in at most `max_colours` (up to 256). With that many colours or
// fewer they are all kept, in ascending 0xRRGGBB order. With more (antialiased edges blend the
// drawing colours with white and with each other), the palette holds the colours of `keep`
// (0xRRGGBB) that occur, then the most frequent others, and every pixel takes the nearest
// palette colour; a kept colour therefore stays exact. With `unchanged_from`, the pixels that
// have the same colour there are left out: they count for no palette entry, and their index
// means nothing. The colours are read as 0xRRGGBB whatever the pixel layout, so both builds
// make the same palette.
Indexed ToIndexed(const Image& image, const Rect& rect, const std::vector<std::uint32_t>& keep,
                  std::size_t max_colours = 256, const Image* unchanged_from = nullptr);

}  // namespace tarsel
