// Tests of tarsel-render's command line: every bad argument and failed write gives one line
// and status 2; --help and --version.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/render_run.h"
#include "tests/support/sanitizer.h"

namespace tarsel::testing {
namespace {

TEST_F(RenderTest, BadArgumentsAndFailedWritesAreRejectedWithOneLine) {
  std::ofstream(Path("file")) << "x";
  const std::string file = Path("file").string(), dir = Path("").string();
  struct Case {
    Lines args;
    std::string named;
    std::string stdout_path = "";
  };
  std::vector<Case> cases = {
      {{"--frobnicate"}, "--frobnicate"},
      {{"--log", Path("x.log").string(), "stray"}, "stray"},
      {{"--log", "/nonexistent/dir/x.log"}, "/nonexistent/dir/x.log"},
      {{"--png", "/nonexistent/dir/x.png"}, "/nonexistent/dir/x.png"},
      {{"--gif", "/nonexistent/dir/x.gif"}, "/nonexistent/dir/x.gif"},
      // A directory cannot be written as a file, nor a file used as a directory.
      {{"--png", dir}, dir},
      {{"--log", dir}, dir},
      {{"--frames", file}, file},
      {{"--frames", file + "/sub"}, file},
      {{"--frames", ""}, "--frames"},
      {{"--log", "/dev/full"}, "log"},
      {{"--script", "97 97", "--log", "-"}, "log", "/dev/full"},
      {{"--png", "/dev/full"}, "/dev/full"},
      {{"--gif", "/dev/full", "--script", "97"}, "/dev/full"},
      {{"--frames", "/dev/full"}, "/dev/full"},
      // Two outputs on standard output; a bad configuration touches no file.
      {{"--log", "-", "--report", "-"}, "--report"},
      {{"--linkage", "0,7,25,31", "--png", Path("c.png").string()}, "'0,7,25,31'"},
      {{"--report", "/nonexistent/dir/r.json"}, "/nonexistent/dir/r.json"},
  };
  for (const std::string option :
       {"--script", "--log",     "--png",       "--size",        "--scale",   "--frames", "--gif",
        "--delay",  "--at",      "--video",     "--video-scale", "--palette", "--sweep",  "--svg",
        "--pdf",    "--linkage", "--reference", "--assembly",    "--piston",  "--report"}) {
    cases.push_back({{option}, option});
  }
  for (const std::string size :
       {"0x5", "5x0", "12", "5x", "x5", "axb", "", "5*5", "5x5x5", "-5x5", "5x5 ", "8193x5",
        "5x8193", "2147483648x5", "4294967297x5", "5x4294967297"}) {
    cases.push_back({{"--size", size, "--png", Path("s.png").string()}, "'" + size + "'"});
  }
  for (const std::string scale :
       {"", "abc", "0", "0.124", "8.001", "-1", "nan", "inf", "2x", "1e999"}) {
    cases.push_back({{"--scale", scale, "--png", Path("s.png").string()}, "'" + scale + "'"});
  }
  for (const std::string palette : {"", "Exact", "distinguishable ", "cvd"}) {
    cases.push_back({{"--palette", palette, "--png", Path("p.png").string()}, "'" + palette + "'"});
  }
  for (const std::string token : {"abc", "12@", "12@0", "@3", "70000", "-5", "dbl@x"}) {
    cases.push_back(
        {{"--script", "97 " + token + " 98", "--log", Path("x.log").string()}, "'" + token + "'"});
  }
  for (const std::string delay : {"0", "9", "655351", "-10", "1.5", "", "20ms"}) {
    cases.push_back({{"--gif", Path("d.gif").string(), "--delay", delay}, "'" + delay + "'"});
  }
  // Off the grid of 0.025, past the end of the animation, below the lowest value, not a number.
  for (const std::string k :
       {"4.51", "20.025", "20.25", "-100.025", "abc", "", "nan", "6.5x", "0x10", "1e999"}) {
    cases.push_back({{"--at", k, "--png", Path("a.png").string()}, "'" + k + "'"});
  }
  cases.push_back({{"--at", "6.5", "--script", "97"}, "--at"});
  // The frame's switches and the sweep name a frame instead of the keys: not with a script.
  for (const std::string option : {"--acc", "--accumulate"}) {
    cases.push_back({{option, "--script", "97", "--png", Path("a.png").string()}, option});
    cases.push_back({{option + "=1", "--png", Path("a.png").string()}, option});
  }
  cases.push_back({{"--sweep", "3", "--script", "97"}, "--sweep"});
  for (const std::string n : {"0", "1001", "-1", "abc", "", "2.5", "all", "End", "3 "}) {
    cases.push_back({{"--sweep", n, "--gif", Path("s.gif").string()}, "'" + n + "'"});
  }
  cases.push_back({{"--at", "4.51", "--acc", "--sweep", "end"}, "'4.51'"});
  for (const std::string option : {"--svg", "--pdf"}) {
    cases.push_back({{option, ""}, option});
    cases.push_back({{option, "/nonexistent/dir/x"}, "/nonexistent/dir/x"});
    cases.push_back({{option, dir}, dir});
    cases.push_back(
        {{option, Path("big").string(), "--size", "8192x8192", "--scale", "2"}, "too large"});
  }
  for (const std::string name : {"x.avi", "x", "mp4", "x.mp4.gif", ""}) {
    cases.push_back({{"--video", name}, name.empty() ? "--video" : "'" + name + "'"});
  }
  // The mechanism view is a PNG: no other name, so that no file holds what its name denies.
  for (const std::string name : {"m.svg", "m", "png", "m.png.svg", "m.pn"}) {
    cases.push_back({{"--mechanism", Path(name).string()}, name + "': expected a file name"});
  }
  for (const std::string n : {"0", "5", "abc", "1.5", "", "-1", "2x"}) {
    cases.push_back({{"--video", Path("v.mp4").string(), "--video-scale", n}, "'" + n + "'"});
  }
  cases.push_back({{"--video", Path("v.mp4").string(), "--size", "5000x2000"}, "--video-scale"});
  cases.push_back({{"--video", "/nonexistent/dir/x.mp4"}, "/nonexistent/dir/x.mp4"});
  cases.push_back({{"--video", "/dev/full", "--script", "97"}, "/dev/full"});
  for (const Case& c : cases) {
    ExpectRejected(Run(c.args, c.stdout_path), c.named,
                   ::testing::PrintToString(c.args) + " >" + c.stdout_path);
  }
}

TEST_F(RenderTest, PictureLargerThanTheImageCapIsRefusedWithOneLine) {
#if TARSEL_HAS_ASAN
  GTEST_SKIP() << "the address space limit conflicts with the sanitizer's shadow memory";
#else
  // Each value is within its own bounds, but the picture would be 65536 device pixels a side;
  // it is refused before anything is allocated (the address space limit proves it).
  const Result r = Run({"--size", "8192x8192", "--scale", "8", "--png", Path("big.png").string()},
                       "", "ulimit -v " + std::to_string(4L << 20) + " && ");
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
#endif
}

// On a terminal a long export shows how far it is and erases the line at the end; elsewhere
// (a pipe, a file, a test) it writes nothing.
TEST_F(RenderTest, ProgressLineOnATerminalOnly) {
#if TARSEL_HAS_ASAN
  GTEST_SKIP() << "an export of a second takes minutes in the sanitizer build";
#endif
  // The line shows after a second of work: at scale 2 the sweep's GIF takes several, however
  // fast the machine (at the design size it now takes less than one).
  const Lines args = {"--script", Repeat("97", kPlainFrames - 1), "--scale", "2",
                      "--gif",    Path("p.gif").string()};
  std::string command = TARSEL_RENDER;
  for (const std::string& a : args) command += " '" + a + "'";
  // script(1) runs the command on a pseudo-terminal and copies what it writes.
  std::FILE* pipe = popen(("script -q -e -c \"" + command + "\" /dev/null").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string shown;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    shown.append(buffer, n);
  ASSERT_EQ(pclose(pipe), 0) << shown;
  EXPECT_NE(shown.find("\rtarsel-render: frame "), std::string::npos) << shown;
  EXPECT_NE(shown.find(" of 63, "), std::string::npos) << shown;
  ASSERT_GE(shown.size(), 4u);
  EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K") << shown;

  const Result piped = Run(args);
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.err, "");
}

TEST_F(RenderTest, HelpAndVersionAndUsageWithoutArguments) {
  // Nothing asked for: the usage goes to stderr, as for any other command line that cannot run.
  const Result bare = Run({});
  EXPECT_EQ(bare.status, 2);
  EXPECT_EQ(bare.out, "");
  EXPECT_EQ(bare.err.rfind("usage: tarsel-render", 0), 0u) << bare.err;

  const Result help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const std::string option : {"--frames", "--force", "--gif", "--delay", "--version", "--acc",
                                   "--accumulate", "--sweep", "--svg", "--pdf"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  const Result version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(version.out, std::regex("tarsel-render [0-9]+(\\.[0-9]+)+\n")))
      << version.out;
}

}  // namespace
}  // namespace tarsel::testing
