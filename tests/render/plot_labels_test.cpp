// The names over the client area: the ticks numbered in crank degrees where they are drawn,
// the lines and axes named, and each curve named beside the flank it names.
#include "render/plot_labels.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "export/replay.h"

namespace tarsel {
namespace {

TEST(PlotLabels, TicksInCrankDegreesTheLinesAndTheCurves) {
  Replay replay({}, nullptr, nullptr);
  replay.Run();
  const std::vector<PlotLabel> labels =
      PlotLabels(replay.state(), replay.curves(), 1, Size{962, 688});
  std::map<std::string, PlotLabel> by_key;
  std::string ticks;
  for (const PlotLabel& l : labels) {
    by_key[l.key] = l;
    if (l.key.starts_with("tick-")) ticks += l.text + " ";
  }
  // Every 45 crank degrees of the window's width, and only those.
  EXPECT_EQ(ticks, "-90° -45° 0° 45° 90° 135° 180° 225° 270° 315° ");
  // A tick's number and a line's name centred on it: x = 15 is TDC, x = 105 BDC.
  EXPECT_DOUBLE_EQ(by_key.at("tick-0").x, Canvas::ToPixel(15, 0).x);
  EXPECT_DOUBLE_EQ(by_key.at("tdc").x, Canvas::ToPixel(15, 0).x);
  EXPECT_DOUBLE_EQ(by_key.at("bdc").x, Canvas::ToPixel(105, 0).x);
  EXPECT_DOUBLE_EQ(by_key.at("tick-180").x, Canvas::ToPixel(105, 0).x);
  EXPECT_EQ(by_key.at("threshold").text, "checking lift 1");
  EXPECT_DOUBLE_EQ(ThresholdRow(1), Canvas::ToPixel(0, 1).y);
  // The red named left of its rising flank, the blue right of its falling one.
  EXPECT_LT(by_key.at("red").x, by_key.at("green").x);
  EXPECT_LT(by_key.at("green").x, by_key.at("blue").x);
  for (const char* key : {"lift", "crank", "piston", "offset"}) EXPECT_TRUE(by_key.count(key));
  // A curve's name is its colour's in the palette shown, and it knows its place in the legend.
  for (const PlotLabel& l :
       PlotLabels(replay.state(), replay.curves(), 1, Size{962, 688}, Palette::kDistinguishable)) {
    if (l.key == "red") {
      EXPECT_EQ(l.text, "crimson: profile");
    }
    if (l.curve >= 0) {
      EXPECT_EQ(l.curve, by_key.at(l.key).curve) << l.key;
    }
  }
  EXPECT_EQ(kCurves[by_key.at("red").curve].name, "red");
  EXPECT_EQ(by_key.at("tdc").curve, -1);
  // A narrower window names only the ticks it shows; with velocity and acceleration on (the
  // frame drawn again after BackSpace), the four derivative curves are named and the phase
  // offset, not drawn, is not.
  Replay derivatives(*ParseScript("backspace", nullptr), nullptr, nullptr);
  derivatives.Run();
  int narrow = 0;
  std::map<std::string, int> named;
  for (const PlotLabel& l :
       PlotLabels(derivatives.state(), derivatives.curves(), 1, Size{400, 688})) {
    narrow += l.key.starts_with("tick-");
    ++named[l.key];
  }
  for (const char* key : {"velocity", "acceleration", "blue-velocity", "blue-acceleration"}) {
    EXPECT_EQ(named[key], 1) << key;
  }
  EXPECT_EQ(named["offset"], 0);
  EXPECT_EQ(narrow, 4);
}

}  // namespace
}  // namespace tarsel
