// tarsel-render's answers to a command line that asks for nothing, and to a frames folder that
// an earlier export filled.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Result {
  int status = -1;
  std::string out, err;
};

class RenderCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tarsel-render-cli-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Runs tarsel-render in the test's folder with the arguments as the shell reads them.
  Result Run(const std::string& args) {
    const std::string command =
        "cd '" + dir_.string() + "' && '" TARSEL_RENDER "' " + args + " >stdout.txt 2>stderr.txt";
    const int raw = std::system(command.c_str());
    Result r;
    if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
    r.out = Read(dir_ / "stdout.txt");
    r.err = Read(dir_ / "stderr.txt");
    fs::remove(dir_ / "stdout.txt");
    fs::remove(dir_ / "stderr.txt");
    return r;
  }

  fs::path dir_;
};

TEST_F(RenderCommandLine, NoArgumentsGiveTheUsageOnStderrAndStatus2) {
  const Result r = Run("");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("usage: tarsel-render", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("--frames DIR"), std::string::npos);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(fs::is_empty(dir_)) << "wrote something";
  // --help still answers on stdout with status 0.
  const Result help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: tarsel-render", 0), 0u);
}

TEST_F(RenderCommandLine, RefusedFramesFolderNamesItsLowestNumberedFrame) {
  // Many frames, in whatever order the folder lists them, and names that are not frames.
  const fs::path frames = dir_ / "sweep";
  fs::create_directory(frames);
  for (int n = 11; n <= 60; ++n) std::ofstream(frames / ("frame-0" + std::to_string(n) + ".png"));
  for (const char* name : {"frame-1000.png", "frame-010.png", "frame-1.png", "frame-007.txt"}) {
    std::ofstream(frames / name);
  }
  const Result r = Run("--script 97 --frames sweep");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "tarsel-render: 'sweep' already holds frame-010.png; use --force to overwrite\n");
}

}  // namespace
