// tarsel-render's valve events: the report's are those of the last frame its draw log shows, the
// timing data and plot those of the frames of the sweep's log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animation/timing.h"
#include "app/image_view.h"
#include "export/data_csv.h"
#include "export/report.h"
#include "render/timing_plot.h"
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

TEST_F(TimingOutputs, TheTimingCsvHoldsTheEventsOfEachFrameOfThePlainSweep) {
  const Result r = Run({"--script", Repeat("97", 62), "--log", Path("log"), "--threshold", "2",
                        "--timing-csv", Path("t.csv"), "--timing-png", Path("t.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<Lines> frames = FramesOf(SplitLines(ReadFile(Path("log"))));
  ASSERT_EQ(frames.size(), 63u);
  std::vector<SweepFrame> expected;
  double k = 4.5;  // exact: steps of 0.25 from 4.5 add without rounding
  for (const Lines& frame : frames) {
    const FrameCurves curves = CurvesOf(frame);
    expected.push_back({k, EventsOf(curves.blue, 2), EventsOf(curves.red, 2)});
    k += 0.25;
  }
  const std::string csv = ReadFile(Path("t.csv"));
  EXPECT_EQ(SplitLines(csv).size(), 64u);
  EXPECT_EQ(csv, TimingCsv(expected));
  // The plot of the same sweep, the last frame (k = 20) marked.
  Image plot;
  timing_plot::Draw(plot, 1, expected, 20);
  EXPECT_TRUE(Rgb32(Path("t.png")) == ImageView(plot).convertToFormat(QImage::Format_RGB32));
}

TEST_F(TimingOutputs, ACurveThatNeverReachesTheLiftLeavesItsCellsEmpty) {
  const Result r =
      Run({"--at", "6", "--threshold", "9.6", "--timing-csv", Path("t.csv"), "--report", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Lines rows = SplitLines(ReadFile(Path("t.csv")));
  ASSERT_EQ(rows.size(), 64u);
  EXPECT_EQ(rows[0], kTimingCsvHeader);
  EXPECT_EQ(rows[1], "4.5,,,,,,,,");
  EXPECT_EQ(rows[63], "20,,,,,,,,");
  EXPECT_NE(r.out.find("\"timing\": {\"threshold\": 9.6,\n  \"red\": null,\n  \"green\": null,\n"
                       "  \"blue\": null}}\n"),
            std::string::npos)
      << r.out;
}

}  // namespace
}  // namespace tarsel::testing
