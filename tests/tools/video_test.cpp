// Tests of the videos tarsel-render writes, read back with FFmpeg's libraries: codec, size,
// frame rate, frame count, and colours close to the PNG frames.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/render_run.h"
#include "tests/support/video_read.h"

namespace tarsel::testing {
namespace {

// Each pixel of `picture` as a block of `n` x `n`, padded with white to `width` x `height`.
QImage Enlarged(const QImage& picture, int n, int width, int height) {
  QImage out(width, height, QImage::Format_RGB32);
  out.fill(0xFFFFFFFF);
  for (int y = 0; y < picture.height() * n && y < height; ++y) {
    for (int x = 0; x < picture.width() * n && x < width; ++x) {
      out.setPixel(x, y, picture.pixel(x / n, y / n));
    }
  }
  return out;
}

TEST_F(RenderTest, VideoHasTheCodecSizeRateAndFramesAsked) {
  const struct {
    std::string file;
    Lines args;
    std::string codec;
    int width, height, rate_num, rate_den;
    double min_psnr;
  } cases[] = {
      // Every picture pixel as 2 x 2 video pixels by default.
      {"a.mp4", {"--size", "481x344"}, "h264", 962, 688, 5, 1, 46},
      // Odd sizes are padded to even ones; 125 ms a frame is 8 frames a second.
      {"b.webm",
       {"--size", "481x344", "--video-scale", "1", "--delay", "125"},
       "vp9",
       482,
       344,
       8,
       1,
       30},
      {"c.MP4",
       {"--size", "200x150", "--scale", "1.5", "--video-scale", "3", "--delay", "30"},
       "h264",
       900,
       676,
       100,
       3,
       40},
  };
  for (const auto& c : cases) {
    Lines args = {"--script",           "97 8 97", "--video", Path(c.file).string(), "--frames",
                  Path("png").string(), "--force"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result r = Run(args);
    ASSERT_EQ(r.status, 0) << c.file << ": " << r.err;
    EXPECT_EQ(r.err, "") << c.file;
    const auto video = ReadVideoFile(Path(c.file));
    ASSERT_TRUE(video) << c.file;
    EXPECT_EQ(video->codec, c.codec) << c.file;
    EXPECT_EQ(video->pixel_format, "yuv420p") << c.file;
    EXPECT_EQ(video->width, c.width) << c.file;
    EXPECT_EQ(video->height, c.height) << c.file;
    EXPECT_EQ(video->rate_num * c.rate_den, c.rate_num * video->rate_den)
        << c.file << ": " << video->rate_num << "/" << video->rate_den;
    ASSERT_EQ(video->frames.size(), 4u) << c.file;
    const int n = c.width / Rgb32(Path("png/frame-001.png")).width();
    for (int f = 0; f < 4; ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "png/frame-%03d.png", f + 1);
      const QImage want = Enlarged(Rgb32(Path(name)), n, c.width, c.height);
      EXPECT_GE(Psnr(video->frames[f], want), c.min_psnr) << c.file << " frame " << f + 1;
    }
  }
}

TEST_F(RenderTest, VideoOfARunEndedBeforeItsFirstWaitHoldsTheLastPicture) {
  ASSERT_EQ(Run({"--script", "dbl@50", "--video", Path("one.mp4").string()}).status, 0);
  const auto video = ReadVideoFile(Path("one.mp4"));
  ASSERT_TRUE(video);
  ASSERT_EQ(video->frames.size(), 1u);
  EXPECT_GE(Psnr(video->frames[0], Enlarged(Picture("dbl@50"), 2, 1924, 1376)), 46);
}

}  // namespace
}  // namespace tarsel::testing
