#include "export/line_record.h"

#include "render/canvas.h"

namespace tarsel {

void LineRecord::Line(float x1, float y1, float x2, float y2, std::uint32_t colour) {
  if (!complete_) return;
  if (lines_.size() == kMostLines) {
    complete_ = false;
    lines_ = {};  // the memory goes back: nothing is written from an incomplete record
    return;
  }
  lines_.push_back({x1, y1, x2, y2, colour, width_});
}

void LineRecord::Cls() {
  lines_.clear();
  complete_ = true;
}

bool DeviceLine(const LineRecord::Segment& line, double dpr, raster::Point* p, raster::Point* q) {
  const Canvas::PointF a = Canvas::ToPixel(line.x1, line.y1), b = Canvas::ToPixel(line.x2, line.y2);
  *p = {a.x, a.y};
  *q = {b.x, b.y};
  constexpr double far = Canvas::kFarAway;
  if (!raster::ClipSegment(*p, *q, -far, -far, far, far)) return false;
  *p = {p->x * dpr, p->y * dpr};
  *q = {q->x * dpr, q->y * dpr};
  return true;
}

double DevicePenWidth(int width, double dpr) {
  return width == 1 ? Canvas::ThinLinePixels(dpr) : width * dpr;
}

}  // namespace tarsel
