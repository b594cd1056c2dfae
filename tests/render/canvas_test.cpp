// The canvas: the user coordinate mapping, clipping, clearing and growth, the changed area,
// width-1 lines of one thickness at every pixel ratio, and the width-1 lines that are not
// drawn again.
#include "render/canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>
#include <set>

#include "animation/driver.h"
#include "input/handlers.h"
#include "tests/support/colours.h"
#include "tests/support/pixels.h"
#include "tests/support/recording_surface.h"
#include "tests/support/tolerances.h"

namespace tarsel {
namespace {

using testing::AllWhite;
using testing::Decimals;
using testing::Pixel;
using testing::PixelsOf;

constexpr std::uint32_t kBlack = 0xFF000000;
constexpr double kRatios[] = {1, 1.25, 1.5, 2, 3};

// The part of `img` inside `area`, as an image of its own.
Image Crop(const Image& img, Rect area) {
  Image out(area.width(), area.height(), img.dpr);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) out.row(y)[x] = img.pixel(area.left + x, area.top + y);
  }
  return out;
}

TEST(Mapping, DesignCornersAndUnits) {
  const auto tl = Canvas::ToPixel(-50, 10);
  EXPECT_EQ(tl.x, 0);
  EXPECT_EQ(tl.y, 0);
  const auto br = Canvas::ToPixel(180, -3);
  EXPECT_DOUBLE_EQ(br.x, 962);
  EXPECT_DOUBLE_EQ(br.y, 688);
  // 4.1826 pixels per x unit, 52.923 per y unit; y grows upward.
  EXPECT_NEAR(Canvas::ToPixel(-49, 10).x, 4.1826, Decimals(4));
  EXPECT_NEAR(Canvas::ToPixel(-50, 9).y, 52.923, Decimals(3));
  EXPECT_LT(Canvas::ToPixel(0, 5).y, Canvas::ToPixel(0, 0).y);
}

TEST(Mapping, CornerPixelsAreReached) {
  const double half_x = 0.5 / Canvas::kPixelsPerX, half_y = 0.5 / Canvas::kPixelsPerY;
  Canvas c;
  c.Line(-50, 10, -49, 10, 0);
  c.Line(180 - half_x, -3 + half_y, 179, -3 + half_y, 0);
  EXPECT_EQ(c.image().pixel(0, 0), kBlack);
  EXPECT_EQ(c.image().pixel(961, 687), kBlack);
}

TEST(Mapping, ColoursAreBlueGreenRed) {
  Canvas c;
  c.DrawWidth(3);
  c.Line(0, 5, 10, 5, 255);
  c.Line(0, 4, 10, 4, 65280);
  c.Line(0, 3, 10, 3, 16711680);
  c.Line(0, 2, 10, 2, 8438015);
  const int x = static_cast<int>(Canvas::ToPixel(5, 0).x);
  auto at = [&](double y) { return c.image().pixel(x, static_cast<int>(Canvas::ToPixel(0, y).y)); };
  EXPECT_EQ(at(5), 0xFFFF0000u);
  EXPECT_EQ(at(4), 0xFF00FF00u);
  EXPECT_EQ(at(3), 0xFF0000FFu);
  EXPECT_EQ(at(2), 0xFFFFC080u);
}

void DrawSample(Canvas& c) {
  c.DrawWidth(3);
  c.Line(-98, 0, 360, 0, 7);     // starts left of the left edge
  c.Line(15, -2, 15, 11.5f, 7);  // ends above the top edge
  c.DrawWidth(4);
  c.Line(100, 0, 60, 9.5f, 255);
  c.Line(170, 1, 250, -6, 65280);  // leaves the design area to the right and below
  c.DrawWidth(1);
  c.Line(-98, 1, 360, 1, 7);
  c.Line(105, -2, 105, 11.5f, 7);
}

