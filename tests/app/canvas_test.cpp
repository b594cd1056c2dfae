// The backing image: the user coordinate mapping, clipping, clearing and growth; the look of
// thick lines and the width-1 lines that are not drawn again.
#include "app/canvas.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPen>
#include <cmath>
#include <deque>
#include <limits>

#include "animation/driver.h"
#include "app/handlers.h"
#include "tests/support/recording_surface.h"

namespace tarsel {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

QRgb Pixel(const Canvas& c, int x, int y) {
  return c.image().pixel(x, y);
}

bool AllWhite(const QImage& img, QRect area) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (img.pixel(x, y) != kWhite) return false;
    }
  }
  return true;
}

TEST(Mapping, DesignCornersAndUnits) {
  EXPECT_EQ(Canvas::ToPixel(-50, 10), QPointF(0, 0));
  const QPointF bottom_right = Canvas::ToPixel(180, -3);
  EXPECT_DOUBLE_EQ(bottom_right.x(), 962);
  EXPECT_DOUBLE_EQ(bottom_right.y(), 688);
  // 4.1826 pixels per x unit, 52.923 per y unit.
  EXPECT_NEAR(Canvas::ToPixel(-49, 10).x(), 4.1826, 1e-4);
  EXPECT_NEAR(Canvas::ToPixel(-50, 9).y(), 52.923, 1e-3);
  // y grows upward.
  EXPECT_LT(Canvas::ToPixel(0, 5).y(), Canvas::ToPixel(0, 0).y());
}

TEST(Mapping, CornerPixelsAreReached) {
  // The centres of the top-left and bottom-right pixels at the design size.
  const double half_x = 0.5 / Canvas::kPixelsPerX, half_y = 0.5 / Canvas::kPixelsPerY;
  EXPECT_EQ(Canvas::ToPixel(-50 + half_x, 10 - half_y), QPointF(0.5, 0.5));
  const QPointF last = Canvas::ToPixel(180 - half_x, -3 + half_y);
  EXPECT_DOUBLE_EQ(last.x(), 961.5);
  EXPECT_DOUBLE_EQ(last.y(), 687.5);
  Canvas c;
  c.Line(-50, 10, -49, 10, 0);
  c.Line(180 - half_x, -3 + half_y, 179, -3 + half_y, 0);
  EXPECT_EQ(Pixel(c, 0, 0), 0xFF000000);
  EXPECT_EQ(Pixel(c, 961, 687), 0xFF000000);
}

TEST(Mapping, ColoursAreBlueGreenRed) {
  Canvas c;
  c.DrawWidth(3);
  c.Line(0, 5, 10, 5, 255);
  c.Line(0, 4, 10, 4, 65280);
  c.Line(0, 3, 10, 3, 16711680);
  c.Line(0, 2, 10, 2, 8438015);
  const int x = static_cast<int>(Canvas::ToPixel(5, 0).x());
  auto at = [&](double y) { return Pixel(c, x, static_cast<int>(Canvas::ToPixel(0, y).y())); };
  EXPECT_EQ(at(5), qRgb(255, 0, 0));
  EXPECT_EQ(at(4), qRgb(0, 255, 0));
  EXPECT_EQ(at(3), qRgb(0, 0, 255));
  EXPECT_EQ(at(2), qRgb(255, 192, 128));
}

void DrawSample(Canvas& c) {
  c.DrawWidth(3);
  c.Line(-98, 0, 360, 0, 7);     // starts left of the left edge
  c.Line(15, -2, 15, 11.5f, 7);  // ends above the top edge
  c.DrawWidth(4);
  c.Line(100, 0, 60, 9.5f, 255);
  c.Line(170, 1, 250, -6, 65280);  // leaves the design area to the right and below
}

TEST(Mapping, ALargerAreaShowsMoreWithoutRescaling) {
  Canvas small;
  Canvas large(QSize(1400, 900));
  DrawSample(small);
  DrawSample(large);
  EXPECT_EQ(large.image().copy(0, 0, 962, 688), small.image());
  // The extra area shows the rest of the plane: the axis and the green line go on there.
  const int axis_row = static_cast<int>(Canvas::ToPixel(0, 0).y());
  EXPECT_NE(large.image().pixel(1300, axis_row), kWhite);
  EXPECT_FALSE(AllWhite(large.image(), QRect(962, 688, 1400 - 962, 900 - 688)));
}

TEST(Mapping, LinesOutsideAreClippedWithoutHarm) {
  Canvas c;
  DrawSample(c);
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const QImage before = c.image();
  c.Line(-1e30f, 5, -1e29f, 6, 255);  // wholly outside
  c.Line(1e30f, -1e30f, 2e30f, 1e30f, 255);
  c.Line(nan, 0, 10, 0, 255);  // no position at all: nothing to draw
  c.Line(0, inf, 10, 0, 255);
  EXPECT_EQ(c.image(), before);
  // A line from far outside to inside is drawn up to the edge.
  c.DrawWidth(1);
  c.Line(-1e30f, 2, 0, 2, 255);
  const int row = static_cast<int>(std::lround(Canvas::ToPixel(0, 2).y()));
  EXPECT_EQ(c.image().pixel(0, row), qRgb(255, 0, 0));
  EXPECT_EQ(c.image().pixel(100, row), qRgb(255, 0, 0));
}

TEST(Surface, ClsWhitensEverythingAndDrawingGoesOn) {
  Canvas c;
  DrawSample(c);
  c.Cls();
  EXPECT_TRUE(AllWhite(c.image(), c.image().rect()));
  c.Line(-50, 10, -49, 10, 0);
  EXPECT_EQ(Pixel(c, 0, 0), 0xFF000000);
}

