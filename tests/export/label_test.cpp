// The label: what it says, where it is drawn, and that its text can be read.
#include "export/label.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/colours.h"
#include "tests/support/pixels.h"

namespace tarsel::testing {
namespace {

TEST(Label, SaysKTheSweepFrameTheCurvesAndTheClearing) {
  const struct {
    double k;
    int acc, ccllss;
    std::string text;
  } cases[] = {
      {4.5, 0, 0, "k = 4.50 rad, frame 1 of 63\nphase offset / 13\neach frame cleared"},
      {6.5, 1, 1, "k = 6.50 rad, frame 9 of 63\nvelocity and acceleration\nframes accumulate"},
      {20, 0, 1, "k = 20.00 rad, frame 63 of 63\nphase offset / 13\nframes accumulate"},
      // Between the frames of the plain sweep, before it and past it: k alone.
      {4.525, 1, 0, "k = 4.53 rad\nvelocity and acceleration\neach frame cleared"},
      {4.25, 0, 0, "k = 4.25 rad\nphase offset / 13\neach frame cleared"},
      {20.25, 0, 0, "k = 20.25 rad\nphase offset / 13\neach frame cleared"},
      {-0.5, 0, 1, "k = -0.50 rad\nphase offset / 13\nframes accumulate"},
  };
  for (const auto& c : cases) {
    SharedState state;
    state.k = c.k;
    state.acc = c.acc;
    state.ccllss = c.ccllss;
    EXPECT_EQ(LabelText(state), c.text) << c.k;
  }
  // A profile of one's own says so, with its number of points.
  SharedState own;
  own.k = 4.5;
  own.profile = std::make_shared<const ProfileTables>(
      TablesOf(std::vector<double>{-20, -10, 0, 10, 20}, std::vector<double>{0, 1, 2, 1, 0}));
  EXPECT_EQ(LabelText(own),
            "k = 4.50 rad, frame 1 of 63\nphase offset / 13\neach frame cleared\n"
            "own profile, 5 points");
}

TEST(Label, TheBoxIsTheCornerAtEveryRatioCutToThePicture) {
  EXPECT_EQ(LabelArea(Image(962, 688, 1)), Rect::Sized(6, 6, 186, 56));
  EXPECT_EQ(LabelArea(Image(1924, 1376, 2)), Rect::Sized(12, 12, 372, 112));
  EXPECT_EQ(LabelArea(Image(1443, 1032, 1.5)), Rect::Sized(9, 9, 279, 84));
  EXPECT_EQ(LabelArea(Image(100, 40, 1)), (Rect{6, 6, 99, 39}));
  EXPECT_TRUE(LabelArea(Image(5, 5, 1)).empty());
}

// Pixels darker than mid-grey inside rows [top, top + height) of `area`.
long DarkPixels(const Image& image, const Rect& area, int top, int height) {
  long n = 0;
  for (int y = top; y < top + height && y <= area.bottom; ++y) {
    for (int x = area.left; x <= area.right; ++x) n += RgbRed(PixelRgb(image.pixel(x, y))) < 128;
  }
  return n;
}

// Over a picture of a colour that is not grey, the label changes only its box: white with
// grey text (black blended onto white), some ink on each of its three lines. The picture
// handed in stays as it was.
TEST(Label, DrawsOnlyInsideItsBoxAndEveryLineHasInk) {
  SharedState state;
  state.k = 6.5;
  state.acc = 1;
  for (const double ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
    Image picture(400, 300, ratio);
    std::fill(picture.pixels.begin(), picture.pixels.end(), Pixel(kOrange));
    const Image original = picture;
    Labeller labeller;
    const Image& labelled = labeller.Apply(picture, state);
    EXPECT_EQ(picture, original) << ratio;
    const Rect area = LabelArea(picture);
    const Differences d = CountDifferences(PixelsOf(picture), PixelsOf(labelled), area);
    EXPECT_EQ(d.outside, 0) << ratio;
    EXPECT_EQ(d.inside, static_cast<long>(area.width()) * area.height()) << ratio;
    for (int y = area.top; y <= area.bottom; ++y) {
      for (int x = area.left; x <= area.right; ++x) {
        const std::uint32_t c = PixelRgb(labelled.pixel(x, y));
        ASSERT_TRUE(RgbRed(c) == RgbGreen(c) && RgbGreen(c) == RgbBlue(c)) << ratio;
      }
    }
    const double line = 16 * ratio;
    for (int i = 0; i < 3; ++i) {
      const int top = area.top + static_cast<int>(2 * ratio + i * line);
      // A dozen characters at least, each with a few dark pixels.
      EXPECT_GT(DarkPixels(labelled, area, top, static_cast<int>(line)), 40 * ratio * ratio)
          << "line " << i << " at ratio " << ratio;
    }
    EXPECT_EQ(DarkPixels(labelled, area, area.top, static_cast<int>(2 * ratio)), 0) << ratio;
  }
}

TEST(Label, AnotherStateReadsOtherwiseAndATinyPictureStaysAsItIs) {
  const Image white(300, 100, 1);
  SharedState first, other;
  first.k = 4.5;
  other.k = 4.5;
  other.ccllss = 1;
  Labeller a, b;
  const Image one = a.Apply(white, first), two = b.Apply(white, other);
  const Rect area = LabelArea(white);
  const int third_line = area.top + 2 + 2 * 16;
  const Rect first_lines{area.left, area.top, area.right, third_line - 1};
  const Differences d = CountDifferences(PixelsOf(one), PixelsOf(two), first_lines);
  EXPECT_EQ(d.inside, 0);   // the same k and curves
  EXPECT_GT(d.outside, 0);  // "frames accumulate" in place of "each frame cleared"
  Labeller c;
  const Image tiny(4, 3, 1);
  EXPECT_EQ(c.Apply(tiny, first), tiny);
}

}  // namespace
}  // namespace tarsel::testing
