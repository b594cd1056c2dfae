// Tests of the pictures tarsel-render exports: the client area at the end of a run, the
// numbered frames at each wait and the animated GIF.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "export/label.h"
#include "render/palette.h"
#include "tests/support/colours.h"
#include "tests/support/gif_decode.h"
#include "tests/support/qt_pixels.h"
#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

namespace fs = std::filesystem;

long CountPixels(const QImage& image, QRgb colour) {
  long n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == colour;
  }
  return n;
}

TEST_F(RenderTest, SizeAndScaleSetThePictureSize) {
  const struct {
    Lines args;
    int width, height;
  } cases[] = {
      {{}, 962, 688},
      {{"--size", "300x200"}, 300, 200},
      {{"--size", "1x1"}, 1, 1},
      {{"--scale", "2"}, 1924, 1376},
      {{"--size", "300x200", "--scale", "1.5"}, 450, 300},
      {{"--size", "100x60", "--scale", "1.25"}, 125, 75},
      // A phone's fit: the design size drawn smaller, a part pixel counting whole.
      {{"--scale", "0.4054054054054054"}, 390, 279},
      {{"--scale", "0.125"}, 121, 86},
  };
  for (const auto& c : cases) {
    const QImage image = Picture("", c.args);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(c.width, c.height)) << ::testing::PrintToString(c.args);
  }
}

TEST_F(RenderTest, ThePictureShowsTheFrameOrIsWhiteAfterEscape) {
  // At the first k the linkage re-times the green profile onto the red one, so the blue trace
  // covers the red curve; a few frames on they part. A double-click leaves the picture as
  // drawn.
  const struct {
    std::string script;
    QRgb colour;
  } shown[] = {{"", Rgb(kGreen)},
               {"", Rgb(kBlue)},
               {"97 97 97 97", Rgb(kRed)},
               {"", Rgb(kPiston)},
               {"dbl@300", Rgb(kGreen)}};
  for (const auto& c : shown) {
    const QImage image = Picture(c.script);
    ASSERT_FALSE(image.isNull()) << c.script;
    EXPECT_FALSE(AllWhite(PixelsOf(image))) << c.script;
    EXPECT_GT(CountPixels(image, c.colour), 0) << c.script << " " << std::hex << c.colour;
  }
  for (const auto& [script, scale] :
       {std::pair<std::string, std::string>{"27", "1"}, {"27@300", "2"}}) {
    const QImage image = Picture(script, {"--scale", scale});
    ASSERT_FALSE(image.isNull()) << script;
    EXPECT_TRUE(AllWhite(PixelsOf(image))) << script;
  }
}

// --palette distinguishable: every curve in its substitute colour, none in its exact one; the
// axis stays black, pixel for pixel.
TEST_F(RenderTest, TheDistinguishablePaletteReplacesEveryCurveColour) {
  for (const std::string script : {"97", "8 97"}) {
    const QImage exact = Picture(script);
    const QImage other = Picture(script, {"--palette", "distinguishable"});
    ASSERT_FALSE(other.isNull());
    for (const Curve& c : kCurves) {
      const long drawn = CountPixels(exact, Rgb(c.colour));
      if (c.colour == kAxis) {
        EXPECT_EQ(CountPixels(other, Rgb(c.colour)), drawn);
        continue;
      }
      EXPECT_EQ(CountPixels(other, Rgb(c.colour)), 0) << c.name;
      // About as many pixels in full colour where the curve is drawn: blends of other colours
      // land on a full colour now and then, differently in each palette.
      if (drawn < 100) continue;  // not drawn in this frame: a few blends only
      EXPECT_NEAR(CountPixels(other, Rgb(c.distinguishable)), drawn, drawn * 0.1)
          << c.name << " " << script;
    }
  }
}

// ------------------------------------------------------------------------------------------
// The label

// The label's area of a picture file, from its size and the scale it was drawn at.
Rect AreaOf(const QImage& picture, double scale) {
  return LabelArea(Image(picture.width(), picture.height(), scale));
}