TEST(Mapping, ALargerAreaShowsMoreWithoutRescaling) {
  for (const double dpr : kRatios) {
    Canvas small(Size{962, 688}, dpr);
    Canvas large(Size{1400, 900}, dpr);
    DrawSample(small);
    DrawSample(large);
    EXPECT_EQ(Crop(large.image(), small.image().rect()), small.image()) << dpr;
    // The extra area shows the rest of the plane: the axis and the green line go on there.
    const int axis_row = static_cast<int>(Canvas::ToPixel(0, 0).y * dpr);
    EXPECT_NE(large.image().pixel(large.image().width - 1, axis_row), kWhitePixel) << dpr;
    EXPECT_FALSE(
        AllWhite(PixelsOf(large.image()), Rect{small.image().width, small.image().height,
                                               large.image().width, large.image().height}));
  }
}

TEST(Mapping, LinesOutsideAreClippedWithoutHarm) {
  Canvas c;
  DrawSample(c);
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Image before = c.image();
  for (const int width : {1, 3}) {
    c.DrawWidth(width);
    c.Line(-1e30f, 5, -1e29f, 6, 255);  // wholly outside
    c.Line(1e30f, -1e30f, 2e30f, 1e30f, 255);
    c.Line(nan, 0, 10, 0, 255);  // no position at all: nothing to draw
    c.Line(0, inf, 10, 0, 255);
    c.Line(-inf, 2, inf, 2, 255);
  }
  EXPECT_EQ(c.image(), before);
  // A line from far outside to inside is drawn up to the edge.
  c.DrawWidth(1);
  c.Line(-1e30f, 2, 0, 2, 255);
  const int row = static_cast<int>(std::floor(Canvas::ToPixel(0, 2).y));
  EXPECT_EQ(c.image().pixel(0, row), 0xFFFF0000u);
  EXPECT_EQ(c.image().pixel(100, row), 0xFFFF0000u);
}

TEST(Surface, ClsWhitensEverythingAndDrawingGoesOn) {
  Canvas c;
  DrawSample(c);
  c.Cls();
  EXPECT_TRUE(AllWhite(PixelsOf(c.image()), c.image().rect()));
  c.Line(-50, 10, -49, 10, 0);
  EXPECT_EQ(c.image().pixel(0, 0), kBlack);
}

TEST(Surface, GrowingKeepsTheDrawingAndAddsWhite) {
  Canvas c;
  DrawSample(c);
  const Image before = c.image();
  c.EnsureSize(Size{1200, 800});
  EXPECT_EQ(c.image().width, 1200);
  EXPECT_EQ(c.image().height, 800);
  EXPECT_EQ(Crop(c.image(), before.rect()), before);
  EXPECT_TRUE(AllWhite(PixelsOf(c.image()), Rect{962, 0, 1199, 799}));
  EXPECT_TRUE(AllWhite(PixelsOf(c.image()), Rect{0, 688, 1199, 799}));
  c.EnsureSize(Size{500, 300});  // a smaller window loses nothing
  EXPECT_EQ(c.image().width, 1200);
  EXPECT_EQ(c.logicalSize(), (Size{1200, 800}));
}

// A window made smaller gives its memory back, but keeps at least the design size, so that a
// window shrunk and restored shows its frame whole; small changes keep the image as it is.
TEST(Surface, ShrinkingGivesMemoryBackDownToTheDesignSize) {
  for (const double dpr : kRatios) {
    Canvas c(Size{962, 688}, dpr);
    c.EnsureSize(Size{2000, 1500});
    DrawSample(c);
    const Image large = c.image();
    c.ShrinkTo(Size{1900, 1450});  // a step of a dragged edge: frees too little
    EXPECT_EQ(c.logicalSize(), (Size{2000, 1500})) << dpr;
    c.ShrinkTo(Size{100, 80});
    EXPECT_EQ(c.logicalSize(), (Size{962, 688})) << dpr;
    EXPECT_EQ(c.image(), Crop(large, Rect::Sized(0, 0, c.image().width, c.image().height))) << dpr;
    // Made larger again: white beyond the design size until the next frame draws there.
    c.EnsureSize(Size{1400, 900});
    EXPECT_TRUE(AllWhite(PixelsOf(c.image()), Rect{Canvas::DeviceSide(962, dpr), 0,
                                                   c.image().width - 1, c.image().height - 1}));
  }
}

