#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "export/byte_sink.h"
#include "export/gif_lzw.h"
#include "render/canvas.h"
#include "render/image.h"

namespace tarsel {

// The frames of a replay as one looping animated GIF, its bytes written here rather than by a
// library, so that the page writes the same file as tarsel-render. Each frame after the first
// stores only the rectangle of pixels whose colour on screen changes, with its own palette of
// the colours it writes and a transparent entry for the pixels inside it that stay as they
// are. A pixel that did not change since the frame before keeps the colour it is shown in.
class GifFrames {
 public:
  // The bytes go to `out`, which must outlive the frames.
  explicit GifFrames(ByteSink& out) : out_(out) {}

  // Starts the file for frames of size `size` (device pixels), shown `delay_ms` each (rounded
  // to the GIF's hundredths of a second). `keep`: colours (0xRRGGBB) that stay exact in every
  // frame. Returns an empty string or the reason the bytes could not be written.
  std::string Open(Size size, int delay_ms, std::vector<std::uint32_t> keep);
  std::string Add(const Image& image);
  // Ends the file and closes the sink.
  std::string Finish();
  int count() const { return count_; }
  // Frames whose colours had to be mapped to the nearest of 256.
  int approximated() const { return approximated_; }

 private:
  struct Wanted;
  struct Coded;
  Wanted ColoursToShow(const Image& image, const Rect& changed);
  Rect Redrawn(const Wanted& wanted);
  Coded Code(const Wanted& wanted, const Rect& rect);
  std::vector<LzwPixel> Indices(const Wanted& wanted, const Rect& rect,
                                const std::unordered_map<std::uint32_t, int>& number, int keep);
  std::uint32_t& shown(int x, int y) {
    return shown_[static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x)];
  }

  ByteSink& out_;
  int width_ = 0, height_ = 0;
  int delay_cs_ = 20;
  std::vector<std::uint32_t> keep_;
  Image previous_;
  std::vector<std::uint32_t> shown_;  // what a viewer shows after the frames so far, 0xRRGGBB
  int count_ = 0;
  int approximated_ = 0;
};

}  // namespace tarsel