TEST(Surface, GrowingKeepsTheDrawingAndAddsWhite) {
  Canvas c;
  DrawSample(c);
  const QImage before = c.image();
  c.EnsureSize(QSize(1200, 800));
  EXPECT_EQ(c.image().size(), QSize(1200, 800));
  EXPECT_EQ(c.image().copy(0, 0, 962, 688), before);
  EXPECT_TRUE(AllWhite(c.image(), QRect(962, 0, 1200 - 962, 800)));
  c.EnsureSize(QSize(500, 300));  // a smaller window loses nothing
  EXPECT_EQ(c.image().size(), QSize(1200, 800));
}

// An absurd window size must not take gigabytes: the image stops at the cap, in device
// pixels, and what fits is still drawn where it belongs.
TEST(Surface, ImageStopsAtTheCap) {
  const int cap = Canvas::kMaxDeviceSide;
  struct Case {
    QSize logical;
    qreal dpr;
    QSize device;
  };
  for (const Case& k : {Case{{30000, 20}, 1, {cap, 20}}, Case{{5000, 5000}, 2, {cap, cap}},
                        Case{{32767, 32767}, 1.5, {cap, cap}}}) {
    Canvas c(QSize(100, 10), k.dpr);
    c.EnsureSize(k.logical);
    EXPECT_EQ(c.image().size(), k.device) << k.dpr;
    EXPECT_EQ(Canvas(k.logical, k.dpr).image().size(), k.device) << k.dpr;
  }
  Canvas c(QSize(20000, 10));
  c.Line(-50, 10, 2000, 10, 0);
  EXPECT_EQ(Pixel(c, cap - 1, 0), 0xFF000000);
}

TEST(Surface, DirtyAreaCoversWhatChanged) {
  Canvas c;
  EXPECT_TRUE(c.TakeDirty().isEmpty());
  c.DrawWidth(4);
  c.Line(100, 0, 60, 9.5f, 255);
  const QRect dirty = c.TakeDirty();
  EXPECT_TRUE(c.TakeDirty().isEmpty());
  const QImage& outside = c.image();
  for (int y = 0; y < outside.height(); ++y) {
    for (int x = 0; x < outside.width(); ++x) {
      if (outside.pixel(x, y) != kWhite) {
        ASSERT_TRUE(dirty.contains(x, y)) << x << "," << y;
      }
    }
  }
  c.Cls();
  EXPECT_EQ(c.TakeDirty(), QRect(0, 0, 962, 688));
}

TEST(Surface, HighDensityKeepsLogicalMapping) {
  Canvas one;
  Canvas two(QSize(962, 688), 2);
  EXPECT_EQ(two.image().size(), QSize(1924, 1376));
  DrawSample(one);
  DrawSample(two);
  // The same drawing at twice the pixels: scaled down, it lands where the 1x drawing is.
  const QImage down = two.image().scaled(962, 688, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  int mismatched = 0;
  for (int y = 0; y < 688; ++y) {
    for (int x = 0; x < 962; ++x) {
      const bool a = one.image().pixel(x, y) != kWhite;
      const bool b = down.pixel(x, y) != kWhite;
      mismatched += a != b;
    }
  }
  // Edges may differ by a pixel; the lines themselves must coincide.
  EXPECT_LT(mismatched, 1500);
}

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
      Canvas canvas(QSize(962, 688), dpr);
      QImage qt(canvas.image().size(), QImage::Format_RGB32);
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

// A run of the animation with the curves switched, k moved between frames and inside one,
// and frames accumulating for a while: every drawing call in order.
std::vector<testing::Call> RecordedRun() {
  SharedState st;
  testing::RecordingSurface win;
  Driver driver(st, win);
  std::deque<int> keys = {key::kBackSpace, key::kSlash,     'a',         key::kComma,
                          key::kEnter,     key::kBackSpace, key::kSlash, key::kTab};
  win.on_point = [&](long n) {
    if (n == 2300) Form_KeyPress(st, win, key::kComma);
  };
  win.on_wait = [&](bool first) {
    if (first && st.kk == 1) return;
    if (keys.empty()) return Form_DblClick(st);
    Form_KeyPress(st, win, keys.front());
    keys.pop_front();
  };
  driver.Form_Activate();
  return win.calls;
}

// Width-1 lines drawn again over pixels that still show them are skipped, and horizontal or
// vertical ones drawn over in places are drawn again only there. The window must show what
// drawing every line in full shows, at every wait, also after the image has grown.
TEST(Surface, SkippedRedrawsLeaveTheSamePixels) {
  const std::vector<testing::Call> calls = RecordedRun();
  for (const qreal dpr : {1.0, 1.5, 2.0}) {
    Canvas skipping(QSize(962, 688), dpr), drawing(QSize(962, 688), dpr);
    drawing.SkipRedrawnLines(false);
    int waits = 0;
    for (const testing::Call& c : calls) {
      for (Canvas* canvas : {&skipping, &drawing}) {
        if (c.kind == testing::Call::kLine) canvas->Line(c.x1, c.y1, c.x2, c.y2, c.colour);
        if (c.kind == testing::Call::kWidth) canvas->DrawWidth(c.width);
        if (c.kind == testing::Call::kCls) canvas->Cls();
        if (c.kind == testing::Call::kWaitBegins && waits == 3) canvas->EnsureSize({1100, 700});
      }
      if (c.kind != testing::Call::kWaitBegins) continue;
      ++waits;
      ASSERT_EQ(skipping.image(), drawing.image()) << "dpr " << dpr << ", wait " << waits;
    }
    EXPECT_EQ(waits, 10);
  }
}

}  // namespace
}  // namespace tarsel
