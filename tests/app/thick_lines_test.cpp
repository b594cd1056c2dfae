// Thick lines are blended by the canvas itself, not by Qt. They must still look as QPainter's
// antialiased round-capped stroke does, so the window looks as a Qt program's would.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <vector>

#include "app/image_view.h"
#include "render/canvas.h"

namespace tarsel {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

// Thick lines are blended by the canvas itself. They must look as QPainter's antialiased
// round-capped stroke does: a curve of short segments, segments long and short, slanted,
// straight and partly outside, at one, one and a half and two device pixels a pixel.
TEST(ThickLines, LookAsQPainterStrokesThem) {
  std::vector<QLineF> lines;
  const auto parabola = [](int n) { return QPointF(40 + 5 * n, 50 + (n - 30) * (n - 30) / 1.6); };
  for (int i = 0; i < 60; ++i) lines.emplace_back(parabola(i), parabola(i + 1));
  lines.emplace_back(40.3, 600.7, 900.1, 640.2);
  lines.emplace_back(500.5, 300.2, 500.5, 300.45);
  lines.emplace_back(-20, 100.6, 30, 100.6);
  lines.emplace_back(700.25, 400, 700.25, 700);
  for (const qreal dpr : {1.0, 1.5, 2.0}) {
    for (const int width : {2, 3, 4}) {
      Canvas canvas(Size{962, 688}, dpr);
      QImage qt(canvas.image().width, canvas.image().height, QImage::Format_RGB32);
      qt.setDevicePixelRatio(dpr);
      qt.fill(Qt::white);
      QPainter painter(&qt);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(QPen(QColor(255, 128, 0), width, Qt::SolidLine, Qt::RoundCap));
      canvas.DrawWidth(width);
      for (const QLineF& l : lines) {
        painter.drawLine(l);
        const auto user = [](QPointF p) {
          return QPointF(p.x() / Canvas::kPixelsPerX + Canvas::kLeft,
                         Canvas::kTop - p.y() / Canvas::kPixelsPerY);
        };
        const QPointF a = user(l.p1()), b = user(l.p2());
        canvas.Line(a.x(), a.y(), b.x(), b.y(), 0x0080FF);
      }
      painter.end();
      long inked = 0, total = 0;
      int worst = 0;
      for (int y = 0; y < qt.height(); ++y) {
        for (int x = 0; x < qt.width(); ++x) {
          const QRgb a = qt.pixel(x, y), b = canvas.image().pixel(x, y);
          if (a == kWhite && b == kWhite) continue;
          const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
          ++inked;
          total += d;
          worst = std::max(worst, d);
        }
      }
      // Edge pixels may differ by a few levels: the stroker fills a polygon for the round ends.
      EXPECT_LE(worst, 32) << "dpr " << dpr << " width " << width;
      EXPECT_LE(total, 3 * inked) << "dpr " << dpr << " width " << width;
    }
  }
}

}  // namespace
}  // namespace tarsel
