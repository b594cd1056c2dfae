// tarsel-render's valve events: the report's are those of the last frame its draw log shows.
#include "animation/timing.h"

#include <gtest/gtest.h>

#include <string>

#include "export/report.h"
#include "tests/support/draw_log.h"
#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

class TimingOutputs : public RenderTest {};

TEST_F(TimingOutputs, TheReportsEventsAreThoseOfTheLastFrameOfTheLog) {
  const struct {
    const char* name;
    Lines args;
    double threshold;
  } cases[] = {
      {"the default lift, with velocity and a tenth step", {"--script", "97 8 97 13"}, 1},
      {"a high lift, a partly closing linkage",
       {"--at", "6.5", "--linkage", "10,9,8,15", "--threshold", "9"},
       9},
      {"a lift above the peak", {"--at", "5", "--threshold", "9.6"}, 9.6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Lines args = c.args;
    args.insert(args.end(), {"--log", Path("log"), "--report", Path("r.json")});
    const Result r = Run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Lines> frames = FramesOf(SplitLines(ReadFile(Path("log"))));
    ASSERT_FALSE(frames.empty());
    const FrameTiming expected = TimingOf(CurvesOf(frames.back()), c.threshold);
    const std::string report = ReadFile(Path("r.json"));
    EXPECT_NE(report.find("\"timing\": " + TimingJson(expected) + "}\n"), std::string::npos)
        << report;
  }
}

}  // namespace
}  // namespace tarsel::testing
