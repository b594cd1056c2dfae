// The canvas's pixels against committed golden pictures, exactly: single lines and groups of
// lines at every pen width and at ratios 1, 1.5 and 2, round ends, lines cut at the image's
// edge and reaching far outside, lines drawn over others, and two complete frames.
// TARSEL_RECORD_GOLDENS=1 rewrites the goldens on purpose.
#include "tests/support/golden.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "export/replay.h"
#include "input/script.h"
#include "render/canvas.h"
#include "tests/support/colours.h"

namespace tarsel {
namespace {

using namespace tarsel::testing;

void ExpectGolden(const Canvas& canvas, const std::string& name) {
  const std::string failure =
      CompareWithGolden(canvas.image(), TARSEL_GOLDEN_DIR, TARSEL_TEST_OUTPUT_DIR, name);
  EXPECT_EQ(failure, "");
}

std::string RatioName(double dpr) {
  return dpr == 1 ? "1" : dpr == 1.5 ? "1_5" : std::to_string(static_cast<int>(dpr));
}

// A line given in logical pixels of the picture (from its top-left corner), handed to the
// canvas in user coordinates as the driver would.
void LineAt(Canvas& c, double x1, double y1, double x2, double y2, std::uint32_t colour) {
  const auto user_x = [](double x) { return static_cast<float>(x / Canvas::kPixelsPerX - 50); };
  const auto user_y = [](double y) { return static_cast<float>(10 - y / Canvas::kPixelsPerY); };
  c.Line(user_x(x1), user_y(y1), user_x(x2), user_y(y2), colour);
}

// Width-1 lines: level, upright, a tick, slanted both ways, cut at each of the four edges,
// and one from far outside to far outside.
void ThinLines(Canvas& c) {
  c.DrawWidth(1);
  LineAt(c, 3.2, 4.3, 40.7, 4.3, kAxis);
  LineAt(c, 10.6, 2, 10.6, 28.4, kAxis);
  LineAt(c, 30.5, 14, 30.5, 16, kAxis);
  LineAt(c, 5, 20, 44, 27, kBlue);
  LineAt(c, 40, 3, 35, 30.2, kRed);
  LineAt(c, -20, 8.5, 6, 8.5, kGreen);
  LineAt(c, 20.3, -10, 20.3, 5, kGreen);
  LineAt(c, 40, 12.7, 80, 12.7, kTeal);
  LineAt(c, 44.2, 25, 44.2, 60, kTeal);
  LineAt(c, -1e7, 18.5, 1e7, 18.5, kOlive);
}

TEST(Goldens, ThinLines) {
  for (const double dpr : {1.0, 1.5, 2.0}) {
    Canvas c(Size{48, 32}, dpr);
    ThinLines(c);
    ExpectGolden(c, "thin-lines-x" + RatioName(dpr));
  }
}

// Thick lines: a curve of short segments, a long slanted line, a short one, a level one, an
// upright one and a dot, so that the sides, the round ends and the joints all show.
void ThickLines(Canvas& c, int width) {
  c.DrawWidth(width);
  for (int i = 0; i < 16; ++i) {
    const auto y = [](int n) { return 6 + (n - 8) * (n - 8) / 3.0; };
    LineAt(c, 4 + 2.5 * i, y(i), 4 + 2.5 * (i + 1), y(i + 1), kPiston);
  }
  LineAt(c, 3.3, 36.2, 60.1, 28.7, kGreen);
  LineAt(c, 50.4, 8.2, 52.1, 9.1, kRed);
  LineAt(c, 8.5, 30.5, 30.5, 30.5, kBlue);
  LineAt(c, 56.25, 14, 56.25, 24.6, kMagenta);
  LineAt(c, 44.6, 20.3, 44.6, 20.3, kOrange);
}

TEST(Goldens, ThickLinesAtEachWidth) {
  for (const int width : {2, 3, 4}) {
    Canvas c(Size{64, 40});
    ThickLines(c, width);
    ExpectGolden(c, "thick-lines-w" + std::to_string(width) + "-x1");
  }
  for (const double dpr : {1.5, 2.0}) {
    Canvas c(Size{64, 40}, dpr);
    ThickLines(c, 3);
    ExpectGolden(c, "thick-lines-w3-x" + RatioName(dpr));
  }
}

// Lines at the image's edges: crossing each edge, running along the top and left edges,
// ending just outside, and reaching far beyond the image in both directions.
TEST(Goldens, LinesCutAtTheEdges) {
  for (const double dpr : {1.0, 2.0}) {
    Canvas c(Size{40, 30}, dpr);
    c.DrawWidth(4);
    LineAt(c, -6, 10, 12, 14, kRed);
    LineAt(c, 30, 25, 47, 33, kBlue);
    LineAt(c, 20, -5, 24, 8, kGreen);
    LineAt(c, 5, 0.4, 35, 0.4, kPiston);
    LineAt(c, 0.6, 20, 0.6, 29.5, kTeal);
    LineAt(c, -1.2, 3, -5, 12, kMagenta);  // wholly outside, its round end reaching in
    LineAt(c, -3e6, 2e6, 3e6, -2e6, kOrange);
    c.DrawWidth(1);
    LineAt(c, 39.5, -50, 39.5, 50, kAxis);
    LineAt(c, -50, 29.5, 50, 29.5, kAxis);
    ExpectGolden(c, "edges-x" + RatioName(dpr));
  }
}

// Lines drawn over others: a thick line across another, a width-1 line over a thick one and a
// thick one over width-1 lines, and one thick line drawn twice, which blends its edges twice.
TEST(Goldens, LinesDrawnOverOthers) {
  Canvas c(Size{48, 32});
  c.DrawWidth(4);
  LineAt(c, 4, 4, 40, 26, kBlue);
  c.DrawWidth(3);
  LineAt(c, 4, 26, 40, 4, kRed);
  c.DrawWidth(1);
  LineAt(c, 2, 15.2, 46, 15.2, kAxis);
  LineAt(c, 22.5, 2, 22.5, 30, kAxis);
  c.DrawWidth(2);
  LineAt(c, 10, 28, 38, 28.6, kOrange);
  LineAt(c, 10, 28, 38, 28.6, kOrange);
  LineAt(c, 30, 10, 30, 22, kTeal);
  ExpectGolden(c, "overdraw-x1");
}

// The first frame as the window shows it at its wait, plain and with velocity and
// acceleration (BackSpace draws the same frame again with them).
TEST(Goldens, CompleteFrames) {
  for (const auto& [script, name] :
       {std::pair<const char*, const char*>{"", "frame-first"}, {"8", "frame-derivatives"}}) {
    Canvas canvas;
    Replay replay(*ParseScript(script, nullptr), nullptr, &canvas);
    replay.Run();
    ExpectGolden(canvas, name);
  }
}

}  // namespace
}  // namespace tarsel