TEST_F(RenderTest, LabelledPicturesDifferOnlyInsideTheLabel) {
  const struct {
    std::string script;
    Lines args;
    double scale;
  } cases[] = {{"", {}, 1},
               {"8 97 97", {"--scale", "1.5"}, 1.5},
               {"47 97 enter", {"--scale", "2"}, 2},
               {"97", {"--size", "100x40"}, 1}};
  for (const auto& c : cases) {
    const QImage plain = Picture(c.script, c.args);
    Lines labelled_args = c.args;
    labelled_args.push_back("--label");
    const QImage labelled = Picture(c.script, labelled_args);
    ASSERT_EQ(plain.size(), labelled.size()) << c.script;
    const Rect area = AreaOf(plain, c.scale);
    const auto [inside, outside] = CountDifferences(PixelsOf(plain), PixelsOf(labelled), area);
    EXPECT_EQ(outside, 0) << c.script;
    EXPECT_GT(inside, area.width() * area.height() / 50) << c.script;
  }
  // Frames too, each with its own k and curves.
  ASSERT_EQ(Run({"--script", "97 8", "--frames", Path("plain").string()}).status, 0);
  ASSERT_EQ(Run({"--script", "97 8", "--frames", Path("labelled").string(), "--label"}).status, 0);
  QImage before;
  for (const std::string name : {"frame-001.png", "frame-002.png", "frame-003.png"}) {
    const QImage plain = Rgb32(Path("plain") / name), labelled = Rgb32(Path("labelled") / name);
    const Rect area = AreaOf(plain, 1);
    EXPECT_EQ(CountDifferences(PixelsOf(plain), PixelsOf(labelled), area).outside, 0) << name;
    if (!before.isNull()) {
      EXPECT_GT(CountDifferences(PixelsOf(before), PixelsOf(labelled), area).inside, 0) << name;
    }
    before = labelled;
  }
}

TEST_F(RenderTest, NoCurveReachesTheLabelCornerInAnyFrame) {
  // Every frame of the plain sweep drawn over the ones before, with the phase offset and with
  // the velocity and acceleration: together they hold every curve of every frame.
  for (const std::string first : {"47", "47 8"}) {
    for (const std::string scale : {"1", "1.5"}) {
      const QImage all = Picture(first + " " + Repeat("97", kPlainFrames - 1), {"--scale", scale});
      const Rect area = AreaOf(all, std::stod(scale));
      long inked = 0;
      for (int y = area.top; y <= area.bottom; ++y) {
        for (int x = area.left; x <= area.right; ++x) inked += all.pixel(x, y) != 0xFFFFFFFF;
      }
      EXPECT_EQ(inked, 0) << first << " at scale " << scale;
    }
  }
}

