// Tests of tarsel-render's options that need no child process: the key script that --at finds,
// the arguments as bytes, the memory an export is said to need.
#include "tools/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "export/memory.h"
#include "export/replay.h"
#include "tests/support/configurations.h"
#include "tests/support/render_run.h"
#include "tools/outputs.h"

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

// The arguments are bytes: a name that is not UTF-8 arrives as it was given, and the forms the
// command always took still work; an abbreviation does not, so that a new option can never
// change what an old command line means.
TEST(ParseOptions, KeepsTheBytesAndTheFormsOfTheArguments) {
  const Parsed bytes = ParseOptions({"--png", "x\xff.png", "-gif=caf\xe9/s.gif", "--scale=2"});
  ASSERT_EQ(bytes.action, Parsed::kRun) << bytes.error;
  EXPECT_EQ(bytes.options.png, "x\xff.png");
  EXPECT_EQ(bytes.options.gif, "caf\xe9/s.gif");
  EXPECT_EQ(bytes.options.scale, 2);
  // "--" ends the options.
  const Parsed ended = ParseOptions({"--script", "98", "--"});
  ASSERT_EQ(ended.action, Parsed::kRun) << ended.error;
  EXPECT_EQ(ended.options.script, "98");
  // Numbers in any form of the one syntax; a mechanism view's name ends in .png in any case.
  const Parsed forms = ParseOptions(
      {"--at", "4500e-3", "--scale", "+.2e1", "--mechanism", "View.PNG", "--probe", "1E6"});
  ASSERT_EQ(forms.action, Parsed::kRun) << forms.error;
  EXPECT_EQ(forms.options.at, 4.5);
  EXPECT_EQ(forms.options.scale, 2);
  EXPECT_EQ(forms.options.probe, 1e6);
  const struct {
    std::vector<std::string> args;
    std::string error;
  } refused[] = {
      {{"--scr", "97"}, "unknown argument '--scr' (see --help)"},
      {{"--hel"}, "unknown argument '--hel' (see --help)"},
      {{"--log"}, "Missing value after '--log'."},
      {{"-label=1"}, "Unexpected value after '-label'."},
      {{"--", "-"}, "unknown argument '-' (see --help)"},
      {{"--png", "p.png", "--\x1b[2J"}, "unknown argument '--\\x1B[2J' (see --help)"},
      // Given twice, in any form: neither value is taken, as in a link.
      {{"--script", "97", "--script", "98"}, "--script is given twice"},
      {{"--png", "a.png", "-png=b.png"}, "--png is given twice"},
      {{"--acc", "--at", "5", "--acc"}, "--acc is given twice"},
      // Not a number, and a number that no key reaches.
      {{"--at", "NaN"}, "bad --at 'NaN': not a number"},
      {{"--at", "7."}, "bad --at '7.': not a number"},
      {{"--at", "6.5251"},
       "bad --at '6.5251': no key script reaches it; expected k from -100 to "
       "20 in steps of 0.025"},
      {{"--scale", "0x1"}, "bad --scale '0x1': not a number"},
      {{"--scale", "9"}, "bad --scale '9': expected a number from 0.125 to 8"},
      {{"--mechanism", "m.png", "--probe", "inf"}, "bad --probe 'inf': not a number"},
      {{"--mechanism", "m.svg"}, "bad --mechanism 'm.svg': expected a file name ending in .png"},
      // The configuration: not four (two) numbers, a length not above 0 or above 10,000, a rod
      // not longer than the crank, a reference that is not finite, an unknown assembly.
      {{"--linkage", "31.5,7,25"},
       "bad --linkage '31.5,7,25': expected four numbers G,A,C,B (the fixed line O-Q, the crank "
       "O-P, the coupler P-R, the rocker Q-R)"},
      {{"--linkage", "31.5,7,25,x"},
       "bad --linkage '31.5,7,25,x': expected four numbers G,A,C,B (the fixed line O-Q, the "
       "crank O-P, the coupler P-R, the rocker Q-R)"},
      {{"--linkage", "31.5,-7,25,31"},
       "bad --linkage '31.5,-7,25,31': the crank O-P -7 is not above 0"},
      {{"--linkage", "1e5,7,25,31"},
       "bad --linkage '1e5,7,25,31': the fixed line O-Q 100000 is above 10000"},
      {{"--piston", "30,30"},
       "bad --piston '30,30': the connecting rod 30 is not longer than the crank radius 30"},
      {{"--piston", "30"},
       "bad --piston '30': expected two numbers R,L (the crank radius, the connecting rod)"},
      {{"--reference", "inf"}, "bad --reference 'inf': not a number"},
      {{"--assembly", "Open"}, "bad --assembly 'Open': expected open or crossed"},
      {{"--linkage", "1,2,3,4", "--linkage", "1,2,3,4"}, "--linkage is given twice"},
      // The checking lift: a number, above 0.
      {{"--threshold", "1,5"}, "bad --threshold '1,5': not a number"},
      {{"--threshold", "0"}, "bad --threshold '0': expected a lift above 0"},
      {{"--threshold", "-.5"}, "bad --threshold '-.5': expected a lift above 0"},
  };
  for (const auto& c : refused) {
    const Parsed p = ParseOptions(c.args);
    EXPECT_EQ(p.action, Parsed::kRefuse) << c.error;
    EXPECT_EQ(p.error, c.error);
  }
  // The configuration, each value where it belongs; the built-in one written out is the default.
  const Parsed configured = ParseOptions({"--linkage", "10,9,8,15", "--reference", "-40.5",
                                          "--assembly", "crossed", "--piston", "20,60.5"});
  ASSERT_EQ(configured.action, Parsed::kRun) << configured.error;
  Configuration expected = testing::PartlyClosing();
  expected.reference = -40.5, expected.assembly = Assembly::kCrossed;
  expected.piston_radius = 20, expected.rod = 60.5;
  EXPECT_EQ(configured.options.config, expected);
  const Parsed written = ParseOptions({"--linkage", "31.5,7,25,31", "--reference", "65",
                                       "--assembly", "open", "--piston", "25.5,100"});
  EXPECT_TRUE(IsBuiltIn(written.options.config));
  EXPECT_EQ(ParseOptions({"--threshold", "25e-1"}).options.threshold, 2.5);
  EXPECT_EQ(ParseOptions({"-h"}).action, Parsed::kHelp);
  EXPECT_EQ(ParseOptions({"-version"}).action, Parsed::kVersion);
}

