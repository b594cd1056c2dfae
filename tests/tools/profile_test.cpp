// tarsel-render --profile: a file of the built-in first table draws the built-in red curve, a
// bad file is refused in one line with status 2 and nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "animation/style.h"
#include "tests/support/draw_log.h"
#include "tests/support/profiles.h"
#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

class ProfileOption : public RenderTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name).string();
  }
};

TEST_F(ProfileOption, TheBuiltInFirstTableDrawsTheBuiltInRedCurve) {
  const std::string file = Write("built-in.csv", BuiltInProfileCsv());
  const Result own = Run({"--profile", file, "--at", "6", "--log", Path("own.log")});
  const Result plain = Run({"--at", "6", "--log", Path("plain.log")});
  ASSERT_EQ(own.status, 0) << own.err;
  ASSERT_EQ(plain.status, 0) << plain.err;
  const FrameCurves mine = CurvesOf(FramesOf(SplitLines(ReadFile(Path("own.log")))).back());
  const FrameCurves built_in = CurvesOf(FramesOf(SplitLines(ReadFile(Path("plain.log")))).back());
  EXPECT_EQ(mine.red.size(), 199u);
  EXPECT_EQ(mine.red, built_in.red);
  // The green curve is the red one's mirror image drawn back: the same places.
  EXPECT_EQ(mine.green.size(), 199u);
}

TEST_F(ProfileOption, EveryOutputTakesAnOwnProfile) {
  const std::string file = Write("p.csv", RowsCsv(37));
  const Result r =
      Run({"--profile", file,           "--at",        "5",           "--sweep",      "3",
           "--acc",     "--label",      "--gif",       Path("s.gif"), "--csv",        Path("d.csv"),
           "--svg",     Path("p.svg"),  "--mechanism", Path("m.png"), "--timing-csv", Path("t.csv"),
           "--report",  Path("r.json"), "--log",       Path("log")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(SplitLines(ReadFile(Path("d.csv"))).size(), 38u);  // the header and 37 points
  EXPECT_EQ(SplitLines(ReadFile(Path("t.csv"))).size(), 64u);
  // Each frame draws 37 points a pass, velocity and acceleration among them.
  const Lines log = SplitLines(ReadFile(Path("log")));
  EXPECT_EQ(Count(log, "E"), 37 * 3 * static_cast<long>(FramesOf(log).size()));
  EXPECT_GT(CountColour(log, colour::kTeal), 0);
  for (const char* name : {"s.gif", "p.svg", "m.png", "r.json"}) {
    EXPECT_TRUE(std::filesystem::file_size(Path(name)) > 0) << name;
  }
}

TEST_F(ProfileOption, ABadFileIsOneLineAndTouchesNothing) {
  const std::string rows = RowsCsv(4);
  const struct {
    const char* name;
    std::string bytes;  // written to the file the option names
    std::string named;
  } cases[] = {
      {"empty", "", "no rows"},
      {"fewer than 5 rows", rows, "4 rows"},
      {"a word", "angle,lift\n0,0\nten,1\n", "line 3: angle 'ten' is not a number"},
      {"angles not increasing", "0,0\n1,1\n0.5,2\n", "line 3: angle 0.5 is not greater than 1"},
      {"NaN", "0,nan\n", "line 1: lift 'nan' is not a number"},
      {"a negative lift", "0,0\n1,-1\n", "line 2: lift -1 is below 0"},
      {"20,001 rows", RowsCsv(20001), "line 10001: more than 10000 rows"},
      {"binary bytes",
       std::string("\x7f"
                   "ELF\2\1\1\0\0",
                   9),
       "a zero byte"},
  };
  for (const auto& c : cases) {
    const std::string file = Write("p.csv", c.bytes);
    ExpectRejected(
        Run({"--profile", file, "--png", Path("out.png"), "--timing-csv", Path("t.csv")}), c.named,
        c.name);
    EXPECT_FALSE(std::filesystem::exists(Path("out.png"))) << c.name;
    EXPECT_FALSE(std::filesystem::exists(Path("t.csv"))) << c.name;
  }
  std::filesystem::create_directory(Path("folder"));
  ExpectRejected(Run({"--profile", Path("folder"), "--png", Path("out.png")}), "is a directory",
                 "a directory");
  ExpectRejected(Run({"--profile", Path("missing.csv"), "--png", Path("out.png")}),
                 "No such file or directory", "a missing file");
  EXPECT_FALSE(std::filesystem::exists(Path("out.png")));
}

}  // namespace
}  // namespace tarsel::testing