TEST(Surface, DeviceSizeIsTheLogicalSizeTimesTheRatioRoundedUp) {
  const struct {
    double dpr;
    int width, height;
  } cases[] = {
      {1, 962, 688}, {1.25, 1203, 860}, {1.5, 1443, 1032}, {2, 1924, 1376}, {3, 2886, 2064}};
  for (const auto& k : cases) {
    Canvas c(Size{962, 688}, k.dpr);
    EXPECT_EQ(c.image().width, k.width) << k.dpr;
    EXPECT_EQ(c.image().height, k.height) << k.dpr;
    EXPECT_EQ(c.image().dpr, k.dpr);
  }
}

// An absurd window size must not take gigabytes: the image stops at the cap, in device
// pixels, and what fits is still drawn where it belongs.
TEST(Surface, ImageStopsAtTheCap) {
  const int cap = Canvas::kMaxDeviceSide;
  struct Case {
    Size logical;
    double dpr;
    int width, height;
  };
  for (const Case& k : {Case{{30000, 20}, 1, cap, 20}, Case{{5000, 5000}, 2, cap, cap},
                        Case{{32767, 32767}, 1.5, cap, cap}}) {
    Canvas c(Size{100, 10}, k.dpr);
    c.EnsureSize(k.logical);
    EXPECT_EQ(c.image().width, k.width) << k.dpr;
    EXPECT_EQ(c.image().height, k.height) << k.dpr;
    const Canvas fresh(k.logical, k.dpr);
    EXPECT_EQ(fresh.image().width, k.width) << k.dpr;
  }
  Canvas c(Size{20000, 10});
  c.Line(-50, 10, 2000, 10, 0);
  EXPECT_EQ(c.image().pixel(cap - 1, 0), kBlack);
}

TEST(Surface, DirtyAreaCoversWhatChanged) {
  for (const double dpr : kRatios) {
    Canvas c(Size{962, 688}, dpr);
    EXPECT_TRUE(c.TakeDirty().empty());
    DrawSample(c);
    const Rect dirty = c.TakeDirty();
    EXPECT_TRUE(c.TakeDirty().empty());
    const Image& img = c.image();
    for (int y = 0; y < img.height; ++y) {
      for (int x = 0; x < img.width; ++x) {
        if (img.pixel(x, y) != kWhitePixel) {
          ASSERT_TRUE(dirty.contains(x, y)) << x << "," << y;
        }
      }
    }
    // In logical pixels it covers the same device pixels.
    const Rect logical = c.ToLogical(dirty);
    EXPECT_LE(logical.left * dpr, dirty.left);
    EXPECT_GE((logical.right + 1) * dpr, std::min(dirty.right + 1.0, 962 * dpr));
    c.Cls();
    EXPECT_EQ(c.TakeDirty(), img.rect());
    EXPECT_EQ(c.ToLogical(img.rect()), Rect::Sized(0, 0, 962, 688));
  }
}

TEST(Surface, HigherRatiosKeepTheLogicalMapping) {
  Canvas one;
  DrawSample(one);
  for (const double dpr : {1.5, 2.0, 3.0}) {
    Canvas more(Size{962, 688}, dpr);
    DrawSample(more);
    // Sampled at the centre of each logical pixel, the drawing lands where the 1x one does:
    // edges may move by a pixel, the lines themselves coincide.
    const auto inked_one = [&](int x, int y) {
      return x >= 0 && y >= 0 && x < 962 && y < 688 && one.image().pixel(x, y) != kWhitePixel;
    };
    const auto inked_more = [&](int x, int y) {
      return x >= 0 && y >= 0 && x < 962 && y < 688 &&
             more.image().pixel(static_cast<int>((x + 0.5) * dpr),
                                static_cast<int>((y + 0.5) * dpr)) != kWhitePixel;
    };
    const auto near = [](auto inked, int x, int y) {
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (inked(x + dx, y + dy)) return true;
        }
      }
      return false;
    };
    int astray = 0;
    for (int y = 0; y < 688; ++y) {
      for (int x = 0; x < 962; ++x) {
        if (inked_one(x, y) && !near(inked_more, x, y)) ++astray;
        if (inked_more(x, y) && !near(inked_one, x, y)) ++astray;
      }
    }
    EXPECT_EQ(astray, 0) << dpr;
  }
}

// ------------------------------------------------------------------------------------------
// Width-1 lines

