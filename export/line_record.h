#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/raster.h"

namespace tarsel {

// The lines on the client area: every line drawn since the last clear, in the order drawn, each
// with its colour and the pen width it was drawn at, in user coordinates as the driver passed
// them. It is what a vector picture of the client area holds: the replay and the page's surface
// feed it the same calls they draw, so that both write the same SVG.
class LineRecord {
 public:
  struct Segment {
    float x1, y1, x2, y2;
    std::uint32_t colour;  // 00BBGGRR
    int width;             // pen width in pixels
    friend bool operator==(const Segment&, const Segment&) = default;
  };

  // Lines kept at the most: a frame draws about 9,000, so this holds over a hundred frames
  // piled up (20 MiB here, some 90 MB of SVG). Past it the record is incomplete until the next
  // clear, and no vector picture is written from it.
  static constexpr std::size_t kMostLines = std::size_t{1} << 20;

  void Line(float x1, float y1, float x2, float y2, std::uint32_t colour);
  void Cls();
  void DrawWidth(int width) { width_ = width; }

  const std::vector<Segment>& lines() const { return lines_; }
  // False when more than kMostLines were drawn since the last clear.
  bool complete() const { return complete_; }

 private:
  std::vector<Segment> lines_;
  int width_ = 1;
  bool complete_ = true;
};

// How the canvas draws a recorded line, for the vector pictures: its end points in device pixels
// at ratio `dpr`, mapped and cut to the far square as Canvas::Line maps and cuts them (false
// when nothing of it lies within the square), and its pen's width in device pixels: w x dpr, or
// Canvas::ThinLinePixels(dpr) for width 1, which the canvas draws aliased with a square pen.
bool DeviceLine(const LineRecord::Segment& line, double dpr, raster::Point* p, raster::Point* q);
double DevicePenWidth(int width, double dpr);

}  // namespace tarsel
