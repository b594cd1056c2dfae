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
  // What a screen reader hears after a frame: the blue's opening and closing in the same words.
  EXPECT_EQ(TimingSpoken(t),
            "blue opens 23.0° before TDC, 7.0° later than the red's; "
            "blue closes 85.0° after BDC, 32.2° later than the red's");
  FrameTiming alone = t;
  alone.red.reset();
  alone.blue_from_red.reset();
  EXPECT_EQ(TimingSpoken(alone), "blue opens 23.0° before TDC; blue closes 85.0° after BDC");
  FrameTiming never;
  never.threshold = 0.5;
  EXPECT_EQ(TimingSpoken(never), "blue never reaches the checking lift 0.5");
}

}  // namespace
}  // namespace tarsel

namespace tarsel {
namespace {

// The readout names the linkage's input crank and the engine's crank apart, and gives k in
// degrees beside radians.
TEST(ReadoutWords, NameTheTwoCranksApartAndKInDegrees) {
  ProbeReadout r;
  r.k = 6.5;
  r.linkage.theta = 1;
  r.piston.theta = 2;
  std::map<std::string, ReadoutLine> lines;
  for (const ReadoutLine& l : ReadoutLines(r)) lines.emplace(l.key, l);
  EXPECT_EQ(lines.at("k").value, "6.5000 rad = 372.42°");
  EXPECT_EQ(std::string(lines.at("theta").label), "θ, input crank O–P");
  EXPECT_EQ(lines.at("theta").value, "1.0000 rad = 57.30°");
  EXPECT_EQ(std::string(lines.at("crank").label), "engine crank angle");
  EXPECT_EQ(lines.at("crank").value, "2.0000 rad = 114.59°");
}

}  // namespace
}  // namespace tarsel
