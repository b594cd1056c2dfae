// Tests of tarsel-render's options that need no child process: the key script that --at finds.
#include "tools/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "export/replay.h"
#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

// k after hundreds of steps of 0.025 is the decimal value but for the rounding of each step.
constexpr double kStepRounding = 1e-9;

TEST(ScriptReaching, FindsTheShortestScriptOnTheGrid) {
  const struct {
    double k;
    std::string script;
  } cases[] = {
      {4.5, ""},
      {6.5, Repeat("97", 8)},
      {4.525, "13"},
      {4.475, "9"},
      {4.25, "44"},
      {4.4, "9 9 9 9"},
      {4.625, "97 9 9 9 9 9"},
      {4.6, "13 13 13 13"},
      {4.0, "44 44"},
      {3.9, "44 44 9 9 9 9"},
      {20, Repeat("97", 62)},
      {19.975, Repeat("97", 62) + " 9"},
      {19.9, Repeat("97", 62) + " 9 9 9 9"},
      {19.85, Repeat("97", 61) + " 13 13 13 13"},
      {-1, Repeat("44", 22)},
  };
  for (const auto& c : cases) EXPECT_EQ(ScriptReaching(c.k), c.script) << c.k;
  for (const double k :
       {20.025, 20.25, 4.51, 4.5125, -100.025, -1000.0, 1e300,
        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(ScriptReaching(k)) << k;
  }
}

// The script's last frame is drawn at the value asked for: both ends of the range, and every
// value within a step of the first frame.
TEST(ScriptReaching, TheLastFrameOfTheScriptIsAtK) {
  std::vector<double> values = {kLowestAt, -99.975, -37.4, -0.025, 0, 19.85, 19.9, 19.975, 20};
  for (int i = -50; i <= 50; ++i) values.push_back(4.5 + i * 0.025);
  for (const double k : values) {
    const auto script = ScriptReaching(k);
    ASSERT_TRUE(script) << k;
    Replay replay(*ParseScript(*script, nullptr), nullptr, nullptr);
    replay.Run();
    EXPECT_TRUE(replay.stopped_for_input()) << k;
    EXPECT_NEAR(replay.state().k, k, kStepRounding) << k;
  }
}

}  // namespace
}  // namespace tarsel::testing
