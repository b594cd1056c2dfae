// Linkages of every kind against an independent closed form (R as an intersection of two
// circles), the analysis against hand-worked cases, and the check of a configuration.
#include "geometry/configuration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "geometry/linkage.h"
#include "geometry/linkage_analysis.h"
#include "tests/support/configurations.h"
#include "tests/support/tolerances.h"

namespace tarsel {
namespace {

using namespace tarsel::testing;

const double kPi = 4 * std::atan(1.0);

// One linkage of each Grashof class, and one that never closes.
struct Named {
  const char* name;
  Configuration c;
  GrashofClass grashof;
};
const Named kKinds[] = {
    {"crank-rocker (built in)", Configuration{}, GrashofClass::kCrankRocker},
    {"double-crank", Linkage(5, 12, 14, 13), GrashofClass::kDoubleCrank},
    {"rocker-crank", Linkage(20, 12, 25, 6), GrashofClass::kRockerCrank},
    {"double-rocker", Linkage(20, 15, 6, 18), GrashofClass::kDoubleRocker},
    {"triple-rocker", PartlyClosing(), GrashofClass::kTripleRocker},
    {"change-point", Linkage(10, 4, 10, 4), GrashofClass::kChangePoint},
    {"never closes", NeverClosing(), GrashofClass::kTripleRocker},
};

// R where the circle of the coupler around P meets the circle of the rocker around Q, on the
// side the assembly asks for: open has R clockwise of P seen from Q (as the built-in linkage
// stands, R above the fixed line), crossed counter-clockwise. Nullopt where they do not meet.
std::optional<Joint> Intersection(const Configuration& c, double theta) {
  const Joint p{c.crank * std::cos(theta), c.crank * std::sin(theta)}, q{c.ground, 0};
  const double dx = q.x - p.x, dy = q.y - p.y, d = std::hypot(dx, dy);
  if (d > c.coupler + c.rocker || d < std::abs(c.coupler - c.rocker)) return std::nullopt;
  const double along = (c.coupler * c.coupler - c.rocker * c.rocker + d * d) / (2 * d);
  const double across = std::sqrt(std::max(0.0, c.coupler * c.coupler - along * along));
  const Joint mid{p.x + along * dx / d, p.y + along * dy / d};
  for (const double side : {1.0, -1.0}) {
    const Joint r{mid.x - side * across * dy / d, mid.y + side * across * dx / d};
    const double turn = (p.x - q.x) * (r.y - q.y) - (p.y - q.y) * (r.x - q.x);
    if ((turn < 0) == (c.assembly == Assembly::kOpen)) return r;
  }
  return std::nullopt;
}

double Distance(Joint a, Joint b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

TEST(AnyLinkage, ClosesWhereTheTwoCirclesMeetAndAtTheirIntersection) {
  for (const Named& kind : kKinds) {
    for (const Assembly assembly : {Assembly::kOpen, Assembly::kCrossed}) {
      Configuration c = kind.c;
      c.assembly = assembly;
      c.reference = 40;
      SCOPED_TRACE(std::string(kind.name) + ", " + std::string(NameOf(assembly)));
      int closed = 0;
      for (int i = 0; i < 3600; ++i) {
        const double theta = (i + 0.37) * kPi / 1800;
        const LinkagePose pose = LinkagePoseAt(c, theta, kPi);
        const std::optional<Joint> r = Intersection(c, theta);
        ASSERT_EQ(pose.closes, r.has_value()) << theta;
        ASSERT_TRUE(std::isfinite(pose.ff) && std::isfinite(pose.phi) &&
                    std::isfinite(pose.transmission));
        if (!r) continue;
        ++closed;
        ASSERT_NEAR(Distance(pose.o, pose.p), c.crank, 1e-9);
        ASSERT_NEAR(Distance(pose.p, pose.r), c.coupler, 1e-9);
        ASSERT_NEAR(Distance(pose.q, pose.r), c.rocker, 1e-9);
        ASSERT_NEAR(pose.r.x, r->x, 1e-9) << theta;
        ASSERT_NEAR(pose.r.y, r->y, 1e-9) << theta;
        ASSERT_NEAR(pose.phi, std::atan2(r->y, r->x) * 180 / kPi, 1e-9) << theta;
        ASSERT_EQ(pose.ff, 2 * (40 - pose.phi));
        const double mu = std::acos(
            (c.rocker * c.rocker + c.coupler * c.coupler - std::pow(Distance(pose.p, pose.q), 2)) /
            (2 * c.rocker * c.coupler));
        ASSERT_NEAR(pose.transmission, mu * 180 / kPi, 1e-7);
      }
      const LinkageAnalysis a = Analyse(c);
      EXPECT_EQ(a.grashof, kind.grashof);
      // The intervals agree with the poses: each closing angle lies in one of them.
      EXPECT_EQ(closed > 0, !a.closes.empty());
      if (kind.grashof == GrashofClass::kCrankRocker ||
          kind.grashof == GrashofClass::kDoubleCrank) {
        EXPECT_EQ(closed, 3600);
        EXPECT_TRUE(ClosesAllRound(c));
      }
    }
  }
}

TEST(AnyLinkage, ThePointsOfAPositionWithNoDirectionDoNotClose) {
  // P on Q: a crank as long as the fixed line, at 0.
  EXPECT_FALSE(LinkagePoseAt(Linkage(10, 10, 5, 5), 0, kPi).closes);
  // R on O: the rocker as long as the fixed line, pointing back at O.
  const LinkagePose on_o = LinkagePoseAt(Linkage(10, 4, 4, 10), 0, kPi);
  EXPECT_FALSE(on_o.closes);
  for (const LinkagePose& p : {on_o, LinkagePoseAt(Linkage(10, 10, 5, 5), 0, kPi)}) {
    EXPECT_TRUE(std::isfinite(p.ff) && std::isfinite(p.phi) && std::isfinite(p.r.x));
  }
}

// --- The analysis against hand-worked numbers ---------------------------------------------

void ExpectRange(const std::optional<Range>& r, double least, double most, double within) {
  ASSERT_TRUE(r.has_value());
  EXPECT_NEAR(r->least, least, within);
  EXPECT_NEAR(r->most, most, within);
}

TEST(Analysis, OfTheBuiltInLinkage) {
  const LinkageAnalysis a = Analyse(Configuration{});
  EXPECT_EQ(a.grashof, GrashofClass::kCrankRocker);
  EXPECT_EQ(NameOf(a.grashof), "crank-rocker");
  EXPECT_EQ(a.s_plus_l, 38.5);
  EXPECT_EQ(a.p_plus_q, 56);
  EXPECT_EQ(a.closes, (std::vector<AngleInterval>{{0, 360}}));
  EXPECT_TRUE(a.open.empty());
  // P-Q from 24.5 to 38.5; cos mu = (31^2 + 25^2 - d^2) / (2 31 25).
  ExpectRange(a.transmission, 50.5, 86.2, Rounded(1));
  ExpectRange(a.transmission, std::acos(985.75 / 1550) * 180 / kPi,
              std::acos(103.75 / 1550) * 180 / kPi, kDoubleRounding);
  ExpectRange(a.phase_offset, -13.49, 13.13, Rounded(2));
  ExpectRange(a.phase_offset, -13.487, 13.126, Rounded(3));
  ExpectRange(a.phi, 65 - 13.126 / 2, 65 + 13.487 / 2, Rounded(3));
  EXPECT_TRUE(a.rocker.has_value());
  EXPECT_EQ(a.stroke, 51);
}

TEST(Analysis, ALinkageThatClosesOnPartOfItsTurn) {
  // P-Q runs from 1 to 19; the coupler and the rocker span 7 to 23: too near below 7, where
  // cos theta > (10^2 + 9^2 - 7^2) / (2 10 9) = 0.7333...
  const LinkageAnalysis a = Analyse(Linkage(10, 9, 8, 15));
  const double edge = std::acos(132.0 / 180) * 180 / kPi;  // 42.83 degrees
  ASSERT_EQ(a.closes.size(), 1u);
  EXPECT_NEAR(a.closes[0].from, edge, kDoubleRounding);
  EXPECT_NEAR(a.closes[0].to, 360 - edge, kDoubleRounding);
  ASSERT_EQ(a.open.size(), 1u);
  EXPECT_EQ(a.open[0].why, OpenReason::kTooNear);
  EXPECT_NEAR(a.open[0].where.from, 360 - edge, kDoubleRounding);  // through 0: from > to
  EXPECT_NEAR(a.open[0].where.to, edge, kDoubleRounding);
  // At the limit the coupler folds onto the rocker: mu is 0; at d = 19, acos(-72 / 240).
  ExpectRange(a.transmission, 0, std::acos(-0.3) * 180 / kPi, 1e-9);
  EXPECT_FALSE(ClosesAllRound(Linkage(10, 9, 8, 15)));
}

TEST(Analysis, TwoIntervalsWhenPComesBothTooNearAndTooFar) {
  // P-Q from 5 to 35 against a reach of 8 to 28.
  const LinkageAnalysis a = Analyse(Linkage(20, 15, 10, 18));
  const double first = std::acos(561.0 / 600) * 180 / kPi,
               last = std::acos(-159.0 / 600) * 180 / kPi;
  ASSERT_EQ(a.closes.size(), 2u);
  EXPECT_NEAR(a.closes[0].from, first, kDoubleRounding);
  EXPECT_NEAR(a.closes[0].to, last, kDoubleRounding);
  EXPECT_NEAR(a.closes[1].from, 360 - last, kDoubleRounding);
  EXPECT_NEAR(a.closes[1].to, 360 - first, kDoubleRounding);
  ASSERT_EQ(a.open.size(), 2u);
  EXPECT_EQ(a.open[0].why, OpenReason::kTooNear);
  EXPECT_EQ(a.open[1].why, OpenReason::kTooFar);
  EXPECT_NEAR(a.open[1].where.from, last, kDoubleRounding);
  EXPECT_NEAR(a.open[1].where.to, 360 - last, kDoubleRounding);
}

TEST(Analysis, ALinkageThatNeverCloses) {
  const LinkageAnalysis a = Analyse(Linkage(100, 5, 10, 10));
  EXPECT_TRUE(a.closes.empty());
  ASSERT_EQ(a.open.size(), 1u);
  EXPECT_EQ(a.open[0].where, (AngleInterval{0, 360}));
  EXPECT_EQ(a.open[0].why, OpenReason::kTooFar);
  EXPECT_FALSE(a.transmission || a.phi || a.phase_offset || a.rocker);
  // Too near all round: a long coupler and a short rocker around a short crank.
  EXPECT_EQ(Analyse(Linkage(10, 2, 30, 5)).open[0].why, OpenReason::kTooNear);
}

TEST(Analysis, TheRangesHoldOverEveryAngleAndAreReached) {
  for (const Named& kind : kKinds) {
    const LinkageAnalysis a = Analyse(kind.c);
    if (!a.phi) continue;
    SCOPED_TRACE(kind.name);
    double least = 1e9, most = -1e9;
    std::vector<double> angles;
    for (int i = 0; i < 36000; ++i) angles.push_back(i * kPi / 18000);
    // The ends of each interval, where phi changes as the root of the distance to them.
    for (const AngleInterval& i : a.closes) {
      angles.push_back(i.from * kPi / 180 + 1e-12), angles.push_back(i.to * kPi / 180 - 1e-12);
    }
    for (const double theta : angles) {
      const LinkagePose p = LinkagePoseAt(kind.c, theta, kPi);
      if (!p.closes) continue;
      least = std::min(least, p.phi), most = std::max(most, p.phi);
      ASSERT_GE(p.transmission, a.transmission->least - 1e-9);
      ASSERT_LE(p.transmission, a.transmission->most + 1e-9);
    }
    // The sampled extremes lie inside, and within a hundredth of a degree of, the refined ones.
    EXPECT_LE(a.phi->least, least + 1e-9);
    EXPECT_GE(a.phi->most, most - 1e-9);
    EXPECT_NEAR(a.phi->least, least, 1e-2);
    EXPECT_NEAR(a.phi->most, most, 1e-2);
    EXPECT_EQ(a.rocker.has_value(), kind.grashof != GrashofClass::kDoubleCrank &&
                                        kind.grashof != GrashofClass::kRockerCrank);
  }
}

TEST(Analysis, WhereEachLengthLetsTheCrankTurnAllRound) {
  const Configuration c;  // G 31.5, A 7, C 25, B 31: A <= 24.5, and |31.5 - A| >= 6
  struct Case {
    int which;
    std::vector<Range> spans;
  };
  const Case cases[] = {
      {1, {{0.5, 24.5}}},         // the crank
      {0, {{0.5, 1}, {13, 49}}},  // the fixed line: |G - 7| >= 6 and G <= 49
      {2, {{7.5, 55.5}}},         // the coupler: C >= 7.5 and |C - 31| <= 24.5
      {3, {{13.5, 49.5}}},        // the rocker: B >= 13.5 and |25 - B| <= 24.5
  };
  for (const Case& k : cases) {
    const std::vector<Range> got = AllRoundSpans(c, k.which, 0.5, 80);
    ASSERT_EQ(got.size(), k.spans.size()) << k.which;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].least, k.spans[i].least, kDoubleRounding) << k.which;
      EXPECT_NEAR(got[i].most, k.spans[i].most, kDoubleRounding) << k.which;
    }
  }
}

