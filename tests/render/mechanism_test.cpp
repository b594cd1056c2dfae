// The mechanism view: where the parts of each mechanism land, the names written beside them,
// and the whole picture at two poses and two ratios against committed goldens.
#include "render/mechanism.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "animation/driver.h"
#include "tests/support/configurations.h"
#include "tests/support/golden.h"

namespace tarsel {
namespace {

const double kPi = 4 * std::atan(1.0);

struct Pose {
  LinkagePose linkage;
  PistonPose piston;
  CamLobe cam;
};

const Configuration kBuiltIn;

ProfileTables BuiltInProfile() {
  ProfileTables t;
  FillProfileTables(t);
  return t;
}

// The cam turned to `cam` degrees of the built-in profile; by default a little after its peak.
Pose At(double theta, double crank, const Configuration& c = kBuiltIn, double cam = 20) {
  static const ProfileTables tables = BuiltInProfile();
  return {LinkagePoseAt(c, theta, kPi), PistonPoseAt(c, crank), CamAt(tables, cam)};
}

Image Drawn(const Pose& pose, double dpr) {
  Image image;
  mechanism::Draw(image, dpr, kBuiltIn, pose.linkage, pose.piston, pose.cam);
  return image;
}

TEST(MechanismView, PicturesOfTwoPosesAtTwoRatios) {
  const struct {
    const char* name;
    Pose pose;
  } cases[] = {{"mechanism-a", At(1.1, 0.7)}, {"mechanism-b", At(4.4, 3.6, kBuiltIn, -75)}};
  for (const auto& c : cases) {
    for (const double dpr : {1.0, 2.0}) {
      const std::string name = std::string(c.name) + (dpr == 1 ? "-x1" : "-x2");
      EXPECT_EQ(testing::CompareWithGolden(Drawn(c.pose, dpr), TARSEL_GOLDEN_DIR,
                                           TARSEL_TEST_OUTPUT_DIR, name),
                "");
    }
  }
}

TEST(MechanismView, HasItsOwnSizeAndIsDrawnAfreshEachTime) {
  const Image first = Drawn(At(1.1, 0.7), 1.5);
  EXPECT_EQ(first.width, 450);
  EXPECT_EQ(first.height, 495);
  EXPECT_EQ(first.dpr, 1.5);
  // Drawing another pose into the same image leaves nothing of the first behind.
  Image reused = first;
  const Pose other = At(4.4, 3.6);
  mechanism::Draw(reused, 1.5, kBuiltIn, other.linkage, other.piston, other.cam);
  EXPECT_EQ(reused, Drawn(At(4.4, 3.6), 1.5));
  EXPECT_NE(reused, first);
}

TEST(MechanismView, APainterKeepsItsStillPartsOnlyForItsRatio) {
  // The probe's view is drawn again after every frame by one painter, whose still parts are
  // drawn once: every picture must be what a fresh view draws, also when the ratio changes.
  mechanism::Painter painter;
  Image image;
  const Pose poses[] = {At(1.1, 0.7), At(4.4, 3.6, kBuiltIn, -40), At(-2, 5.9, kBuiltIn, 150)};
  for (const double dpr : {1.0, 1.0, 2.0, 1.25, 1.0}) {
    for (const Pose& pose : poses) {
      painter.Draw(image, dpr, kBuiltIn, pose.linkage, pose.piston, pose.cam);
      ASSERT_EQ(image, Drawn(pose, dpr)) << dpr;
      ASSERT_EQ(image.dpr, dpr);
    }
  }
}

TEST(MechanismView, TheLinksHaveTheColoursOfTheirCurves) {
  const Image image = Drawn(At(1.1, 0.7), 1);
  long blue = 0, piston = 0;
  for (const std::uint32_t p : image.pixels) {
    blue += p == PixelColour(colour::kBlue);
    piston += p == PixelColour(colour::kPiston);
  }
  EXPECT_GT(blue, 500);
  EXPECT_GT(piston, 500);
}

TEST(MechanismView, LabelsStandBesideTheirParts) {
  const Pose pose = At(2.0, 1.0);
  const auto labels = mechanism::Labels(kBuiltIn, pose.linkage, pose.piston);
  const auto find = [&](std::string_view text) {
    for (const mechanism::Label& l : labels) {
      if (l.text == text) return l;
    }
    ADD_FAILURE() << "no label " << text;
    return mechanism::Label{};
  };
  for (const mechanism::Label& l : labels) {
    EXPECT_GE(l.x, 0) << l.text;
    EXPECT_LE(l.x, mechanism::kSize.width) << l.text;
    EXPECT_GE(l.y, 0) << l.text;
    EXPECT_LE(l.y, mechanism::kSize.height) << l.text;
  }
  // O left of Q on the fixed line; P and R above it at this angle; R further up than P.
  EXPECT_LT(find("O").x, find("Q").x);
  EXPECT_EQ(find("O").y, find("Q").y);
  EXPECT_LT(find("R").y, find("P").y);
  // The top of the stroke is further from the crank than the bottom.
  EXPECT_GT(find("top").x, find("bottom").x);
  find("φ");
}

}  // namespace
}  // namespace tarsel