// The largest pictures of every kind fit in what an export may take; a video of them does not,
// and is refused before anything is allocated. The needs in closed form: 4 bytes a pixel for
// the canvas and again for the label's copy, 16 for the GIF.
TEST(MemoryNeed, TheLargestPicturesFitAndTheirVideoDoesNot) {
  Options o;
  o.png = "p.png";
  o.frames = "F";
  o.gif = "g.gif";
  o.label = true;
  const Size largest{Canvas::kMaxDeviceSide, Canvas::kMaxDeviceSide};
  const std::uint64_t pixels = std::uint64_t{8192} * 8192;
  EXPECT_EQ(Outputs::MemoryNeed(o, largest), pixels * (4 + 4 + 16));
  EXPECT_LE(Outputs::MemoryNeed(o, largest), kMostExportBytes);
  for (const char* video : {"v.mp4", "v.webm"}) {
    o.video = video;
    o.video_scale = 1;
    EXPECT_GT(Outputs::MemoryNeed(o, largest), kMostExportBytes) << video;
    // The window's picture at scale 2 as a video, the usual way: within it.
    o.video_scale = 2;
    EXPECT_LE(Outputs::MemoryNeed(o, Size{1924, 1376}), kMostExportBytes) << video;
  }
  EXPECT_EQ(ByteCount(1'999'999'999), "2.0 GB");
  EXPECT_EQ(ByteCount(2'000'000'001), "2.1 GB");
  EXPECT_EQ(ByteCount(61'440), "1 MB");
}

}  // namespace
}  // namespace tarsel::testing
