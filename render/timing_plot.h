#pragma once

#include <vector>

#include "animation/timing.h"
#include "render/canvas.h"
#include "render/image.h"
#include "render/palette.h"

namespace tarsel::timing_plot {

// The timing over the sweep, a picture of its own beside the client area (never inside it):
// against k across (4.5 to 20), at the top the blue trace's opening, closing and peak (the
// peak dashed) with the red profile's as thin reference lines, under it the duration, the
// blue's against the red's. A thin line marks the frame on the screen, and dots its events.
// The vertical scales fit the events shown. Drawn through the raster functions, so every
// front end shows the same pixels; it holds no text (the front ends name its parts).
inline constexpr Size kSize{300, 240};

// Draws the plot of `frames` (SweepTiming) into `image`, which becomes kSize logical pixels at
// `dpr` device pixels each, with the frame at `k` marked (no mark where k lies off the sweep),
// in the colours `palette` gives the curves.
void Draw(Image& image, double dpr, const std::vector<SweepFrame>& frames, double k,
          Palette palette = Palette::kExact);

}  // namespace tarsel::timing_plot
