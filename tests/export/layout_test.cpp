// The page's build keeps its pixels in a canvas's byte order (R, G, B, A: the words 0xAABBGGRR)
// where the desktop has 0xAARRGGBB. Its exports must still be the same files: the same palette
// in the same order, the same GIF bytes. This file is built into a test of each layout, and
// both must give the values pinned here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/byte_sink.h"
#include "export/gif_writer.h"
#include "export/palette.h"
#include "tests/support/fnv.h"
#include "tests/support/swatches.h"

namespace tarsel::testing {
namespace {

#if defined(TARSEL_PIXELS_RGBA)
constexpr char kLayout[] = "R, G, B, A bytes";
#else
constexpr char kLayout[] = "0xAARRGGBB words";
#endif

// The colours to keep exact, 0xRRGGBB.
const std::vector<std::uint32_t> kKeep = {SwatchColour(5), SwatchColour(17), 0xFFFFFF};

std::uint64_t HashOf(const Indexed& indexed) {
  std::string bytes;
  for (const std::uint32_t c : indexed.colours) {
    bytes += {static_cast<char>(RgbRed(c)), static_cast<char>(RgbGreen(c)),
              static_cast<char>(RgbBlue(c))};
  }
  bytes.append(indexed.pixels.begin(), indexed.pixels.end());
  return Fnv1a(bytes);
}

TEST(PixelLayout, ThePaletteIsTheSame) {
  // Few colours: all of them, in ascending 0xRRGGBB order.
  const Image few = Swatches(100, 20);
  std::vector<std::uint32_t> all = {0xFFFFFF};
  for (int i = 0; i < 100; ++i) all.push_back(SwatchColour(i));
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  EXPECT_EQ(ToIndexed(few, few.rect(), kKeep).colours, all) << kLayout;

  // Too many: the kept colours first, then the rest chosen from the channels' values.
  const Image many = Swatches(600, 40);
  const Indexed indexed = ToIndexed(many, many.rect(), kKeep);
  ASSERT_FALSE(indexed.exact);
  ASSERT_EQ(indexed.colours.size(), 256u);
  EXPECT_TRUE(std::equal(kKeep.begin(), kKeep.end(), indexed.colours.begin())) << kLayout;
  EXPECT_EQ(HashOf(indexed), 0xbb74ec8eb6e01daeu)
      << kLayout << ": 0x" << std::hex << HashOf(indexed);
}

TEST(PixelLayout, TheGifBytesAreTheSame) {
  const Image first = Swatches(600, 40);
  Image second = first;
  for (int y = 3; y < 9; ++y) std::fill_n(second.row(y) + 4, 20, RgbPixel(0x2040F0));
  MemorySink sink;
  GifFrames gif(sink);
  ASSERT_EQ(gif.Open(Size{first.width, first.height}, 150, kKeep), "");
  for (const Image* frame : std::vector<const Image*>{&first, &second, &second, &first})
    ASSERT_EQ(gif.Add(*frame), "");
  ASSERT_EQ(gif.Finish(), "");
  const std::string_view bytes(reinterpret_cast<const char*>(sink.bytes().data()),
                               sink.bytes().size());
  EXPECT_EQ(Fnv1a(bytes), 0x18bb9a9437b57fbbu) << kLayout << ": 0x" << std::hex << Fnv1a(bytes);
}

}  // namespace
}  // namespace tarsel::testing
