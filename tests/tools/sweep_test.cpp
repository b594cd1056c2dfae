// Tests of the frame --at, --acc and --accumulate name and of --sweep: the keys a link to the
// frame presses, the animated outputs from that frame on, and the GIF the page writes for them.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>

#include "export/byte_sink.h"
#include "export/sweep_gif.h"
#include "input/script.h"
#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(RenderTest, TheSwitchesOfAFrameArePressedBeforeItsSteps) {
  const struct {
    Lines args;
    std::string script;
  } cases[] = {
      {{"--at", "6.5", "--acc"}, "8 " + Repeat("97", 8)},
      {{"--accumulate", "--at", "4.475"}, "47 9"},
      {{"--at", "6.525", "--accumulate", "--acc"}, "8 47 " + Repeat("97", 8) + " 13"},
      {{"--acc"}, "8"},
      {{"--at", "20.000"}, Repeat("97", 62)},
      {{"--at", "4500e-3", "--acc"}, "8"},
      {{"--at", "+.65E1"}, Repeat("97", 8)},
  };
  for (const auto& c : cases) {
    Lines args = c.args;
    args.insert(args.end(), {"--log", Path("at.log").string()});
    const Result r = Run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(SplitLines(ReadFile(Path("at.log"))), Log(c.script))
        << ::testing::PrintToString(c.args);
  }
}

// The sweep from a frame: the GIF and the frames start at the frame --at names and go on with
// plain keys; the frames before it only lead there.
TEST_F(RenderTest, TheSweepStartsTheAnimatedOutputsAtTheFrame) {
  const fs::path frames = Path("frames");
  const Result r = Run({"--at", "6.5", "--acc", "--sweep", "3", "--frames", frames.string(),
                        "--gif", Path("sweep.gif").string(), "--label"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(frames), fs::directory_iterator()), 3);
  // The first at 6.5, the last at 7: the keys of the link to 7 with the same switches.
  for (const auto& [file, k] : {std::pair{"frame-001.png", "6.5"}, {"frame-003.png", "7"}}) {
    ASSERT_EQ(Run({"--at", k, "--acc", "--label", "--png", Path("at.png").string()}).status, 0);
    EXPECT_TRUE(Rgb32(frames / file) == Rgb32(Path("at.png"))) << file;
  }

  // The page's writer gives these very bytes for the same sweep.
  SweepGifRequest request;
  request.sweep = *SweepFrom(6.5, {.acc = true}, 3);
  request.logical = {962, 688};
  request.label = true;
  MemorySink page;
  long reported = 0;
  ASSERT_EQ(WriteSweepGif(request, page,
                          [&](long done, long total) {
                            EXPECT_EQ(done, reported + 1);
                            EXPECT_EQ(total, 3);
                            reported = done;
                          }),
            "");
  EXPECT_EQ(reported, 3);
  const std::string tool = ReadFile(Path("sweep.gif"));
  EXPECT_TRUE(std::string(page.bytes().begin(), page.bytes().end()) == tool)
      << "the page's GIF differs from tarsel-render --gif";
}

TEST_F(RenderTest, TheSweepFromTheFirstFrameIsThePlainSweep) {
  ASSERT_EQ(Run({"--sweep", "5", "--gif", Path("a.gif").string()}).status, 0);
  ASSERT_EQ(Run({"--script", Repeat("97", 4), "--gif", Path("b.gif").string()}).status, 0);
  EXPECT_TRUE(ReadFile(Path("a.gif")) == ReadFile(Path("b.gif")));
  // "end" is every frame to k = 20; a number beyond it stops there too, and one line says so.
  const std::string ends = ": the sweep ends at k = 20\n";
  const struct {
    Lines args;
    long frames;
    std::string said;
  } cases[] = {
      {{"--at", "18.25", "--sweep", "end"}, 8, ""},
      {{"--at", "18.25", "--sweep", "8"}, 8, ""},
      {{"--at", "18.25", "--sweep", "9"}, 8, "--sweep 9 makes 8 frames from k = 18.25" + ends},
      {{"--sweep", "1000"}, 63, "--sweep 1000 makes 63 frames from k = 4.5" + ends},
      {{"--at", "19.975", "--sweep", "5"}, 1, "--sweep 5 makes 1 frame from k = 19.975" + ends},
  };
  for (const auto& c : cases) {
    const std::string what = ::testing::PrintToString(c.args);
    const fs::path dir = Path("frames-" + std::to_string(&c - cases));
    Lines args = c.args;
    args.insert(args.end(), {"--frames", dir.string(), "--size", "96x69"});
    const Result r = Run(args);
    EXPECT_EQ(r.status, 0) << what;
    EXPECT_EQ(r.err, c.said.empty() ? "" : "tarsel-render: " + c.said) << what;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), c.frames)
        << what;
  }
}

}  // namespace
}  // namespace tarsel::testing