TEST_F(RenderTest, PictureAndLogTogetherMatchEachAlone) {
  const Lines alone = Log("97 44@30");
  const QImage picture = Picture("97 44@30");
  const fs::path log = Path("both.log"), png = Path("both.png");
  const Result r = Run({"--script", "97 44@30", "--log", log.string(), "--png", png.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(SplitLines(ReadFile(log)), alone);
  const QImage both = Rgb32(png);
  ASSERT_FALSE(both.isNull());
  EXPECT_EQ(both, picture);
}

// ------------------------------------------------------------------------------------------
// Frames and the animated GIF

TEST_F(RenderTest, FramesAreTheClientAreaAtEachWait) {
  const fs::path dir = Path("frames/sub");
  const Result r = Run({"--script", "97 8 97", "--frames", dir.string(), "--size", "481x344"});
  ASSERT_EQ(r.status, 0) << r.err;
  // The run stops at the fourth wait, so the last frame is the picture at the end.
  EXPECT_EQ(Rgb32(dir / "frame-004.png"), Picture("97 8 97", {"--size", "481x344"}));
  EXPECT_EQ(Rgb32(dir / "frame-002.png"), Picture("97", {"--size", "481x344"}));
  EXPECT_FALSE(fs::exists(dir / "frame-005.png"));

  // A second export does not overwrite the first unless told to; with --force, the frames
  // left over from the longer first export go.
  ExpectRejected(Run({"--script", "97", "--frames", dir.string()}), "--force", "no --force");
  EXPECT_TRUE(fs::exists(dir / "frame-004.png"));
  std::ofstream(dir / "notes.txt") << "mine";
  ASSERT_EQ(Run({"--script", "97", "--frames", dir.string(), "--force", "--size", "50x40"}).status,
            0);
  EXPECT_EQ(Rgb32(dir / "frame-002.png").size(), QSize(50, 40));
  EXPECT_FALSE(fs::exists(dir / "frame-003.png"));
  EXPECT_TRUE(fs::exists(dir / "notes.txt"));
}

TEST_F(RenderTest, GifHoldsTheFramesLoopingWithTheirDelay) {
  const Result r = Run({"--script", "97 8 97", "--gif", Path("sweep.gif").string(), "--frames",
                        Path("png").string(), "--delay", "50"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto gif = DecodeGif(Path("sweep.gif"));
  ASSERT_TRUE(gif);
  EXPECT_TRUE(gif->loops);
  ASSERT_EQ(gif->frames.size(), 4u);
  EXPECT_EQ(gif->delays_cs, std::vector<int>(4, 5));
  // Antialiasing gives each frame more than 256 colours: the drawing colours survive exactly,
  // and the blends come close.
  std::vector<QRgb> pure;
  for (const std::uint32_t c :
       {kBack, kAxis, kGreen, kRed, kBlue, kOlive, kOrange, kMagenta, kLightBlue, kTeal, kPiston}) {
    pure.push_back(Rgb(c));
  }
  for (std::size_t f = 0; f < gif->frames.size(); ++f) {
    char name[48];
    std::snprintf(name, sizeof name, "png/frame-%03d.png", static_cast<int>(f) + 1);
    const QImage png = Rgb32(Path(name));
    ASSERT_EQ(png.size(), gif->frames[f].size()) << name;
    long pure_pixels = 0;
    for (int y = 0; y < png.height(); ++y) {
      for (int x = 0; x < png.width(); ++x) {
        const QRgb want = png.pixel(x, y) & 0xFFFFFF, got = gif->frames[f].pixel(x, y) & 0xFFFFFF;
        if (std::find(pure.begin(), pure.end(), want) != pure.end()) {
          ++pure_pixels;
          ASSERT_EQ(got, want) << name << " at " << x << "," << y;
        }
        for (const int shift : {0, 8, 16}) {
          ASSERT_LE(std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)), 64)
              << name << " at " << x << "," << y;
        }
      }
    }
    EXPECT_GT(pure_pixels, png.width() * png.height() / 2) << name;
  }
}

// Where a frame has fewer than 256 colours the GIF keeps them all: at 300 x 200 the frames of a
// sweep, of the derivative curves and of frames drawn over the ones before decode, with giflib
// and with Qt's reader alike, to exactly the PNG frames.
TEST_F(RenderTest, GifDecodesToExactlyTheFramesOfFrames) {
  const std::string script = "8 " + Repeat("97", 10) + " 47 97 47 dbl";
  ASSERT_EQ(Run({"--script", script, "--size", "300x200", "--gif", Path("small.gif").string(),
                 "--frames", Path("small").string()})
                .status,
            0);
  const auto ours = DecodeGif(Path("small.gif")), qt = DecodeGifWithQt(Path("small.gif"));
  ASSERT_TRUE(ours && qt);
  ASSERT_EQ(ours->frames.size(), 15u);
  ASSERT_EQ(qt->frames.size(), 15u);
  for (std::size_t f = 0; f < ours->frames.size(); ++f) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%03d.png", static_cast<int>(f) + 1);
    const QImage png = Rgb32(Path("small") / name);
    EXPECT_EQ(ours->frames[f], png) << name;
    EXPECT_EQ(qt->frames[f], png) << name;
  }
}

// With more colours than a GIF frame holds, Qt's reader shows what giflib's decoding shows,
// and a pixel that did not change from one frame to the next keeps its colour in the GIF too.
TEST_F(RenderTest, GifFramesLookAlikeInEveryDecoderAndStillPixelsStayStill) {
  const std::string script = "97 8 97 47 97 97 47 13 9 44";
  ASSERT_EQ(Run({"--script", script, "--gif", Path("big.gif").string(), "--frames",
                 Path("big").string(), "--delay", "120"})
                .status,
            0);
  const auto ours = DecodeGif(Path("big.gif")), qt = DecodeGifWithQt(Path("big.gif"));
  ASSERT_TRUE(ours && qt);
  ASSERT_EQ(ours->frames.size(), 11u);
  EXPECT_EQ(qt->frames.size(), ours->frames.size());
  EXPECT_TRUE(qt->loops);
  EXPECT_EQ(qt->delays_cs, std::vector<int>(11, 12));
  QImage png_before;
  for (std::size_t f = 0; f < ours->frames.size() && f < qt->frames.size(); ++f) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%03d.png", static_cast<int>(f) + 1);
    const QImage png = Rgb32(Path("big") / name);
    EXPECT_EQ(qt->frames[f], ours->frames[f]) << name;
    if (f > 0) {
      long moved = 0;
      for (int y = 0; y < png.height(); ++y) {
        for (int x = 0; x < png.width(); ++x) {
          moved += png.pixel(x, y) == png_before.pixel(x, y) &&
                   ours->frames[f].pixel(x, y) != ours->frames[f - 1].pixel(x, y);
        }
      }
      EXPECT_EQ(moved, 0) << name;
    }
    png_before = png;
  }
}

TEST_F(RenderTest, GifOfARunEndedBeforeItsFirstWaitHoldsTheLastPicture) {
  ASSERT_EQ(Run({"--script", "dbl@50", "--gif", Path("one.gif").string()}).status, 0);
  const auto gif = DecodeGif(Path("one.gif"));
  ASSERT_TRUE(gif);
  ASSERT_EQ(gif->frames.size(), 1u);
  EXPECT_EQ(gif->frames[0], Picture("dbl@50"));  // 226 colours: exact
}
}  // namespace
}  // namespace tarsel::testing
