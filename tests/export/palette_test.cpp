// A picture in at most 256 colours: every colour kept while they fit, the drawing colours
// kept exactly and the nearest palette colour for the rest when they do not.
#include "export/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "tests/support/colours.h"
#include "tests/support/swatches.h"

namespace tarsel::testing {
namespace {

TEST(ToIndexed, KeepsASmallPaletteExactlyAndMapsALargeOneToTheNearest) {
  for (const int n : {1, 200, 255, 300, 2000}) {
    const Image image = Swatches(n, 50);
    const std::vector<std::uint32_t> keep = {PixelRgb(image.pixel(0, 0)),
                                             PixelRgb(image.pixel(7, 0)), Rgb(kBack)};
    const Indexed indexed = ToIndexed(image, image.rect(), keep);
    ASSERT_LE(indexed.colours.size(), 256u);
    ASSERT_EQ(indexed.pixels.size(), static_cast<std::size_t>(image.width * image.height));
    EXPECT_EQ(indexed.exact, n < 256) << n;  // n swatch colours and white
    std::size_t i = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x, ++i) {
        const std::uint32_t want = PixelRgb(image.pixel(x, y));
        const std::uint32_t got = indexed.colours.at(indexed.pixels[i]);
        const bool kept = std::find(keep.begin(), keep.end(), want) != keep.end();
        if (indexed.exact || kept) {
          ASSERT_EQ(got, want) << n << " colours, pixel " << x << "," << y;
          continue;
        }
        const auto dist = [&](std::uint32_t a) {
          const int r = RgbRed(a) - RgbRed(want), g = RgbGreen(a) - RgbGreen(want),
                    b = RgbBlue(a) - RgbBlue(want);
          return r * r + g * g + b * b;
        };
        for (const std::uint32_t c : indexed.colours) {
          ASSERT_LE(dist(got), dist(c)) << n << " colours: not the nearest at " << x << "," << y;
        }
      }
    }
  }
}

// Pixels equal to the picture before count for nothing; the rectangle limits what is read.
TEST(ToIndexed, LeavesOutUnchangedPixelsAndReadsOnlyTheRectangle) {
  const Image before = Swatches(300, 50);
  Image now = before;
  now.row(2)[10] = RgbPixel(0x123456);
  now.row(3)[11] = RgbPixel(0x654321);
  const Rect rect{5, 1, 20, 4};
  const Indexed indexed = ToIndexed(now, rect, {}, 255, &before);
  EXPECT_TRUE(indexed.exact);
  EXPECT_EQ(indexed.distinct, 2u);
  EXPECT_EQ(indexed.colours, (std::vector<std::uint32_t>{0x123456, 0x654321}));
  ASSERT_EQ(indexed.pixels.size(), static_cast<std::size_t>(rect.width() * rect.height()));
  EXPECT_EQ(indexed.pixels[(2 - 1) * rect.width() + (10 - 5)], 0);
  EXPECT_EQ(indexed.pixels[(3 - 1) * rect.width() + (11 - 5)], 1);
  // Without the picture before, every colour of the rectangle counts.
  std::set<std::uint32_t> colours;
  for (int y = rect.top; y <= rect.bottom; ++y) {
    for (int x = rect.left; x <= rect.right; ++x) colours.insert(PixelRgb(now.pixel(x, y)));
  }
  EXPECT_EQ(ToIndexed(now, rect, {}).distinct, colours.size());
}

}  // namespace
}  // namespace tarsel::testing
