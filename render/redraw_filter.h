#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "render/image.h"

namespace tarsel {

// A width-1 line as the drawing hands it over: end points in user coordinates and colour.
struct LineKey {
  float x1, y1, x2, y2;
  std::uint32_t colour;
  friend bool operator==(const LineKey&, const LineKey&) = default;
};

// The axis, the marker lines and the ticks are drawn again after every trace point: 35 lines
// 200 times a frame. An aliased line in an opaque colour sets its pixels to that colour
// whatever was under them, so drawing it again changes nothing unless something else has
// been drawn over it since. This remembers such lines with the part of their pixels drawn
// over since they were last drawn, so that the canvas draws again only that part, or
// nothing.
class RedrawFilter {
 public:
  static constexpr std::size_t kRemembered = 64;

  // Before a width-1 line is drawn. False when it was drawn before and nothing has been drawn
  // over its pixels since. Otherwise true, with *redraw the pixels it has to set again: the
  // part drawn over, or the whole image for a line not seen before.
  bool NeedsDrawing(const LineKey& key, Rect image, Rect* redraw);
  // The line just checked was drawn; `area` holds every pixel it may set (empty when it lies
  // outside the image).
  void Drawn(const LineKey& key, Rect area);
  // Something else was drawn over `area`. Width-1 lines in `same_colour` are left out: where
  // they overlap a remembered line they set its pixels to the colour they already have.
  void Cover(Rect area, std::optional<std::uint32_t> same_colour = std::nullopt);
  // The image was cleared: every remembered line has to be drawn again in full.
  void CoverAll();
  // The image changed size: lines cut at the old edge go on now.
  void Forget();

 private:
  struct Entry {
    LineKey key;
    Rect area;
    Rect covered;  // the part of `area` drawn over since, in other colours
  };

  std::vector<Entry> lines_;
  std::size_t next_ = 0;      // where the next lookup starts: lines come in the same order
  Entry* checked_ = nullptr;  // the entry the last NeedsDrawing found
  bool all_covered_ = false;  // every entry is covered in full (after a clear)
};

}  // namespace tarsel