// Runs of inked pixels along one row or column: their lengths.
std::vector<int> Runs(const Image& img, bool along_row, int index) {
  std::vector<int> runs;
  const int n = along_row ? img.width : img.height;
  int run = 0;
  for (int i = 0; i <= n; ++i) {
    const bool inked =
        i < n && (along_row ? img.pixel(i, index) : img.pixel(index, i)) != kWhitePixel;
    if (inked) {
      ++run;
    } else if (run > 0) {
      runs.push_back(run);
      run = 0;
    }
  }
  return runs;
}

// The ticks and the marker lines of the axis, and horizontal lines at many heights: at each
// ratio, every one is equally many device pixels thick, wherever it lies.
TEST(ThinLines, AreEquallyThickWhereverTheyLie) {
  for (const double dpr : kRatios) {
    const int thick = Canvas::ThinLinePixels(dpr);
    Canvas ticks(Size{962, 688}, dpr);
    for (double tick = -97.5; tick <= 180; tick += 22.5) {
      ticks.Line(static_cast<float>(tick), -0.25f, static_cast<float>(tick), 0.25f, 7);
    }
    ticks.Line(15, -2, 15, 11.5f, 7);
    ticks.Line(105, -2, 105, 11.5f, 7);
    const int row = static_cast<int>(Canvas::ToPixel(0, 0).y * dpr);
    // Ten ticks in view, two of them under the marker lines.
    EXPECT_EQ(Runs(ticks.image(), true, row), std::vector<int>(10, thick)) << dpr;

    Canvas rows(Size{962, 688}, dpr);
    for (int i = 0; i < 40; ++i) {
      const float y = 9.5f - i * 0.2371f;
      rows.Line(-40, y, 20, y, 7);
    }
    const int column = static_cast<int>(Canvas::ToPixel(0, 0).x * dpr);
    const std::vector<int> runs = Runs(rows.image(), false, column);
    ASSERT_EQ(runs.size(), 40u) << dpr;
    for (const int r : runs) EXPECT_EQ(r, thick) << dpr;
  }
  EXPECT_EQ(Canvas::ThinLinePixels(1), 1);
  EXPECT_EQ(Canvas::ThinLinePixels(1.25), 1);
  EXPECT_EQ(Canvas::ThinLinePixels(1.5), 2);
  EXPECT_EQ(Canvas::ThinLinePixels(2), 2);
  EXPECT_EQ(Canvas::ThinLinePixels(3), 3);
}

TEST(ThinLines, CoverTheirWholeLengthAndEnds) {
  for (const double dpr : kRatios) {
    Canvas c(Size{962, 688}, dpr);
    c.Line(-40, 5, 20, 5, 7);
    const auto a = Canvas::ToPixel(-40, 5), b = Canvas::ToPixel(20, 5);
    const int row = static_cast<int>(a.y * dpr);
    const std::vector<int> runs = Runs(c.image(), true, row);
    ASSERT_EQ(runs.size(), 1u);
    // From the pixel holding one end to the pixel holding the other, and the pen's half
    // thickness beyond each.
    // Each end lands somewhere in its pixel: together at most one pixel more or less.
    const int thick = Canvas::ThinLinePixels(dpr);
    constexpr double kEndsInTheirPixels = 1.0;
    EXPECT_NEAR(runs[0], (b.x - a.x) * dpr + thick, kEndsInTheirPixels) << dpr;
  }
}

