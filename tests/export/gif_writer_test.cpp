// The GIF writer against decoders written by others: giflib's, with the test's own compositing
// of each frame over the one before, and Qt's, what a viewer shows.
#include "export/gif_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "export/byte_sink.h"
#include "tests/support/colours.h"
#include "tests/support/gif_decode.h"
#include "tests/support/qt_pixels.h"
#include "tests/support/render_run.h"
#include "tests/support/swatches.h"

namespace tarsel::testing {
namespace {

const std::vector<std::uint32_t> kKeep = {Rgb(kBack), Rgb(kRed), Rgb(kBlue)};

// The bytes of a GIF of `frames`, each shown `delay_ms`.
std::vector<std::uint8_t> GifOf(const std::vector<Image>& frames, int delay_ms = 200) {
  MemorySink sink;
  GifFrames gif(sink);
  EXPECT_EQ(gif.Open(Size{frames[0].width, frames[0].height}, delay_ms, kKeep), "");
  for (const Image& frame : frames) EXPECT_EQ(gif.Add(frame), "");
  EXPECT_EQ(gif.Finish(), "");
  EXPECT_EQ(gif.count(), static_cast<int>(frames.size()));
  return sink.bytes();
}

bool SamePixels(const QImage& decoded, const Image& picture) {
  return decoded.width() == picture.width && decoded.height() == picture.height &&
         CountDifferences(PixelsOf(decoded), PixelsOf(picture)).total() == 0;
}

// Pictures of at most 255 colours: blocks that change, a frame that changes nothing, pixels
// that go back to what they were, a picture that turns white, and a pixel that takes a colour
// shown elsewhere.
std::vector<Image> FewColourFrames() {
  std::vector<Image> frames = {Swatches(200, 40)};
  Image block = frames[0];
  for (int y = 1; y < 4; ++y) std::fill_n(block.row(y) + 3, 9, Pixel(kGreen));
  frames.push_back(block);
  frames.push_back(block);
  frames.push_back(frames[0]);
  frames.push_back(Image(40, 6, 1));
  Image dot = frames[0];
  dot.row(5)[20] = dot.pixel(3, 0);
  frames.push_back(dot);
  return frames;
}

TEST(GifFrames, DecodeToExactlyThePicturesWhenTheyHoldFewColours) {
  const std::vector<Image> frames = FewColourFrames();
  const auto gif = DecodeGif(GifOf(frames));
  ASSERT_TRUE(gif);
  ASSERT_EQ(gif->frames.size(), frames.size());
  for (std::size_t f = 0; f < frames.size(); ++f) {
    EXPECT_TRUE(SamePixels(gif->frames[f], frames[f])) << "frame " << f;
  }
}

TEST_F(RenderTest, AGifFileHoldsTheBytesOfMemoryAndQtShowsTheSameFrames) {
  const std::vector<Image> frames = FewColourFrames();
  const std::vector<std::uint8_t> bytes = GifOf(frames);
  FileSink file;
  ASSERT_EQ(file.Open(Path("few.gif").string()), "");
  GifFrames gif(file);
  ASSERT_EQ(gif.Open(Size{40, 6}, 200, kKeep), "");
  for (const Image& frame : frames) ASSERT_EQ(gif.Add(frame), "");
  ASSERT_EQ(gif.Finish(), "");
  const std::string written = ReadFile(Path("few.gif"));
  EXPECT_EQ(written, std::string(bytes.begin(), bytes.end()));
  const auto qt = DecodeGifWithQt(Path("few.gif"));
  ASSERT_TRUE(qt);
  ASSERT_EQ(qt->frames.size(), frames.size());
  for (std::size_t f = 0; f < frames.size(); ++f) {
    EXPECT_TRUE(SamePixels(qt->frames[f], frames[f])) << "frame " << f;
  }
}

TEST(GifFrames, TheFileLoopsWithTheDelayInHundredthsOfASecond) {
  for (const auto& [ms, cs] : {std::pair{10, 1}, {125, 13}, {200, 20}, {655350, 65535}}) {
    const std::vector<std::uint8_t> bytes = GifOf({Image(3, 2, 1), Swatches(3, 3)}, ms);
    ASSERT_GE(bytes.size(), 13u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    // The logical screen: 3 x 2, little-endian.
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 6, bytes.begin() + 10),
              (std::vector<std::uint8_t>{3, 0, 2, 0}));
    EXPECT_EQ(bytes.back(), 0x3B);
    const auto gif = DecodeGif(bytes);
    ASSERT_TRUE(gif);
    EXPECT_TRUE(gif->loops);
    EXPECT_EQ(gif->delays_cs, std::vector<int>(2, cs)) << ms;
  }
}

// More colours than a frame holds: the colours to keep stay exact, the frame counts as
// approximated, and a pixel that does not change from one frame to the next keeps its colour.
TEST(GifFrames, ManyColoursKeepTheDrawingColoursAndStillPixelsStayStill) {
  Image first = Swatches(2000, 50);
  for (int x = 0; x < 50; x += 2) first.row(10)[x] = Pixel(kRed);
  first.row(11)[7] = Pixel(kBlue);
  Image second = first;
  for (int y = 20; y < 30; ++y) std::fill_n(second.row(y), 50, Pixel(kBlue));
  MemorySink sink;
  GifFrames writer(sink);
  ASSERT_EQ(writer.Open(Size{first.width, first.height}, 100, kKeep), "");
  ASSERT_EQ(writer.Add(first), "");
  ASSERT_EQ(writer.Add(second), "");
  ASSERT_EQ(writer.Finish(), "");
  EXPECT_EQ(writer.approximated(), 1);  // the second frame changes only a few colours
  const auto gif = DecodeGif(sink.bytes());
  ASSERT_TRUE(gif);
  ASSERT_EQ(gif->frames.size(), 2u);
  const PixelView shown = PixelsOf(gif->frames[1]), before = PixelsOf(gif->frames[0]);
  for (int y = 0; y < first.height; ++y) {
    for (int x = 0; x < first.width; ++x) {
      const std::uint32_t want = PixelRgb(second.pixel(x, y));
      if (std::find(kKeep.begin(), kKeep.end(), want) != kKeep.end()) {
        ASSERT_EQ(shown.colour(x, y), want) << x << "," << y;
      }
      if (first.pixel(x, y) == second.pixel(x, y)) {
        ASSERT_EQ(shown.colour(x, y), before.colour(x, y)) << x << "," << y;
      }
    }
  }
}

TEST(GifFrames, APictureOfAnotherSizeIsRefused) {
  MemorySink sink;
  GifFrames gif(sink);
  ASSERT_EQ(gif.Open(Size{4, 4}, 100, kKeep), "");
  EXPECT_EQ(gif.Add(Image(5, 4, 1)), "a picture of 5x4 cannot be a frame of a GIF of 4x4");
  EXPECT_EQ(gif.count(), 0);
}

// A file that cannot be made, and a disk that is full: one line naming the file and the cause.
TEST(FileSink, AFailureNamesTheFileAndItsCause) {
  FileSink missing;
  EXPECT_EQ(missing.Open("/nonexistent/dir/x.gif"),
            "cannot write '/nonexistent/dir/x.gif': No such file or directory");
  FileSink full;
  ASSERT_EQ(full.Open("/dev/full"), "");
  GifFrames gif(full);
  std::string error = gif.Open(Size{40, 6}, 100, kKeep);
  for (const Image& frame : FewColourFrames()) {
    if (error.empty()) error = gif.Add(frame);
  }
  if (error.empty()) error = gif.Finish();
  EXPECT_EQ(error, "writing '/dev/full' failed: No space left on device");
}

}  // namespace
}  // namespace tarsel::testing
