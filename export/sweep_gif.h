#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/byte_sink.h"
#include "geometry/profile_tables.h"
#include "input/script.h"
#include "render/canvas.h"
#include "render/palette.h"

namespace tarsel {

// The colours the program draws with in `palette`, as 0xRRGGBB: every GIF frame keeps them
// exact.
std::vector<std::uint32_t> DrawingColours(Palette palette);

// How long a GIF frame is shown unless told otherwise.
inline constexpr int kDefaultGifDelayMs = 200;

// A sweep as one animated GIF, the bytes that tarsel-render --gif writes for the same keys
// (with --label when `label`, --palette): the keys are replayed on a canvas of `logical` pixels
// at ratio `dpr` in `palette`, and the frames from the sweep's first on go to the GIF, labelled
// when asked.
// `progress` hears of each frame written (done, of total). Returns an empty string or the
// reason the bytes could not be written.
struct SweepGifRequest {
  SweepKeys sweep;
  Size logical;
  double dpr = 1;
  Palette palette = Palette::kExact;
  bool label = false;
  int delay_ms = kDefaultGifDelayMs;
  Configuration config;                          // the mechanism drawn
  std::shared_ptr<const ProfileTables> profile;  // the lift profile drawn (null: the built-in one)
};
std::string WriteSweepGif(const SweepGifRequest& request, ByteSink& out,
                          const std::function<void(long done, long total)>& progress);

}  // namespace tarsel