// The animation draws width-1 lines only level or upright; slanted ones must still be whole
// lines: the same pixels in both directions, `thickness` pixels in every column (or row)
// along them, no gaps, and both end pixels.
TEST(ThinLines, SlantedLinesAreUnbrokenAndSymmetric) {
  const struct {
    float x1, y1, x2, y2;
  } lines[] = {{-40, 8, 100, 1},
               {0, 9, 3, -2},
               {10, 2, 11, 2.1f},
               {-60, 12, 200, -5},
               {150, 0.5f, 140, 7.25f}};
  for (const double dpr : kRatios) {
    for (const auto& l : lines) {
      Canvas there(Size{962, 688}, dpr), back(Size{962, 688}, dpr);
      there.Line(l.x1, l.y1, l.x2, l.y2, 7);
      back.Line(l.x2, l.y2, l.x1, l.y1, 7);
      ASSERT_EQ(there.image(), back.image()) << dpr << " " << l.x1;
      const Image& img = there.image();
      const auto p = Canvas::ToPixel(l.x1, l.y1), q = Canvas::ToPixel(l.x2, l.y2);
      const bool flat = std::abs(q.x - p.x) >= std::abs(q.y - p.y);
      const int thick = Canvas::ThinLinePixels(dpr);
      int previous = -1;
      const int n = flat ? img.width : img.height;
      for (int i = 0; i < n; ++i) {
        std::vector<int> runs = Runs(img, !flat, i);
        if (runs.empty()) continue;
        // One run per column; cut at the image's edge it may be thinner.
        ASSERT_EQ(runs.size(), 1u) << dpr << " at " << i;
        int first = 0;
        while ((flat ? img.pixel(i, first) : img.pixel(first, i)) == kWhitePixel) ++first;
        const int edge = flat ? img.height : img.width;
        if (first > 0 && first + runs[0] < edge) {
          EXPECT_EQ(runs[0], thick) << dpr << " at " << i;
        }
        if (previous >= 0) {
          EXPECT_LE(std::abs(first - previous), 1) << dpr << " at " << i;
        }
        previous = first;
      }
      const int px = static_cast<int>(p.x * dpr), py = static_cast<int>(p.y * dpr);
      if (img.rect().contains(px, py)) {
        EXPECT_NE(img.pixel(px, py), kWhitePixel);
      }
    }
  }
}

// ------------------------------------------------------------------------------------------
// Width-1 lines that are not drawn again

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

// Width-1 lines drawn again over pixels that still show them are skipped, and those drawn
// over in places are drawn again only there. The window must show what drawing every line in
// full shows, at every wait, also after the image has grown.
TEST(RedrawFilter, SkippedRedrawsLeaveTheSamePixels) {
  const std::vector<testing::Call> calls = RecordedRun();
  for (const double dpr : kRatios) {
    Canvas skipping(Size{962, 688}, dpr), drawing(Size{962, 688}, dpr);
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

TEST(RedrawFilter, RemembersLinesAndWhatCoversThem) {
  RedrawFilter f;
  const Rect image = Rect::Sized(0, 0, 100, 100);
  const LineKey axis{-98, 0, 360, 0, 7}, tick{15, -2, 15, 11.5f, 7};
  Rect redraw;
  EXPECT_TRUE(f.NeedsDrawing(axis, image, &redraw));
  EXPECT_EQ(redraw, image);  // never seen: all of it
  f.Drawn(axis, Rect{0, 50, 99, 50});
  EXPECT_TRUE(f.NeedsDrawing(tick, image, &redraw));
  f.Drawn(tick, Rect{20, 0, 20, 99});
  EXPECT_FALSE(f.NeedsDrawing(axis, image, &redraw));
  EXPECT_FALSE(f.NeedsDrawing(tick, image, &redraw));

  f.Cover(Rect{10, 45, 30, 55});  // a thick segment across both
  EXPECT_TRUE(f.NeedsDrawing(axis, image, &redraw));
  EXPECT_EQ(redraw, (Rect{10, 50, 30, 50}));
  f.Drawn(axis, Rect{0, 50, 99, 50});
  EXPECT_TRUE(f.NeedsDrawing(tick, image, &redraw));
  EXPECT_EQ(redraw, (Rect{20, 45, 20, 55}));
  f.Drawn(tick, Rect{20, 0, 20, 99});

  f.Cover(Rect{0, 0, 99, 99}, 7);  // a width-1 line of the same colour changes nothing
  EXPECT_FALSE(f.NeedsDrawing(axis, image, &redraw));
  f.Cover(Rect{0, 0, 99, 99}, 255);
  EXPECT_TRUE(f.NeedsDrawing(axis, image, &redraw));
  f.Drawn(axis, Rect{0, 50, 99, 50});

  f.CoverAll();  // cleared: all of each line again
  EXPECT_TRUE(f.NeedsDrawing(tick, image, &redraw));
  EXPECT_EQ(redraw, (Rect{20, 0, 20, 99}));
  f.Forget();  // resized: unknown again
  EXPECT_TRUE(f.NeedsDrawing(axis, image, &redraw));
  EXPECT_EQ(redraw, image);
}

}  // namespace
}  // namespace tarsel
