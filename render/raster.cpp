#include "render/raster.h"

#include <algorithm>
#include <cmath>

namespace tarsel::raster {

bool ClipSegment(Point& p, Point& q, double left, double top, double right, double bottom) {
  double t0 = 0, t1 = 1;
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double pk[4] = {-dx, dx, -dy, dy};
  const double qk[4] = {p.x - left, right - p.x, p.y - top, bottom - p.y};
  for (int i = 0; i < 4; ++i) {
    if (pk[i] == 0) {
      if (qk[i] < 0) return false;
      continue;
    }
    const double t = qk[i] / pk[i];
    if (pk[i] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const Point start = p;
  if (t1 < 1) q = {start.x + t1 * dx, start.y + t1 * dy};
  if (t0 > 0) p = {start.x + t0 * dx, start.y + t0 * dy};
  return true;
}

Rect AreaAround(Point p, Point q, double reach) {
  return {FloorInt(std::min(p.x, q.x) - reach), FloorInt(std::min(p.y, q.y) - reach),
          CeilInt(std::max(p.x, q.x) + reach), CeilInt(std::max(p.y, q.y) + reach)};
}

void FillRect(Image& image, Rect area, std::uint32_t colour) {
  area = area & image.rect();
  if (area.empty()) return;
  for (int y = area.top; y <= area.bottom; ++y) {
    std::uint32_t* row = image.row(y);
    std::fill(row + area.left, row + area.right + 1, colour);
  }
}

namespace {

// The share of a pixel that lies inside a straight edge, from the distance `s` of the pixel
// centre to the edge (positive inside) and the edge's unit normal (nx, ny). Exact: seen
// across the edge, the square's area grows linearly in the middle and quadratically where a
// corner crosses.
class EdgeRamp {
 public:
  EdgeRamp(double nx, double ny) : a_(std::max(std::abs(nx), std::abs(ny))) {
    const double b = std::min(std::abs(nx), std::abs(ny));
    inverse_a_ = 1 / a_;
    half_ = (a_ + b) / 2;
    flat_ = (a_ - b) / 2;
    corner_ = b > 0 ? 1 / (2 * a_ * b) : 0;  // unused when b = 0: the corners cross at once
  }
  double Inside(double s) const {
    if (s >= half_) return 1;
    if (s <= -half_) return 0;
    if (s < -flat_) return (s + half_) * (s + half_) * corner_;
    if (s > flat_) return 1 - (half_ - s) * (half_ - s) * corner_;
    return 0.5 + s * inverse_a_;
  }

 private:
  double a_, inverse_a_, half_, flat_, corner_;
};

// Half the diagonal of a pixel: an edge farther than this from the centre misses the pixel.
constexpr double kHalfDiagonal = 0.70711;

// At the round ends the edge is taken as the tangent to the circle, which lies a little
// outside it; the circle is made that much smaller so the ends are not heavier than the sides.
constexpr double kEndInset = 0.06;

// Coverage of the pixels around a round end: the circle of `end_radius`, its edge taken as
// the tangent at the point nearest the pixel centre.
class RoundEnd {
 public:
  RoundEnd(double end_radius, double reach)
      : radius_(end_radius),
        full2_(end_radius > kHalfDiagonal
                   ? (end_radius - kHalfDiagonal) * (end_radius - kHalfDiagonal)
                   : -1),
        reach2_(reach * reach) {}

  // The share of the pixel whose centre lies (ex, ey) from the circle's centre. This is
  // EdgeRamp(ex / d, ey / d).Inside(radius - d) with every length multiplied by the distance d,
  // which leaves one division, and that only where a corner of the pixel crosses the edge.
  [[gnu::always_inline]] double operator()(double ex, double ey) const {
    const double d2 = ex * ex + ey * ey;
    if (d2 >= reach2_) return 0;
    if (d2 <= full2_) return 1;
    const double d = std::sqrt(d2);
    const double ax = std::abs(ex), ay = std::abs(ey);
    const double big = std::max(ax, ay), small = std::min(ax, ay);
    const double s = (radius_ - d) * d, half = (big + small) / 2, flat = (big - small) / 2;
    if (s >= half) return 1;
    if (s <= -half) return 0;
    if (s < -flat) return (s + half) * (s + half) / (2 * big * small);
    if (s > flat) return 1 - (half - s) * (half - s) / (2 * big * small);
    return 0.5 + s / big;
  }

 private:
  double radius_, full2_, reach2_;
};

void FillDot(Image& image, Point c, double radius, std::uint32_t colour, Rect area) {
  const RoundEnd end(radius - kEndInset, radius + kHalfDiagonal);
  for (int j = area.top; j <= area.bottom; ++j) {
    std::uint32_t* row = image.row(j);
    const double ey = j + 0.5 - c.y;
    for (int i = area.left; i <= area.right; ++i) Blend(row[i], colour, end(i + 0.5 - c.x, ey));
  }
}

}  // namespace

Rect FillRoundLine(Image& image, Point p, Point q, double radius, std::uint32_t colour, Rect clip) {
  const double reach = radius + kHalfDiagonal;
  const Rect area = AreaAround(p, q, reach) & clip;
  if (area.empty()) return area;
  if (p == q) {
    FillDot(image, p, radius, colour, area);
    return area;
  }

  const double ux = q.x - p.x, uy = q.y - p.y;
  const double length2 = ux * ux + uy * uy;
  const double length = std::sqrt(length2);
  const double inverse_length = 1 / length, inverse_uy = uy != 0 ? 1 / uy : 0;
  const EdgeRamp side(uy * inverse_length, ux * inverse_length);
  const RoundEnd end(radius - kEndInset, reach);
  for (int j = area.top; j <= area.bottom; ++j) {
    const double b = j + 0.5 - p.y;
    // The pixel centres of this row within `reach` of the line through p and q.
    int from = area.left, to = area.right;
    if (uy != 0) {
      const double e1 = p.x - 0.5 + (b * ux - reach * length) * inverse_uy;
      const double e2 = p.x - 0.5 + (b * ux + reach * length) * inverse_uy;
      // Clamped to just beyond the row first: far from the line's ends, and for a line all
      // but level (uy a hair above 0), these run off to great values or infinities. Where they
      // are no number at all, the whole row is looked at and each pixel's distance decides.
      if (!std::isnan(e1) && !std::isnan(e2)) {
        const double least = from - 1.0, most = to + 1.0;
        from = std::max(from, CeilInt(std::clamp(std::min(e1, e2), least, most)));
        to = std::min(to, FloorInt(std::clamp(std::max(e1, e2), least, most)));
      }
    }
    if (from > to) continue;
    std::uint32_t* row = image.row(j);
    double a = from + 0.5 - p.x;
    double along = a * ux + b * uy;   // length2 times the position along p..q
    double across = a * uy - b * ux;  // length times the distance from the line
    for (int i = from; i <= to; ++i, a += 1, along += ux, across += uy) {
      if (along >= 0 && along <= length2) {
        Blend(row[i], colour, side.Inside(radius - std::abs(across) * inverse_length));
      } else if (along < 0) {
        Blend(row[i], colour, end(a, b));
      } else {
        Blend(row[i], colour, end(a - ux, b - uy));
      }
    }
  }
  return area;
}

namespace {

// The pixels DrawThinLine may set.
Rect ThinLineArea(Point p, Point q, int thickness) {
  const double h = (thickness - 1) / 2.0;
  const double dx = std::abs(q.x - p.x), dy = std::abs(q.y - p.y);
  Rect r{FloorInt(std::min(p.x, q.x) - h), FloorInt(std::min(p.y, q.y) - h),
         FloorInt(std::max(p.x, q.x) + h), FloorInt(std::max(p.y, q.y) + h)};
  // Across a line its band starts at the pixel holding the band's edge and is `thickness`
  // pixels deep, so that it is equally thick at every position.
  if (dx >= dy) {
    r.bottom = FloorInt(std::max(p.y, q.y) - h) + thickness - 1;
  } else {
    r.right = FloorInt(std::max(p.x, q.x) - h) + thickness - 1;
  }
  return r;
}

}  // namespace

Rect DrawThinLine(Image& image, Point p, Point q, int thickness, std::uint32_t colour, Rect clip) {
  const Rect area = ThinLineArea(p, q, thickness);
  if (p.y == q.y || p.x == q.x) {
    FillRect(image, area & clip, colour);
    return area;
  }

  const double h = (thickness - 1) / 2.0;
  const bool flat = std::abs(q.x - p.x) >= std::abs(q.y - p.y);
  // Walk along the major axis; `along` and `across` name the coordinates in that frame.
  const double pa = flat ? p.x : p.y, pc = flat ? p.y : p.x;
  const double qa = flat ? q.x : q.y, qc = flat ? q.y : q.x;
  const double lo = std::min(pa, qa), hi = std::max(pa, qa);
  const double slope = (qc - pc) / (qa - pa);
  const int first = flat ? std::max(area.left, clip.left) : std::max(area.top, clip.top);
  const int last = flat ? std::min(area.right, clip.right) : std::min(area.bottom, clip.bottom);
  for (int i = first; i <= last; ++i) {
    const double centre = std::clamp(i + 0.5, lo, hi);
    const int from = FloorInt(pc + (centre - pa) * slope - h);
    for (int k = from; k < from + thickness; ++k) {
      const int x = flat ? i : k, y = flat ? k : i;
      if (clip.contains(x, y)) image.row(y)[x] = colour;
    }
  }
  return area;
}

}  // namespace tarsel::raster
