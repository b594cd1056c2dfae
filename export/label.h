#pragma once

#include <cstdint>
#include <string>

#include "animation/shared_state.h"
#include "export/memory.h"
#include "render/canvas.h"
#include "render/image.h"

namespace tarsel {

// What a labelled picture says about itself: the value of k (radians, two decimals), the
// frame number of the plain sweep when k is one of its 63 values, which curves are drawn
// beside the profiles, and whether frames are cleared or accumulate, one line each; and for a
// configuration other than the built-in one, three more lines that name it.
std::string LabelText(const SharedState& state);

// The device pixels the label covers: a box at the top-left corner, which no curve reaches at
// the design size in any frame or key mode (the piston curve starts to its right, the profiles
// and their derivatives below it), for `lines` lines of text (three, one higher for each more).
// Cut to the picture when that is smaller.
Rect LabelArea(const Image& picture, int lines = 3);

// Pictures with the label drawn over them: black text in DejaVu Sans, built into the program,
// antialiased onto the white box. The canvas is left as it is: the label goes onto a copy, so
// that frames drawn over earlier ones (and the skipping of redrawn lines) see only what the
// animation drew.
class Labeller {
 public:
  // The memory of the labelled copy of a picture of `size` device pixels.
  static std::uint64_t MemoryNeed(Size size) { return PictureBytes(size.width, size.height); }

  const Image& Apply(const Image& picture, const SharedState& state);

 private:
  Image labelled_;
};

}  // namespace tarsel