// --- The check ------------------------------------------------------------------------------

TEST(ConfigurationCheck, NamesEveryReasonAndAcceptsTheBuiltIn) {
  EXPECT_TRUE(Problems(Configuration{}).empty());
  EXPECT_TRUE(IsBuiltIn(Configuration{}));
  struct Case {
    Configuration c;
    const char* line;
  };
  Configuration zero, huge, nan, rod, reference, two;
  zero.crank = 0;
  huge.ground = 20000;
  nan.coupler = NAN;
  rod.rod = 25.5;
  reference.reference = INFINITY;
  two.rocker = -1, two.piston_radius = 200;
  const Case cases[] = {
      {zero, "the crank O-P 0 is not above 0"},
      {huge, "the fixed line O-Q 20000 is above 10000"},
      {nan, "the coupler P-R nan is not a finite number"},
      {rod, "the connecting rod 25.5 is not longer than the crank radius 25.5"},
      {reference, "the reference angle inf is not a finite number"},
      {two,
       "the rocker Q-R -1 is not above 0; the connecting rod 100 is not longer than the "
       "crank radius 200"},
  };
  for (const Case& k : cases) EXPECT_EQ(ProblemsLine(k.c), k.line);
  // A linkage that cannot close anywhere is no problem: it is drawn and explained.
  EXPECT_TRUE(Problems(Linkage(100, 5, 10, 10)).empty());
}

}  // namespace
}  // namespace tarsel
