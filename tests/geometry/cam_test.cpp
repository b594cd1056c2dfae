// The cam's contour against its closed form: the radius at every cam angle is the base circle
// plus the lift there, and the follower stands at base + lift at the angle it is turned to.
#include "geometry/cam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tarsel {
namespace {

ProfileTables Rows(std::vector<double> angles, std::vector<double> lifts) {
  return TablesOf(angles, lifts);
}

ProfileTables BuiltIn() {
  ProfileTables t;
  FillProfileTables(t);
  return t;
}

double Radius(Joint j) {
  return std::hypot(j.x, j.y);
}

TEST(Cam, LiftBetweenAndBeyondThePoints) {
  const ProfileTables bell = Rows({0, 10, 20, 30, 40}, {0, 2, 4, 2, 0});
  const struct {
    const char* name;
    double angle, lift;
  } cases[] = {
      {"at a point", 20, 4},           {"between two points", 5, 1},
      {"on the falling flank", 25, 3}, {"beyond the last point", 41, 0},
      {"before the first", -1, 0},     {"a whole turn on", 365, 1},
      {"two turns back", -700, 4},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(CamLift(bell, c.angle), c.lift) << c.name;
}

TEST(Cam, AConstantLiftAllRoundIsACircleOfBasePlusLift) {
  std::vector<double> angles, lifts;
  for (int a = -180; a <= 180; ++a) angles.push_back(a), lifts.push_back(2.5);
  const CamLobe cam = CamAt(Rows(angles, lifts), 37);
  EXPECT_DOUBLE_EQ(cam.base, 1.5 * 2.5);
  ASSERT_EQ(cam.contour.size(), static_cast<std::size_t>(kCamPoints));
  for (const Joint j : cam.contour) ASSERT_NEAR(Radius(j), cam.base + 2.5, 1e-12);
}

TEST(Cam, TheFollowerStandsAtBasePlusTheLiftUnderIt) {
  const ProfileTables t = BuiltIn();
  const int n = t.last();
  const struct {
    const char* name;
    double angle, lift;
  } cases[] = {
      {"the first point", t.xa[1], t.ya[1]},
      {"the middle", t.xa[100], t.ya[100]},
      {"a flank", t.xa[40], t.ya[40]},
      {"the last point", t.xa[n], t.ya[n]},
      {"a turn later", t.xa[60] + 360, t.ya[60]},
      {"the base circle opposite the lobe", 180, 0},
  };
  for (const auto& c : cases) {
    const CamLobe cam = CamAt(t, c.angle);
    const Joint foot = cam.contour[kCamPoints / 2];
    EXPECT_DOUBLE_EQ(cam.lift, c.lift) << c.name;
    EXPECT_NEAR(foot.x, 0, 1e-12) << c.name;
    EXPECT_NEAR(foot.y, cam.base + c.lift, 1e-12) << c.name;
  }
}

TEST(Cam, EveryContourPointIsBasePlusLiftAtItsAngle) {
  const ProfileTables t = BuiltIn();
  const CamLobe cam = CamAt(t, 23.5);
  double highest = 0;
  for (int i = 0; i < kCamPoints; ++i) {
    const double b = cam.angle + 360.0 * i / kCamPoints - 180;
    const Joint j = cam.contour[static_cast<std::size_t>(i)];
    ASSERT_NEAR(Radius(j), cam.base + CamLift(t, b), 1e-12) << i;
    // Cam angle b stands (23.5 - b) degrees clockwise from the vertical.
    const double seen = std::atan2(j.x, j.y) * 180 / (4 * std::atan(1.0));
    ASSERT_NEAR(std::remainder(seen - (b - 23.5), 360), 0, 1e-9) << i;
    highest = std::max(highest, Radius(j));
  }
  EXPECT_NEAR(highest, cam.base + cam.peak, 0.05);
  EXPECT_DOUBLE_EQ(cam.base, 1.5 * cam.peak);
}

TEST(Cam, AProfileThatNeverLiftsIsTheBaseCircle) {
  const CamLobe cam = CamAt(Rows({0, 1, 2, 3, 4}, {0, 0, 0, 0, 0}), 2);
  EXPECT_EQ(cam.base, 1);
  for (const Joint j : cam.contour) ASSERT_NEAR(Radius(j), 1, 1e-12);
}

}  // namespace
}  // namespace tarsel