namespace tarsel {
namespace {

// Beside a picture in the distinguishable palette the view takes the same colours: its links
// are in the trace's colour there, none in the exact blue; a painter that drew in one palette
// draws its still parts again in the other.
TEST(MechanismView, TakesThePaletteOfThePicture) {
  const auto count = [](const Image& image, std::uint32_t colour) {
    return std::count(image.pixels.begin(), image.pixels.end(), PixelColour(colour));
  };
  const Pose pose = At(1.1, 0.7);
  mechanism::Painter painter;
  Image exact, other;
  painter.Draw(exact, 1, kBuiltIn, pose.linkage, pose.piston, pose.cam);
  painter.Draw(other, 1, kBuiltIn, pose.linkage, pose.piston, pose.cam, Palette::kDistinguishable);
  for (const std::uint32_t c : {colour::kBlue, colour::kPiston}) {
    const std::uint32_t substitute = Substitute(Palette::kDistinguishable, c);
    EXPECT_GT(count(exact, c), 100);
    EXPECT_EQ(count(other, c), 0);
    // As many in full colour, give or take a blend whose rounding lands on the full colour.
    EXPECT_NEAR(count(other, substitute), count(exact, c), count(exact, c) / 50);
  }
  Image again;
  painter.Draw(again, 1, kBuiltIn, pose.linkage, pose.piston, pose.cam);
  EXPECT_TRUE(again == exact);
}

}  // namespace
}  // namespace tarsel

namespace tarsel {
namespace {

// Any lengths fit the view: the fixed pivots, the crank's circle and the piston stay inside it,
// whether the linkage closes all round, on part of the turn, or never.
TEST(MechanismView, FitsAnyLengths) {
  const Configuration cases[] = {
      testing::Linkage(10, 7, 25, 31),
      testing::Linkage(10, 9, 25, 31),
      testing::Linkage(10, 9, 8, 31),
      testing::PartlyClosing(),
      testing::NeverClosing(),
      testing::Linkage(0.5, 80, 80, 0.5),
      testing::Linkage(1e4, 1e-6, 1e4, 1e4),
      testing::Linkage(1e-6, 1e4, 1e-6, 1e4),
  };
  for (Configuration c : cases) {
    c.rod = 450;
    for (const double theta : {0.0, 1.3, 3.1}) {
      SCOPED_TRACE(::testing::Message() << c.ground << "," << c.crank << "," << c.coupler << ","
                                        << c.rocker << " at " << theta);
      const Pose pose = At(theta, theta, c);
      Image image;
      mechanism::Draw(image, 1, c, pose.linkage, pose.piston, pose.cam);
      for (const mechanism::Label& l : mechanism::Labels(c, pose.linkage, pose.piston)) {
        ASSERT_TRUE(std::isfinite(l.x) && std::isfinite(l.y)) << l.text;
      }
    }
  }
}

}  // namespace
}  // namespace tarsel

namespace tarsel {
namespace {

// The follower's stem stands on the contour straight above the cam's centre (44, 84), which
// reaches 34 pixels at the peak: its top is 30 pixels (and the round end) above base + lift.
TEST(MechanismView, TheFollowerRisesByTheLiftUnderIt) {
  for (const double angle : {180.0, 0.0, -40.0, 60.0}) {
    const Pose pose = At(1.1, 0.7, kBuiltIn, angle);
    const Image image = Drawn(pose, 1);
    const double foot = 84 - 34 * (pose.cam.base + pose.cam.lift) / (pose.cam.base + pose.cam.peak);
    int top = -1;
    for (int y = 0; y < image.height && top < 0; ++y) {
      if (image.pixels[static_cast<std::size_t>(y * image.width + 44)] ==
          PixelColour(colour::kRed)) {
        top = y;
      }
    }
    EXPECT_NEAR(top, foot - 30 - 2.5, 1.0) << angle;
  }
}

// Lifts near the largest double make a contour that overflows: the view leaves the cam out
// and draws the rest.
TEST(MechanismView, AnOverflowingCamIsLeftOut) {
  const double huge = 1e308;
  Pose pose = At(1.1, 0.7);
  pose.cam = CamAt(
      TablesOf(std::vector<double>{0, 1, 2, 3, 4}, std::vector<double>{0, huge, huge, huge, 0}), 2);
  Pose none = pose;
  none.cam = CamLobe{};
  EXPECT_TRUE(Drawn(pose, 1) == Drawn(none, 1));
}

}  // namespace
}  // namespace tarsel
