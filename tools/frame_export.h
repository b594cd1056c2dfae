#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "render/image.h"

struct GifFileType;

namespace tarsel {

// A picture in at most 256 colours: the colours and one palette index per pixel, row by row.
struct Indexed {
  std::vector<QRgb> colours;  // 0xRRGGBB, at most 256
  std::vector<std::uint8_t> pixels;
  bool exact = false;        // every colour of the picture is in `colours`
  std::size_t distinct = 0;  // colours in the picture
};

// The part `rect` of an RGB32 image in at most `max_colours` (up to 256). With that many
// colours or fewer they are all kept. With more (antialiased edges blend the drawing colours
// with white and with each other), the palette holds the colours of `keep` that occur, then
// the most frequent others, and every pixel takes the nearest palette colour; a kept colour
// therefore stays exact. With `unchanged_from`, the pixels that have the same colour there are
// left out: they count for no palette entry, and their index means nothing.
Indexed ToIndexed(const QImage& image, const QRect& rect, const std::vector<QRgb>& keep,
                  std::size_t max_colours = 256, const QImage* unchanged_from = nullptr);

// The frames of a replay as numbered PNG files in one directory: frame-001.png, frame-002.png,
// and so on (more digits past 999).
class PngFrames {
 public:
  // Creates the directory when it is missing. Unless `force`, refuses a directory that
  // already holds a frame file. Returns an empty string or the reason it cannot be used.
  std::string Open(const std::filesystem::path& dir, bool force);
  // Written by libpng without row filters (export/png_file.h): several times faster than
  // Qt's writer for the same pixels.
  std::string Add(const Image& image);
  // With `force`, removes frame files numbered past the last one written, left by an earlier
  // and longer export, so that the directory holds this sweep only.
  std::string Finish();
  int count() const { return count_; }

 private:
  std::filesystem::path dir_;
  bool force_ = false;
  int count_ = 0;
};

// The frames of a replay as one looping animated GIF. Each frame after the first stores only
// the rectangle of pixels whose colour on screen changes, with its own palette of the colours
// it writes and a transparent entry for the pixels inside it that stay as they are. A pixel
// that did not change since the frame before keeps the colour it is shown in.
class GifFrames {
 public:
  GifFrames() = default;
  ~GifFrames();
  GifFrames(const GifFrames&) = delete;
  GifFrames& operator=(const GifFrames&) = delete;

  // Creates the file for frames of size `size` (device pixels), shown `delay_ms` each
  // (rounded to the GIF's hundredths of a second).
  std::string Open(const std::string& path, QSize size, int delay_ms, std::vector<QRgb> keep);
  std::string Add(const Image& image);
  std::string Finish();
  int count() const { return count_; }
  // Frames whose colours had to be mapped to the nearest of 256.
  int approximated() const { return approximated_; }

 private:
  std::string Error(const std::string& what, int code) const;

  GifFileType* gif_ = nullptr;
  std::string path_;
  int delay_cs_ = 20;
  std::vector<QRgb> keep_;
  QImage previous_;
  std::vector<QRgb> shown_;  // what a viewer shows after the frames so far, 0xRRGGBB
  int count_ = 0;
  int approximated_ = 0;
};

}  // namespace tarsel
