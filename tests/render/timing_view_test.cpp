// The valve timing in the panels' words: each event at its x and from the nearer dead centre,
// the blue's shifts with the words of their sign, and a curve that never reaches the lift.
#include "render/timing_view.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tarsel {
namespace {

std::map<std::string, std::string> Lines(const FrameTiming& t) {
  std::map<std::string, std::string> lines;
  for (const ReadoutLine& l : TimingLines(t)) lines[l.key] = l.value;
  return lines;
}

TEST(TimingWords, EachEventAtItsXAndFromTheNearerDeadCentre) {
  FrameTiming t;
  t.threshold = 0.5;
  t.red = ValveEvents{0, 131.4, 65, 131.4};
  t.blue = ValveEvents{3.5, 147.5, 65, 144};
  t.blue_from_red = Shift(*t.blue, *t.red);
  const auto lines = Lines(t);
  const struct {
    const char* key;
    const char* value;
  } cases[] = {
      {"threshold", "0.5 y-units"},
      {"red-opening", "x = 0.00°: 30.0° before TDC"},
      {"red-closing", "x = 131.40°: 52.8° after BDC"},
      {"red-peak", "x = 65.00°: 80.0° before BDC"},
      {"red-duration", "131.40° = 262.8 crank degrees"},
      {"green-opening", "never reaches the checking lift 0.5"},
      {"blue-opening", "x = 3.50°: 23.0° before TDC"},
      {"shift-opening", "7.0° later than the red's"},
      {"shift-closing", "32.2° later than the red's"},
      {"shift-duration", "25.2° longer than the red's"},
      {"shift-peak", "as the red's"},
  };
  for (const auto& c : cases) EXPECT_EQ(lines.at(c.key), c.value) << c.key;
  // The same lines whatever the frame: a frame without events keeps every key.
  EXPECT_EQ(TimingLines(FrameTiming{}).size(), TimingLines(t).size());
  EXPECT_EQ(Lines(FrameTiming{}).at("shift-peak"), "no comparison: a curve never reaches the lift");
}

}  // namespace
}  // namespace tarsel
