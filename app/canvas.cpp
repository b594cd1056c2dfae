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

}  // namespace

Canvas::Canvas(QSize logical, qreal dpr) : logical_(logical) {
  const QSize device(static_cast<int>(std::ceil(logical.width() * dpr)),
                     static_cast<int>(std::ceil(logical.height() * dpr)));
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

void Canvas::Line(float x1, float y1, float x2, float y2, std::uint32_t colour) {
  if (!Finite(x1) || !Finite(y1) || !Finite(x2) || !Finite(y2)) return;
  QPointF p = ToPixel(x1, y1);
  QPointF q = ToPixel(x2, y2);
  // Cut lines that reach far beyond any screen to a fixed square. The square must not depend
  // on the size of the image: a larger window has to show the very same pixels.
  static const QRectF bounds(-kFarAway, -kFarAway, 2 * kFarAway, 2 * kFarAway);
  if (!ClipSegment(p, q, bounds)) return;
  if (width_ != pen_width_ || colour != pen_colour_) {
    QPen pen(FromWindowColour(colour), width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter_.setPen(pen);
    // Thick curves are chains of short segments: antialiased with round ends they read as one
    // smooth stroke, at no extra cost. Width 1 is only used for the axis, the marker lines and
    // the ticks, which are horizontal or vertical: aliased they stay one crisp pixel wide,
    // antialiased they would smear over two rows and cost three times as much.
    painter_.setRenderHint(QPainter::Antialiasing, width_ > 1);
    pen_width_ = width_;
    pen_colour_ = colour;
  }
  painter_.drawLine(QLineF(p, q));
  const int reach = width_ / 2 + 2;
  const QRect touched =
      QRectF(p, q).normalized().toAlignedRect().adjusted(-reach, -reach, reach, reach);
  dirty_ |= touched & QRect(QPoint(0, 0), logical_);
}

void Canvas::Cls() {
  image_.fill(Qt::white);
  dirty_ = QRect(QPoint(0, 0), logical_);
}

void Canvas::EnsureSize(QSize logical) {
  const QSize grown = logical_.expandedTo(logical);
  if (grown == logical_) return;
  const qreal dpr = image_.devicePixelRatio();
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
