// The valve events of small polylines worked out by hand, and the crank degrees they stand for.
#include "geometry/valve_events.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tarsel {
namespace {

struct Case {
  const char* name;
  std::vector<Segment> curve;
  double threshold;
  std::optional<ValveEvents> expected;  // {opening, closing, peak, duration}
};

// Drawn right to left as the passes draw the lift curves, and left to right.
const Case kCases[] = {
    {"a bell crossing inside two segments",
     {{10, 0, 8, 2}, {8, 2, 6, 4}, {6, 4, 4, 2}, {4, 2, 2, 0}},
     1,
     ValveEvents{3, 9, 6, 6}},
    {"crossings at segment ends take the ends' own x",
     {{0, 0, 1.1, 1}, {1.1, 1, 2.3, 3}, {2.3, 3, 3.7, 1}, {3.7, 1, 5, 0}},
     1,
     ValveEvents{1.1, 3.7, 2.3, 2.6}},
    {"a plateau at the threshold counts along its length",
     {{0, 0, 2, 1}, {2, 1, 5, 1}, {5, 1, 7, 0}},
     1,
     ValveEvents{2, 5, 2, 3}},
    {"equally high ends: the first drawn is the peak",
     {{0, 0, 2, 4}, {2, 4, 3, 4}, {3, 4, 5, 0}},
     2,
     ValveEvents{1, 4, 2, 3}},
    {"a curve touching the threshold at its top only",
     {{0, 0, 2, 1}, {2, 1, 4, 0}},
     1,
     ValveEvents{2, 2, 2, 0}},
    {"two lobes: the first opening and the last closing",
     {{0, 0, 1, 2}, {1, 2, 2, 0}, {2, 0, 3, 0}, {3, 0, 4, 2}, {4, 2, 5, 0}},
     1,
     ValveEvents{0.5, 4.5, 1, 4}},
    {"segments that do not join still count, each on its own",
     {{8, 0, 6, 2}, {1, 2, 0, 0}},
     1,
     ValveEvents{0.5, 7, 6, 6.5}},
    {"never reaching the threshold", {{0, 0, 1, 0.5}, {1, 0.5, 2, 0}}, 1, std::nullopt},
    {"no segments at all", {}, 1, std::nullopt},
};

TEST(ValveEvents, HandWorkedPolylines) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::optional<ValveEvents> e = EventsOf(c.curve, c.threshold);
    ASSERT_EQ(e.has_value(), c.expected.has_value());
    if (!e) continue;
    EXPECT_DOUBLE_EQ(e->opening, c.expected->opening);
    EXPECT_DOUBLE_EQ(e->closing, c.expected->closing);
    EXPECT_EQ(e->peak, c.expected->peak);
    EXPECT_EQ(e->duration, e->closing - e->opening);
  }
}

TEST(ValveEvents, AnEndAtTheThresholdIsItsOwnXExactly) {
  // 0.1 + 0.2 is not 0.3: interpolating from the far end would miss the shared end's x.
  const std::vector<Segment> curve = {{0.1, 0, 0.3, 1}, {0.3, 1, 0.7, 2}, {0.7, 2, 0.9, 0}};
  const std::optional<ValveEvents> e = EventsOf(curve, 1);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->opening, 0.3);
}

TEST(ValveEvents, CrankDegreesAfterTopDeadCentre) {
  const ValveEvents plot{5, 125, 65, 120};
  const ValveEvents crank = InCrankDegrees(plot);
  EXPECT_EQ(crank, (ValveEvents{-20, 220, 100, 240}));
  EXPECT_EQ(CrankDegrees(15), 0);
  EXPECT_EQ(CrankDegrees(105), 180);
}

TEST(ValveEvents, ShiftIsMovedMinusBase) {
  EXPECT_EQ(Shift({3, 10, 6, 7}, {4, 9, 6.5, 5}), (ValveEvents{-1, 1, -0.5, 2}));
}

TEST(ValveEvents, WordsFromTheNearerDeadCentre) {
  const struct {
    double crank;
    const char* words;
  } cases[] = {
      {-20, "20.0\u00B0 before TDC"},
      {12.5, "12.5\u00B0 after TDC"},
      {170, "10.0\u00B0 before BDC"},
      {222, "42.0\u00B0 after BDC"},
      {380, "20.0\u00B0 after TDC"},
      {0, "at TDC"},
      {-180, "at BDC"},
  };
  for (const auto& c : cases) EXPECT_EQ(DeadCentreWords(c.crank), c.words) << c.crank;
}

}  // namespace
}  // namespace tarsel
