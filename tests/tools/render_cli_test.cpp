// tarsel-render's answers to a command line that asks for nothing, and to a frames folder that
// an earlier export filled.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

namespace fs = std::filesystem;

// Runs in the test's folder, so that relative names land there and what is written shows.
class RenderCommandLine : public RenderTest {
 protected:
  Result RunHere(const Lines& args) { return Run(args, "", "cd '" + Path("").string() + "' && "); }

  // The files of the folder, but for the run's captured output.
  std::set<std::string> Written() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Path(""))) {
      names.insert(entry.path().filename().string());
    }
    names.erase("stdout.txt");
    names.erase("stderr.txt");
    return names;
  }
};

TEST_F(RenderCommandLine, NoArgumentsGiveTheUsageOnStderrAndStatus2) {
  const Result r = RunHere({});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("usage: tarsel-render", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("--frames DIR"), std::string::npos);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Written().empty()) << "wrote something";
  // --help still answers on stdout with status 0.
  const Result help = RunHere({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: tarsel-render", 0), 0u);
}

TEST_F(RenderCommandLine, RefusedFramesFolderNamesItsLowestNumberedFrame) {
  // Many frames, in whatever order the folder lists them, and names that are not frames.
  const fs::path frames = Path("sweep");
  fs::create_directory(frames);
  for (int n = 11; n <= 60; ++n) std::ofstream(frames / ("frame-0" + std::to_string(n) + ".png"));
  for (const char* name : {"frame-1000.png", "frame-010.png", "frame-1.png", "frame-007.txt"}) {
    std::ofstream(frames / name);
  }
  const Result r = RunHere({"--script", "97", "--frames", "sweep"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "tarsel-render: 'sweep' already holds frame-010.png; use --force to overwrite\n");
}

}  // namespace
}  // namespace tarsel::testing
