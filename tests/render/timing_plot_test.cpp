// The timing plot: its own size, the same pixels everywhere (pinned), the frame on the screen
// marked, the sweep's curves in their colours.
#include "render/timing_plot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "animation/shared_state.h"
#include "animation/style.h"
#include "tests/support/fnv.h"

namespace tarsel {
namespace {

const std::vector<SweepFrame>& BuiltInSweep() {
  static const std::vector<SweepFrame> frames = SweepTiming(SharedState{}, kDefaultThreshold);
  return frames;
}

// The pixels as 0xRRGGBB, whichever layout the build keeps them in.
std::uint64_t HashOf(const Image& image) {
  std::string bytes;
  for (const std::uint32_t p : image.pixels) {
    const std::uint32_t rgb = PixelRgb(p);
    bytes += {char(rgb >> 16), char(rgb >> 8), char(rgb)};
  }
  return testing::Fnv1a(bytes);
}

long Count(const Image& image, std::uint32_t window_colour) {
  long n = 0;
  for (const std::uint32_t p : image.pixels) n += p == PixelColour(window_colour);
  return n;
}

TEST(TimingPlot, TheBuiltInSweepsPlotIsPinned) {
  const struct {
    double k, dpr;
    std::uint64_t hash;
  } cases[] = {{6.5, 1, 15720221364232043020ull}, {20, 2, 3922782446950122412ull}};
  for (const auto& c : cases) {
    Image image;
    timing_plot::Draw(image, c.dpr, BuiltInSweep(), c.k);
    EXPECT_EQ(image.width, Canvas::DeviceSide(timing_plot::kSize.width, c.dpr));
    EXPECT_EQ(image.height, Canvas::DeviceSide(timing_plot::kSize.height, c.dpr));
    EXPECT_EQ(HashOf(image), c.hash) << c.k << " at " << c.dpr;
  }
}

TEST(TimingPlot, MarksTheFrameOnTheScreenAndDrawsBothCurves) {
  // At two device pixels to one, so that every stroke has pixels wholly of its colour.
  Image at_start, later, off;
  timing_plot::Draw(at_start, 2, BuiltInSweep(), 4.5);
  timing_plot::Draw(later, 2, BuiltInSweep(), 12);
  timing_plot::Draw(off, 2, BuiltInSweep(), 30);
  EXPECT_NE(at_start, later);
  EXPECT_EQ(Count(off, colour::kAxis), 0);
  EXPECT_GT(Count(later, colour::kAxis), 0);
  EXPECT_GT(Count(later, colour::kBlue), 200);
  EXPECT_GT(Count(later, colour::kRed), 100);
}

TEST(TimingPlot, ASweepWithoutEventsDrawsOnlyTheFrames) {
  Image image;
  timing_plot::Draw(image, 1, SweepTiming(SharedState{}, 50), 6.5);
  EXPECT_EQ(Count(image, colour::kBlue), 0);
  EXPECT_EQ(Count(image, colour::kRed), 0);
}

}  // namespace
}  // namespace tarsel
