#include "app/canvas.h"

#include <QColor>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace tarsel {

namespace {

QColor FromWindowColour(std::uint32_t c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

// Cuts the segment p-q to the rectangle (Liang-Barsky). Coordinates far outside the window
// are legal and simply clipped; cutting them here keeps the rasteriser on small numbers.
bool ClipSegment(QPointF& p, QPointF& q, const QRectF& r) {
  double t0 = 0, t1 = 1;
  const double dx = q.x() - p.x(), dy = q.y() - p.y();
  const double pk[4] = {-dx, dx, -dy, dy};
  const double qk[4] = {p.x() - r.left(), r.right() - p.x(), p.y() - r.top(), r.bottom() - p.y()};
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
  const QPointF start = p;
  if (t1 < 1) q = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
  if (t0 > 0) p = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
  return true;
}

// Far outside every screen, yet small enough for the rasteriser's fixed-point arithmetic.
constexpr double kFarAway = 1 << 18;

bool Finite(float v) {
  return std::isfinite(v);
}

// floor and ceil of values within the range of int, without a call into the library.
int FloorInt(double v) {
  const int i = static_cast<int>(v);
  return i - (i > v);
}
int CeilInt(double v) {
  const int i = static_cast<int>(v);
  return i + (i < v);
}

// The device pixels within `reach` of the segment's bounding box.
QRect AreaAround(QPointF p, QPointF q, double reach) {
  return QRect(
      QPoint(FloorInt(std::min(p.x(), q.x()) - reach), FloorInt(std::min(p.y(), q.y()) - reach)),
      QPoint(CeilInt(std::max(p.x(), q.x()) + reach), CeilInt(std::max(p.y(), q.y()) + reach)));
}

// x * a / 255 on each byte of a pixel, rounded as the raster engine of Qt does it.
std::uint32_t ByteMul(std::uint32_t x, std::uint32_t a) {
  std::uint32_t t = (x & 0xFF00FF) * a;
  t = ((t + ((t >> 8) & 0xFF00FF) + 0x800080) >> 8) & 0xFF00FF;
  x = ((x >> 8) & 0xFF00FF) * a;
  x = (x + ((x >> 8) & 0xFF00FF) + 0x800080) & 0xFF00FF00;
  return x | t;
}

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

// Blends `colour` with coverage `share` over one pixel, rounding as Qt's raster engine does.
[[gnu::always_inline]] inline void Blend(std::uint32_t& pixel, QRgb colour, double share) {
  const auto alpha = static_cast<std::uint32_t>(share * 255 + 0.5);
  if (alpha == 0) return;
  if (alpha >= 255) {
    pixel = colour;
    return;
  }
  const std::uint32_t c = ByteMul(colour, alpha);
  pixel = c + ByteMul(pixel, 255 - (c >> 24));
}

// An antialiased thick line with round ends from p to q (device pixels, p != q), blended over
// the image within `clip`: every pixel gets the share of its square that lies within
// `radius` of the segment. Along the sides that share is exact. At the round ends the edge is
// taken as the tangent to the circle, which lies a little outside it, and the circle is made
// that much smaller, so the ends come out as light as the polygon Qt's stroker fills there.
void FillRoundLine(QImage& image, QPointF p, QPointF q, double radius, QRgb colour,
                   const QRect& clip) {
  constexpr double kEndInset = 0.06;
  const double ux = q.x() - p.x(), uy = q.y() - p.y();
  const double length2 = ux * ux + uy * uy;
  const double length = std::sqrt(length2);
  const double inverse_length = 1 / length, inverse_uy = uy != 0 ? 1 / uy : 0;
  const double reach = radius + kHalfDiagonal;
  const double end_radius = radius - kEndInset;
  const EdgeRamp side(uy * inverse_length, ux * inverse_length);
  const QRect area = AreaAround(p, q, reach) & clip;
  uchar* const bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  for (int j = area.top(); j <= area.bottom(); ++j) {
    const double b = j + 0.5 - p.y();
    // The pixel centres of this row within `reach` of the line through p and q.
    int from = area.left(), to = area.right();
    if (uy != 0) {
      const double e1 = p.x() - 0.5 + (b * ux - reach * length) * inverse_uy;
      const double e2 = p.x() - 0.5 + (b * ux + reach * length) * inverse_uy;
      // Clamped first: far from the line's ends these run off to great values.
      from = std::max(from, CeilInt(std::max(std::min(e1, e2), from - 1.0)));
      to = std::min(to, FloorInt(std::min(std::max(e1, e2), to + 1.0)));
    }
    if (from > to) continue;
    auto* row = reinterpret_cast<std::uint32_t*>(bits + j * stride);
    double a = from + 0.5 - p.x();
    double along = a * ux + b * uy;   // length2 times the position along p..q
    double across = a * uy - b * ux;  // length times the distance from the line
    for (int i = from; i <= to; ++i, a += 1, along += ux, across += uy) {
      if (along >= 0 && along <= length2) {
        Blend(row[i], colour, side.Inside(radius - std::abs(across) * inverse_length));
        continue;
      }
      const double ex = along < 0 ? a : a - ux, ey = along < 0 ? b : b - uy;
      const double d2 = ex * ex + ey * ey;
      if (d2 >= reach * reach) continue;
      const double d = std::sqrt(d2);
      Blend(row[i], colour,
            d <= end_radius - kHalfDiagonal ? 1 : EdgeRamp(ex / d, ey / d).Inside(end_radius - d));
    }
  }
}

}  // namespace

namespace {
// The logical size whose image at this pixel ratio stays within the cap on each side.
QSize Capped(QSize logical, qreal dpr) {
  const int most = static_cast<int>(std::floor(Canvas::kMaxDeviceSide / dpr));
  return logical.boundedTo(QSize(most, most));
}
}  // namespace

Canvas::Canvas(QSize logical, qreal dpr) : logical_(Capped(logical, dpr)) {
  const QSize device(static_cast<int>(std::ceil(logical_.width() * dpr)),
                     static_cast<int>(std::ceil(logical_.height() * dpr)));
  image_ = QImage(device, QImage::Format_RGB32);
  image_.setDevicePixelRatio(dpr);
  image_.fill(Qt::white);
  Begin();
}

Canvas::~Canvas() {
  painter_.end();
}

void Canvas::Begin() {
  painter_.begin(&image_);
  pen_width_ = -1;
}

void Canvas::SetPen(std::uint32_t colour) {
  if (width_ == pen_width_ && colour == pen_colour_) return;
  QPen pen(FromWindowColour(colour), width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter_.setPen(pen);
  painter_.setRenderHint(QPainter::Antialiasing, width_ > 1);
  pen_width_ = width_;
  pen_colour_ = colour;
}

void Canvas::Cover(const QRect& area, std::int64_t same_colour) {
  if (all_covered_) return;
  for (DrawnLine& d : drawn_) {
    if (d.colour == same_colour) continue;
    const int left = std::max(d.area.left(), area.left());
    const int right = std::min(d.area.right(), area.right());
    const int top = std::max(d.area.top(), area.top());
    const int bottom = std::min(d.area.bottom(), area.bottom());
    if (left <= right && top <= bottom)
      d.covered |= QRect(QPoint(left, top), QPoint(right, bottom));
  }
}

Canvas::DrawnLine* Canvas::Remembered(float x1, float y1, float x2, float y2,
                                      std::uint32_t colour) {
  if (image_.size() != drawn_size_) {
    drawn_.clear();  // the image grew: lines cut at the old edge go on now
    drawn_size_ = image_.size();
  }
  for (std::size_t n = 0, i = next_drawn_; n < drawn_.size(); ++n, ++i) {
    if (i >= drawn_.size()) i = 0;
    DrawnLine& d = drawn_[i];
    if (d.x1 == x1 && d.y1 == y1 && d.x2 == x2 && d.y2 == y2 && d.colour == colour) {
      next_drawn_ = i + 1;
      return &d;
    }
  }
  return nullptr;
}

void Canvas::Line(float x1, float y1, float x2, float y2, std::uint32_t colour) {
  // The axis, the marker lines and the ticks are drawn again after every point of the trace,
  // 35 lines 200 times a frame. An aliased line in an opaque colour sets its pixels to that
  // colour whatever was under them, so drawing it again changes nothing unless something else
  // has been drawn over it since: such lines are skipped.
  DrawnLine* const known =
      width_ == 1 && skip_redrawn_ ? Remembered(x1, y1, x2, y2, colour) : nullptr;
  if (known && known->covered.isEmpty()) return;

  if (!Finite(x1) || !Finite(y1) || !Finite(x2) || !Finite(y2)) return;
  // Lines wholly outside the image are remembered too, so that they are skipped at once.
  const auto remember = [&](const QRect& area) {
    if (width_ == 1 && skip_redrawn_ && !known && drawn_.size() < kRemembered) {
      drawn_.push_back({x1, y1, x2, y2, colour, area, QRect()});
    }
  };
  QPointF p = ToPixel(x1, y1);
  QPointF q = ToPixel(x2, y2);
  // Cut lines that reach far beyond any screen to a fixed square. The square must not depend
  // on the size of the image: a larger window has to show the very same pixels.
  static const QRectF bounds(-kFarAway, -kFarAway, 2 * kFarAway, 2 * kFarAway);
  if (!ClipSegment(p, q, bounds)) return remember(QRect());
  const qreal dpr = image_.devicePixelRatio();
  const double pen = width_ * dpr;  // in device pixels
  const QRect area = AreaAround(p * dpr, q * dpr, std::max(pen, 1.0) / 2 + 2) & image_.rect();
  if (area.isEmpty()) return remember(QRect());

  // Thick curves are chains of short segments: antialiased with round ends they read as one
  // smooth stroke. Width 1 is only used for the axis, the marker lines and the ticks, which
  // are horizontal or vertical: aliased they stay one crisp pixel wide, antialiased they
  // would smear over two rows.
  if (width_ > 1 && pen >= 2 && p != q) {
    // Blended here rather than by QPainter's stroker, which spends several times as long on
    // the outline of the round ends as on the few pixels of a short segment.
    FillRoundLine(image_, p * dpr, q * dpr, pen / 2, FromWindowColour(colour).rgb(), area);
    Cover(area, -1);
  } else {
    SetPen(colour);
    // A horizontal or vertical line drawn over only in places is drawn again there alone: its
    // pixels do not depend on where it is cut, as those of a slanted line might.
    const bool cut = known && known->covered != known->area && (x1 == x2 || y1 == y2);
    if (cut) {
      const QRect r = known->covered.adjusted(-1, -1, 1, 1);
      painter_.setClipRect(QRectF(r.x() / dpr, r.y() / dpr, r.width() / dpr, r.height() / dpr));
    }
    painter_.drawLine(QLineF(p, q));
    if (cut) painter_.setClipping(false);
    Cover(area, width_ == 1 ? std::int64_t{colour} : -1);
    if (known) known->covered = QRect();
    remember(area);
    all_covered_ = false;
  }
  const QRect logical(
      QPoint(FloorInt(area.left() / dpr), FloorInt(area.top() / dpr)),
      QPoint(CeilInt((area.right() + 1) / dpr) - 1, CeilInt((area.bottom() + 1) / dpr) - 1));
  dirty_ |= logical & QRect(QPoint(0, 0), logical_);
}

void Canvas::Cls() {
  image_.fill(Qt::white);
  for (DrawnLine& d : drawn_) d.covered = d.area;
  all_covered_ = true;
  dirty_ = QRect(QPoint(0, 0), logical_);
}

void Canvas::EnsureSize(QSize logical) {
  const qreal dpr = image_.devicePixelRatio();
  const QSize grown = logical_.expandedTo(Capped(logical, dpr));
  if (grown == logical_) return;
  painter_.end();
  QImage bigger(QSize(static_cast<int>(std::ceil(grown.width() * dpr)),
                      static_cast<int>(std::ceil(grown.height() * dpr))),
                QImage::Format_RGB32);
  bigger.setDevicePixelRatio(dpr);
  bigger.fill(Qt::white);
  {
    QPainter copy(&bigger);
    copy.setCompositionMode(QPainter::CompositionMode_Source);
    copy.drawImage(QPointF(0, 0), image_);
  }
  image_ = std::move(bigger);
  logical_ = grown;
  Begin();
}

QRect Canvas::TakeDirty() {
  const QRect r = dirty_;
  dirty_ = QRect();
  return r;
}

}  // namespace tarsel
